// Random inputs of every size class and shape: the product's packed bytes equal the plain
// reference packer's, and unpacking restores the input. Every case runs on each path the
// processor has: plain, SSE2, AVX2.

#include <gtest/gtest.h>

#include "storage/acSFPack.h"
#include "tests/host/sfpack/SFPackReference.h"
#include "tests/host/sfpack/SFPackTestSupport.h"

using sfpack_test::Bytes;

namespace {

void ExpectExactAndRestored(const Bytes& input, const std::string& what) {
  const Bytes packed = sfpack_test::Pack(input);
  ASSERT_EQ(packed, sfpack_reference::PackData(input)) << what << " size " << input.size();
  const auto back = sfpack_test::Unpack(packed, input.size());
  EXPECT_TRUE(back.result.ok) << what;
  EXPECT_EQ(back.result.written, input.size()) << what;
  EXPECT_TRUE(back.bytes == input) << what << " size " << input.size();
}

// Data shapes: incompressible, few values with runs (marker blocks), all values with runs of
// every length (table blocks), runs of exactly 3, 4 and 5, long runs.
Bytes Shape(std::mt19937& rng, int shape, size_t size) {
  switch (shape) {
    case 0:
      return sfpack_test::RandomWithRuns(rng, size, 256, 1);
    case 1:
      return sfpack_test::RandomWithRuns(rng, size, 5, 12);
    case 2:
      return sfpack_test::RandomWithRuns(rng, size, 256, 300);
    case 3: {
      Bytes out;
      std::uniform_int_distribution<int> len(3, 5), value(0, 255);
      while (out.size() < size) out.insert(out.end(), len(rng), static_cast<uint8_t>(value(rng)));
      out.resize(size);
      return out;
    }
    case 4:
      return sfpack_test::RandomWithRuns(rng, size, 256, 70000);
    default: {
      // All values but one (a marker block whose marker is not 0), with runs.
      Bytes out = sfpack_test::RandomWithRuns(rng, size, 256, 8);
      for (uint8_t& b : out)
        if (b == 0x90) b = 0x91;
      return out;
    }
  }
}

// The codec's own processor check agrees with the compiler's: the plain path is always there, SSE2
// and AVX2 are taken exactly where the processor (for AVX2 also the system) has them, and at
// start-up the best of them is in use. A wrong answer would skip the cases below without a word,
// or run code where it faults.
TEST(SFPackPaths, EachPathIsTakenExactlyWhereTheProcessorHasIt) {
  __builtin_cpu_init();
  const bool sse2 = __builtin_cpu_supports("sse2") != 0;
  const bool avx2 = __builtin_cpu_supports("avx2") != 0;
  const SFPackPath withSse2 = sse2 ? SFPackPath::kSse2 : SFPackPath::kPlain;
  const SFPackPath best = avx2 ? SFPackPath::kAvx2 : withSse2;
  EXPECT_EQ(SFPackPathInUse(), best);
  const struct {
    SFPackPath highest, expected;
  } cases[] = {{SFPackPath::kPlain, SFPackPath::kPlain},
               {SFPackPath::kSse2, withSse2},
               {SFPackPath::kAvx2, best},
               {SFPackPath::kPlain, SFPackPath::kPlain}};
  for (const auto& c : cases) {
    EXPECT_EQ(SetSFPackHighestPath(c.highest), c.expected) << sfpack_test::NameOf(c.highest);
    EXPECT_EQ(SFPackPathInUse(), c.expected) << sfpack_test::NameOf(c.highest);
  }
  SetSFPackHighestPath(SFPackPath::kAvx2);
}

// Every path gives the plain path's bytes, packed and unpacked, also for cut-short data.
TEST(SFPackPaths, EveryPathGivesThePlainPathsBytes) {
  std::mt19937 rng(31);
  for (int shape = 0; shape < 6; ++shape) {
    for (size_t size : {size_t{100}, size_t{3000}, size_t{kPackBlockMax + 1000}}) {
      const Bytes input = Shape(rng, shape, size);
      SetSFPackHighestPath(SFPackPath::kPlain);
      const Bytes packed = sfpack_test::Pack(input);
      const Bytes cut(packed.begin(), packed.begin() + packed.size() * 2 / 3);
      const auto plainCut = sfpack_test::Unpack(cut, input.size());
      for (SFPackPath path : sfpack_test::kPaths) {
        if (SetSFPackHighestPath(path) != path) continue;
        const std::string what = std::string(sfpack_test::NameOf(path)) + " shape " +
                                 std::to_string(shape) + " size " + std::to_string(size);
        EXPECT_EQ(sfpack_test::Pack(input), packed) << what;
        EXPECT_EQ(sfpack_test::Unpack(packed, input.size()).bytes, input) << what;
        const auto pathCut = sfpack_test::Unpack(cut, input.size());
        EXPECT_FALSE(pathCut.result.ok) << what;
        ASSERT_EQ(pathCut.result.written, plainCut.result.written) << what;
        EXPECT_TRUE(std::equal(plainCut.bytes.begin(),
                               plainCut.bytes.begin() + plainCut.result.written,
                               pathCut.bytes.begin()))
            << what;
      }
    }
  }
  SetSFPackHighestPath(SFPackPath::kAvx2);
}

class SFPackRoundTrip : public sfpack_test::EveryPath {};
INSTANTIATE_TEST_SUITE_P(Paths, SFPackRoundTrip, testing::ValuesIn(sfpack_test::kPaths),
                         sfpack_test::PathName);

TEST_P(SFPackRoundTrip, EverySizeClassEqualsTheReference) {
  std::mt19937 rng(2024);
  const size_t sizes[] = {0,     1,     2,     3,     4,      5,      6,     15,   16,
                          63,    64,    65,    66,    67,     68,     69,    127,  128,
                          129,   255,   256,   257,   1000,   4095,   4096,  4097, 20000,
                          65532, 65533, 65534, 65535, 131066, 131067, 200000};
  for (size_t size : sizes)
    for (int shape = 0; shape < 6; ++shape)
      ExpectExactAndRestored(Shape(rng, shape, size), "shape " + std::to_string(shape));
}

TEST_P(SFPackRoundTrip, ManySmallRandomInputsEqualTheReference) {
  std::mt19937 rng(99);
  std::uniform_int_distribution<size_t> size(0, 400);
  std::uniform_int_distribution<int> shape(0, 5);
  for (int n = 0; n < 3000; ++n) {
    const int s = shape(rng);
    ExpectExactAndRestored(Shape(rng, s, size(rng)), "shape " + std::to_string(s));
  }
}

// Runs at every offset of the vector scan's 64-byte window, including those straddling it.
TEST_P(SFPackRoundTrip, RunsAtEveryWindowOffset) {
  for (int table = 0; table < 2; ++table) {
    for (size_t run = 3; run <= 6; ++run) {
      for (size_t at = 0; at < 200; ++at) {
        Bytes input = table ? sfpack_test::AllValues() : Bytes{};
        for (size_t i = 0; i < 300; ++i) input.push_back(static_cast<uint8_t>(1 + (i * 37) % 200));
        const size_t base = table ? 256 : 0;
        std::fill(input.begin() + base + at, input.begin() + base + at + run, uint8_t{0xEE});
        ExpectExactAndRestored(input, "run " + std::to_string(run) + " at " + std::to_string(at));
      }
    }
  }
}

// The plain path tests a machine word (4 or 8 bytes) at a time: runs, run ends and markers at every
// offset against the words, beside bytes that differ from them in the lowest or the highest bit
// only, where a word test that is off by a bit or a byte would go wrong.
TEST_P(SFPackRoundTrip, RunsAndMarkersBesideNearValuesAtEveryWordOffset) {
  for (int value : {0x00, 0x01, 0x7F, 0x80, 0xFE, 0xFF}) {
    for (int bit : {0x01, 0x80}) {
      const uint8_t near = static_cast<uint8_t>(value ^ bit);
      for (size_t at = 0; at < 17; ++at) {
        for (size_t run : {1, 3, 4, 5, 7, 8, 9, 16, 17, 33}) {
          Bytes input;
          for (size_t i = 0; i < at; ++i) input.push_back(i % 2 ? near : uint8_t(0x40 + i));
          input.insert(input.end(), run, static_cast<uint8_t>(value));
          input.insert(input.end(), {near, static_cast<uint8_t>(value), near, near, 0x33});
          ExpectExactAndRestored(input, "value " + std::to_string(value) + " run " +
                                            std::to_string(run) + " at " + std::to_string(at));
          ExpectExactAndRestored(sfpack_test::Concat({sfpack_test::AllValues(), input}),
                                 "table, value " + std::to_string(value) + " run " +
                                     std::to_string(run) + " at " + std::to_string(at));
        }
      }
    }
  }
}

// Blocks without a 0 byte are coded on the spot while the scan looks for 0; a 0 anywhere, alone
// or as a run, and wherever it falls against the scan's windows, must end in the ordinary packing.
TEST_P(SFPackRoundTrip, ZeroBytesAnywhereInOtherwiseZeroFreeBlocks) {
  std::mt19937 rng(7);
  // 1..200 (no 0, so marker 0) with a few runs: most windows pass the scan's quick test.
  Bytes base = sfpack_test::RandomWithRuns(rng, 3000, 200, 1);
  for (uint8_t& b : base) b = static_cast<uint8_t>(b + 1);
  for (size_t at = 500; at + 6 < base.size(); at += 700) std::fill_n(base.begin() + at, 6, 0x41);
  ExpectExactAndRestored(base, "no zero");
  for (size_t at = 0; at < base.size(); at += (at < 300 || at > 2800) ? 1 : 37) {
    for (size_t run : {size_t{1}, size_t{4}}) {
      Bytes input = base;
      std::fill_n(input.begin() + at, std::min(run, input.size() - at), uint8_t{0});
      ExpectExactAndRestored(input,
                             "zero run " + std::to_string(run) + " at " + std::to_string(at));
    }
  }
}

// The vector scan's windows follow the output's alignment: the packed bytes must not depend on
// where the destination lies.
TEST_P(SFPackRoundTrip, PackedBytesDoNotDependOnTheDestinationsAlignment) {
  std::mt19937 rng(11);
  for (int shape = 0; shape < 6; ++shape) {
    const Bytes input = Shape(rng, shape, 5000);
    const Bytes expected = sfpack_reference::PackData(input);
    for (size_t offset = 0; offset < 32; ++offset) {
      Bytes dest(PackedSizeMax(input.size()) + offset);
      const size_t length =
          PackData(input.data(), dest.data() + offset, input.size(), dest.size() - offset);
      ASSERT_EQ(Bytes(dest.begin() + offset, dest.begin() + offset + length), expected)
          << "shape " << shape << " offset " << offset;
    }
  }
}

// Marker choice: values missing at the start, in the middle, late in the block.
TEST_P(SFPackRoundTrip, MarkerIsTheSmallestAbsentValueWhereverValuesAppear) {
  std::mt19937 rng(5);
  for (int missing : {0, 1, 17, 128, 254, 255}) {
    for (size_t lateAt : {size_t{10}, size_t{5000}, size_t{65000}}) {
      Bytes input = sfpack_test::RandomWithRuns(rng, kPackBlockMax, 256, 6);
      // `missing` never occurs; the value below it only once, late in the block.
      const int rare = missing - 1;
      for (uint8_t& b : input)
        if (b == missing || b == rare) b = static_cast<uint8_t>(missing + 1);
      if (rare >= 0) input[lateAt] = static_cast<uint8_t>(rare);
      const Bytes packed = sfpack_test::Pack(input);
      EXPECT_EQ(packed[6], missing) << missing << " " << lateAt;
      ExpectExactAndRestored(input, "missing " + std::to_string(missing));
    }
  }
}

}  // namespace
