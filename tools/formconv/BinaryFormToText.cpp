#include "tools/formconv/BinaryFormToText.h"

#include <string_view>

#include "tools/formconv/FormSyntax.h"
#include "tools/formconv/FormTextError.h"
#include "tools/formconv/TextFormWriter.h"

namespace formtext {

namespace {

// Walks the binary form once, handing what it reads to the text writer.
class BinaryFormReader {
 public:
  explicit BinaryFormReader(std::span<const uint8_t> data) : data_(data) {}

  std::string Convert() {
    ReadSignature();
    ReadComponent(0);
    if (pos_ != data_.size()) {
      throw FormTextError::AtOffset(pos_, std::to_string(data_.size() - pos_) +
                                              " byte(s) after the end of the root component");
    }
    return writer_.Text();
  }

 private:
  size_t Remaining() const { return data_.size() - pos_; }

  uint8_t ReadByte(std::string_view what) {
    if (Remaining() < 1) {
      throw FormTextError::AtOffset(pos_, "data ends where " + std::string(what) + " should be");
    }
    return data_[pos_++];
  }

  std::string ReadBytes(size_t count, size_t at, std::string_view what) {
    if (Remaining() < count) {
      throw FormTextError::AtOffset(at, "truncated " + std::string(what) + ": needs " +
                                            std::to_string(count) + " byte(s), " +
                                            std::to_string(Remaining()) + " left");
    }
    std::string bytes(reinterpret_cast<const char*>(data_.data() + pos_), count);
    pos_ += count;
    return bytes;
  }

  std::string ReadShortString(std::string_view what) {
    size_t at = pos_;
    uint8_t length = ReadByte(what);
    return ReadBytes(length, at, what);
  }

  uint32_t ReadLittleEndian(size_t width, std::string_view what) {
    size_t at = pos_;
    std::string bytes = ReadBytes(width, at, what);
    uint32_t value = 0;
    for (size_t i = width; i-- > 0;) value = (value << 8) | static_cast<uint8_t>(bytes[i]);
    return value;
  }

  void ReadSignature() {
    if (Remaining() < kSignature.size() ||
        std::string_view(reinterpret_cast<const char*>(data_.data()), kSignature.size()) !=
            kSignature) {
      throw FormTextError::AtOffset(0, "missing signature \"TPF0\"");
    }
    pos_ = kSignature.size();
  }

  // Reads a name that the text form writes bare and checks that it can be read back.
  std::string ReadName(std::string_view what, bool dotted, bool allowEmpty) {
    size_t at = pos_;
    std::string name = ReadShortString(what);
    if (name.empty() && allowEmpty) return name;
    if (dotted ? !IsDottedIdentifier(name) : !IsIdentifier(name)) {
      throw FormTextError::AtOffset(
          at, std::string(what) + " \"" + Printable(name) + "\" is not an identifier");
    }
    return name;
  }

  void ReadComponent(int depth) {
    if (depth >= kMaxNesting) {
      throw FormTextError::AtOffset(
          pos_, "components nested deeper than " + std::to_string(kMaxNesting) + " levels");
    }
    std::string className = ReadName("class name", false, false);
    std::string name = ReadName("component name", false, true);
    writer_.BeginObject(depth, name, className);
    while (true) {
      size_t at = pos_;
      if (ReadByte("a property name or the end of the property list") == 0) break;
      pos_ = at;
      std::string property = ReadName("property name", true, false);
      ReadValue(depth + 1, property);
    }
    while (true) {
      if (ReadByte("a child component or the end of the child list") == 0) break;
      --pos_;
      ReadComponent(depth + 1);
    }
    writer_.EndObject(depth);
  }

  void ReadValue(int depth, const std::string& property) {
    size_t at = pos_;
    uint8_t type = ReadByte("the value type of property '" + property + "'");
    switch (static_cast<ValueType>(type)) {
      case ValueType::Int8:
        writer_.Integer(depth, property, static_cast<int8_t>(ReadLittleEndian(1, "int8 value")));
        return;
      case ValueType::Int16:
        writer_.Integer(depth, property, static_cast<int16_t>(ReadLittleEndian(2, "int16 value")));
        return;
      case ValueType::Int32:
        writer_.Integer(depth, property, static_cast<int32_t>(ReadLittleEndian(4, "int32 value")));
        return;
      case ValueType::String:
        writer_.String(depth, property, ReadShortString("string value"));
        return;
      case ValueType::Ident:
        writer_.Identifier(depth, property, ReadIdentValue("identifier value"));
        return;
      case ValueType::False:
      case ValueType::True:
        writer_.Boolean(depth, property, type == static_cast<uint8_t>(ValueType::True));
        return;
      case ValueType::Binary:
        writer_.Binary(depth, property, ReadBinary());
        return;
      case ValueType::Set:
        writer_.Set(depth, property, ReadSet());
        return;
    }
    throw FormTextError::AtOffset(
        at, "unknown value type " + std::to_string(type) + " of property '" + property + "'");
  }

  std::string ReadIdentValue(std::string_view what) {
    size_t at = pos_;
    std::string ident = ReadName(what, true, false);
    if (IsBooleanWord(ident)) {
      throw FormTextError::AtOffset(
          at, "identifier value \"" + ident + "\" would read back as a boolean");
    }
    return ident;
  }

  std::vector<std::string> ReadSet() {
    std::vector<std::string> items;
    while (true) {
      size_t at = pos_;
      if (ReadByte("a set element or the end of the set") == 0) return items;
      pos_ = at;
      items.push_back(ReadName("set element", true, false));
    }
  }

  std::string ReadBinary() {
    size_t at = pos_;
    uint32_t count = ReadLittleEndian(4, "binary byte count");
    return ReadBytes(count, at, "binary value");
  }

  static std::string Printable(std::string_view text) {
    std::string shown;
    for (unsigned char c : text) {
      if (c >= 32 && c <= 126) {
        shown += static_cast<char>(c);
      } else {
        shown += "#" + std::to_string(c);
      }
    }
    return shown;
  }

  std::span<const uint8_t> data_;
  size_t pos_ = 0;
  TextFormWriter writer_;
};

}  // namespace

std::string BinaryFormToText(std::span<const uint8_t> data) {
  return BinaryFormReader(data).Convert();
}

}  // namespace formtext
