// Lays out the readable text form: two spaces of indentation per level, one property per line,
// strings quoted with #nn escapes, sets in brackets, binary data as hexadecimal lines.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace formtext {

class TextFormWriter {
 public:
  // Strings whose quoted form is longer than this are wrapped with " +" continuation lines.
  static constexpr size_t kWrapWidth = 64;
  // Bytes per line of a binary value (two hexadecimal digits each).
  static constexpr size_t kBinaryBytesPerLine = 32;

  void BeginObject(int depth, std::string_view name, std::string_view className);
  void EndObject(int depth);

  void Integer(int depth, std::string_view property, int32_t value);
  void String(int depth, std::string_view property, std::string_view value);
  void Identifier(int depth, std::string_view property, std::string_view value);
  void Boolean(int depth, std::string_view property, bool value);
  void Binary(int depth, std::string_view property, std::string_view bytes);
  void Set(int depth, std::string_view property, const std::vector<std::string>& items);

  const std::string& Text() const { return text_; }

  // The quoted pieces of a string: runs of printable characters in quotes, others as #nn.
  // Joined without blanks they form the string's text; a run longer than the wrap width is cut.
  static std::vector<std::string> QuotedPieces(std::string_view value);

 private:
  void Indent(int depth);
  void PropertyStart(int depth, std::string_view property);

  std::string text_;
};

}  // namespace formtext
