// Readable text form -> binary "TPF0" form. Integers take the smallest form that holds them
// (int8, int16, int32), so a binary form written by this converter survives the trip through
// text unchanged.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string_view>
#include <vector>

namespace formtext {

// Where "@file 'name'" inside a binary value looks for relative names: first BaseDir (the text
// form's own directory), then each of IncludeDirs in order. Absolute names are used as given.
struct SpliceDirs {
  std::filesystem::path BaseDir;
  std::vector<std::filesystem::path> IncludeDirs;
};

// Converts a whole text form. Throws FormTextError with line and column for bad syntax, values
// out of range, names or strings longer than 255 bytes, and files that cannot be spliced.
std::vector<uint8_t> TextFormToBinary(std::string_view text, const SpliceDirs& dirs = {});

}  // namespace formtext
