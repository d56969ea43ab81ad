// Picture data: the JPEG logo decodes to its size; every kind of bad data gives EReadError and
// an empty picture (libjpeg's fatal errors return safely instead of ending the process).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "toolkit/core/TMemoryStream.h"
#include "toolkit/core/TReadOnlyMemoryStream.h"
#include "toolkit/core/ToolkitErrors.h"
#include "toolkit/ui/TJPEGImage.h"
#include "toolkit/ui/TPicture.h"

namespace {

std::vector<uint8_t> LogoJpeg() {
  HRSRC res = FindResourceA(nullptr, "LOGOJPG", MAKEINTRESOURCEA(10));
  if (!res) return {};
  const auto* p = static_cast<const uint8_t*>(LockResource(LoadResource(nullptr, res)));
  return std::vector<uint8_t>(p, p + SizeofResource(nullptr, res));
}

// Picture data as a form stores it: class name, 32-bit count, bytes.
std::vector<uint8_t> PictureData(const std::string& Class, const std::vector<uint8_t>& Bytes,
                                 uint32_t Count) {
  // Sized once and filled in place (GCC 12 misjudges growing inserts at -O3).
  std::vector<uint8_t> d(1 + Class.size() + 4 + Bytes.size());
  d[0] = static_cast<uint8_t>(Class.size());
  std::copy(Class.begin(), Class.end(), d.begin() + 1);
  for (size_t i = 0; i < 4; ++i) d[1 + Class.size() + i] = static_cast<uint8_t>(Count >> (8 * i));
  std::copy(Bytes.begin(), Bytes.end(), d.begin() + static_cast<ptrdiff_t>(5 + Class.size()));
  return d;
}

class PictureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TPicture::RegisterFileFormat("TJPEGImage", [] { return std::make_unique<TJPEGImage>(); });
    logo_ = LogoJpeg();
    ASSERT_EQ(logo_.size(), 4411u);
  }
  // Reads Data into a fresh picture; returns the error text ("" when it loaded).
  std::string Read(const std::vector<uint8_t>& Data) {
    picture_ = std::make_unique<TPicture>();
    TReadOnlyMemoryStream s(Data.data(), Data.size());
    try {
      picture_->ReadData(s);
      return "";
    } catch (const EReadError& e) {
      EXPECT_EQ(picture_->Graphic(), nullptr) << "a failed read leaves the picture empty";
      return e.what();
    }
  }
  std::vector<uint8_t> logo_;
  std::unique_ptr<TPicture> picture_;
};

TEST_F(PictureTest, LogoDecodesAtItsOwnSizeAndWritesBackTheSameBytes) {
  const std::vector<uint8_t> data =
      PictureData("TJPEGImage", logo_, static_cast<uint32_t>(logo_.size()));
  ASSERT_EQ(Read(data), "");
  auto* jpeg = dynamic_cast<TJPEGImage*>(picture_->Graphic());
  ASSERT_NE(jpeg, nullptr);
  EXPECT_EQ(picture_->Width(), 197);
  EXPECT_EQ(picture_->Height(), 89);
  // White paper around the emblem: the top left corner is (nearly) white.
  const uint32_t corner = jpeg->Pixel(0, 0);
  EXPECT_GT(corner & 0xFF, 230u);
  EXPECT_GT((corner >> 16) & 0xFF, 230u);
  EXPECT_EQ(jpeg->Pixel(197, 0), 0u);  // outside
  TMemoryStream out;
  picture_->WriteData(out);
  EXPECT_EQ(out.Bytes(), data);
}

TEST_F(PictureTest, BadDataGivesReadErrors) {
  const auto size = static_cast<uint32_t>(logo_.size());
  // Unknown graphic class.
  EXPECT_NE(Read(PictureData("TGIFImage", logo_, size)).find("Unknown picture format TGIFImage"),
            std::string::npos);
  // The count announces more than there is.
  EXPECT_NE(Read(PictureData("TJPEGImage", logo_, size + 1)).find("JPEG data truncated"),
            std::string::npos);
  EXPECT_NE(Read(PictureData("TJPEGImage", logo_, 0xFFFFFFFFu)).find("truncated"),
            std::string::npos);
  // The data ends inside the class name or the count.
  EXPECT_NE(Read({10, 'T', 'J', 'P'}).find("truncated"), std::string::npos);
  EXPECT_NE(Read({1, 'X'}).find("Unknown picture format"), std::string::npos);
  EXPECT_NE(Read({}).find("truncated"), std::string::npos);
  // Not a JPEG at all; a JPEG cut in half; no bytes.
  const std::vector<uint8_t> junk(300, 0x5A);
  EXPECT_NE(Read(PictureData("TJPEGImage", junk, 300)).find("JPEG error"), std::string::npos);
  const std::vector<uint8_t> half(logo_.begin(), logo_.begin() + logo_.size() / 2);
  EXPECT_FALSE(Read(PictureData("TJPEGImage", half, static_cast<uint32_t>(half.size()))).empty());
  EXPECT_FALSE(Read(PictureData("TJPEGImage", {}, 0)).empty());
}

TEST_F(PictureTest, HostileDimensionsAreRefusedBeforeAllocating) {
  // The progressive frame header (FF C2): length(2) precision(1) height(2) width(2).
  std::vector<uint8_t> huge = logo_;
  const uint8_t sof[] = {0xFF, 0xC2};
  auto at = std::search(huge.begin(), huge.end(), std::begin(sof), std::end(sof));
  ASSERT_NE(at, huge.end());
  const size_t p = static_cast<size_t>(at - huge.begin());
  // 60000 x 60000: within libjpeg's own limit, far beyond the pixel budget.
  huge[p + 5] = huge[p + 7] = 0xEA;
  huge[p + 6] = huge[p + 8] = 0x60;
  const std::string error =
      Read(PictureData("TJPEGImage", huge, static_cast<uint32_t>(huge.size())));
  EXPECT_NE(error.find("too large"), std::string::npos) << error;
}

TEST_F(PictureTest, EmptyClassNameIsAnEmptyPicture) {
  ASSERT_EQ(Read({0}), "");
  EXPECT_EQ(picture_->Graphic(), nullptr);
  EXPECT_EQ(picture_->Width(), 0);
  TMemoryStream out;
  picture_->WriteData(out);
  EXPECT_EQ(out.Bytes(), std::vector<uint8_t>{0});
}

}  // namespace
