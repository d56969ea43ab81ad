#include "platform/host/WindowsPath.h"

namespace standin::detail {
namespace {

bool IsSeparator(char c) {
  return c == '\\' || c == '/';
}

bool IsLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

char Upper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool ValidNameChar(char c, bool allowWildcards) {
  unsigned char u = static_cast<unsigned char>(c);
  if (u < 32) return false;
  switch (c) {
    case '<':
    case '>':
    case ':':
    case '"':
    case '|':
      return false;
    case '*':
    case '?':
      return allowWildcards;
    default:
      return true;
  }
}

// Appends the parts of `text` to `out`, resolving "." and ".." (never above the root).
void AddParts(std::string_view text, std::vector<std::string>& out) {
  while (!text.empty()) {
    size_t cut = 0;
    while (cut < text.size() && !IsSeparator(text[cut])) ++cut;
    std::string_view part = text.substr(0, cut);
    if (part == "..") {
      if (!out.empty()) out.pop_back();
    } else if (!part.empty() && part != ".") {
      out.emplace_back(part);
    }
    text = cut < text.size() ? text.substr(cut + 1) : std::string_view();
  }
}

}  // namespace

bool HasWildcard(std::string_view name) {
  return name.find_first_of("*?") != std::string_view::npos;
}

std::string WindowsPath::Text() const {
  std::string text{drive, ':'};
  if (parts.empty()) return text + "\\";
  for (const auto& part : parts) text += "\\" + part;
  return text;
}

WindowsPath WindowsPath::Parent() const {
  WindowsPath parent = *this;
  if (!parent.parts.empty()) parent.parts.pop_back();
  return parent;
}

LONG ParseWindowsPath(std::string_view path, std::string_view currentDir, bool allowWildcards,
                      WindowsPath& out) {
  out = WindowsPath{};
  if (path.empty()) return ERROR_PATH_NOT_FOUND;
  if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) return ERROR_BAD_NETPATH;
  if (path.size() >= 2 && IsLetter(path[0]) && path[1] == ':') {
    out.drive = Upper(path[0]);
    // "C:name" is relative to the drive's own current directory, which is only tracked for the
    // current drive; elsewhere it is taken from the drive's root.
    std::string_view rest = path.substr(2);
    if ((rest.empty() || !IsSeparator(rest[0])) && currentDir.size() >= 2 &&
        Upper(currentDir[0]) == out.drive) {
      AddParts(currentDir.substr(2), out.parts);
    }
    AddParts(rest, out.parts);
  } else if (IsSeparator(path[0])) {
    if (currentDir.size() < 2) return ERROR_PATH_NOT_FOUND;
    out.drive = Upper(currentDir[0]);
    AddParts(path, out.parts);
  } else {
    if (currentDir.size() < 2 || !IsLetter(currentDir[0])) return ERROR_PATH_NOT_FOUND;
    out.drive = Upper(currentDir[0]);
    AddParts(currentDir.substr(2), out.parts);
    AddParts(path, out.parts);
  }
  for (size_t i = 0; i < out.parts.size(); ++i) {
    bool last = i + 1 == out.parts.size();
    for (char c : out.parts[i])
      if (!ValidNameChar(c, allowWildcards && last)) return ERROR_INVALID_NAME;
  }
  return ERROR_SUCCESS;
}

}  // namespace standin::detail
