#include "tools/formconv/BinaryFormToText.h"

#include <string_view>

#include "toolkit/core/FormBinaryReader.h"
#include "tools/formconv/FormSyntax.h"
#include "tools/formconv/FormTextError.h"
#include "tools/formconv/TextFormWriter.h"

namespace formtext {

namespace {

// Walks the binary form once through the toolkit's byte layer, handing what it reads to the
// text writer. The layer's errors are put into the converter's words here, with the offset.
class BinaryFormReader {
 public:
  explicit BinaryFormReader(std::span<const uint8_t> data) : in_(data) {}

  std::string Convert() {
    try {
      in_.ReadSignature();
    } catch (const EFormDataError&) {
      throw FormTextError::AtOffset(0, "missing signature \"TPF0\"");
    }
    ReadComponent(0);
    if (!in_.AtEnd()) {
      throw FormTextError::AtOffset(
          in_.Position(),
          std::to_string(in_.Remaining()) + " byte(s) after the end of the root component");
    }
    return writer_.Text();
  }

 private:
  // A single byte missing: the place where it should be.
  static FormTextError EndsWhere(const EFormDataError& e, std::string_view what) {
    return FormTextError::AtOffset(e.Offset(),
                                   "data ends where " + std::string(what) + " should be");
  }

  // An item cut short: the place where the item (with its length prefix) begins.
  static FormTextError Truncated(const EFormDataError& e, std::string_view what) {
    return FormTextError::AtOffset(e.ItemOffset(), "truncated " + std::string(what) + ": needs " +
                                                       std::to_string(e.Needed()) + " byte(s), " +
                                                       std::to_string(e.Left()) + " left");
  }

  uint8_t PeekByte(std::string_view what) {
    try {
      return in_.PeekByte();
    } catch (const EFormDataError& e) {
      throw EndsWhere(e, what);
    }
  }

  uint8_t ReadByte(std::string_view what) {
    try {
      return in_.ReadByte();
    } catch (const EFormDataError& e) {
      throw EndsWhere(e, what);
    }
  }

  int32_t ReadInt(size_t width, std::string_view what) {
    try {
      return in_.ReadInt(width);
    } catch (const EFormDataError& e) {
      throw Truncated(e, what);
    }
  }

  // A missing length byte ends where the text should be; missing characters truncate it.
  std::string ReadShortString(std::string_view what) {
    try {
      return in_.ReadName();
    } catch (const EFormDataError& e) {
      throw e.Offset() == e.ItemOffset() ? EndsWhere(e, what) : Truncated(e, what);
    }
  }

  std::string ReadBinary() {
    try {
      std::span<const uint8_t> bytes = in_.ReadBinary();
      return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    } catch (const EFormDataError& e) {
      throw Truncated(e, e.Offset() == e.ItemOffset() ? "binary byte count" : "binary value");
    }
  }

  // Reads a name that the text form writes bare and checks that it can be read back.
  std::string ReadName(std::string_view what, bool dotted, bool allowEmpty) {
    size_t at = in_.Position();
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
      throw FormTextError::AtOffset(in_.Position(), "components nested deeper than " +
                                                        std::to_string(kMaxNesting) + " levels");
    }
    std::string className = ReadName("class name", false, false);
    std::string name = ReadName("component name", false, true);
    writer_.BeginObject(depth, name, className);
    while (PeekByte("a property name or the end of the property list") != 0) {
      std::string property = ReadName("property name", true, false);
      ReadValue(depth + 1, property);
    }
    in_.ReadByte();
    while (PeekByte("a child component or the end of the child list") != 0) {
      ReadComponent(depth + 1);
    }
    in_.ReadByte();
    writer_.EndObject(depth);
  }

  void ReadValue(int depth, const std::string& property) {
    size_t at = in_.Position();
    uint8_t type = ReadByte("the value type of property '" + property + "'");
    // Long strings (type 12) have no text notation here, so they are refused like unknown types.
    switch (type) {
      case vaInt8:
        writer_.Integer(depth, property, ReadInt(1, "int8 value"));
        return;
      case vaInt16:
        writer_.Integer(depth, property, ReadInt(2, "int16 value"));
        return;
      case vaInt32:
        writer_.Integer(depth, property, ReadInt(4, "int32 value"));
        return;
      case vaString:
        writer_.String(depth, property, ReadShortString("string value"));
        return;
      case vaIdent:
        writer_.Identifier(depth, property, ReadIdentValue("identifier value"));
        return;
      case vaFalse:
      case vaTrue:
        writer_.Boolean(depth, property, type == vaTrue);
        return;
      case vaBinary:
        writer_.Binary(depth, property, ReadBinary());
        return;
      case vaSet:
        writer_.Set(depth, property, ReadSet());
        return;
      default:
        break;
    }
    throw FormTextError::AtOffset(
        at, "unknown value type " + std::to_string(type) + " of property '" + property + "'");
  }

  std::string ReadIdentValue(std::string_view what) {
    size_t at = in_.Position();
    std::string ident = ReadName(what, true, false);
    if (IsBooleanWord(ident)) {
      throw FormTextError::AtOffset(
          at, "identifier value \"" + ident + "\" would read back as a boolean");
    }
    return ident;
  }

  std::vector<std::string> ReadSet() {
    std::vector<std::string> items;
    while (PeekByte("a set element or the end of the set") != 0) {
      items.push_back(ReadName("set element", true, false));
    }
    in_.ReadByte();
    return items;
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

  TFormBinaryReader in_;
  TextFormWriter writer_;
};

}  // namespace

std::string BinaryFormToText(std::span<const uint8_t> data) {
  return BinaryFormReader(data).Convert();
}

}  // namespace formtext
