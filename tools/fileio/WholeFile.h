// Whole-file reading and writing for the command-line tools (formconv, sfpack): a file in one
// piece, and an output that is either complete or not written at all.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// The file's bytes; std::runtime_error naming the path when it cannot be opened or read.
std::vector<uint8_t> ReadWholeFile(const std::string& Path);

// Writes Data to Path, replacing what was there; std::runtime_error when the write fails.
void WriteWholeFile(const std::string& Path, std::span<const uint8_t> Data);

// Writes Data to Path + TemporarySuffix beside it and renames that to Path once it is complete,
// so Path is either left as it was or holds all of Data, and the temporary file does not outlive
// a failure. A Path that exists and is no regular file (a link, a device, a pipe such as
// /dev/stdout) is written through instead: renaming over it would replace the link or the device
// node itself. std::runtime_error naming Path when something fails.
void ReplaceFileWhole(const std::string& Path, std::span<const uint8_t> Data,
                      const std::string& TemporarySuffix);

// Whether the two paths name the same file: the same file on disk, or, for a file that does not
// exist yet, the same path once resolved.
bool SameFile(const std::string& A, const std::string& B);
