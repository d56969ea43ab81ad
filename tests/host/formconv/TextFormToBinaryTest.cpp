#include "tools/formconv/TextFormToBinary.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tests/host/formconv/FormBytes.h"
#include "tools/formconv/FormTextError.h"

namespace {

using formtext::FormTextError;
using formtext::TextFormToBinary;

std::vector<uint8_t> ValueOf(const std::string& valueText) {
  return TextFormToBinary("object A: T\n  P = " + valueText + "\nend\n");
}

// The bytes of a one-property form whose value encodes as `value`.
std::vector<uint8_t> FormWith(std::initializer_list<uint8_t> value) {
  return FormBytes().Begin("T", "A").Short("P").Raw(value).Raw({0, 0}).Bytes();
}

// Runs the conversion and returns the error it must raise.
FormTextError ErrorOf(const std::string& text, const formtext::SpliceDirs& dirs = {}) {
  try {
    TextFormToBinary(text, dirs);
  } catch (const FormTextError& error) {
    return error;
  }
  ADD_FAILURE() << "no error for:\n" << text;
  return FormTextError::AtLine(0, 0, "");
}

TEST(TextFormToBinary, SmallFormGivesExactBytes) {
  std::vector<uint8_t> bytes = TextFormToBinary(
      "object Form1: TForm1\n"
      "  Left = 252\n"
      "  Caption = 'Hi'\n"
      "  Font.Style = [fsBold]\n"
      "  Visible = False\n"
      "  Color = clWhite\n"
      "  object Label2: TLabel\n"
      "    Left = 8\n"
      "  end\n"
      "end\n");
  std::vector<uint8_t> expected = FormBytes()
                                      .Begin("TForm1", "Form1")
                                      .Short("Left")
                                      .Raw({3, 252, 0})
                                      .Short("Caption")
                                      .Raw({6})
                                      .Short("Hi")
                                      .Short("Font.Style")
                                      .Raw({11})
                                      .Short("fsBold")
                                      .Raw({0})
                                      .Short("Visible")
                                      .Raw({8})
                                      .Short("Color")
                                      .Raw({7})
                                      .Short("clWhite")
                                      .Raw({0})
                                      .Short("TLabel")
                                      .Short("Label2")
                                      .Short("Left")
                                      .Raw({2, 8})
                                      .Raw({0, 0})
                                      .Raw({0})
                                      .Bytes();
  EXPECT_EQ(bytes, expected);
}

TEST(TextFormToBinary, UnnamedComponentAndKeywordsAsPropertyNames) {
  std::vector<uint8_t> bytes = TextFormToBinary("object TPanel end = 1 object = True end");
  EXPECT_EQ(bytes, FormBytes()
                       .Begin("TPanel", "")
                       .Short("end")
                       .Raw({2, 1})
                       .Short("object")
                       .Raw({9})
                       .Raw({0, 0})
                       .Bytes());
}

TEST(TextFormToBinary, StringRules) {
  EXPECT_EQ(ValueOf("''"), FormWith({6, 0}));
  EXPECT_EQ(ValueOf("'it''s'"), FormWith({6, 4, 'i', 't', '\'', 's'}));
  EXPECT_EQ(ValueOf("'a'#13#10'b'"), FormWith({6, 4, 'a', 13, 10, 'b'}));
  EXPECT_EQ(ValueOf("#65#0#255"), FormWith({6, 3, 'A', 0, 255}));
  EXPECT_EQ(ValueOf("'ab' +\n    'c'#33 + 'd'"), FormWith({6, 5, 'a', 'b', 'c', '!', 'd'}));
  std::string longest(255, 'x');
  EXPECT_EQ(ValueOf("'" + longest + "'").size(), FormWith({6, 255}).size() + 255);
}

TEST(TextFormToBinary, IntegersTakeTheSmallestForm) {
  EXPECT_EQ(ValueOf("0"), FormWith({2, 0}));
  EXPECT_EQ(ValueOf("127"), FormWith({2, 0x7F}));
  EXPECT_EQ(ValueOf("-128"), FormWith({2, 0x80}));
  EXPECT_EQ(ValueOf("128"), FormWith({3, 0x80, 0x00}));
  EXPECT_EQ(ValueOf("-129"), FormWith({3, 0x7F, 0xFF}));
  EXPECT_EQ(ValueOf("32767"), FormWith({3, 0xFF, 0x7F}));
  EXPECT_EQ(ValueOf("-32768"), FormWith({3, 0x00, 0x80}));
  EXPECT_EQ(ValueOf("32768"), FormWith({4, 0x00, 0x80, 0, 0}));
  EXPECT_EQ(ValueOf("-32769"), FormWith({4, 0xFF, 0x7F, 0xFF, 0xFF}));
  EXPECT_EQ(ValueOf("2147483647"), FormWith({4, 0xFF, 0xFF, 0xFF, 0x7F}));
  EXPECT_EQ(ValueOf("-2147483648"), FormWith({4, 0, 0, 0, 0x80}));
}

TEST(TextFormToBinary, SetsAndBooleans) {
  EXPECT_EQ(ValueOf("[]"), FormWith({11, 0}));
  EXPECT_EQ(ValueOf("[a, bc]"), FormWith({11, 1, 'a', 2, 'b', 'c', 0}));
  EXPECT_EQ(ValueOf("True"), FormWith({9}));
  EXPECT_EQ(ValueOf("False"), FormWith({8}));
  EXPECT_EQ(ValueOf("true"), FormWith({7, 4, 't', 'r', 'u', 'e'}));
}

TEST(TextFormToBinary, BinaryValues) {
  EXPECT_EQ(ValueOf("{}"), FormWith({10, 0, 0, 0, 0}));
  EXPECT_EQ(ValueOf("{\n  0aFf\n  10}"), FormWith({10, 3, 0, 0, 0, 0x0A, 0xFF, 0x10}));
}

class SpliceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = std::filesystem::temp_directory_path() /
            ("fconv-splice-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(root_ / "form");
    std::filesystem::create_directories(root_ / "inc");
    Write(root_ / "form" / "a.bin", "AB");
    Write(root_ / "inc" / "b.bin", "xyz");
    Write(root_ / "inc" / "a.bin", "shadowed");
    Write(root_ / "inc" / "empty.bin", "");
  }
  void TearDown() override { std::filesystem::remove_all(root_); }

  static void Write(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }
  formtext::SpliceDirs Dirs() const { return {root_ / "form", {root_ / "inc"}}; }

  std::filesystem::path root_;
};

TEST_F(SpliceTest, FilesMixWithHexAndFormDirectoryComesFirst) {
  std::vector<uint8_t> bytes = TextFormToBinary(
      "object A: T P = { 01 @file 'a.bin' 02 @file 'b.bin'@file 'empty.bin' } end", Dirs());
  EXPECT_EQ(bytes, FormWith({10, 7, 0, 0, 0, 1, 'A', 'B', 2, 'x', 'y', 'z'}));
}

TEST_F(SpliceTest, AbsolutePathIsUsedAsGiven) {
  std::string path = (root_ / "inc" / "b.bin").string();
  std::vector<uint8_t> bytes = TextFormToBinary("object A: T P = {@file '" + path + "'} end");
  EXPECT_EQ(bytes, FormWith({10, 3, 0, 0, 0, 'x', 'y', 'z'}));
}

TEST_F(SpliceTest, MissingFileNamesItAndItsPlace) {
  FormTextError error = ErrorOf("object A: T\n  P = { 00 @file 'nope.bin' }\nend", Dirs());
  EXPECT_EQ(error.Line(), 2u);
  EXPECT_EQ(error.Column(), 12u);
  EXPECT_NE(error.Detail().find("'nope.bin': no such file"), std::string::npos) << error.what();
  EXPECT_NE(error.Detail().find((root_ / "inc").string()), std::string::npos) << error.what();
}

TEST(TextFormToBinaryErrors, EachRefusalSaysWhatAndWhere) {
  struct Case {
    const char* text;
    size_t line;
    size_t column;
    const char* detail;
  };
  const Case cases[] = {
      {"", 1, 1, "expected 'object', found the end of the text"},
      {"object A: T\n  P = 1\n", 3, 1,
       "expected a property name, 'object' or 'end', found the end"},
      {"object A: T\n  P 1\nend", 2, 5, "expected '=', found number 1"},
      {"object A: T\n  P =\n", 3, 1, "expected a value, found the end of the text"},
      {"object A: T\n  P = 'abc\nend", 2, 7, "string not closed on its line"},
      {"object A: T P = #256 end", 1, 18, "character code above 255"},
      {"object A: T P = # end", 1, 18, "expected a decimal character code"},
      {"object A: T P = 2147483648 end", 1, 17, "does not fit in 32 bits"},
      {"object A: T P = -2147483649 end", 1, 17, "does not fit in 32 bits"},
      {"object A: T P = 99999999999999999999999 end", 1, 17, "does not fit in 32 bits"},
      {"object A: T P = 12ab end", 1, 19, "inside a number"},
      {"object A: T P = [a b] end", 1, 20, "expected ']', found 'b'"},
      {"object A: T P = [a,] end", 1, 20, "expected a set element, found ']'"},
      {"object A: T P = {0} end", 1, 19, "odd number of hexadecimal digits"},
      {"object A: T P = {0G} end", 1, 19, "unexpected 'G' in a binary value"},
      {"object A: T P = {00", 1, 17, "binary value not closed"},
      {"object A: T P = {@include 'x'} end", 1, 18, "unknown directive '@include'"},
      {"object A: T P = {0@file 'x'} end", 1, 19, "odd number of hexadecimal digits"},
      {"object A: T P = 'a' + end", 1, 23, "expected a string after '+'"},
      {"object A: T P = ; end", 1, 17, "unexpected ';'"},
      {"object A: T P.. = 1 end", 1, 13, "malformed name \"P..\""},
      {"object A.B: T end", 1, 8, "expected a component name or class name, found 'A.B'"},
      {"object A: 5 end", 1, 11, "expected a class name, found number 5"},
      {"object A: T object B: U end P = 1 end", 1, 29, "property 'P' after a child object"},
      {"object A: T end end", 1, 17, "text after the final 'end'"},
      {"object A: T\n\tP = \x01 end", 2, 6, "unexpected character #1"},
  };
  for (const Case& c : cases) {
    FormTextError error = ErrorOf(c.text);
    EXPECT_FALSE(error.HasOffset());
    EXPECT_EQ(error.Line(), c.line) << c.text << " -> " << error.what();
    EXPECT_EQ(error.Column(), c.column) << c.text << " -> " << error.what();
    EXPECT_NE(error.Detail().find(c.detail), std::string::npos) << c.text << " -> " << error.what();
  }
}

TEST(TextFormToBinaryErrors, LengthLimitsOfNamesAndStrings) {
  std::string longName(256, 'N');
  EXPECT_NE(ErrorOf("object A: T " + longName + " = 1 end").Detail().find("256 bytes long"),
            std::string::npos);
  EXPECT_NE(ErrorOf("object A: T P = '" + std::string(200, 'x') + "' + '" + std::string(56, 'y') +
                    "' end")
                .Detail()
                .find("string is 256 bytes long"),
            std::string::npos);
}

TEST(TextFormToBinaryErrors, DeepNestingIsRefused) {
  std::string text;
  for (int i = 0; i < 300; ++i) text += "object T ";
  for (int i = 0; i < 300; ++i) text += "end ";
  EXPECT_NE(ErrorOf(text).Detail().find("nested deeper than"), std::string::npos);
}

}  // namespace
