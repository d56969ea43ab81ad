#include "toolkit/core/TCursorTable.h"

namespace {

TCursorTable* current = nullptr;

HCURSOR ArrowCursor() {
  return LoadCursorA(nullptr, IDC_ARROW);
}

}  // namespace

TCursorTable::TCursorTable() : default_(ArrowCursor()) {}

// A table that goes while it is still the current one leaves no dangling pointer behind.
TCursorTable::~TCursorTable() {
  if (current == this) current = nullptr;
}

HCURSOR TCursorTable::Cursors(TCursor Index) const {
  if (Index == crNone) return nullptr;
  if (Index == crDefault) return default_;
  if (auto system = systemCursors_.find(Index); system != systemCursors_.end()) {
    const LPCSTR id = system->second;
    systemCursors_.erase(system);
    if (HCURSOR loaded = LoadCursorA(nullptr, id)) cursors_[Index] = loaded;
  }
  auto it = cursors_.find(Index);
  return it != cursors_.end() ? it->second : default_;
}

void TCursorTable::SetCursors(TCursor Index, HCURSOR Handle) {
  if (Index == crDefault) {
    default_ = Handle ? Handle : ArrowCursor();
    return;
  }
  systemCursors_.erase(Index);
  if (Handle) {
    cursors_[Index] = Handle;
  } else {
    cursors_.erase(Index);
  }
}

bool TCursorTable::HasCursor(TCursor Index) const {
  if (Index == crDefault) return true;
  Cursors(Index);  // whether a system cursor exists is known once it is loaded
  return cursors_.count(Index) != 0;
}

void TCursorTable::SetSystemCursor(TCursor Index, LPCSTR Id) {
  if (Index == crDefault) return;
  cursors_.erase(Index);
  systemCursors_[Index] = Id;
}

TCursorTable* ScreenCursors() {
  return current;
}

void SetScreenCursors(TCursorTable* Table) {
  current = Table;
}
