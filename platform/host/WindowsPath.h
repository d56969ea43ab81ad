#pragma once
// Windows path syntax: a drive-letter path, made absolute against the current directory and
// reduced to its parts (".", ".." and empty parts resolved), the way Windows forms a full path
// name before it looks at the disk.

#include <string>
#include <string_view>
#include <vector>

#include "platform/host/Win32Types.h"

namespace standin::detail {

struct WindowsPath {
  char drive = 'C';  // upper case
  std::vector<std::string> parts;

  bool IsRoot() const { return parts.empty(); }
  // "C:\" for the root, otherwise "C:\a\b" without a trailing backslash.
  std::string Text() const;
  WindowsPath Parent() const;
};

// Makes `path` a full path. currentDir is a full path ("C:\..."). Wildcards ('*', '?') are
// accepted in the last part only when allowWildcards is set. Errors: ERROR_PATH_NOT_FOUND for an
// empty path or a drive-relative form we do not track, ERROR_BAD_NETPATH for "\\server" paths,
// ERROR_INVALID_NAME for characters Windows forbids in names.
LONG ParseWindowsPath(std::string_view path, std::string_view currentDir, bool allowWildcards,
                      WindowsPath& out);

bool HasWildcard(std::string_view name);

}  // namespace standin::detail
