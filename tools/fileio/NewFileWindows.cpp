#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "platform/platform.h"
#include "tools/fileio/NewFile.h"

namespace wholefile {
namespace {

[[noreturn]] void Fail(const char* What, const std::string& Path) {
  throw std::runtime_error(std::string(What) + " " + Path + " (error " +
                           std::to_string(GetLastError()) + ")");
}

// Paths go to the system as UTF-16, converted as std::filesystem converts them for its own calls.
std::wstring Wide(const std::string& Path) {
  return std::filesystem::path(Path).wstring();
}

// Closes the handle when it goes out of scope, unless Close did so first.
class Handle {
 public:
  explicit Handle(HANDLE H) : handle_(H) {}
  ~Handle() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE Get() const { return handle_; }
  bool Close() {
    const HANDLE h = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    return CloseHandle(h) != 0;
  }

 private:
  HANDLE handle_;
};

}  // namespace

bool WriteNewFile(const std::string& Path, std::span<const uint8_t> Data) {
  // CREATE_NEW: created here or not at all; it fails on any existing name, a link included.
  Handle file(CreateFileW(Wide(Path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.Get() == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) return false;
    Fail("cannot create", Path);
  }
  size_t done = 0;
  while (done < Data.size()) {
    // WriteFile takes a 32-bit count: at most 1 GiB at a time.
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(Data.size() - done, 1u << 30));
    DWORD written = 0;
    if (!WriteFile(file.Get(), Data.data() + done, chunk, &written, nullptr) || written == 0)
      Fail("cannot write", Path);
    done += written;
  }
  if (!FlushFileBuffers(file.Get())) Fail("cannot flush", Path);
  if (!file.Close()) Fail("cannot close", Path);
  return true;
}

void RenameOver(const std::string& From, const std::string& To) {
  // MOVEFILE_WRITE_THROUGH: the call returns once the rename is on the disk.
  if (!MoveFileExW(Wide(From).c_str(), Wide(To).c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    Fail("cannot rename the output to", To);
}

uint32_t ProcessNumber() {
  return GetCurrentProcessId();
}

}  // namespace wholefile
