// Profile ("ini") files on the simulated drives: reading and writing one key of a named section,
// listing a section's keys or the file's sections, deleting a key or a section. Section and key
// names compare without regard to case; values are read with surrounding blanks and one pair of
// enclosing quotes removed. Files are written with CR LF line ends.

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "platform/host/Machine.h"
#include "platform/host/NameCompare.h"
#include "platform/host/Win32StandIn.h"

using standin::detail::TheMachine;

namespace {

std::string TrimBlanks(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return "";
  const size_t last = text.find_last_not_of(" \t");
  return std::string(text.substr(first, last - first + 1));
}

// A name without a path is looked up in the Windows directory.
std::string ProfilePath(const char* fileName) {
  const std::string name = fileName;
  if (name.find_first_of("\\/:") != std::string::npos) return name;
  return TheMachine().environment.windowsDir + "\\" + name;
}

// The lines of the file, without their line ends; false when it cannot be read.
bool ReadLines(const std::filesystem::path& host, std::vector<std::string>& lines) {
  std::ifstream in(host, std::ios::binary);
  if (!in) return false;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return true;
}

bool WriteLines(const std::filesystem::path& host, const std::vector<std::string>& lines) {
  std::ofstream out(host, std::ios::binary | std::ios::trunc);
  for (const auto& line : lines) out << line << "\r\n";
  return static_cast<bool>(out);
}

// The name of a "[name]" line, or false for any other line.
bool SectionName(const std::string& line, std::string& name) {
  const std::string trimmed = TrimBlanks(line);
  if (trimmed.empty() || trimmed.front() != '[') return false;
  const size_t close = trimmed.find(']');
  name = TrimBlanks(trimmed.substr(1, close == std::string::npos ? std::string::npos : close - 1));
  return true;
}

// Key and value of a "key=value" line; false for a line without "=".
bool KeyLine(const std::string& line, std::string& key, std::string& value) {
  const size_t equals = line.find('=');
  if (equals == std::string::npos) return false;
  key = TrimBlanks(std::string_view(line).substr(0, equals));
  value = TrimBlanks(std::string_view(line).substr(equals + 1));
  return true;
}

// The lines [first, end) of a section's body; first == lines.size() when it is missing.
struct Body {
  size_t header;
  size_t first;
  size_t end;
};
Body FindSection(const std::vector<std::string>& lines, const std::string& section) {
  std::string name;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (!SectionName(lines[i], name) || !standin::detail::SameName(name, section)) continue;
    size_t end = i + 1;
    while (end < lines.size() && !SectionName(lines[end], name)) ++end;
    return {i, i + 1, end};
  }
  return {lines.size(), lines.size(), lines.size()};
}

// The line of a key in a section body; body.end when missing.
size_t FindKey(const std::vector<std::string>& lines, const Body& body, const std::string& key) {
  std::string name, value;
  for (size_t i = body.first; i < body.end; ++i)
    if (KeyLine(lines[i], name, value) && standin::detail::SameName(name, key)) return i;
  return body.end;
}

std::string Unquoted(const std::string& value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front())
    return value.substr(1, value.size() - 2);
  return value;
}

// Copies one text, cut to fit with its zero; the result is the count copied.
DWORD CopyCut(const std::string& text, LPSTR buffer, DWORD chars) {
  const DWORD count = std::min<DWORD>(static_cast<DWORD>(text.size()), chars - 1);
  std::memcpy(buffer, text.data(), count);
  buffer[count] = '\0';
  return count;
}

// Copies names, each ending with a zero, and one more zero at the end. When they do not fit, the
// list is cut and still ends with two zeros; the result is then chars - 2.
DWORD CopyList(const std::vector<std::string>& names, LPSTR buffer, DWORD chars) {
  std::string list;
  for (const auto& name : names) list += name + '\0';
  if (list.size() + 1 <= chars) {
    std::memcpy(buffer, list.data(), list.size());
    buffer[list.size()] = '\0';
    return static_cast<DWORD>(list.size());
  }
  if (chars < 2) {
    buffer[0] = '\0';
    return 0;
  }
  std::memcpy(buffer, list.data(), chars - 2);
  buffer[chars - 2] = buffer[chars - 1] = '\0';
  return chars - 2;
}

}  // namespace

DWORD WINAPI GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultText, LPSTR buffer,
                                      DWORD bufferChars, LPCSTR fileName) {
  if (buffer == nullptr || bufferChars == 0 || fileName == nullptr) return 0;
  std::vector<std::string> lines;
  standin::detail::WindowsPath full;
  std::filesystem::path host;
  const std::string path = ProfilePath(fileName);
  if (standin::detail::ResolvePath(path.c_str(), false, full, host) != ERROR_SUCCESS ||
      !ReadLines(host, lines))
    SetLastError(ERROR_FILE_NOT_FOUND);
  std::string name, value;
  if (section == nullptr) {
    std::vector<std::string> sections;
    for (const auto& line : lines)
      if (SectionName(line, name)) sections.push_back(name);
    return CopyList(sections, buffer, bufferChars);
  }
  const Body body = FindSection(lines, section);
  if (key == nullptr) {
    std::vector<std::string> keys;
    for (size_t i = body.first; i < body.end; ++i)
      if (KeyLine(lines[i], name, value)) keys.push_back(name);
    return CopyList(keys, buffer, bufferChars);
  }
  const size_t at = FindKey(lines, body, key);
  if (at < body.end && KeyLine(lines[at], name, value))
    return CopyCut(Unquoted(value), buffer, bufferChars);
  // The default loses its trailing blanks.
  std::string fallback = defaultText ? defaultText : "";
  fallback.erase(fallback.find_last_not_of(' ') + 1);
  return CopyCut(fallback, buffer, bufferChars);
}

// A null key removes the whole section, a null text the key. A missing file or section is made.
BOOL WINAPI WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR text, LPCSTR fileName) {
  if (section == nullptr || fileName == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  standin::detail::WindowsPath full;
  std::filesystem::path host;
  const std::string path = ProfilePath(fileName);
  if (LONG rc = standin::detail::ResolvePath(path.c_str(), false, full, host);
      rc != ERROR_SUCCESS) {
    SetLastError(static_cast<DWORD>(rc));
    return FALSE;
  }
  std::vector<std::string> lines;
  ReadLines(host, lines);
  const Body body = FindSection(lines, section);
  const bool sectionFound = body.header < lines.size();
  if (key == nullptr) {
    if (sectionFound)
      lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(body.header),
                  lines.begin() + static_cast<std::ptrdiff_t>(body.end));
  } else {
    const size_t at = FindKey(lines, body, key);
    std::string name = key, value;
    if (at < body.end) KeyLine(lines[at], name, value);  // keeps the key's spelling
    if (text == nullptr) {
      if (at < body.end) lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(at));
    } else if (at < body.end) {
      lines[at] = name + "=" + text;
    } else if (!sectionFound) {
      lines.push_back("[" + std::string(section) + "]");
      lines.push_back(name + "=" + text);
    } else {
      // After the section's last non-empty line.
      size_t insert = body.end;
      while (insert > body.first && TrimBlanks(lines[insert - 1]).empty()) --insert;
      lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insert), name + "=" + text);
    }
  }
  std::error_code ec;
  if (!std::filesystem::is_directory(host.parent_path(), ec) || !WriteLines(host, lines)) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return FALSE;
  }
  return TRUE;
}
