// The operating system's part of ReplaceFileWhole (WholeFile.cpp): one source for POSIX systems
// (NewFilePosix.cpp) and one for Windows (NewFileWindows.cpp); the build picks one.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace wholefile {

// Creates Path, which must not exist in any form (a file, a directory, a link, also one that
// points nowhere), writes Data into it and flushes it to the disk before closing it. Returns
// false, having created nothing, when Path exists. std::runtime_error on any other failure; the
// file may then exist, created by this call, and the caller removes it.
bool WriteNewFile(const std::string& Path, std::span<const uint8_t> Data);

// Renames From over To in one step: a file or a link named To is replaced, never written
// through. std::runtime_error when the rename fails; To is then as it was.
void RenameOver(const std::string& From, const std::string& To);

// This process's id: no other process running now has it.
uint32_t ProcessNumber();

}  // namespace wholefile
