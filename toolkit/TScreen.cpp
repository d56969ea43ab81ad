#include "toolkit/TScreen.h"

TScreen* Screen = nullptr;

namespace {

// Windows' own cursors behind the standard numbers.
struct TSystemCursor {
  TCursor Number;
  LPCSTR Id;
};
const TSystemCursor kSystemCursors[] = {
    {crArrow, IDC_ARROW},          {crCross, IDC_CROSS},
    {crIBeam, IDC_IBEAM},          {crSizeNESW, IDC_SIZENESW},
    {crSizeNS, IDC_SIZENS},        {crSizeNWSE, IDC_SIZENWSE},
    {crSizeWE, IDC_SIZEWE},        {crUpArrow, IDC_UPARROW},
    {crHourGlass, IDC_WAIT},       {crNo, IDC_NO},
    {crAppStart, IDC_APPSTARTING}, {crHelp, IDC_HELP},
    {crSizeAll, IDC_SIZEALL},
};

}  // namespace

TScreen::TScreen(TComponent* Owner) : TComponent(Owner) {
  LoadStandardCursors();
  HDC dc = GetDC(nullptr);
  if (dc) {
    const int ppi = GetDeviceCaps(dc, LOGPIXELSY);
    if (ppi > 0) pixelsPerInch_ = ppi;
    ReleaseDC(nullptr, dc);
  }
}

// Windows' shared cursors are never destroyed; the program's own hand cursor, loaded from a
// resource with LoadCursor, is shared as well.
TScreen::~TScreen() = default;

void TScreen::LoadStandardCursors() {
  default_ = LoadCursorA(nullptr, IDC_ARROW);
  for (const TSystemCursor& c : kSystemCursors) {
    if (HCURSOR h = LoadCursorA(nullptr, c.Id)) cursors_[c.Number] = h;
  }
  HCURSOR hand = LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kHandPointResource));
  if (!hand) hand = LoadCursorA(nullptr, IDC_HAND);
  if (!hand) hand = default_;
  if (hand) cursors_[crHandPoint] = hand;
}

HCURSOR TScreen::Cursors(TCursor Index) const {
  if (Index == crNone) return nullptr;
  if (Index == crDefault) return default_;
  auto it = cursors_.find(Index);
  return it != cursors_.end() ? it->second : default_;
}

void TScreen::SetCursors(TCursor Index, HCURSOR Handle) {
  if (Index == crDefault) {
    default_ = Handle ? Handle : LoadCursorA(nullptr, IDC_ARROW);
    return;
  }
  if (Handle) {
    cursors_[Index] = Handle;
  } else {
    cursors_.erase(Index);
  }
}

bool TScreen::HasCursor(TCursor Index) const {
  return Index == crDefault || cursors_.count(Index) != 0;
}

int32_t TScreen::Width() const {
  return GetSystemMetrics(SM_CXSCREEN);
}

int32_t TScreen::Height() const {
  return GetSystemMetrics(SM_CYSCREEN);
}
