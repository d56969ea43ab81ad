#include "foundation/acGraphics.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/host/StandInFixture.h"
#include "toolkit/core/IntegerConsts.h"
#include "toolkit/core/TCursorTable.h"

namespace {

// Name -> number through the extra table (any letter case) and through the fall-back; the number
// converts back to the table's spelling of the first name. One standard name of each kind shows
// the fall-back; the standard names themselves are tested with the toolkit (GraphicsNamesTest).
TEST(AcGraphicsNames, CursorsAndColoursBothWays) {
  struct Row {
    bool cursor;
    const char* name;
    int32_t value;
    const char* back;
  };
  const Row rows[] = {
      {true, "crzoomin", -192, "crZoomIn"},
      {true, "CRZOOMOUT", -193, "crZoomOut"},
      {true, "cr3dAppStart", -153, "cr3dAppStart"},
      {true, "crLinkSelect", -151, "crLinkSelect"},
      {true, "crhandwriting", -152, "crHandwriting"},
      {true, "crHandPoint", -21, "crHandPoint"},  // standard, through the fall-back
      {false, "clorange", 0x000068FF, "clOrange"},
      {false, "clHotLight", static_cast<int32_t>(0x8000001Au), "clHotLight"},
      {false, "clWindowText", static_cast<int32_t>(0x80000008u), "clWindowText"},  // fall-back
  };
  for (const Row& r : rows) {
    int32_t value = 7;
    std::string name;
    EXPECT_TRUE(r.cursor ? NameToCursor(r.name, value) : NameToColor(r.name, value)) << r.name;
    EXPECT_EQ(r.value, value) << r.name;
    EXPECT_TRUE(r.cursor ? CursorToName(r.value, name) : ColorToName(r.value, name)) << r.name;
    EXPECT_EQ(r.back, name) << r.name;
  }

  // Next to the table: -150 and -194 belong to neither table; unknown names change nothing.
  int32_t value = 7;
  std::string name = "old";
  EXPECT_FALSE(CursorToName(-150, name));
  EXPECT_FALSE(CursorToName(-194, name));
  EXPECT_FALSE(ColorToName(0x00123456, name));
  EXPECT_FALSE(NameToCursor("crZoomInX", value));
  EXPECT_FALSE(NameToColor("clOrang", value));
  EXPECT_FALSE(NameToColor("crZoomIn", value));
  EXPECT_EQ(7, value);
  EXPECT_EQ("old", name);
}

class AcGraphicsTest : public standin::StandInTest {
 protected:
  void SetUp() override {
    StandInTest::SetUp();
    table_ = std::make_unique<TCursorTable>();
    SetScreenCursors(table_.get());
  }
  void TearDown() override {
    table_.reset();
    EXPECT_EQ(nullptr, ScreenCursors());
    StandInTest::TearDown();
  }
  std::unique_ptr<TCursorTable> table_;
};

TEST_F(AcGraphicsTest, ColourModeOfEveryDepthReleasesTheContext) {
  const std::pair<int, TacScreenColorMode> rows[] = {{4, sm4bit},   {8, sm8bit},   {16, sm16bit},
                                                     {24, sm24bit}, {32, sm32bit}, {15, sm8bit},
                                                     {1, sm8bit},   {0, sm8bit}};
  for (const auto& [bits, mode] : rows) {
    standin::SetDeviceCap(BITSPIXEL, bits);
    EXPECT_EQ(mode, GetScreenColorMode()) << bits;
    EXPECT_EQ(0, standin::OpenScreenDCCount()) << bits;
  }
}

// One run of the module: resources for all but crPen, the system cursors, the registrations, and
// the shut-down that destroys exactly the program's cursors it loaded.
TEST_F(AcGraphicsTest, StartUpAndShutDown) {
  for (TCursor n = kFirstResourceCursor; n <= kLastResourceCursor; ++n) {
    std::string name;
    ASSERT_TRUE(CursorToName(n, name));
    for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (n != crPen) standin::AddCursorResource(name);
  }
  const HCURSOR arrow = table_->Cursors(crDefault);
  // An earlier entry under a number whose resource is missing goes.
  table_->SetCursors(crPen, LoadCursorA(nullptr, IDC_CROSS));
  acGraphicsStartUp();

  const HCURSOR hand = LoadCursorA(nullptr, IDC_HAND);
  const HCURSOR pen = LoadCursorA(nullptr, MAKEINTRESOURCEA(32631));
  EXPECT_EQ(hand, table_->Cursors(crLinkSelect));
  EXPECT_EQ(pen, table_->Cursors(crHandwriting));
  EXPECT_FALSE(table_->HasCursor(crPen));
  EXPECT_EQ(arrow, table_->Cursors(crPen));
  std::vector<HCURSOR> loaded;
  for (TCursor n = kFirstResourceCursor; n <= kLastResourceCursor; ++n) {
    if (n == crPen) continue;
    ASSERT_TRUE(table_->HasCursor(n)) << n;
    loaded.push_back(table_->Cursors(n));
    EXPECT_NE(arrow, loaded.back()) << n;
  }
  std::sort(loaded.begin(), loaded.end());
  EXPECT_EQ(loaded.end(), std::unique(loaded.begin(), loaded.end()));
  EXPECT_EQ(loaded.size(), 40u);

  // The registrations take over from the standard pairs, which stay reachable.
  int32_t value = 0;
  std::string name;
  EXPECT_TRUE(IdentToInt("TCursor", "CR3DHELP", value));
  EXPECT_EQ(cr3dHelp, value);
  EXPECT_TRUE(IdentToInt("TCursor", "crHandPoint", value));
  EXPECT_EQ(crHandPoint, value);
  EXPECT_TRUE(IntToIdent("TColor", 0x00FFFFFF, name));
  EXPECT_EQ("clWhite", name);

  acGraphicsShutDown();
  std::vector<HCURSOR> destroyed = standin::DestroyedCursors();
  std::sort(destroyed.begin(), destroyed.end());
  EXPECT_EQ(loaded, destroyed);
  EXPECT_EQ(hand, table_->Cursors(crLinkSelect));
  EXPECT_EQ(pen, table_->Cursors(crHandwriting));
  for (TCursor n = kFirstResourceCursor; n <= kLastResourceCursor; ++n)
    EXPECT_FALSE(table_->HasCursor(n)) << n;

  // A second shut-down destroys nothing more.
  acGraphicsShutDown();
  EXPECT_EQ(40u, standin::DestroyedCursors().size());
}

// Windows without the two system cursors: their numbers stay without an entry.
TEST_F(AcGraphicsTest, MissingSystemCursorsLeaveNoEntry) {
  standin::RemoveSystemCursor(32649);
  standin::RemoveSystemCursor(32631);
  acGraphicsStartUp();
  EXPECT_FALSE(table_->HasCursor(crLinkSelect));
  EXPECT_FALSE(table_->HasCursor(crHandwriting));
  EXPECT_FALSE(table_->HasCursor(crZoomOut));
  acGraphicsShutDown();
  EXPECT_TRUE(standin::DestroyedCursors().empty());
}

// The screen's standard cursors are loaded when first looked up, not when the table is filled.
TEST_F(AcGraphicsTest, SystemCursorsLoadWhenFirstLookedUp) {
  for (const auto& [number, id] : {std::pair{crArrow, IDC_ARROW},
                                   {crIBeam, IDC_IBEAM},
                                   {crCross, IDC_CROSS},
                                   {crSizeAll, IDC_SIZEALL}})
    table_->SetSystemCursor(number, id);
  standin::RemoveSystemCursor(32513);  // IDC_IBEAM, gone before anyone asked for it
  table_->SetCursors(crSizeAll, nullptr);
  EXPECT_FALSE(table_->HasCursor(crIBeam));
  EXPECT_FALSE(table_->HasCursor(crSizeAll));
  EXPECT_TRUE(table_->HasCursor(crArrow));  // though it is the default cursor's handle too
  EXPECT_EQ(table_->Cursors(crCross), LoadCursorA(nullptr, IDC_CROSS));
  EXPECT_NE(table_->Cursors(crCross), table_->Cursors(crDefault));
}

}  // namespace
