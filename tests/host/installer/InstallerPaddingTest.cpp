#include "installer/pad/InstallerPadding.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "storage/acSFPack.h"

namespace {

constexpr size_t kBlock = kPackBlockMax;

// Something like a small program image: a header, code-like bytes and zero-filled alignment areas,
// so that the image itself holds runs the search has to account for.
std::vector<uint8_t> FakeImage(size_t size) {
  std::vector<uint8_t> image(size, 0);
  uint32_t x = 12345;
  for (size_t i = 0; i < size; ++i) {
    if (i % 1024 >= 700) continue;  // a zero run of 324 bytes in every kilobyte
    x = x * 1103515245u + 12345u;
    image[i] = static_cast<uint8_t>(x >> 16);
  }
  if (size >= 2) image[0] = 'M', image[1] = 'Z';
  return image;
}

// Bytes without any run of equal bytes: neighbours always differ.
std::vector<uint8_t> RunFreeImage(size_t size) {
  std::vector<uint8_t> image(size);
  for (size_t i = 0; i < size; ++i) image[i] = static_cast<uint8_t>(i * 7 + (i >> 8));
  return image;
}

// The packed size of a file of `size` bytes in which no block has a run: every block at its worst.
size_t PackedWithoutRuns(size_t size) {
  const size_t blocks = (size + kBlock - 1) / kBlock;
  return 4 + size + 4 * blocks;
}

// The figures must be read off the real packed data; two known inputs pin MeasurePacked itself.
TEST(MeasurePacked, ReadsBlockKindsAndTotals) {
  const std::vector<uint8_t> abc = {0x61, 0x62, 0x63};
  PackFigures f = MeasurePacked(abc);
  EXPECT_EQ(f.packedSize, 11u);
  EXPECT_EQ(f.blocks, 1u);
  EXPECT_EQ(f.tableBlocks, 0u);  // a marker block: value 0 is absent
  EXPECT_TRUE(f.roundTrip);

  std::vector<uint8_t> all(256);
  std::iota(all.begin(), all.end(), 0);
  all.insert(all.end(), 6, 0x41);
  all.insert(all.end(), 4, 0x42);
  f = MeasurePacked(all);
  EXPECT_EQ(f.packedSize, 4u + 2u + 266u);
  EXPECT_EQ(f.blocks, 1u);
  EXPECT_EQ(f.tableBlocks, 1u);
  EXPECT_TRUE(f.roundTrip);

  f = MeasurePacked({});
  EXPECT_EQ(f.packedSize, 4u);
  EXPECT_EQ(f.blocks, 0u);
  EXPECT_TRUE(f.roundTrip);
}

void ExpectMeets(const PaddingResult& r, std::span<const uint8_t> image, const PaddingTargets& t) {
  ASSERT_TRUE(r.ok) << r.error;
  ASSERT_EQ(r.file.size(), t.fileSize);
  EXPECT_TRUE(std::equal(image.begin(), image.end(), r.file.begin()));
  // Measured afresh rather than trusting the figures the result reports.
  const PackFigures f = MeasurePacked(r.file);
  EXPECT_EQ(f.packedSize, t.packedSize);
  EXPECT_EQ(f.blocks, t.tableBlocks);
  EXPECT_EQ(f.tableBlocks, t.tableBlocks);
  EXPECT_TRUE(f.roundTrip);
  EXPECT_EQ(r.figures.packedSize, f.packedSize);
}

// Without runs in the image the plain file packs to the worst case, so each saving is exactly the
// run the search must place: 1 (the shortest run, 5 bytes), 252 (the longest with a one-byte
// count), 253 (the shortest with a three-byte count) and a long one.
TEST(PadInstaller, RunFreeImageEveryRunKind) {
  const std::vector<uint8_t> image = RunFreeImage(3000);
  const size_t size = 3 * kBlock + 20000;
  for (size_t saving : {1u, 252u, 253u, 7000u}) {
    const PaddingTargets t{size, PackedWithoutRuns(size) - saving, 4};
    SCOPED_TRACE(saving);
    ExpectMeets(PadInstaller(image, t), image, t);
  }
}

// The image's own zero runs already save some bytes; the search must take them into account.
TEST(PadInstaller, ImageWithRunsReachesExactFigures) {
  const std::vector<uint8_t> image = FakeImage(3000);
  const size_t size = 3 * kBlock + 20000;
  for (size_t saving : {900u, 3000u}) {
    const PaddingTargets t{size, PackedWithoutRuns(size) - saving, 4};
    SCOPED_TRACE(saving);
    ExpectMeets(PadInstaller(image, t), image, t);
  }
}

TEST(PadInstaller, SavingLargerThanOneBlockSpreadsOverBlocks) {
  const std::vector<uint8_t> image = FakeImage(5000);
  const size_t size = 4 * kBlock + 5000;  // the last block is too short for a run
  const PaddingTargets t{size, PackedWithoutRuns(size) - 120000, 5};
  ExpectMeets(PadInstaller(image, t), image, t);
}

TEST(PadInstaller, ImageReachingIntoLaterBlocks) {
  const std::vector<uint8_t> image = FakeImage(kBlock + 30000);
  const size_t size = 3 * kBlock;
  const PaddingTargets t{size, PackedWithoutRuns(size) - 60000, 3};
  ExpectMeets(PadInstaller(image, t), image, t);
}

TEST(PadInstaller, SameInputSameFileOtherSeedOtherFile) {
  const std::vector<uint8_t> image = FakeImage(2000);
  const size_t size = 2 * kBlock + 30000;
  const PaddingTargets t{size, PackedWithoutRuns(size) - 9000, 3};
  const PaddingResult a = PadInstaller(image, t);
  const PaddingResult b = PadInstaller(image, t);
  const PaddingResult c = PadInstaller(image, t, 42);
  ASSERT_TRUE(a.ok && b.ok && c.ok);
  EXPECT_EQ(a.file, b.file);
  EXPECT_NE(a.file, c.file);
  ExpectMeets(c, image, t);
}

// The figures of the installer the launcher carries, from a short stand-in image.
TEST(PadInstaller, ShortFakeImageGivesTheInstallersFigures) {
  const std::vector<uint8_t> image = FakeImage(64);
  const PaddingResult r = PadInstaller(image, kInstallerTargets);
  ExpectMeets(r, image, kInstallerTargets);
  EXPECT_EQ(r.file.size(), 1816102u);
  EXPECT_EQ(r.figures.packedSize, 1809876u);
  EXPECT_EQ(r.figures.tableBlocks, 28u);
}

TEST(PadInstaller, RefusesWhatCannotBeMet) {
  const std::vector<uint8_t> image = FakeImage(3000);
  const size_t size = 2 * kBlock + 30000;
  const size_t plainMax = PackedWithoutRuns(size);
  struct Case {
    const char* what;
    std::vector<uint8_t> image;
    PaddingTargets targets;
    const char* reason;  // part of the expected message
  };
  const Case cases[] = {
      {"empty image", {}, {size, plainMax - 5000, 3}, "empty"},
      {"image larger than the file", FakeImage(size + 1), {size, plainMax - 5000, 3}, "more than"},
      {"block count not matching the size",
       image,
       {size, plainMax - 5000, 4},
       "do not make 4 blocks"},
      {"packed size above what the file packs to", image, {size, plainMax + 1, 3}, "only shrink"},
      {"packed size below what the runs can save", image, {size, 1000, 3}, "too little room"},
      // 1,000 generator bytes leave byte values out: the last block becomes a marker block.
      {"last block too short to hold every byte value",
       image,
       {2 * kBlock + 1000, PackedWithoutRuns(2 * kBlock + 1000) - 5000, 3},
       "2 of them table blocks"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const PaddingResult r = PadInstaller(c.image, c.targets);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find(c.reason), std::string::npos) << r.error;
    EXPECT_TRUE(r.file.empty());
  }
}

}  // namespace
