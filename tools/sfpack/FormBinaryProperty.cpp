#include "tools/sfpack/FormBinaryProperty.h"

#include <stdexcept>
#include <string>

#include "toolkit/SameText.h"

namespace sfpack {
namespace {

constexpr int kMaxNesting = 256;

class FormWalker {
 public:
  FormWalker(std::span<const uint8_t> Form, std::string_view Name) : data_(Form), name_(Name) {}

  std::optional<std::span<const uint8_t>> Run() {
    if (data_.size() < 4 || data_[0] != 'T' || data_[1] != 'P' || data_[2] != 'F' ||
        data_[3] != '0')
      Fail("no \"TPF0\" signature");
    pos_ = 4;
    Component(0);
    return found_;
  }

 private:
  [[noreturn]] void Fail(const std::string& What) const {
    throw std::runtime_error("damaged form data at offset " + std::to_string(pos_) + ": " + What);
  }
  void Need(uint64_t Count) const {
    if (Count > data_.size() - pos_) Fail("cut short");
  }
  uint8_t Byte() {
    Need(1);
    return data_[pos_++];
  }
  uint32_t U32() {
    Need(4);
    const uint32_t v = uint32_t{data_[pos_]} | uint32_t{data_[pos_ + 1]} << 8 |
                       uint32_t{data_[pos_ + 2]} << 16 | uint32_t{data_[pos_ + 3]} << 24;
    pos_ += 4;
    return v;
  }
  void Skip(uint64_t Count) {
    Need(Count);
    pos_ += Count;
  }
  std::string_view ShortString() {
    const uint8_t length = Byte();
    Need(length);
    std::string_view s(reinterpret_cast<const char*>(data_.data() + pos_), length);
    pos_ += length;
    return s;
  }

  // One component record: optional flags prefix, class and name, properties, children.
  void Component(int Depth) {
    if (Depth > kMaxNesting) Fail("nesting too deep");
    Need(1);
    if ((data_[pos_] & 0xF0) == 0xF0) {
      const uint8_t flags = Byte();
      if (flags & 0x02) Value(Depth);  // the child position
    }
    ShortString();
    ShortString();
    for (std::string_view prop = ShortString(); !prop.empty(); prop = ShortString()) {
      const size_t at = pos_;
      Value(Depth);
      if (!found_ && data_[at] == 10 && SameText(prop, name_))
        found_ = data_.subspan(at + 5, pos_ - at - 5);
    }
    while (Byte() != 0) {
      --pos_;
      Component(Depth + 1);
    }
  }

  void Value(int Depth) {
    if (Depth > kMaxNesting) Fail("nesting too deep");
    const uint8_t type = Byte();
    switch (type) {
      case 0:   // end of a list
      case 8:   // False
      case 9:   // True
      case 13:  // nil
        break;
      case 1:  // list of values, ended by a zero type
        while (Byte() != 0) {
          --pos_;
          Value(Depth + 1);
        }
        break;
      case 2:
        Skip(1);
        break;
      case 3:
        Skip(2);
        break;
      case 4:
      case 15:
        Skip(4);
        break;
      case 16:
      case 17:
      case 19:
        Skip(8);
        break;
      case 5:
        Skip(10);
        break;
      case 6:
      case 7:
        ShortString();
        break;
      case 10:
      case 12:
      case 20:
        Skip(U32());
        break;
      case 18:
        Skip(uint64_t{U32()} * 2);
        break;
      case 11:
        while (!ShortString().empty()) {
        }
        break;
      default:
        --pos_;
        Fail("unknown value type " + std::to_string(type));
    }
  }

  std::span<const uint8_t> data_;
  std::string_view name_;
  size_t pos_ = 0;
  std::optional<std::span<const uint8_t>> found_;
};

}  // namespace

std::optional<std::span<const uint8_t>> FindFormBinaryProperty(std::span<const uint8_t> Form,
                                                               std::string_view Name) {
  return FormWalker(Form, Name).Run();
}

}  // namespace sfpack
