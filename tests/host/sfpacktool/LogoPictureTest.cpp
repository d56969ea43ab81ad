// The logo check on JPEGs encoded here with libjpeg: the picture data is what
// launcher/make_picture_data.sh gives for the program's own logo, the decoded size is returned,
// and what the launcher's decoder could not show, or what is too large, is refused with a reason.
#include "tools/sfpack/LogoPicture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tools/fileio/WholeFile.h"

// clang-format off
#include <jpeglib.h>
// clang-format on

namespace {

using Bytes = std::vector<uint8_t>;
using sfpack::LogoPictureError;
using sfpack::MakeLogoPicture;

struct Encoding {
  uint32_t width;
  uint32_t height;
  J_COLOR_SPACE space;  // JCS_RGB, JCS_GRAYSCALE or JCS_CMYK
  bool progressive = false;
  bool arithmetic = false;
  bool scanPerBand = false;  // progressive: the DC scan, then one scan per AC band and component
};

// The scan script of scanPerBand: 1 + 63 * components scans.
std::vector<jpeg_scan_info> ScanPerBand(int Components) {
  std::vector<jpeg_scan_info> scans(1);
  scans[0].comps_in_scan = Components;
  for (int c = 0; c < Components; ++c) scans[0].component_index[c] = c;
  for (int band = 1; band < 64; ++band)
    for (int c = 0; c < Components; ++c) {
      jpeg_scan_info scan = {};
      scan.comps_in_scan = 1;
      scan.component_index[0] = c;
      scan.Ss = scan.Se = band;
      scans.push_back(scan);
    }
  return scans;
}

// A JPEG of a colour gradient encoded with libjpeg.
Bytes Encode(const Encoding& E) {
  jpeg_compress_struct info;
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &out, &size);
  info.image_width = E.width;
  info.image_height = E.height;
  info.in_color_space = E.space;
  info.input_components = E.space == JCS_GRAYSCALE ? 1 : E.space == JCS_CMYK ? 4 : 3;
  jpeg_set_defaults(&info);
  if (E.progressive) jpeg_simple_progression(&info);
  const std::vector<jpeg_scan_info> scans = ScanPerBand(info.num_components);
  if (E.scanPerBand) {
    info.scan_info = scans.data();
    info.num_scans = static_cast<int>(scans.size());
  }
  info.arith_code = E.arithmetic;
  jpeg_start_compress(&info, TRUE);
  std::vector<uint8_t> row(size_t(E.width) * info.input_components);
  while (info.next_scanline < info.image_height) {
    for (size_t i = 0; i < row.size(); ++i) row[i] = uint8_t(i * 7 + info.next_scanline * 3);
    JSAMPROW rows[] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  Bytes bytes(out, out + size);
  std::free(out);
  return bytes;
}

TEST(LogoPicture, MatchesTheBuildsPictureDataForTheLogo) {
  const std::string logo = std::string(AC_LAUNCHER_DIR) + "/pictures/logo.jpg";
  const std::string made = testing::TempDir() + "/logo.picture";
  const std::string command =
      std::string(AC_LAUNCHER_DIR) + "/make_picture_data.sh TJPEGImage " + logo + " " + made;
  ASSERT_EQ(std::system(command.c_str()), 0);
  const sfpack::LogoPicture picture = MakeLogoPicture(ReadWholeFile(logo));
  EXPECT_EQ(picture.pictureData, ReadWholeFile(made));
  std::remove(made.c_str());
  EXPECT_GT(picture.width, 0u);
  EXPECT_GT(picture.height, 0u);
}

TEST(LogoPicture, AcceptsWhatTheLauncherDecodes) {
  const std::vector<Encoding> cases = {
      {40, 30, JCS_RGB},
      {17, 9, JCS_GRAYSCALE},
      {64, 48, JCS_RGB, true},
      {2048, 1, JCS_RGB},
      {1, 2048, JCS_GRAYSCALE, true},
      {16, 16, JCS_GRAYSCALE, false, false, true},  // 64 scans
  };
  for (const Encoding& c : cases) {
    const Bytes jpeg = Encode(c);
    const sfpack::LogoPicture picture = MakeLogoPicture(jpeg);
    EXPECT_EQ(picture.width, c.width);
    EXPECT_EQ(picture.height, c.height);
    const Bytes head = {10,
                        'T',
                        'J',
                        'P',
                        'E',
                        'G',
                        'I',
                        'm',
                        'a',
                        'g',
                        'e',
                        uint8_t(jpeg.size()),
                        uint8_t(jpeg.size() >> 8),
                        uint8_t(jpeg.size() >> 16),
                        uint8_t(jpeg.size() >> 24)};
    ASSERT_EQ(picture.pictureData.size(), head.size() + jpeg.size());
    EXPECT_EQ(Bytes(picture.pictureData.begin(), picture.pictureData.begin() + head.size()), head);
    EXPECT_EQ(Bytes(picture.pictureData.begin() + head.size(), picture.pictureData.end()), jpeg);
  }
}

TEST(LogoPicture, RefusesWhatTheLauncherCannotShowOrIsTooLarge) {
  const Bytes good = Encode({64, 64, JCS_RGB});
  struct Case {
    const char* name;
    Bytes bytes;
    const char* reason;
  };
  std::vector<Case> cases;
  cases.push_back({"empty", {}, "not a JPEG"});
  cases.push_back({"PNG", {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}, "not a JPEG"});
  cases.push_back(
      {"header only", Bytes(good.begin(), good.begin() + 20), "not a JPEG the launcher"});
  cases.push_back(
      {"truncated", Bytes(good.begin(), good.begin() + good.size() * 2 / 3), "damaged"});
  Bytes damaged = good;
  for (size_t i = damaged.size() - 200; i < damaged.size() - 100; i += 2) {
    damaged[i] = 0xFF;
    damaged[i + 1] = 0xD0 + (i % 8);  // restart markers the scan does not have
  }
  cases.push_back({"damaged scan", damaged, "damaged"});
  Bytes precision = good;
  for (size_t i = 2; i + 4 < precision.size(); ++i)
    if (precision[i] == 0xFF && precision[i + 1] == 0xC0) {
      precision[i + 4] = 12;  // the frame header's sample precision
      break;
    }
  cases.push_back({"12-bit", precision, "12"});
  cases.push_back({"CMYK", Encode({16, 16, JCS_CMYK}), "CMYK"});
  cases.push_back({"arithmetic", Encode({16, 16, JCS_RGB, false, true}), "arithmetic"});
  cases.push_back({"too wide", Encode({2049, 1, JCS_GRAYSCALE}), "too large"});
  cases.push_back({"too high", Encode({1, 2049, JCS_GRAYSCALE}), "too large"});
  cases.push_back({"scan per band", Encode({16, 16, JCS_RGB, false, false, true}), "scans"});
  Bytes huge = good;
  huge.resize(sfpack::kMaxLogoFileBytes + 1);
  cases.push_back({"file too large", huge, "too large for a logo"});
  for (const Case& c : cases) {
    try {
      MakeLogoPicture(c.bytes);
      ADD_FAILURE() << c.name << ": accepted";
    } catch (const LogoPictureError& e) {
      EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos)
          << c.name << ": " << e.what();
    }
  }
}

}  // namespace
