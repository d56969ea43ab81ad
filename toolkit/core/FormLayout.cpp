#include "toolkit/core/FormLayout.h"

#include <cstdlib>
#include <limits>

int32_t MulDivRound(int32_t Value, int32_t Numerator, int32_t Denominator) {
  if (Denominator == 0) return Value;
  const int64_t product = static_cast<int64_t>(Value) * Numerator;
  const int64_t den = Denominator;
  // Round half away from zero on magnitudes, then restore the sign of the quotient.
  const bool negative = (product < 0) != (den < 0);
  const int64_t a = std::llabs(product);
  const int64_t b = std::llabs(den);
  int64_t q = (a + b / 2) / b;
  if (negative) q = -q;
  if (q > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (q < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(q);
}

int32_t ScaleFontHeight(int32_t Height, int32_t Ppi, int32_t DesignPpi) {
  if (Ppi == DesignPpi || Ppi <= 0 || DesignPpi <= 0) return Height;
  return MulDivRound(Height, Ppi, DesignPpi);
}

TLayoutPoint DesktopCenter(int32_t DesktopWidth, int32_t DesktopHeight, int32_t Width,
                           int32_t Height) {
  // 64-bit differences: extreme figures must not overflow before halving.
  const int64_t x = (static_cast<int64_t>(DesktopWidth) - Width) / 2;
  const int64_t y = (static_cast<int64_t>(DesktopHeight) - Height) / 2;
  return {x < 0 ? 0 : static_cast<int32_t>(x), y < 0 ? 0 : static_cast<int32_t>(y)};
}

TDialogKey ClassifyDialogKey(uint32_t Key, bool KeyUp, TShiftState Shift) {
  const bool plain = (Shift & (ssShift | ssAlt | ssCtrl)) == 0;
  switch (Key) {
    case kVkReturn:
      return !KeyUp && plain ? TDialogKey::dkDefault : TDialogKey::dkNone;
    case kVkEscape:
      return !KeyUp && plain ? TDialogKey::dkCancel : TDialogKey::dkNone;
    case kVkSpace:
      if (Shift & (ssAlt | ssCtrl)) return TDialogKey::dkNone;
      return KeyUp ? TDialogKey::dkReleaseFocused : TDialogKey::dkPressFocused;
    default:
      return TDialogKey::dkNone;
  }
}
