#include "foundation/SystemLibrary.h"

#include "foundation/acUtils.h"

std::string SystemLibraryPath(const std::string& FileName) {
  // GetSystemDir gives a lone backslash when the system names no directory: that would be the
  // root of the current drive, not the system's folder.
  const std::string dir = GetSystemDir();
  return dir.size() > 1 ? dir + FileName : std::string();
}

TSystemLibrary::TSystemLibrary(const std::string& FileName) : handle_(nullptr) {
  const std::string path = SystemLibraryPath(FileName);
  if (!path.empty()) handle_ = LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

TSystemLibrary::~TSystemLibrary() {
  if (handle_ != nullptr) FreeLibrary(handle_);
}
