// Binary "TPF0" form -> readable text form. Knows no component classes: every property is
// written from its value type alone.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace formtext {

// Converts a whole binary form. Throws FormTextError (with the byte offset) for a missing
// signature, an unknown value type, truncation, a name or identifier the text form cannot
// carry, nesting deeper than kMaxNesting, and bytes after the root component.
std::string BinaryFormToText(std::span<const uint8_t> data);

}  // namespace formtext
