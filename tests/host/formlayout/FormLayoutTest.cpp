// The layout arithmetic a form applies while loading and when first shown, at the two
// densities that matter (96 and 120 pixels per inch), and the dialog-key rule.
#include "toolkit/core/FormLayout.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

TEST(MulDivRoundTest, RoundsHalvesAwayFromZeroInBothDirections) {
  EXPECT_EQ(MulDivRound(667, 12, 13), 616);  // 615.69
  EXPECT_EQ(MulDivRound(13, 1, 2), 7);       // 6.5 up
  EXPECT_EQ(MulDivRound(-13, 1, 2), -7);     // -6.5 away from zero, not toward +inf
  EXPECT_EQ(MulDivRound(13, -1, 2), -7);
  EXPECT_EQ(MulDivRound(-13, -1, 2), 7);
  EXPECT_EQ(MulDivRound(5, 1, 4), 1);    // 1.25
  EXPECT_EQ(MulDivRound(-5, 1, 4), -1);  // -1.25
}

TEST(MulDivRoundTest, SurvivesExtremesAndZeroDivisor) {
  EXPECT_EQ(MulDivRound(INT_MAX, INT_MAX, INT_MAX), INT_MAX);  // 64-bit product, no overflow
  EXPECT_EQ(MulDivRound(INT_MAX, 2, 1), INT_MAX);              // clamped
  EXPECT_EQ(MulDivRound(INT_MIN, 2, 1), INT_MIN);
  EXPECT_EQ(MulDivRound(42, 7, 0), 42);  // a broken measurement leaves the value
}

TEST(ScaleFontHeightTest, WindowFontAtTheCommonDensities) {
  EXPECT_EQ(ScaleFontHeight(-11, 96, 96), -11);
  EXPECT_EQ(ScaleFontHeight(-11, 120, 96), -14);  // -13.75
  EXPECT_EQ(ScaleFontHeight(-11, 144, 96), -17);  // -16.5, away from zero
  EXPECT_EQ(ScaleFontHeight(-11, 72, 96), -8);    // -8.25
  EXPECT_EQ(ScaleFontHeight(-16, 120, 96), -20);
  // No density known: unchanged.
  EXPECT_EQ(ScaleFontHeight(-11, 0, 96), -11);
  EXPECT_EQ(ScaleFontHeight(-11, 120, 0), -11);
}

// The main window's figures for a measured height of "0": Wine's 12 at 96 pixels per inch, and
// 16 as at 120 pixels per inch.
TEST(LayoutScaleTest, MainWindowFiguresAtMeasuredHeights) {
  const TLayoutScale at96{12, 13};
  EXPECT_TRUE(at96.Active());
  EXPECT_EQ(at96(667), 616);
  EXPECT_EQ(at96(250), 231);
  EXPECT_EQ(at96(496), 458);
  EXPECT_EQ(at96(104), 96);
  EXPECT_EQ(at96(161), 149);
  EXPECT_EQ(at96(57), 53);
  EXPECT_EQ(at96(-16), -15);
  EXPECT_EQ(at96(-21), -19);

  const TLayoutScale at120{16, 13};
  EXPECT_EQ(at120(667), 821);
  EXPECT_EQ(at120(250), 308);
  EXPECT_EQ(at120(496), 610);
  EXPECT_EQ(at120(161), 198);
  EXPECT_EQ(at120(-16), -20);

  // The design height itself, or a failed measurement, changes nothing.
  EXPECT_FALSE((TLayoutScale{13, 13}.Active()));
  EXPECT_EQ((TLayoutScale{13, 13}(667)), 667);
  EXPECT_EQ((TLayoutScale{0, 13}(667)), 667);
}

TEST(DesktopCenterTest, HalvesTowardZeroAndClampsAtTheOrigin) {
  // 1024 x 768 desktop, a 673 x 279 window: 175.5 -> 175, 244.5 -> 244.
  TLayoutPoint p = DesktopCenter(1024, 768, 673, 279);
  EXPECT_EQ(p.X, 175);
  EXPECT_EQ(p.Y, 244);
  // A window larger than the desktop sits at (0, 0), not at a negative position (-0.5 and
  // -50 would otherwise give 0 and -50).
  p = DesktopCenter(1024, 768, 1025, 868);
  EXPECT_EQ(p.X, 0);
  EXPECT_EQ(p.Y, 0);
  // Two monitors side by side: only the width counts, the origin is not added.
  p = DesktopCenter(2048, 768, 624, 262);
  EXPECT_EQ(p.X, 712);
  EXPECT_EQ(p.Y, 253);
  // Extreme figures do not overflow.
  p = DesktopCenter(INT_MAX, INT_MAX, INT_MIN, INT_MIN);
  EXPECT_EQ(p.X, INT_MAX);
  EXPECT_EQ(p.Y, INT_MAX);
}

TEST(DialogKeyTest, EnterClicksOnlyWithoutModifiers) {
  EXPECT_EQ(ClassifyDialogKey(kVkReturn, false, 0), TDialogKey::dkDefault);
  EXPECT_EQ(ClassifyDialogKey(kVkReturn, false, ssShift), TDialogKey::dkNone);
  EXPECT_EQ(ClassifyDialogKey(kVkReturn, false, ssCtrl), TDialogKey::dkNone);
  EXPECT_EQ(ClassifyDialogKey(kVkReturn, false, ssAlt), TDialogKey::dkNone);
  EXPECT_EQ(ClassifyDialogKey(kVkReturn, false, ssShift | ssCtrl), TDialogKey::dkNone);
  EXPECT_EQ(ClassifyDialogKey(kVkReturn, true, 0), TDialogKey::dkNone);  // the release
}

TEST(DialogKeyTest, EscapeSpaceAndOtherKeys) {
  EXPECT_EQ(ClassifyDialogKey(kVkEscape, false, 0), TDialogKey::dkCancel);
  EXPECT_EQ(ClassifyDialogKey(kVkEscape, false, ssShift), TDialogKey::dkNone);
  EXPECT_EQ(ClassifyDialogKey(kVkSpace, false, 0), TDialogKey::dkPressFocused);
  EXPECT_EQ(ClassifyDialogKey(kVkSpace, true, 0), TDialogKey::dkReleaseFocused);
  EXPECT_EQ(ClassifyDialogKey(kVkSpace, false, ssShift), TDialogKey::dkPressFocused);
  EXPECT_EQ(ClassifyDialogKey(kVkSpace, false, ssAlt), TDialogKey::dkNone);  // system menu
  EXPECT_EQ(ClassifyDialogKey(kVkSpace, true, ssCtrl), TDialogKey::dkNone);
  EXPECT_EQ(ClassifyDialogKey('A', false, 0), TDialogKey::dkNone);
  EXPECT_EQ(ClassifyDialogKey(0x09, false, 0), TDialogKey::dkNone);  // Tab
}

}  // namespace
