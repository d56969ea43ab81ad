#include "tools/formconv/BinaryFormToText.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/host/formconv/FormBytes.h"
#include "tools/formconv/FormTextError.h"

namespace {

using formtext::BinaryFormToText;
using formtext::FormTextError;

// The text of a one-property form whose value bytes are `value`.
std::string PropertyLine(std::initializer_list<uint8_t> value) {
  std::string text =
      BinaryFormToText(FormBytes().Begin("T", "A").Short("P").Raw(value).Raw({0, 0}).Bytes());
  const std::string head = "object A: T\n";
  const std::string tail = "end\n";
  EXPECT_EQ(text.substr(0, head.size()), head);
  EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
  return text.substr(head.size(), text.size() - head.size() - tail.size());
}

FormTextError ErrorOf(const std::vector<uint8_t>& bytes) {
  try {
    BinaryFormToText(bytes);
  } catch (const FormTextError& error) {
    return error;
  }
  ADD_FAILURE() << "no error for " << bytes.size() << " bytes";
  return FormTextError::AtOffset(0, "");
}

TEST(BinaryFormToText, NestedFormLayout) {
  std::vector<uint8_t> bytes = FormBytes()
                                   .Begin("TForm1", "Form1")
                                   .Short("Left")
                                   .Raw({3, 252, 0})
                                   .Short("Font.Style")
                                   .Raw({11, 0})
                                   .Raw({0})
                                   .Short("TLabel")
                                   .Short("Label2")
                                   .Short("Font.Style")
                                   .Raw({11})
                                   .Short("fsBold")
                                   .Short("fsItalic")
                                   .Raw({0})
                                   .Raw({0})
                                   .Short("TPanel")
                                   .Short("")
                                   .Raw({0, 0})
                                   .Raw({0})
                                   .Raw({0})
                                   .Bytes();
  EXPECT_EQ(BinaryFormToText(bytes),
            "object Form1: TForm1\n"
            "  Left = 252\n"
            "  Font.Style = []\n"
            "  object Label2: TLabel\n"
            "    Font.Style = [fsBold, fsItalic]\n"
            "    object TPanel\n"
            "    end\n"
            "  end\n"
            "end\n");
}

TEST(BinaryFormToText, ScalarValues) {
  EXPECT_EQ(PropertyLine({2, 0x80}), "  P = -128\n");
  EXPECT_EQ(PropertyLine({3, 0x7F, 0xFF}), "  P = -129\n");
  EXPECT_EQ(PropertyLine({4, 0, 0, 0, 0x80}), "  P = -2147483648\n");
  EXPECT_EQ(PropertyLine({4, 5, 0, 0, 0}), "  P = 5\n");  // not smallest: still readable
  EXPECT_EQ(PropertyLine({8}), "  P = False\n");
  EXPECT_EQ(PropertyLine({9}), "  P = True\n");
  EXPECT_EQ(PropertyLine({7, 7, 'c', 'l', 'W', 'h', 'i', 't', 'e'}), "  P = clWhite\n");
}

TEST(BinaryFormToText, StringsQuoteEscapeAndJoin) {
  EXPECT_EQ(PropertyLine({6, 0}), "  P = ''\n");
  EXPECT_EQ(PropertyLine({6, 4, 'i', 't', '\'', 's'}), "  P = 'it''s'\n");
  EXPECT_EQ(PropertyLine({6, 4, 'a', 13, 10, 'b'}), "  P = 'a'#13#10'b'\n");
  EXPECT_EQ(PropertyLine({6, 3, 31, 127, 0xE4}), "  P = #31#127#228\n");
  EXPECT_EQ(PropertyLine({6, 3, ' ', '~', '!'}), "  P = ' ~!'\n");
}

TEST(BinaryFormToText, LongStringsWrapWithPlus) {
  FormBytes form;
  form.Begin("T", "A").Short("P").Raw({6}).Short(std::string(150, 'x')).Raw({0, 0});
  std::string text = BinaryFormToText(form.Bytes());
  EXPECT_EQ(text,
            "object A: T\n"
            "  P =\n"
            "    '" +
                std::string(60, 'x') +
                "' +\n"
                "    '" +
                std::string(60, 'x') +
                "' +\n"
                "    '" +
                std::string(30, 'x') +
                "'\n"
                "end\n");
}

TEST(BinaryFormToText, BinaryInLinesOf32Bytes) {
  EXPECT_EQ(PropertyLine({10, 0, 0, 0, 0}), "  P = {}\n");
  FormBytes form;
  form.Begin("T", "A").Short("P").Raw({10, 34, 0, 0, 0});
  for (int i = 0; i < 34; ++i) form.Raw({static_cast<uint8_t>(i * 7)});
  form.Raw({0, 0});
  std::string text = BinaryFormToText(form.Bytes());
  EXPECT_EQ(text,
            "object A: T\n"
            "  P = {\n"
            "    00070E151C232A31383F464D545B626970777E858C939AA1A8AFB6BDC4CBD2D9\n"
            "    E0E7}\n"
            "end\n");
}

TEST(BinaryFormToTextErrors, TruncationAnywhereIsRefusedWithItsOffset) {
  std::vector<uint8_t> whole = FormBytes()
                                   .Begin("TForm1", "Form1")
                                   .Short("Left")
                                   .Raw({3, 252, 0})
                                   .Short("C")
                                   .Raw({6})
                                   .Short("abc")
                                   .Short("S")
                                   .Raw({11})
                                   .Short("x")
                                   .Raw({0})
                                   .Short("B")
                                   .Raw({10, 2, 0, 0, 0, 1, 2})
                                   .Short("I")
                                   .Raw({4, 1, 2, 3, 4})
                                   .Raw({0})
                                   .Short("TLabel")
                                   .Short("L")
                                   .Raw({0, 0})
                                   .Raw({0})
                                   .Bytes();
  ASSERT_NO_THROW(BinaryFormToText(whole));
  for (size_t length = 0; length < whole.size(); ++length) {
    std::vector<uint8_t> cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length));
    FormTextError error = ErrorOf(cut);
    EXPECT_TRUE(error.HasOffset());
    EXPECT_LE(error.Offset(), length) << error.what();
    if (length >= 4) {
      bool named = error.Detail().find("truncated") != std::string::npos ||
                   error.Detail().find("data ends where") != std::string::npos;
      EXPECT_TRUE(named) << "length " << length << ": " << error.what();
    }
  }
}

TEST(BinaryFormToTextErrors, EachRefusalSaysWhatAndWhere) {
  struct Case {
    std::vector<uint8_t> bytes;
    size_t offset;
    const char* detail;
  };
  const Case cases[] = {
      {FormBytes().Chars("TPF1").Bytes(), 0, "missing signature \"TPF0\""},
      {FormBytes().Begin("T", "A").Short("P").Raw({5, 0, 0, 0}).Bytes(), 10,
       "unknown value type 5 of property 'P'"},
      {FormBytes().Begin("T", "A").Short("P").Raw({12, 0}).Bytes(), 10, "unknown value type 12"},
      {FormBytes().Begin("T", "A").Raw({0, 0, 0xAA, 0xBB}).Bytes(), 10,
       "2 byte(s) after the end of the root component"},
      {FormBytes().Begin("T", "A").Short("P").Raw({6, 5, 'a'}).Bytes(), 11,
       "truncated string value: needs 5 byte(s), 1 left"},
      {FormBytes().Begin("T", "A").Short("P").Raw({10, 0xFF, 0xFF, 0xFF, 0xFF, 1}).Bytes(), 11,
       "truncated binary value: needs 4294967295 byte(s), 1 left"},
      {FormBytes().Begin("T", "A").Short("P").Raw({3, 1}).Bytes(), 11, "truncated int16 value"},
      {FormBytes().Begin("T", "A").Short("P").Bytes(), 10, "data ends where the value type"},
      {FormBytes().Begin("T y", "A").Bytes(), 4, "class name \"T y\" is not an identifier"},
      {FormBytes().Begin("", "A").Bytes(), 4, "class name \"\" is not an identifier"},
      {FormBytes().Begin("T", "A\x01").Bytes(), 6, "component name \"A#1\" is not an identifier"},
      {FormBytes().Begin("T", "A").Short("P.").Raw({8}).Bytes(), 8, "property name \"P.\""},
      {FormBytes().Begin("T", "A").Short("P").Raw({7, 0}).Bytes(), 11, "identifier value \"\""},
      {FormBytes().Begin("T", "A").Short("P").Raw({7}).Short("True").Bytes(), 11,
       "\"True\" would read back as a boolean"},
      {FormBytes().Begin("T", "A").Short("P").Raw({11}).Short("1x").Bytes(), 11,
       "set element \"1x\" is not an identifier"},
  };
  for (const Case& c : cases) {
    FormTextError error = ErrorOf(c.bytes);
    EXPECT_TRUE(error.HasOffset());
    EXPECT_EQ(error.Offset(), c.offset) << error.what();
    EXPECT_NE(error.Detail().find(c.detail), std::string::npos) << error.what();
  }
}

TEST(BinaryFormToTextErrors, DeepNestingIsRefused) {
  FormBytes form;
  for (int i = 0; i < 300; ++i) form.Begin("T", "").Raw({0});
  EXPECT_NE(ErrorOf(form.Bytes()).Detail().find("nested deeper than 256"), std::string::npos);
}

}  // namespace
