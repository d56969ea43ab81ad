// The screen's cursor table: signed cursor number -> cursor handle, from which every control
// takes the cursor it shows. Portable, so that code adding cursors to it (the library's extra
// cursors) builds and is tested on the host as well; the screen object owns one and makes it the
// current table while it exists.
#pragma once

#include <map>

#include "platform/platform.h"
#include "toolkit/core/GraphicsNames.h"

class TCursorTable {
 public:
  // The default cursor is Windows' arrow; no other number has an entry yet.
  TCursorTable();
  ~TCursorTable();
  TCursorTable(const TCursorTable&) = delete;
  TCursorTable& operator=(const TCursorTable&) = delete;

  // The handle under Index; the default cursor where the number has no entry. crNone shows no
  // cursor (null).
  HCURSOR Cursors(TCursor Index) const;
  // Stores Handle under Index, replacing an earlier entry; a null Handle removes the entry
  // (for crDefault it restores the arrow). The table does not destroy handles it is given.
  void SetCursors(TCursor Index, HCURSOR Handle);
  // Whether Index has an entry of its own (crDefault always has).
  bool HasCursor(TCursor Index) const;
  // Gives Index Windows' own cursor Id (an IDC_ value), loaded when Index is first looked up: a
  // table of a dozen standard cursors that a program mostly never shows would otherwise cost
  // a dozen cursor loads at every start. A cursor that cannot be loaded leaves no entry.
  void SetSystemCursor(TCursor Index, LPCSTR Id);

 private:
  HCURSOR default_ = nullptr;
  mutable std::map<TCursor, HCURSOR> cursors_;
  mutable std::map<TCursor, LPCSTR> systemCursors_;  // not loaded yet
};

// The current screen's cursor table (null while there is no screen). The screen object sets it
// for its lifetime; host tests set a table of their own.
TCursorTable* ScreenCursors();
void SetScreenCursors(TCursorTable* Table);
