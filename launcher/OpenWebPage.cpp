#include "launcher/OpenWebPage.h"

#include <algorithm>
#include <vector>

#include "launcher/ShellOpen.h"
#include "platform/platform.h"

namespace {

// Written as an absolute path; the registry wants it relative to the root, so the leading
// backslash is dropped before opening.
constexpr char kHtmlOpenCommandKey[] = "\\htmlfile\\shell\\open\\command";
constexpr char kQuote = '"';

std::string WithoutLeadingBackslash(const std::string& path) {
  if (!path.empty() && path.front() == '\\') return path.substr(1);
  return path;
}

// The key's default value as text, cut at its first NUL. Empty when the value is missing, empty,
// unreadable or of a type other than REG_SZ / REG_EXPAND_SZ. An expandable string is taken as it
// stands: the browser path is used exactly as registered.
std::string ReadDefaultString(HKEY key) {
  DWORD type = REG_NONE;
  DWORD size = 0;
  if (RegQueryValueExA(key, "", nullptr, &type, nullptr, &size) != ERROR_SUCCESS || size == 0) {
    return {};
  }
  std::vector<char> data(size);
  DWORD read = size;
  if (RegQueryValueExA(key, "", nullptr, &type, reinterpret_cast<LPBYTE>(data.data()), &read) !=
      ERROR_SUCCESS) {
    return {};
  }
  if (type != REG_SZ && type != REG_EXPAND_SZ) return {};
  const auto end = data.begin() + std::min<DWORD>(read, size);
  return std::string(data.begin(), std::find(data.begin(), end, '\0'));
}

// The registered "open" command for HTML files, or empty. Full access is asked for on purpose: a
// registration that the user may not change is not used. The key is always closed again.
std::string ReadHtmlOpenCommand() {
  HKEY key = nullptr;
  const std::string subkey = WithoutLeadingBackslash(kHtmlOpenCommandKey);
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, subkey.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) {
    return {};
  }
  std::string command = ReadDefaultString(key);
  RegCloseKey(key);
  return command;
}

// The text between the first and the second double quote; empty when the command holds fewer
// than two. Switches and document placeholders behind the program path are dropped.
std::string ProgramPathOf(const std::string& command) {
  const auto first = command.find(kQuote);
  const std::string rest = first == std::string::npos ? command : command.substr(first + 1);
  const auto second = rest.find(kQuote);
  if (second == std::string::npos) return {};
  return rest.substr(0, second);
}

}  // namespace

void OpenWebPage(const std::string& url) {
  const std::string command = ReadHtmlOpenCommand();
  if (command.empty()) return;
  // Called even when no program path could be cut out: the shell then fails, silently.
  const std::string program = ProgramPathOf(command);
  ShellOpen(nullptr, program.c_str(), url.c_str());
}
