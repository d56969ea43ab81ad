#pragma once
// Helpers shared by the contract tests: error codes as the DWORD that GetLastError returns, and
// removal of the scratch key and folder with nothing but the calls under test.

#include <string>
#include <vector>

#include "platform/platform.h"

namespace contract {

inline constexpr const char* kScratchKey = "Software\\AcContractTest";
inline constexpr const char* kScratchFolderName = "AcContractTest";

inline DWORD Code(LONG error) {
  return static_cast<DWORD>(error);
}

// Deletes `path` below `root` with all its subkeys; a missing key is fine.
inline void DeleteKeyTree(HKEY root, const std::string& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  std::vector<std::string> children;
  char name[256];
  for (DWORD i = 0;; ++i) {
    DWORD chars = sizeof name;
    if (RegEnumKeyExA(key, i, name, &chars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    children.emplace_back(name, chars);
  }
  RegCloseKey(key);
  for (const auto& child : children) DeleteKeyTree(root, path + "\\" + child);
  RegDeleteKeyA(root, path.c_str());
}

// Deletes a folder with everything in it; a missing folder is fine.
inline void DeleteFolderTree(const std::string& folder) {
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::string name = data.cFileName;
      if (name == "." || name == "..") continue;
      std::string path = folder + "\\" + name;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        DeleteFolderTree(path);
      } else {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
      }
    } while (FindNextFileA(find, &data));
    FindClose(find);
  }
  RemoveDirectoryA(folder.c_str());
}

inline std::string TempPath() {
  char buffer[MAX_PATH + 1];
  DWORD length = GetTempPathA(sizeof buffer, buffer);
  return length > 0 && length < sizeof buffer ? std::string(buffer, length) : std::string();
}

}  // namespace contract
