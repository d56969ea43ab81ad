// Whole-file reading and writing for the command-line tools (formconv, sfpack): a file in one
// piece, and an output that is either complete or not written at all.
//
// Files are read and written through C stdio and the system's own calls, never through the C++
// file streams: sfpack.exe is compiled against one C++ runtime's headers and linked with another
// whose std::basic_filebuf is larger (see runtime/CMakeLists.txt); its link fails if code of ours
// in it constructs a std::ifstream, std::ofstream or std::fstream.
#pragma once

#include <cstdint>
#include <cstdio>
#include <exception>
#include <memory>
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

namespace wholefile {
class TNewFile;
// A C stdio file, closed when it goes.
using TCFile = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;
}  // namespace wholefile

// The streaming form of ReplaceFileWhole: the bytes go into the same new file beside Path as they
// come (Write in order; WriteAt over bytes already written, for headers known only at the end),
// and Commit flushes it and renames it to Path. Destroyed without Commit, after a failure of its
// own or of whatever produces the bytes, it removes the new file and Path stays as it was. A
// device or a pipe at Path is written through, in order only (Seekable is false). The new file is
// created by the constructor. std::runtime_error naming Path when something fails.
class TFileReplacement {
 public:
  TFileReplacement(const std::string& Path, const std::string& TemporarySuffix);
  ~TFileReplacement();
  TFileReplacement(const TFileReplacement&) = delete;
  TFileReplacement& operator=(const TFileReplacement&) = delete;

  bool Seekable() const { return file_ != nullptr; }
  void Write(std::span<const uint8_t> Data);
  void WriteAt(uint64_t Offset, std::span<const uint8_t> Data);
  void Commit();

 private:
  [[noreturn]] void Fail(const std::exception& Reason);

  std::string path_;
  std::string temporary_;  // the new file's name while it exists
  std::unique_ptr<wholefile::TNewFile> file_;
  wholefile::TCFile device_{nullptr, &std::fclose};
};

// A file read in parts from its start: its size, taken when it is opened, then its bytes.
// std::runtime_error naming the path when it cannot be opened, its size cannot be taken (a pipe),
// or a read fails.
class TFileReader {
 public:
  explicit TFileReader(const std::string& Path);
  uint64_t Size() const { return size_; }
  // Up to Count bytes into Into; fewer only at the end of the file.
  size_t Read(uint8_t* Into, size_t Count);
  // Back to the first byte.
  void Rewind();

 private:
  std::string path_;
  wholefile::TCFile in_;
  uint64_t size_ = 0;
};

// Whether the two paths name the same file: the same file on disk, or, for a file that does not
// exist yet, the same path once resolved.
bool SameFile(const std::string& A, const std::string& B);
