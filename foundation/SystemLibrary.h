// A DLL of Windows, loaded at run time from the system directory by its full path.
//
// A library that the program imports, or loads by its bare name, is searched for beside the
// program first; a DLL of the same name planted there (in a download folder, say) would run with
// the user's rights. Loading by the full path of the system directory never looks anywhere else,
// and the library's own imports are then looked up in the system directory first as well
// (LOAD_WITH_ALTERED_SEARCH_PATH, available on every Windows version).
//
// The library stays loaded for the object's life; a library that cannot be loaded (no system
// directory, no such file) leaves the object empty, and every function looked up in it is null.
#pragma once

#include <string>

#include "platform/platform.h"

class TSystemLibrary {
 public:
  // FileName is a bare file name such as "wsock32.dll".
  explicit TSystemLibrary(const std::string& FileName);
  ~TSystemLibrary();
  TSystemLibrary(const TSystemLibrary&) = delete;
  TSystemLibrary& operator=(const TSystemLibrary&) = delete;

  bool Loaded() const { return handle_ != nullptr; }

  // The exported function Name as a pointer of type F; null when it or the library is missing.
  template <class F>
  F Function(const char* Name) const {
    const FARPROC found = handle_ != nullptr ? GetProcAddress(handle_, Name) : nullptr;
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(found));
  }

 private:
  HMODULE handle_;
};

// The full path of FileName in the system directory; empty when Windows gives no system directory
// (a bare name would be searched for beside the program).
std::string SystemLibraryPath(const std::string& FileName);
