#include <gtest/gtest.h>

#include <string>

#include "tests/host/formconv/FormBytes.h"
#include "tools/formconv/BinaryFormToText.h"
#include "tools/formconv/TextFormToBinary.h"

namespace {

using formtext::BinaryFormToText;
using formtext::TextFormToBinary;

// A text form touching every value kind, written by hand in a looser layout than the writer's.
const char* const kLooseForm =
    "object Form1: TForm1\n"
    "  Left = 252\n"
    "  Top=-146 Width = 70000\n"
    "  Caption = 'Installation'\n"
    "  Font.Name = 'MS Sans Serif'\n"
    "  Font.Style = [ ]\n"
    "  Label5.Font.Style = [fsBold,fsItalic]\n"
    "  Lines = 'a'#13#10'b' + 'c'\n"
    "  Quote = ''''\n"
    "  Long = '"
    "0123456789012345678901234567890123456789012345678901234567890123456789"
    "'\n"
    "  Visible = True\n"
    "  Enabled = False\n"
    "  OnClick = Image2Click\n"
    "  Picture.Data = {0A 54 4A\n"
    "     50 45 47}\n"
    "  Empty = {}\n"
    "  object Label2: TLabel\n"
    "    Left = 8\n"
    "    object TPanel\n"
    "    end\n"
    "  end\n"
    "end\n";

TEST(RoundTrip, TextToBinaryToTextIsStable) {
  std::vector<uint8_t> binary = TextFormToBinary(kLooseForm);
  std::string text = BinaryFormToText(binary);
  EXPECT_EQ(TextFormToBinary(text), binary);
  EXPECT_EQ(BinaryFormToText(TextFormToBinary(text)), text);
  EXPECT_NE(text.find("  Lines = 'a'#13#10'bc'\n"), std::string::npos) << text;
  EXPECT_NE(text.find("  Long =\n    '"), std::string::npos) << text;
}

TEST(RoundTrip, CanonicalBinaryIsReproducedByteForByte) {
  FormBytes form;
  form.Begin("TX", "X");
  int32_t borders[] = {0, 127, -128, 128, -129, 32767, -32768, 32768, -32769, 2147483647};
  for (int32_t value : borders) {
    form.Short("I");
    if (value >= -128 && value <= 127) {
      form.Raw({2, static_cast<uint8_t>(value)});
    } else if (value >= -32768 && value <= 32767) {
      form.Raw({3, static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)});
    } else {
      uint32_t u = static_cast<uint32_t>(value);
      form.Raw({4, static_cast<uint8_t>(u), static_cast<uint8_t>(u >> 8),
                static_cast<uint8_t>(u >> 16), static_cast<uint8_t>(u >> 24)});
    }
  }
  std::string allBytes;
  for (int c = 0; c < 256; ++c) allBytes += static_cast<char>(c);
  form.Short("S0").Raw({6}).Short(allBytes.substr(0, 255));
  form.Short("S1").Raw({6}).Short(std::string(255, '\''));
  form.Short("B").Raw({10, 0, 1, 0, 0}).Chars(allBytes);
  form.Short("E").Raw({11, 0}).Short("F").Raw({7}).Short("x.y");
  form.Short("G").Raw({8}).Short("H").Raw({9});
  form.Raw({0});
  form.Short("TY").Short("").Raw({0, 0});
  form.Raw({0});
  const std::vector<uint8_t>& bytes = form.Bytes();
  EXPECT_EQ(TextFormToBinary(BinaryFormToText(bytes)), bytes);
}

TEST(RoundTrip, WiderIntegerThanNeededShrinks) {
  std::vector<uint8_t> wide =
      FormBytes().Begin("T", "A").Short("P").Raw({4, 5, 0, 0, 0}).Raw({0, 0}).Bytes();
  std::vector<uint8_t> narrow =
      FormBytes().Begin("T", "A").Short("P").Raw({2, 5}).Raw({0, 0}).Bytes();
  EXPECT_EQ(TextFormToBinary(BinaryFormToText(wide)), narrow);
}

}  // namespace
