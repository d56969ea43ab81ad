#include "tools/sfpack/FormBinaryProperty.h"

#include <stdexcept>
#include <string>

#include "toolkit/core/FormBinaryReader.h"
#include "toolkit/core/LittleEndian.h"
#include "toolkit/core/SameText.h"

namespace sfpack {
namespace {

constexpr int kMaxNesting = 256;

// Walks the component records through the toolkit's byte layer, looking at property names and
// value types only.
class FormWalker {
 public:
  FormWalker(std::span<const uint8_t> Form, std::string_view Name)
      : form_(Form), in_(Form), name_(Name) {}

  std::optional<FormBinaryLocation> Run() {
    try {
      in_.ReadSignature();
      Component(0);
    } catch (const EFormDataError& e) {
      Fail(e.Offset(), e.Message());
    }
    return found_;
  }

 private:
  [[noreturn]] static void Fail(size_t Offset, const std::string& What) {
    throw std::runtime_error("damaged form data at offset " + std::to_string(Offset) + ": " + What);
  }

  // One component record: class and name, properties, children.
  void Component(int Depth) {
    if (Depth > kMaxNesting) Fail(in_.Position(), "nesting too deep");
    const std::string className = in_.ReadName();
    in_.ReadName();
    for (std::string prop = in_.ReadName(); !prop.empty(); prop = in_.ReadName()) {
      const TFormValue value = in_.ReadValue();
      if (!found_ && value.Type == vaBinary && SameText(prop, name_)) {
        found_ = FormBinaryLocation{static_cast<size_t>(value.Bytes.data() - form_.data()),
                                    value.Bytes.size(), className};
      }
    }
    while (in_.PeekByte() != 0) Component(Depth + 1);
    in_.ReadByte();
  }

  std::span<const uint8_t> form_;
  TFormBinaryReader in_;
  std::string_view name_;
  std::optional<FormBinaryLocation> found_;
};

}  // namespace

std::optional<FormBinaryLocation> LocateFormBinaryProperty(std::span<const uint8_t> Form,
                                                           std::string_view Name) {
  return FormWalker(Form, Name).Run();
}

std::optional<std::span<const uint8_t>> FindFormBinaryProperty(std::span<const uint8_t> Form,
                                                               std::string_view Name) {
  const auto found = LocateFormBinaryProperty(Form, Name);
  if (!found) return std::nullopt;
  return Form.subspan(found->offset, found->size);
}

std::vector<uint8_t> WithBinaryValue(std::span<const uint8_t> Form, const FormBinaryLocation& At,
                                     std::span<const uint8_t> Bytes) {
  if (Bytes.size() > UINT32_MAX) throw std::runtime_error("the value is too large for form data");
  std::vector<uint8_t> out(Form.begin(), Form.begin() + static_cast<std::ptrdiff_t>(At.offset));
  StoreLE32(&out[At.offset - 4], static_cast<uint32_t>(Bytes.size()));
  out.insert(out.end(), Bytes.begin(), Bytes.end());
  out.insert(out.end(), Form.begin() + static_cast<std::ptrdiff_t>(At.offset + At.size),
             Form.end());
  return out;
}

}  // namespace sfpack
