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

// Writes Data to a new file beside Path and renames it to Path once it is complete and flushed
// to the disk, so Path is either left as it was or holds all of Data. The new file is named
// Path + "." + the process id + "." + a number + TemporarySuffix, and is created only where that
// name is free (O_EXCL, CREATE_NEW): a file or link left there by another run is never written
// into, and two runs never share one. A failure removes the new file. A link named by Path is
// replaced by the file (its target stays as it was); a Path that exists as a device or a pipe
// (/dev/null, /dev/stdout) is written through instead, since renaming over it would replace the
// device node itself. std::runtime_error naming Path when something fails.
void ReplaceFileWhole(const std::string& Path, std::span<const uint8_t> Data,
                      const std::string& TemporarySuffix);

// Whether the two paths name the same file: the same file on disk, or, for a file that does not
// exist yet, the same path once resolved.
bool SameFile(const std::string& A, const std::string& B);
