// FormWithLogo: Image2's picture, width and height replaced in form data made by formconv, the
// rest of the form as it was, and forms without a picture to replace refused.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/formconv/BinaryFormToText.h"
#include "tools/formconv/TextFormToBinary.h"
#include "tools/sfpack/FormLogo.h"
#include "tools/sfpack/LauncherWrap.h"

namespace {

using Bytes = std::vector<uint8_t>;

const std::string kForm =
    "object Form1: TForm1\n"
    "  Caption = 'Installation'\n"
    "  object Label2: TLabel\n"
    "    Width = 72\n"
    "  end\n"
    "  object Image2: TImage\n"
    "    Left = 8\n"
    "    Width = 197\n"
    "    Height = 89\n"
    "    Picture.Data = {0102}\n"
    "    OnClick = Image2Click\n"
    "  end\n"
    "end\n";

std::string Expected(uint32_t Width, uint32_t Height, const std::string& Hex) {
  std::string text = kForm;
  text.replace(text.find("197"), 3, std::to_string(Width));
  text.replace(text.find("89"), 2, std::to_string(Height));
  text.replace(text.find("0102"), 4, Hex);
  return formtext::BinaryFormToText(formtext::TextFormToBinary(text));
}

TEST(FormLogoTest, ReplacesPictureAndSizeInEveryIntegerWidth) {
  struct Case {
    uint32_t width, height;
    Bytes picture;
    std::string hex;
  };
  const Case cases[] = {
      {120, 50, {0xAA}, "AA"},                       // int8 as before
      {300, 127, {}, ""},                            // int16, an empty picture
      {2048, 40000, {1, 2, 3, 4, 5}, "0102030405"},  // int16 and int32
  };
  const Bytes form = formtext::TextFormToBinary(kForm);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.width);
    const Bytes out = sfpack::FormWithLogo(form, {c.picture, c.width, c.height});
    EXPECT_EQ(formtext::BinaryFormToText(out), Expected(c.width, c.height, c.hex));
  }
}

TEST(FormLogoTest, RefusesFormsWithoutAPictureAndDamagedData) {
  const std::string noImage =
      "object Form1: TForm1\n  object Image3: TImage\n"
      "    Picture.Data = {01}\n  end\nend\n";
  const std::string noPicture =
      "object Form1: TForm1\n  object Image2: TImage\n"
      "    Width = 5\n  end\nend\n";
  Bytes cut = formtext::TextFormToBinary(kForm);
  cut.resize(cut.size() - 10);
  for (const Bytes& form : {formtext::TextFormToBinary(noImage),
                            formtext::TextFormToBinary(noPicture), cut, Bytes{'T', 'P'}}) {
    EXPECT_THROW(sfpack::FormWithLogo(form, {{1}, 1, 1}), sfpack::WrapError);
  }
}

}  // namespace
