// The operating system's part of the output writing in WholeFile.cpp: one source for POSIX
// systems (NewFilePosix.cpp) and one for Windows (NewFileWindows.cpp); the build picks one.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace wholefile {

// A file this process created, open for writing: bytes in order (Write), and bytes over ones
// already written (WriteAt, for headers known only at the end; after it only WriteAt and Finish).
// Finish flushes it to the disk and closes it; the destructor closes it if Finish did not.
// std::runtime_error naming the path on any failure.
class TNewFile {
 public:
  // Creates Path, which must not exist in any form (a file, a directory, a link, also one that
  // points nowhere). Returns null, having created nothing, when Path exists; std::runtime_error on
  // any other failure.
  static std::unique_ptr<TNewFile> Create(const std::string& Path);
  ~TNewFile();
  TNewFile(const TNewFile&) = delete;
  TNewFile& operator=(const TNewFile&) = delete;

  void Write(std::span<const uint8_t> Data);
  void WriteAt(uint64_t Offset, std::span<const uint8_t> Data);
  void Finish();

 private:
  TNewFile(const std::string& Path, intptr_t Handle) : path_(Path), handle_(Handle) {}
  std::string path_;
  intptr_t handle_;  // the descriptor, or the HANDLE; -1 once closed
};

// Renames From over To in one step: a file or a link named To is replaced, never written
// through. std::runtime_error when the rename fails; To is then as it was.
void RenameOver(const std::string& From, const std::string& To);

// This process's id: no other process running now has it.
uint32_t ProcessNumber();

}  // namespace wholefile
