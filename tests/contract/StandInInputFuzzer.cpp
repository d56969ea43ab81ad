// Feeds arbitrary text to the stand-in's path, pattern, environment and registry-path handling:
// whatever a caller passes, the answer is a value or an error code, never a crash or an
// out-of-bounds access.

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/host/StandIn.h"
#include "platform/platform.h"

namespace {

void Prepare() {
  static bool ready = false;
  if (ready) return;
  standin::Reset();
  standin::WriteHostFile("C:\\TEMP\\file.txt", "abc");
  standin::SetRegString(HKEY_CURRENT_USER, "Software\\Fuzz\\Key", "Value", "text");
  ready = true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Prepare();
  if (size == 0) return 0;
  const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  const char* arg = text.c_str();
  switch (data[0] % 6) {
    case 0:
      standin::HostPath(text);
      GetFileAttributesA(arg);
      break;
    case 1: {
      WIN32_FIND_DATAA found;
      HANDLE find = FindFirstFileA(arg, &found);
      if (find != INVALID_HANDLE_VALUE) {
        while (FindNextFileA(find, &found)) {
        }
        FindClose(find);
      }
      break;
    }
    case 2: {
      char small[8];
      char large[512];
      ExpandEnvironmentStringsA(arg, small, sizeof small);
      ExpandEnvironmentStringsA(arg, large, sizeof large);
      GetEnvironmentVariableA(arg, small, sizeof small);
      break;
    }
    case 3: {
      HKEY key = nullptr;
      if (RegOpenKeyExA(HKEY_CURRENT_USER, arg, 0, KEY_READ, &key) == ERROR_SUCCESS) {
        DWORD bytes = 0;
        RegQueryValueExA(key, "Value", nullptr, nullptr, nullptr, &bytes);
        RegCloseKey(key);
      }
      break;
    }
    case 4: {
      HANDLE file = CreateFileA(arg, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
      if (file != INVALID_HANDLE_VALUE) {
        char buffer[16];
        DWORD read = 0;
        ReadFile(file, buffer, sizeof buffer, &read, nullptr);
        CloseHandle(file);
      }
      break;
    }
    default: {
      char buffer[MAX_PATH];
      SetEnvironmentVariableA("TMP", arg);
      GetTempPathA(sizeof buffer, buffer);
      SetEnvironmentVariableA("TMP", standin::kTempDir);
      break;
    }
  }
  return 0;
}
