// Definitions shared by the two directions of the form converter: the nesting limit and the
// identifier rules of the text form. The binary layout is the toolkit's
// (toolkit/core/FormBinary.h).
#pragma once

#include <string_view>

namespace formtext {

// Deeper nesting is refused in both directions so that hostile input cannot exhaust the stack.
inline constexpr int kMaxNesting = 256;

// A plain identifier: a letter or underscore, then letters, digits and underscores (ASCII).
bool IsIdentifier(std::string_view text);

// Identifiers joined by single dots ("Font.Style"): property names and identifier values.
bool IsDottedIdentifier(std::string_view text);

// Bare words that the text form reads as booleans; an identifier value spelled so cannot be
// written bare without turning into a boolean.
bool IsBooleanWord(std::string_view text);

}  // namespace formtext
