#include "toolkit/TCursorTable.h"

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
  auto it = cursors_.find(Index);
  return it != cursors_.end() ? it->second : default_;
}

void TCursorTable::SetCursors(TCursor Index, HCURSOR Handle) {
  if (Index == crDefault) {
    default_ = Handle ? Handle : ArrowCursor();
    return;
  }
  if (Handle) {
    cursors_[Index] = Handle;
  } else {
    cursors_.erase(Index);
  }
}

bool TCursorTable::HasCursor(TCursor Index) const {
  return Index == crDefault || cursors_.count(Index) != 0;
}

TCursorTable* ScreenCursors() {
  return current;
}

void SetScreenCursors(TCursorTable* Table) {
  current = Table;
}
