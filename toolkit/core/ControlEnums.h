// The enumerations that the visual classes publish (border style and position of a form, the kind
// of a bitmap button, font styles) with their type information. Portable, so that the tools read
// form data with the very value names the program reads it with.
#pragma once

#include <cstdint>

#include "toolkit/core/TEnumInfo.h"

enum TFormBorderStyle : uint8_t {
  bsNone,
  bsSingle,
  bsSizeable,
  bsDialog,
  bsToolWindow,
  bsSizeToolWin
};
const TEnumInfo& TFormBorderStyleInfo();

enum TPosition : uint8_t {
  poDesigned,
  poDefault,
  poDefaultPosOnly,
  poDefaultSizeOnly,
  poScreenCenter,
  poDesktopCenter,
  poMainFormCenter,
  poOwnerFormCenter
};
const TEnumInfo& TPositionInfo();

enum TBitBtnKind : uint8_t {
  bkCustom,
  bkOK,
  bkCancel,
  bkHelp,
  bkYes,
  bkNo,
  bkClose,
  bkAbort,
  bkRetry,
  bkIgnore,
  bkAll
};
const TEnumInfo& TBitBtnKindInfo();

enum TFontStyle : uint8_t { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSetValue;  // bit n = TFontStyle n
const TEnumInfo& TFontStyleInfo();
