// The arithmetic of form layout that does not need a screen: rounding multiply-divide, the
// density scaling of fonts and positions, desktop centring, and which keys a form handles as
// dialog keys. Kept portable so host tests pin it at every density.
#pragma once

#include <cstdint>

// Value * Numerator / Denominator, rounded to the nearest integer with halves away from zero
// (the rounding the Windows MulDiv uses). A zero Denominator gives Value unchanged, so a broken
// measurement never divides by zero.
int32_t MulDivRound(int32_t Value, int32_t Numerator, int32_t Denominator);

// A font height designed at DesignPpi pixels per inch, for a display of Ppi pixels per inch
// (rounded): -11 at 96 becomes -14 at 120.
int32_t ScaleFontHeight(int32_t Height, int32_t Ppi, int32_t DesignPpi);

// The top left corner that centres a window of Width x Height on a desktop of DesktopWidth x
// DesktopHeight measured from (0, 0): each half rounded toward zero, then raised to 0.
struct TLayoutPoint {
  int32_t X = 0;
  int32_t Y = 0;
};
TLayoutPoint DesktopCenter(int32_t DesktopWidth, int32_t DesktopHeight, int32_t Width,
                           int32_t Height);

// A position or size scaled from the design text height to the measured one.
struct TLayoutScale {
  int32_t Measured = 13;
  int32_t Designed = 13;
  bool Active() const { return Measured != Designed && Measured > 0 && Designed > 0; }
  int32_t operator()(int32_t Value) const {
    return Active() ? MulDivRound(Value, Measured, Designed) : Value;
  }
};

// Modifier keys held while a key message arrives (a bit mask).
using TShiftState = uint8_t;
enum : TShiftState { ssShift = 1, ssAlt = 2, ssCtrl = 4 };

// What a form does with a key message before the focused window sees it.
enum class TDialogKey : uint8_t {
  dkNone,           // not a dialog key: the focused window handles it
  dkDefault,        // Enter without Shift, Ctrl or Alt: click the default (or focused) button
  dkCancel,         // Escape without modifiers: click the cancel button
  dkPressFocused,   // Space pressed: push the focused button down
  dkReleaseFocused  // Space released: click the focused button if it was pushed
};

// Virtual-key codes the rule looks at (the Windows values).
inline constexpr uint32_t kVkReturn = 0x0D;
inline constexpr uint32_t kVkEscape = 0x1B;
inline constexpr uint32_t kVkSpace = 0x20;

// Classifies a key-down (KeyUp false) or key-up message for Key under Shift. Space counts only
// without Ctrl and Alt (Alt+Space opens the system menu).
TDialogKey ClassifyDialogKey(uint32_t Key, bool KeyUp, TShiftState Shift);
