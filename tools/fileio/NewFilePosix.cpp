#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <utility>

#include "tools/fileio/NewFile.h"

namespace wholefile {
namespace {

// Closes the descriptor when it goes out of scope.
class Descriptor {
 public:
  explicit Descriptor(int Fd) : fd_(Fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int Get() const { return fd_; }

 private:
  int fd_;
};

[[noreturn]] void Fail(const char* What, const std::string& Path) {
  throw std::runtime_error(std::string(What) + " " + Path + ": " + std::strerror(errno));
}

}  // namespace

std::unique_ptr<TNewFile> TNewFile::Create(const std::string& Path) {
  // O_EXCL: created here or not at all; it fails on any existing name, a link included, so
  // nothing is ever written through a link planted under this name.
  const int fd = ::open(Path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) {
    if (errno == EEXIST) return nullptr;
    Fail("cannot create", Path);
  }
  return std::unique_ptr<TNewFile>(new TNewFile(Path, fd));
}

TNewFile::~TNewFile() {
  if (handle_ >= 0) ::close(static_cast<int>(handle_));
}

void TNewFile::Write(std::span<const uint8_t> Data) {
  size_t done = 0;
  while (done < Data.size()) {
    const ssize_t n = ::write(static_cast<int>(handle_), Data.data() + done, Data.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) Fail("cannot write", path_);
    done += static_cast<size_t>(n);
  }
}

void TNewFile::WriteAt(uint64_t Offset, std::span<const uint8_t> Data) {
  size_t done = 0;
  while (done < Data.size()) {
    const ssize_t n = ::pwrite(static_cast<int>(handle_), Data.data() + done, Data.size() - done,
                               static_cast<off_t>(Offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) Fail("cannot write", path_);
    done += static_cast<size_t>(n);
  }
}

void TNewFile::Finish() {
  if (::fsync(static_cast<int>(handle_)) != 0) Fail("cannot flush", path_);
  if (::close(static_cast<int>(std::exchange(handle_, -1))) != 0) Fail("cannot close", path_);
}

void RenameOver(const std::string& From, const std::string& To) {
  if (std::rename(From.c_str(), To.c_str()) != 0) Fail("cannot rename the output to", To);
  // The new directory entry is on the disk too once the directory is flushed; where a system
  // cannot flush a directory, the rename has still happened.
  std::string folder = std::filesystem::path(To).parent_path().string();
  if (folder.empty()) folder = ".";
  Descriptor directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (directory.Get() >= 0) ::fsync(directory.Get());
}

uint32_t ProcessNumber() {
  return static_cast<uint32_t>(::getpid());
}

}  // namespace wholefile
