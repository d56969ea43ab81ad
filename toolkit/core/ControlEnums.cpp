#include "toolkit/core/ControlEnums.h"

const TEnumInfo& TFormBorderStyleInfo() {
  static const TEnumInfo info("TFormBorderStyle", {"bsNone", "bsSingle", "bsSizeable", "bsDialog",
                                                   "bsToolWindow", "bsSizeToolWin"});
  return info;
}

const TEnumInfo& TPositionInfo() {
  static const TEnumInfo info(
      "TPosition", {"poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly",
                    "poScreenCenter", "poDesktopCenter", "poMainFormCenter", "poOwnerFormCenter"});
  return info;
}

const TEnumInfo& TBitBtnKindInfo() {
  static const TEnumInfo info("TBitBtnKind",
                              {"bkCustom", "bkOK", "bkCancel", "bkHelp", "bkYes", "bkNo", "bkClose",
                               "bkAbort", "bkRetry", "bkIgnore", "bkAll"});
  return info;
}

const TEnumInfo& TFontStyleInfo() {
  static const TEnumInfo info("TFontStyle", {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"});
  return info;
}
