// Whole-file reading and writing for the pack tool, with the checks its commands share.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace sfpack {

// The file's bytes; std::runtime_error naming the path when it cannot be opened or read.
std::vector<uint8_t> ReadWholeFile(const std::string& Path);

// Writes Data to Path, replacing what was there; std::runtime_error when the write fails.
void WriteWholeFile(const std::string& Path, std::span<const uint8_t> Data);

// Writes Data to a temporary file beside Path and renames it to Path once it is complete, so
// Path is either left as it was or holds all of Data; the temporary file does not outlive a
// failure. std::runtime_error naming Path when something fails.
void WriteFileWhole(const std::string& Path, std::span<const uint8_t> Data);

// Whether the two paths name the same file: the same file on disk, or, for a file that does not
// exist yet, the same path once resolved.
bool SameFile(const std::string& A, const std::string& B);

}  // namespace sfpack
