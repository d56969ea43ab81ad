#include "platform/host/CursorSet.h"

#include <cctype>

namespace standin::detail {

namespace {

// Windows' standard cursors: arrow, I-beam, wait, cross, up arrow, pen, the sizing cursors, no,
// hand, app starting and help.
constexpr WORD kStandardCursors[] = {32512, 32513, 32514, 32515, 32516, 32631, 32640, 32641, 32642,
                                     32643, 32644, 32645, 32646, 32648, 32649, 32650, 32651};

}  // namespace

void CursorSet::Clear() {
  programResources.clear();
  systemCursors = std::set<WORD>(std::begin(kStandardCursors), std::end(kStandardCursors));
  handles.clear();
  destroyed.clear();
}

std::string CursorSet::Key(LPCSTR name) {
  if (IS_INTRESOURCE(name)) return "#" + std::to_string(reinterpret_cast<ULONG_PTR>(name));
  std::string key(name);
  for (char& c : key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return key;
}

}  // namespace standin::detail
