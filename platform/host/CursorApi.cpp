// LoadCursorA, DestroyCursor and the program's module handle against the simulated cursors.

#include <algorithm>
#include <cstdint>

#include "platform/host/Machine.h"
#include "platform/host/Win32StandIn.h"

using standin::detail::CursorSet;
using standin::detail::TheMachine;

namespace {

// The program's own module; any other module handle is unknown.
HMODULE ProgramModule() {
  return reinterpret_cast<HMODULE>(static_cast<uintptr_t>(0x400000));
}

// Handles are distinct fake pointers, 4-aligned like Windows' user handles.
HCURSOR NewHandle(const CursorSet& set) {
  return reinterpret_cast<HCURSOR>(static_cast<uintptr_t>(0x10000 + 4 * (set.handles.size() + 1)));
}

bool Exists(const CursorSet& set, HINSTANCE module, LPCSTR name) {
  if (module == nullptr) {
    const auto id = reinterpret_cast<uintptr_t>(name);
    return IS_INTRESOURCE(name) && set.systemCursors.count(static_cast<WORD>(id)) != 0;
  }
  return module == ProgramModule() && set.programResources.count(CursorSet::Key(name)) != 0;
}

}  // namespace

HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName) {
  if (moduleName == nullptr) return ProgramModule();
  SetLastError(ERROR_MOD_NOT_FOUND);
  return nullptr;
}

HCURSOR WINAPI LoadCursorA(HINSTANCE module, LPCSTR name) {
  auto& set = TheMachine().cursors;
  if (name == nullptr || !Exists(set, module, name)) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  const std::string key = (module == nullptr ? "S:" : "P:") + CursorSet::Key(name);
  auto it = set.handles.find(key);
  if (it == set.handles.end()) it = set.handles.emplace(key, NewHandle(set)).first;
  return it->second;
}

BOOL WINAPI DestroyCursor(HCURSOR cursor) {
  auto& set = TheMachine().cursors;
  const bool known = std::any_of(set.handles.begin(), set.handles.end(),
                                 [cursor](const auto& entry) { return entry.second == cursor; });
  if (!known) return FALSE;
  set.destroyed.push_back(cursor);
  return TRUE;
}
