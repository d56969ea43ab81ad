#include "platform/host/Machine.h"

namespace standin::detail {

Machine::~Machine() {
  files.Clear();
  if (!scratch.empty()) {
    std::error_code ec;
    std::filesystem::remove_all(scratch, ec);
  }
}

Machine& TheMachine() {
  static Machine machine;
  return machine;
}

bool WideCallsAreStubs() {
  return TheMachine().system.version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

LONG ResolvePath(const char* windowsPath, bool allowWildcards, WindowsPath& full,
                 std::filesystem::path& host) {
  if (windowsPath == nullptr) return ERROR_PATH_NOT_FOUND;
  Machine& m = TheMachine();
  if (LONG rc = ParseWindowsPath(windowsPath, m.environment.currentDir, allowWildcards, full);
      rc != ERROR_SUCCESS)
    return rc;
  return m.drives.ToHost(full, host);
}

}  // namespace standin::detail
