#include "foundation/acGraphics.h"

#include <span>

#include "platform/platform.h"
#include "toolkit/core/IntegerConsts.h"
#include "toolkit/core/SameText.h"
#include "toolkit/core/TCursorTable.h"

const TEnumInfo& TacScreenColorModeInfo() {
  static const TEnumInfo info("TacScreenColorMode",
                              {"sm4bit", "sm8bit", "sm16bit", "sm24bit", "sm32bit"});
  return info;
}

const TEnumInfo& TacScreenResolutionInfo() {
  static const TEnumInfo info(
      "TacScreenResolution",
      {"sr640x480", "sr800x600", "sr1024x768", "sr1152x864", "sr1280x960", "sr1280x1024",
       "sr1600x1200", "sr1920x1080", "sr1920x1200", "sr480x640", "sr600x800", "sr768x1024",
       "sr864x1152", "sr960x1280", "sr1024x1280", "sr1200x1600", "sr1080x1920", "sr1200x1920"});
  return info;
}

namespace {

// The identifier table both cursor conversions search: the 41 resource cursors in number order,
// then the two system cursors.
constexpr TIdentMapEntry kCursorNames[] = {
    {crZoomOut, "crZoomOut"},
    {crZoomIn, "crZoomIn"},
    {crTool, "crTool"},
    {crPen, "crPen"},
    {crItBeam, "crItBeam"},
    {crHand, "crHand"},
    {crDragSelectionPlus, "crDragSelectionPlus"},
    {crDragSelection, "crDragSelection"},
    {crDragFiles, "crDragFiles"},
    {crDragFile, "crDragFile"},
    {crArrowSW, "crArrowSW"},
    {crArrowResize, "crArrowResize"},
    {crArrowSize, "crArrowSize"},
    {crArrowSE, "crArrowSE"},
    {crArrowScrollVert, "crArrowScrollVert"},
    {crArrowScrollHorz, "crArrowScrollHorz"},
    {crArrowNW, "crArrowNW"},
    {crArrowNE, "crArrowNE"},
    {cr3dUpArrow, "cr3dUpArrow"},
    {cr3dTool, "cr3dTool"},
    {cr3dSizeWE, "cr3dSizeWE"},
    {cr3dSizeNWSE, "cr3dSizeNWSE"},
    {cr3dSizeNS, "cr3dSizeNS"},
    {cr3dSizeNESW, "cr3dSizeNESW"},
    {cr3dSize, "cr3dSize"},
    {cr3dNo, "cr3dNo"},
    {cr3dIBeam, "cr3dIBeam"},
    {cr3dHourGlass, "cr3dHourGlass"},
    {cr3dHelp, "cr3dHelp"},
    {cr3dHandwriting, "cr3dHandwriting"},
    {cr3dDragSelectionPlus, "cr3dDragSelectionPlus"},
    {cr3dDragSelection, "cr3dDragSelection"},
    {cr3dCross, "cr3dCross"},
    {cr3dArrowWarning, "cr3dArrowWarning"},
    {cr3dArrowResize, "cr3dArrowResize"},
    {cr3dArrowSize, "cr3dArrowSize"},
    {cr3dArrowScrollVert, "cr3dArrowScrollVert"},
    {cr3dArrowScrollHorz, "cr3dArrowScrollHorz"},
    {cr3dArrowNE, "cr3dArrowNE"},
    {cr3dArrow, "cr3dArrow"},
    {cr3dAppStart, "cr3dAppStart"},
    {crHandwriting, "crHandwriting"},
    {crLinkSelect, "crLinkSelect"},
};

constexpr TIdentMapEntry kColorNames[] = {
    {clHotLight, "clHotLight"},
    {clContextHelp, "clContextHelp"},
    {clBrown, "clBrown"},
    {clOliveGreen, "clOliveGreen"},
    {clDarkGreen, "clDarkGreen"},
    {clDarkTeal, "clDarkTeal"},
    {clIndigo, "clIndigo"},
    {clNight, "clNight"},
    {clOrange, "clOrange"},
    {clBlueGray, "clBlueGray"},
    {clLightOrange, "clLightOrange"},
    {clSeaGreen, "clSeaGreen"},
    {clLightBlue, "clLightBlue"},
    {clMetal, "clMetal"},
    {clGold, "clGold"},
    {clPlum, "clPlum"},
    {clRose, "clRose"},
    {clTan, "clTan"},
    {clLightYellow, "clLightYellow"},
    {clLightGreen, "clLightGreen"},
    {clLightTurquoise, "clLightTurquoise"},
    {clPaleBlue, "clPaleBlue"},
    {clSoftBlue, "clSoftBlue"},
    {clLavender, "clLavender"},
    {clHotFlame, "clHotFlame"},
    {clDefault, "clDefault"},
};

// Windows' cursors behind crLinkSelect (the hand) and crHandwriting.
constexpr WORD kSystemHandCursor = 32649;
constexpr WORD kSystemHandwritingCursor = 32631;

const TIdentMapEntry* FindName(std::span<const TIdentMapEntry> Table, std::string_view Name) {
  for (const TIdentMapEntry& e : Table) {
    if (SameText(e.Name, Name)) return &e;
  }
  return nullptr;
}

const TIdentMapEntry* FindValue(std::span<const TIdentMapEntry> Table, int32_t Value) {
  for (const TIdentMapEntry& e : Table) {
    if (e.Value == Value) return &e;
  }
  return nullptr;
}

// The resource name of a resource cursor: its identifier in upper case ("CRZOOMOUT").
std::string ResourceName(TCursor Number) {
  std::string name = FindValue(kCursorNames, Number)->Name;
  for (char& c : name) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return name;
}

// Stores a cursor under Number, replacing an earlier entry; a cursor that could not be loaded
// (null) leaves the number without an entry, so the screen shows its default cursor there.
// Without a screen there is nowhere to show it.
void StoreCursor(TCursor Number, HCURSOR Handle) {
  if (TCursorTable* table = ScreenCursors()) table->SetCursors(Number, Handle);
}

TacScreenColorMode ColorModeOfDepth(int Bits) {
  switch (Bits) {
    case 4:
      return sm4bit;
    case 16:
      return sm16bit;
    case 24:
      return sm24bit;
    case 32:
      return sm32bit;
    default:
      return sm8bit;
  }
}

// The whole screen's device context, released however the scope is left.
class TScreenDC {
 public:
  TScreenDC() : dc_(GetDC(nullptr)) {}
  ~TScreenDC() {
    if (dc_ != nullptr) ReleaseDC(nullptr, dc_);
  }
  TScreenDC(const TScreenDC&) = delete;
  TScreenDC& operator=(const TScreenDC&) = delete;
  HDC Handle() const { return dc_; }

 private:
  HDC dc_;
};

}  // namespace

TacScreenColorMode GetScreenColorMode() {
  TScreenDC screen;
  return ColorModeOfDepth(GetDeviceCaps(screen.Handle(), BITSPIXEL));
}

bool NameToCursor(std::string_view Name, int32_t& Value) {
  if (const TIdentMapEntry* e = FindName(kCursorNames, Name)) {
    Value = e->Value;
    return true;
  }
  return IdentToCursor(Name, Value);
}

bool CursorToName(int32_t Value, std::string& Name) {
  if (const TIdentMapEntry* e = FindValue(kCursorNames, Value)) {
    Name = e->Name;
    return true;
  }
  return CursorToIdent(Value, Name);
}

bool NameToColor(std::string_view Name, int32_t& Value) {
  if (const TIdentMapEntry* e = FindName(kColorNames, Name)) {
    Value = e->Value;
    return true;
  }
  return IdentToColor(Name, Value);
}

bool ColorToName(int32_t Value, std::string& Name) {
  if (const TIdentMapEntry* e = FindValue(kColorNames, Value)) {
    Name = e->Name;
    return true;
  }
  return ColorToIdent(Value, Name);
}

void LoadExtraCursors() {
  const HMODULE program = GetModuleHandleA(nullptr);
  for (TCursor n = kLastResourceCursor; n >= kFirstResourceCursor; --n) {
    StoreCursor(n, LoadCursorA(program, ResourceName(n).c_str()));
  }
}

// The entry goes with the handle, so the table never offers a destroyed cursor and a second
// call destroys nothing twice.
void FreeExtraCursors() {
  TCursorTable* table = ScreenCursors();
  if (!table) return;
  for (TCursor n = kLastResourceCursor; n >= kFirstResourceCursor; --n) {
    if (!table->HasCursor(n)) continue;
    DestroyCursor(table->Cursors(n));
    table->SetCursors(n, nullptr);
  }
}

void acGraphicsStartUp() {
  StoreCursor(crLinkSelect, LoadCursorA(nullptr, MAKEINTRESOURCEA(kSystemHandCursor)));
  StoreCursor(crHandwriting, LoadCursorA(nullptr, MAKEINTRESOURCEA(kSystemHandwritingCursor)));
  LoadExtraCursors();
  RegisterExtraGraphicsNames();
}

void RegisterExtraGraphicsNames() {
  RegisterIntegerConsts(kCursorType, NameToCursor, CursorToName);
  RegisterIntegerConsts(kColorType, NameToColor, ColorToName);
}

// The names are constant texts of the program; only the cursors need freeing.
void acGraphicsShutDown() {
  FreeExtraCursors();
}
