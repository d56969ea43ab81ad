// The standard colour, cursor and character-set names, directly and through the table of named
// integer constants (where extension tables fall back to them).
#include "toolkit/core/GraphicsNames.h"

#include <gtest/gtest.h>

#include "toolkit/core/IntegerConsts.h"

namespace {

TEST(GraphicsNamesTest, ColoursBothWaysIgnoringCase) {
  int32_t v = 0;
  ASSERT_TRUE(IdentToColor("clWhite", v));
  EXPECT_EQ(v, 0x00FFFFFF);
  ASSERT_TRUE(IdentToColor("CLWINDOWTEXT", v));
  EXPECT_EQ(static_cast<uint32_t>(v), 0x80000008u);
  ASSERT_TRUE(IdentToColor("clbtnface", v));
  EXPECT_EQ(static_cast<uint32_t>(v), 0x8000000Fu);
  ASSERT_TRUE(IdentToColor("clRed", v));
  EXPECT_EQ(v, 0x000000FF);  // red in the lowest byte
  ASSERT_TRUE(IdentToColor("clDefault", v));
  EXPECT_EQ(v, 0x20000000);

  std::string name;
  ASSERT_TRUE(ColorToIdent(0x00FFFFFF, name));
  EXPECT_EQ(name, "clWhite");
  ASSERT_TRUE(ColorToIdent(static_cast<int32_t>(0x80000008u), name));
  EXPECT_EQ(name, "clWindowText");
  ASSERT_TRUE(ColorToIdent(static_cast<int32_t>(0x80000018u), name));
  EXPECT_EQ(name, "clInfoBk");
}

TEST(GraphicsNamesTest, AliasesReadButTheFirstNameIsWritten) {
  int32_t v = 0;
  ASSERT_TRUE(IdentToColor("clLtGray", v));
  EXPECT_EQ(v, clSilver);
  std::string name;
  ASSERT_TRUE(ColorToIdent(v, name));
  EXPECT_EQ(name, "clSilver");
  ASSERT_TRUE(IdentToCursor("crSize", v));
  EXPECT_EQ(v, -22);
  ASSERT_TRUE(CursorToIdent(-22, name));
  EXPECT_EQ(name, "crSizeAll");
}

TEST(GraphicsNamesTest, UnknownNamesAndNumbersChangeNothing) {
  int32_t v = 1234;
  EXPECT_FALSE(IdentToColor("clOrange", v));  // an extension's name, not a standard one
  EXPECT_FALSE(IdentToColor("", v));
  EXPECT_FALSE(IdentToCursor("crZoomIn", v));
  EXPECT_FALSE(IdentToCharset("ANSI", v));
  EXPECT_EQ(v, 1234);
  std::string name = "unchanged";
  EXPECT_FALSE(ColorToIdent(0x00123456, name));
  EXPECT_FALSE(CursorToIdent(-192, name));
  EXPECT_FALSE(CursorToIdent(-5, name));  // a gap in the standard numbers
  EXPECT_FALSE(CharsetToIdent(3, name));
  EXPECT_EQ(name, "unchanged");
}

TEST(GraphicsNamesTest, StandardCursorNumbers) {
  const struct {
    const char* Name;
    int32_t Number;
  } expected[] = {{"crDefault", 0}, {"crNone", -1},       {"crArrow", -2},      {"crCross", -3},
                  {"crIBeam", -4},  {"crSizeNESW", -6},   {"crHourGlass", -11}, {"crNo", -18},
                  {"crHelp", -20},  {"crHandPoint", -21}, {"crSizeAll", -22}};
  for (const auto& e : expected) {
    int32_t v = 99;
    ASSERT_TRUE(IdentToCursor(e.Name, v)) << e.Name;
    EXPECT_EQ(v, e.Number) << e.Name;
    std::string name;
    ASSERT_TRUE(CursorToIdent(e.Number, name)) << e.Number;
    EXPECT_EQ(name, e.Name);
  }
}

TEST(GraphicsNamesTest, CharsetsOfTheMainWindow) {
  int32_t v = -1;
  ASSERT_TRUE(IdentToCharset("ANSI_CHARSET", v));
  EXPECT_EQ(v, 0);
  ASSERT_TRUE(IdentToCharset("default_charset", v));
  EXPECT_EQ(v, 1);
  ASSERT_TRUE(IdentToCharset("OEM_CHARSET", v));
  EXPECT_EQ(v, 255);
  std::string name;
  ASSERT_TRUE(CharsetToIdent(2, name));
  EXPECT_EQ(name, "SYMBOL_CHARSET");
  ASSERT_TRUE(CharsetToIdent(238, name));
  EXPECT_EQ(name, "EASTEUROPE_CHARSET");
}

TEST(GraphicsNamesTest, RegisteredWithTheNamedConstantsTable) {
  RegisterGraphicsNames();
  int32_t v = 0;
  ASSERT_TRUE(IdentToInt("TColor", "clWhite", v));
  EXPECT_EQ(v, 0x00FFFFFF);
  ASSERT_TRUE(IdentToInt("TCursor", "crHandPoint", v));
  EXPECT_EQ(v, -21);
  ASSERT_TRUE(IdentToInt("TFontCharset", "ANSI_CHARSET", v));
  EXPECT_EQ(v, 0);
  std::string name;
  ASSERT_TRUE(IntToIdent("TColor", static_cast<int32_t>(0x80000008u), name));
  EXPECT_EQ(name, "clWindowText");
  // A type's names do not leak into another type.
  EXPECT_FALSE(IdentToInt("TCursor", "clWhite", v));
}

}  // namespace
