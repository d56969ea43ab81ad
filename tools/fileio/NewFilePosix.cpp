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

[[noreturn]] void Fail(const char* What, const std::string& Path) {
  throw std::runtime_error(std::string(What) + " " + Path + ": " + std::strerror(errno));
}

// Closes the descriptor when it goes out of scope, unless Close did so first.
class Descriptor {
 public:
  explicit Descriptor(int Fd) : fd_(Fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int Get() const { return fd_; }
  int Close() { return ::close(std::exchange(fd_, -1)); }

 private:
  int fd_;
};

}  // namespace

bool WriteNewFile(const std::string& Path, std::span<const uint8_t> Data) {
  // O_EXCL: created here or not at all; it fails on any existing name, a link included, so
  // nothing is ever written through a link planted under this name.
  Descriptor file(::open(Path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
  if (file.Get() < 0) {
    if (errno == EEXIST) return false;
    Fail("cannot create", Path);
  }
  size_t done = 0;
  while (done < Data.size()) {
    const ssize_t n = ::write(file.Get(), Data.data() + done, Data.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) Fail("cannot write", Path);
    done += static_cast<size_t>(n);
  }
  if (::fsync(file.Get()) != 0) Fail("cannot flush", Path);
  if (file.Close() != 0) Fail("cannot close", Path);
  return true;
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
