#include "toolkit/core/GraphicsNames.h"

#include <span>

#include "toolkit/core/IntegerConsts.h"
#include "toolkit/core/SameText.h"

namespace {

constexpr TIdentMapEntry kColors[] = {
    {clBlack, "clBlack"},
    {clMaroon, "clMaroon"},
    {clGreen, "clGreen"},
    {clOlive, "clOlive"},
    {clNavy, "clNavy"},
    {clPurple, "clPurple"},
    {clTeal, "clTeal"},
    {clGray, "clGray"},
    {clSilver, "clSilver"},
    {clRed, "clRed"},
    {clLime, "clLime"},
    {clYellow, "clYellow"},
    {clBlue, "clBlue"},
    {clFuchsia, "clFuchsia"},
    {clAqua, "clAqua"},
    {clWhite, "clWhite"},
    {clMoneyGreen, "clMoneyGreen"},
    {clSkyBlue, "clSkyBlue"},
    {clCream, "clCream"},
    {clMedGray, "clMedGray"},
    {clScrollBar, "clScrollBar"},
    {clBackground, "clBackground"},
    {clActiveCaption, "clActiveCaption"},
    {clInactiveCaption, "clInactiveCaption"},
    {clMenu, "clMenu"},
    {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"},
    {clMenuText, "clMenuText"},
    {clWindowText, "clWindowText"},
    {clCaptionText, "clCaptionText"},
    {clActiveBorder, "clActiveBorder"},
    {clInactiveBorder, "clInactiveBorder"},
    {clAppWorkSpace, "clAppWorkSpace"},
    {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"},
    {clBtnFace, "clBtnFace"},
    {clBtnShadow, "clBtnShadow"},
    {clGrayText, "clGrayText"},
    {clBtnText, "clBtnText"},
    {clInactiveCaptionText, "clInactiveCaptionText"},
    {clBtnHighlight, "clBtnHighlight"},
    {cl3DDkShadow, "cl3DDkShadow"},
    {cl3DLight, "cl3DLight"},
    {clInfoText, "clInfoText"},
    {clInfoBk, "clInfoBk"},
    {clNone, "clNone"},
    {clDefault, "clDefault"},
    // Older aliases: readable, never written (the first name of a number wins).
    {clSilver, "clLtGray"},
    {clGray, "clDkGray"},
};

constexpr TIdentMapEntry kCursors[] = {
    {crDefault, "crDefault"},     {crNone, "crNone"},           {crArrow, "crArrow"},
    {crCross, "crCross"},         {crIBeam, "crIBeam"},         {crSizeNESW, "crSizeNESW"},
    {crSizeNS, "crSizeNS"},       {crSizeNWSE, "crSizeNWSE"},   {crSizeWE, "crSizeWE"},
    {crUpArrow, "crUpArrow"},     {crHourGlass, "crHourGlass"}, {crDrag, "crDrag"},
    {crNoDrop, "crNoDrop"},       {crHSplit, "crHSplit"},       {crVSplit, "crVSplit"},
    {crMultiDrag, "crMultiDrag"}, {crSQLWait, "crSQLWait"},     {crNo, "crNo"},
    {crAppStart, "crAppStart"},   {crHelp, "crHelp"},           {crHandPoint, "crHandPoint"},
    {crSizeAll, "crSizeAll"},     {crSize, "crSize"},
};

constexpr TIdentMapEntry kCharsets[] = {
    {0, "ANSI_CHARSET"},      {1, "DEFAULT_CHARSET"},    {2, "SYMBOL_CHARSET"},
    {77, "MAC_CHARSET"},      {128, "SHIFTJIS_CHARSET"}, {129, "HANGEUL_CHARSET"},
    {130, "JOHAB_CHARSET"},   {134, "GB2312_CHARSET"},   {136, "CHINESEBIG5_CHARSET"},
    {161, "GREEK_CHARSET"},   {162, "TURKISH_CHARSET"},  {163, "VIETNAMESE_CHARSET"},
    {177, "HEBREW_CHARSET"},  {178, "ARABIC_CHARSET"},   {186, "BALTIC_CHARSET"},
    {204, "RUSSIAN_CHARSET"}, {222, "THAI_CHARSET"},     {238, "EASTEUROPE_CHARSET"},
    {255, "OEM_CHARSET"},
};

bool IdentToValue(std::span<const TIdentMapEntry> Map, std::string_view Ident, int32_t& Value) {
  for (const TIdentMapEntry& e : Map) {
    if (SameText(e.Name, Ident)) {
      Value = e.Value;
      return true;
    }
  }
  return false;
}

bool ValueToIdent(std::span<const TIdentMapEntry> Map, int32_t Value, std::string& Ident) {
  for (const TIdentMapEntry& e : Map) {
    if (e.Value == Value) {
      Ident = e.Name;
      return true;
    }
  }
  return false;
}

}  // namespace

bool IdentToColor(std::string_view Ident, int32_t& Color) {
  return IdentToValue(kColors, Ident, Color);
}
bool ColorToIdent(int32_t Color, std::string& Ident) {
  return ValueToIdent(kColors, Color, Ident);
}
bool IdentToCursor(std::string_view Ident, int32_t& Cursor) {
  return IdentToValue(kCursors, Ident, Cursor);
}
bool CursorToIdent(int32_t Cursor, std::string& Ident) {
  return ValueToIdent(kCursors, Cursor, Ident);
}
bool IdentToCharset(std::string_view Ident, int32_t& Charset) {
  return IdentToValue(kCharsets, Ident, Charset);
}
bool CharsetToIdent(int32_t Charset, std::string& Ident) {
  return ValueToIdent(kCharsets, Charset, Ident);
}

void RegisterGraphicsNames() {
  RegisterIntegerConsts(kColorType, IdentToColor, ColorToIdent);
  RegisterIntegerConsts(kCursorType, IdentToCursor, CursorToIdent);
  RegisterIntegerConsts(kCharsetType, IdentToCharset, CharsetToIdent);
}
