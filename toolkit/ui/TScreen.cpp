#include "toolkit/ui/TScreen.h"

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
  SetScreenCursors(this);
  HDC dc = GetDC(nullptr);
  if (dc) {
    const int ppi = GetDeviceCaps(dc, LOGPIXELSY);
    if (ppi > 0) pixelsPerInch_ = ppi;
    ReleaseDC(nullptr, dc);
  }
}

// Windows' shared cursors are never destroyed; the program's own hand cursor, loaded from a
// resource with LoadCursor, is shared as well.
// Its cursor table stops being the current one as it goes.
TScreen::~TScreen() = default;

void TScreen::LoadStandardCursors() {
  for (const TSystemCursor& c : kSystemCursors) SetSystemCursor(c.Number, c.Id);
  HCURSOR hand = LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kHandPointResource));
  if (!hand) hand = LoadCursorA(nullptr, IDC_HAND);
  if (!hand) hand = Cursors(crDefault);
  SetCursors(crHandPoint, hand);
}

int32_t TScreen::Width() const {
  return GetSystemMetrics(SM_CXSCREEN);
}

int32_t TScreen::Height() const {
  return GetSystemMetrics(SM_CYSCREEN);
}
