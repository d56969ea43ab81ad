#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <utility>

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

HANDLE AsHandle(intptr_t H) {
  return reinterpret_cast<HANDLE>(H);
}

// WriteFile takes a 32-bit count: at most 1 GiB at a time. At is the offset to write at, or
// null to write at the file's position.
void WriteAll(HANDLE File, std::span<const uint8_t> Data, const uint64_t* At,
              const std::string& Path) {
  size_t done = 0;
  while (done < Data.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(Data.size() - done, 1u << 30));
    OVERLAPPED where{};
    if (At) {
      const uint64_t offset = *At + done;
      where.Offset = static_cast<DWORD>(offset);
      where.OffsetHigh = static_cast<DWORD>(offset >> 32);
    }
    DWORD written = 0;
    if (!WriteFile(File, Data.data() + done, chunk, &written, At ? &where : nullptr) ||
        written == 0)
      Fail("cannot write", Path);
    done += written;
  }
}

}  // namespace

std::unique_ptr<TNewFile> TNewFile::Create(const std::string& Path) {
  // CREATE_NEW: created here or not at all; it fails on any existing name, a link included.
  const HANDLE file = CreateFileW(Wide(Path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) return nullptr;
    Fail("cannot create", Path);
  }
  return std::unique_ptr<TNewFile>(new TNewFile(Path, reinterpret_cast<intptr_t>(file)));
}

TNewFile::~TNewFile() {
  if (handle_ != -1) CloseHandle(AsHandle(handle_));
}

void TNewFile::Write(std::span<const uint8_t> Data) {
  WriteAll(AsHandle(handle_), Data, nullptr, path_);
}

void TNewFile::WriteAt(uint64_t Offset, std::span<const uint8_t> Data) {
  WriteAll(AsHandle(handle_), Data, &Offset, path_);
}

void TNewFile::Finish() {
  if (!FlushFileBuffers(AsHandle(handle_))) Fail("cannot flush", path_);
  if (!CloseHandle(AsHandle(std::exchange(handle_, -1)))) Fail("cannot close", path_);
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
