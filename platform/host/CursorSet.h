#pragma once
// The simulated cursors: the program module's cursor resources, Windows' system cursors, the
// handles given out (one per resource, shared like LoadCursorA's) and the DestroyCursor calls.

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/host/Win32Types.h"

namespace standin::detail {

class CursorSet {
 public:
  // A fresh machine: no resources of the program, every standard system cursor, no handles.
  void Clear();

  // A resource key: "#<number>" for a numeric id, else the name in upper case.
  static std::string Key(LPCSTR name);

  std::set<std::string> programResources;
  std::set<WORD> systemCursors;
  // The shared handle of each loaded cursor: "P:<key>" for the program's, "S:<key>" for Windows'.
  std::map<std::string, HCURSOR> handles;
  std::vector<HCURSOR> destroyed;
};

}  // namespace standin::detail
