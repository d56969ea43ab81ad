#include "tools/sfpack/FormLogo.h"

#include <string>
#include <utility>

#include "toolkit/core/FormBinaryReader.h"
#include "toolkit/core/FormBinaryWriter.h"
#include "toolkit/core/SameText.h"
#include "tools/sfpack/LauncherFormCheck.h"
#include "tools/sfpack/LauncherWrap.h"

namespace sfpack {
namespace {

constexpr int kMaxNesting = 256;
constexpr char kImage[] = "Image2";

// A value's bytes in the form data, type byte included, and what goes there instead.
struct TEdit {
  size_t from = 0;
  size_t to = 0;
  std::vector<uint8_t> bytes;
};

// An integer in its smallest type, as formconv and the form designer write it.
std::vector<uint8_t> IntegerValue(int32_t Value) {
  TFormBinaryWriter out;
  out.WriteInteger(Value);
  return out.Bytes();
}

std::vector<uint8_t> BinaryValue(std::span<const uint8_t> Bytes) {
  TFormBinaryWriter out;
  out.WriteBinary(Bytes);
  return out.Bytes();
}

// Finds Image2's Picture.Data, Width and Height values and plans their replacement.
class LogoPlanner {
 public:
  LogoPlanner(std::span<const uint8_t> Form, const LogoPicture& Logo) : in_(Form), logo_(Logo) {}

  std::vector<TEdit> Run() {
    ReadFormData(in_, [this] { Component(0); });
    if (!picture_) throw WrapError("the form has no Image2 with a Picture.Data for the logo");
    return std::move(edits_);
  }

 private:
  void Component(int Depth) {
    if (Depth > kMaxNesting) throw WrapError("the form's components nest too deep");
    in_.ReadName();
    const bool image = SameText(in_.ReadName(), kImage) && !picture_;
    for (std::string prop = in_.ReadName(); !prop.empty(); prop = in_.ReadName()) {
      const TFormValue value = in_.ReadValue();
      if (image) Plan(prop, value);
    }
    if (image) picture_ = picture_ || found_;
    while (in_.PeekByte() != 0) Component(Depth + 1);
    in_.ReadByte();
  }

  void Plan(const std::string& Property, const TFormValue& Value) {
    const bool integer = Value.Type == vaInt8 || Value.Type == vaInt16 || Value.Type == vaInt32;
    std::vector<uint8_t> bytes;
    if (Value.Type == vaBinary && SameText(Property, "Picture.Data")) {
      bytes = BinaryValue(logo_.pictureData);
      found_ = true;
    } else if (integer && SameText(Property, "Width")) {
      bytes = IntegerValue(static_cast<int32_t>(logo_.width));
    } else if (integer && SameText(Property, "Height")) {
      bytes = IntegerValue(static_cast<int32_t>(logo_.height));
    } else {
      return;
    }
    edits_.push_back({Value.Offset, in_.Position(), std::move(bytes)});
  }

  TFormBinaryReader in_;
  const LogoPicture& logo_;
  std::vector<TEdit> edits_;
  bool found_ = false;
  bool picture_ = false;
};

}  // namespace

std::vector<uint8_t> FormWithLogo(std::span<const uint8_t> Form, const LogoPicture& Logo) {
  const std::vector<TEdit> edits = LogoPlanner(Form, Logo).Run();
  std::vector<uint8_t> out;
  size_t at = 0;
  for (const TEdit& e : edits) {
    out.insert(out.end(), Form.begin() + static_cast<std::ptrdiff_t>(at),
               Form.begin() + static_cast<std::ptrdiff_t>(e.from));
    out.insert(out.end(), e.bytes.begin(), e.bytes.end());
    at = e.to;
  }
  out.insert(out.end(), Form.begin() + static_cast<std::ptrdiff_t>(at), Form.end());
  return out;
}

}  // namespace sfpack
