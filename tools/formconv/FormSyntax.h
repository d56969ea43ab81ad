// Definitions shared by the two directions of the form converter: the value type bytes of the
// binary "TPF0" form and the identifier rules of the text form.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace formtext {

// Value type bytes of the binary form. Anything else is refused by the reader.
enum class ValueType : uint8_t {
  Int8 = 2,
  Int16 = 3,
  Int32 = 4,
  String = 6,
  Ident = 7,
  False = 8,
  True = 9,
  Binary = 10,
  Set = 11,
};

inline constexpr std::string_view kSignature = "TPF0";

// Deeper nesting is refused in both directions so that hostile input cannot exhaust the stack.
inline constexpr int kMaxNesting = 256;

// Names and short strings carry a length byte.
inline constexpr size_t kMaxShortLength = 255;

// A plain identifier: a letter or underscore, then letters, digits and underscores (ASCII).
bool IsIdentifier(std::string_view text);

// Identifiers joined by single dots ("Font.Style"): property names and identifier values.
bool IsDottedIdentifier(std::string_view text);

// Bare words that the text form reads as booleans; an identifier value spelled so cannot be
// written bare without turning into a boolean.
bool IsBooleanWord(std::string_view text);

}  // namespace formtext
