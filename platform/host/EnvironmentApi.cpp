// Directory, environment and program-file queries of kernel32 over the simulated environment.

#include <cstring>

#include "platform/host/CodePage.h"
#include "platform/host/Machine.h"
#include "platform/host/Win32StandIn.h"

using standin::detail::CopyOut;
using standin::detail::CopyOutWide;
using standin::detail::TheMachine;
using standin::detail::WindowsPath;

namespace {

// The full form of a directory taken from the environment, as Windows makes it before handing it
// out; a text that is no usable path stays as it is.
std::string FullDirectory(const std::string& text) {
  WindowsPath full;
  if (standin::detail::ParseWindowsPath(text, TheMachine().environment.currentDir, false, full) !=
      ERROR_SUCCESS)
    return text;
  return full.Text();
}

template <typename Text>
Text WithBackslash(Text text) {
  if (text.empty() || text.back() != '\\') text += '\\';
  return text;
}

// What GetTempPath reports, in both forms.
struct TempPathText {
  std::string ansi;
  std::u16string wide;
};

// The first non-empty one of TMP, TEMP and USERPROFILE, else the Windows directory, made full
// and ending in one backslash. A value given in UTF-16 is taken as written: its ANSI form, with '?'
// in it, is no path to make full. A value or result of MAX_PATH characters or more is refused
// (nullopt, ERROR_FILENAME_EXCED_RANGE) rather than cut, also by the wide call.
std::optional<TempPathText> TempPath() {
  const auto& env = TheMachine().environment;
  for (const char* name : {"TMP", "TEMP", "USERPROFILE"}) {
    const std::optional<std::string> value = env.Get(name);
    if (!value || value->empty()) continue;
    if (value->size() >= MAX_PATH) return std::nullopt;
    TempPathText text;
    if (env.HasWide(name)) {
      text.wide = WithBackslash(*env.GetWide(name));
      text.ansi = standin::detail::NarrowLossy(text.wide);
    } else {
      text.ansi = WithBackslash(FullDirectory(*value));
      text.wide = standin::detail::Widen(text.ansi);
    }
    if (text.ansi.size() >= MAX_PATH) return std::nullopt;
    return text;
  }
  const std::string windows = WithBackslash(FullDirectory(env.windowsDir));
  return TempPathText{windows, standin::detail::Widen(windows)};
}

}  // namespace

DWORD WINAPI GetTempPathA(DWORD bufferChars, LPSTR buffer) {
  const std::optional<TempPathText> path = TempPath();
  if (!path) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return 0;
  }
  return CopyOut(path->ansi, buffer, bufferChars);
}

DWORD WINAPI GetTempPathW(DWORD bufferChars, LPWSTR buffer) {
  if (standin::detail::WideCallsAreStubs()) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return 0;
  }
  const std::optional<TempPathText> path = TempPath();
  if (!path) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return 0;
  }
  return CopyOutWide(path->wide, buffer, bufferChars);
}

UINT WINAPI GetSystemDirectoryA(LPSTR buffer, UINT bufferChars) {
  return CopyOut(TheMachine().environment.systemDir, buffer, bufferChars);
}

UINT WINAPI GetWindowsDirectoryA(LPSTR buffer, UINT bufferChars) {
  return CopyOut(TheMachine().environment.windowsDir, buffer, bufferChars);
}

DWORD WINAPI GetCurrentDirectoryA(DWORD bufferChars, LPSTR buffer) {
  return CopyOut(TheMachine().environment.currentDir, buffer, bufferChars);
}

BOOL WINAPI SetCurrentDirectoryA(LPCSTR pathName) {
  DWORD attributes = GetFileAttributesA(pathName);
  if (attributes == INVALID_FILE_ATTRIBUTES) return FALSE;
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    SetLastError(ERROR_DIRECTORY);
    return FALSE;
  }
  WindowsPath full;
  standin::detail::ParseWindowsPath(pathName, TheMachine().environment.currentDir, false, full);
  TheMachine().environment.currentDir = full.Text();
  return TRUE;
}

DWORD WINAPI GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD bufferChars) {
  if (module != nullptr) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return 0;
  }
  const std::string& name = TheMachine().environment.moduleFileName;
  if (buffer == nullptr || bufferChars == 0) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  if (name.size() + 1 > bufferChars) {
    // Truncated to the buffer without a terminating zero, as Wine does; the result is the
    // buffer's size.
    std::memcpy(buffer, name.data(), bufferChars);
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return bufferChars;
  }
  std::memcpy(buffer, name.c_str(), name.size() + 1);
  return static_cast<DWORD>(name.size());
}

DWORD WINAPI GetEnvironmentVariableA(LPCSTR name, LPSTR buffer, DWORD bufferChars) {
  auto value = name ? TheMachine().environment.Get(name) : std::nullopt;
  if (!value) {
    SetLastError(ERROR_ENVVAR_NOT_FOUND);
    return 0;
  }
  if (value->empty()) {
    // Zero characters, as for a missing variable, but the last error is left alone.
    if (buffer && bufferChars) buffer[0] = '\0';
    return 0;
  }
  return CopyOut(*value, buffer, bufferChars);
}

DWORD WINAPI GetEnvironmentVariableW(LPCWSTR name, LPWSTR buffer, DWORD bufferChars) {
  if (standin::detail::WideCallsAreStubs()) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return 0;
  }
  const auto value =
      name ? TheMachine().environment.GetWide(standin::detail::NarrowLossy(name)) : std::nullopt;
  if (!value) {
    SetLastError(ERROR_ENVVAR_NOT_FOUND);
    return 0;
  }
  if (value->empty()) {
    if (buffer && bufferChars) buffer[0] = 0;
    return 0;
  }
  return CopyOutWide(*value, buffer, bufferChars);
}

BOOL WINAPI SetEnvironmentVariableA(LPCSTR name, LPCSTR value) {
  if (name == nullptr || *name == '\0' || std::strchr(name, '=') != nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  auto& env = TheMachine().environment;
  if (value == nullptr) {
    env.Set(name, std::nullopt);
  } else {
    env.Set(name, std::string_view(value));
  }
  return TRUE;
}

DWORD WINAPI ExpandEnvironmentStringsA(LPCSTR source, LPSTR buffer, DWORD bufferChars) {
  if (source == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::string text = TheMachine().environment.Expand(source);
  DWORD needed = static_cast<DWORD>(text.size() + 1);
  if (buffer != nullptr && bufferChars >= needed) std::memcpy(buffer, text.c_str(), needed);
  return needed;
}
