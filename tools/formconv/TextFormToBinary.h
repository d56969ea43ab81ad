// Readable text form -> binary "TPF0" form. Integers take the smallest form that holds them
// (int8, int16, int32), so a binary form written by this converter survives the trip through
// text unchanged.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string_view>
#include <vector>

namespace formtext {

// Where "@file 'name'" inside a binary value looks for relative names: first BaseDir (the text
// form's own directory), then each of IncludeDirs in order. Absolute names are used as given.
struct SpliceDirs {
  std::filesystem::path BaseDir;
  std::vector<std::filesystem::path> IncludeDirs;
};

// Where an item of the binary form comes from: the offset of a component's class name or of a
// property's name in the binary form, and the line of the text it stands on. In offset order.
struct SourceLine {
  size_t offset = 0;
  size_t line = 0;
};

// The text line of the item that byte Offset of the binary form belongs to; 0 before the first.
size_t LineOfOffset(std::span<const SourceLine> Lines, size_t Offset);

// Converts a whole text form; Lines, when given, receives where each item came from. Throws
// FormTextError with line and column for bad syntax, values out of range, names or strings longer
// than 255 bytes, and files that cannot be spliced.
std::vector<uint8_t> TextFormToBinary(std::string_view text, const SpliceDirs& dirs = {},
                                      std::vector<SourceLine>* Lines = nullptr);

}  // namespace formtext
