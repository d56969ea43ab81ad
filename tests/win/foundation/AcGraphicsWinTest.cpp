// The graphics module against real Windows (under Wine): the extra cursors come from this test
// program's resources (the same cursor list as the launcher's) into the screen's cursor table,
// with their sizes, colour depths and hot spots; shut-down takes them out again and leaves the
// two shared system cursors in place.

#include <gtest/gtest.h>

#include <string>

#include "foundation/acGraphics.h"
#include "platform/platform.h"
#include "toolkit/IntegerConsts.h"
#include "toolkit/TScreen.h"

namespace {

struct TCursorFacts {
  bool valid = false;
  bool colour = false;  // has a colour image (a monochrome cursor has only its masks)
  LONG width = 0;
  LONG maskHeight = 0;
  POINT hotSpot{};
};

TCursorFacts FactsOf(HCURSOR cursor) {
  TCursorFacts facts;
  ICONINFO info{};
  if (!GetIconInfo(cursor, &info)) return facts;
  facts.valid = true;
  facts.hotSpot = {static_cast<LONG>(info.xHotspot), static_cast<LONG>(info.yHotspot)};
  BITMAP mask{};
  GetObjectA(info.hbmMask, sizeof mask, &mask);
  facts.width = mask.bmWidth;
  facts.maskHeight = mask.bmHeight;
  facts.colour = info.hbmColor != nullptr;
  DeleteObject(info.hbmMask);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  return facts;
}

TEST(AcGraphicsWin, ExtraCursorsComeAndGoWithTheModule) {
  TScreen* screen = new TScreen(nullptr);
  ASSERT_EQ(static_cast<TCursorTable*>(screen), ScreenCursors());
  acGraphicsStartUp();

  const HMODULE program = GetModuleHandleA(nullptr);
  for (TCursor n = kFirstResourceCursor; n <= kLastResourceCursor; ++n) {
    std::string name;
    ASSERT_TRUE(CursorToName(n, name));
    ASSERT_TRUE(screen->HasCursor(n)) << name;
    const HCURSOR cursor = screen->Cursors(n);
    std::string upper = name;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(LoadCursorA(program, upper.c_str()), cursor) << name;
    const TCursorFacts facts = FactsOf(cursor);
    ASSERT_TRUE(facts.valid) << name;
    // A monochrome cursor's mask holds both masks, one above the other.
    const bool wantColour = name.rfind("cr3d", 0) == 0;
    EXPECT_EQ(wantColour, facts.colour) << name;
    EXPECT_EQ(32, facts.width) << name;
    EXPECT_EQ(wantColour ? 32 : 64, facts.maskHeight) << name;
  }
  // Hot spots where the pictures have them: the lens, the tips of arrows, the pen's point.
  const std::pair<TCursor, POINT> hotSpots[] = {
      {crZoomIn, {11, 11}}, {crArrowSE, {31, 31}}, {cr3dArrow, {0, 0}}, {crPen, {1, 30}}};
  for (const auto& [n, spot] : hotSpots) {
    const TCursorFacts facts = FactsOf(screen->Cursors(n));
    EXPECT_EQ(spot.x, facts.hotSpot.x) << n;
    EXPECT_EQ(spot.y, facts.hotSpot.y) << n;
  }

  const HCURSOR hand = LoadCursorA(nullptr, IDC_HAND);
  const HCURSOR pen = LoadCursorA(nullptr, MAKEINTRESOURCEA(32631));
  EXPECT_EQ(hand, screen->Cursors(crLinkSelect));
  EXPECT_EQ(pen, screen->Cursors(crHandwriting));
  int32_t value = 0;
  EXPECT_TRUE(IdentToInt("TCursor", "cr3dAppStart", value));
  EXPECT_EQ(cr3dAppStart, value);

  acGraphicsShutDown();
  for (TCursor n = kFirstResourceCursor; n <= kLastResourceCursor; ++n)
    EXPECT_FALSE(screen->HasCursor(n)) << n;
  EXPECT_EQ(hand, screen->Cursors(crLinkSelect));
  EXPECT_EQ(pen, screen->Cursors(crHandwriting));
  EXPECT_TRUE(FactsOf(hand).valid);
  EXPECT_TRUE(FactsOf(pen).valid);

  screen->Free();
  EXPECT_EQ(nullptr, ScreenCursors());
}

}  // namespace
