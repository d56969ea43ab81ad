// Damaged and hostile packed data: the unpacker stops at the damage and says so, writes exactly
// what the plain reference decodes up to there (never past destSize), and reads nothing outside
// the given area (exact-size heap buffers make every stray access an ASan error). Every case runs
// on each path the processor has: plain, SSE2, AVX2.

#include <gtest/gtest.h>

#include "storage/acSFPack.h"
#include "tests/host/sfpack/SFPackReference.h"
#include "tests/host/sfpack/SFPackTestSupport.h"

using sfpack_test::AllValues;
using sfpack_test::Bytes;
using sfpack_test::Concat;
using sfpack_test::Repeat;

namespace {

// Unpacks a block area (no 4-byte length in front) into exactly destSize bytes.
UnpackResult UnpackArea(const Bytes& area, Bytes& out, size_t destSize) {
  const Bytes exact(area);
  out.assign(destSize, 0);
  return UnpackData(exact.data(), out.data(), exact.size(), destSize);
}

// The product writes the reference's bytes up to the damage or destSize, whichever comes first,
// and reports ok only for sound data that fits.
void ExpectLikeReference(const Bytes& area, size_t destSize, const std::string& what) {
  const auto ref = sfpack_reference::UnpackData(area);
  Bytes out;
  const UnpackResult r = UnpackArea(area, out, destSize);
  const size_t expected = std::min(ref.bytes.size(), destSize);
  ASSERT_EQ(r.written, expected) << what;
  EXPECT_EQ(r.ok, ref.ok && ref.bytes.size() <= destSize) << what;
  EXPECT_TRUE(std::equal(ref.bytes.begin(), ref.bytes.begin() + expected, out.begin())) << what;
}

Bytes AreaOf(const Bytes& packed) {
  return Bytes(packed.begin() + 4, packed.end());
}

// A block area of one block: its 2-byte length, then the bytes.
Bytes WithLength(const Bytes& block) {
  return Concat(
      {{static_cast<uint8_t>(block.size()), static_cast<uint8_t>(block.size() >> 8)}, block});
}

Bytes Block(std::initializer_list<uint8_t> bytes) {
  return WithLength(Bytes(bytes));
}

bool Sound(const Bytes& area, size_t destSize = 1 << 20) {
  Bytes out;
  return UnpackArea(area, out, destSize).ok;
}

// Samples of both block kinds, short and long counts, several blocks.
std::vector<Bytes> SampleInputs() {
  std::mt19937 rng(3);
  return {
      Concat({{1, 2, 3}, Repeat(9, 4), {4}, Repeat(8, 300), {5}}),
      Concat({AllValues(), Repeat(0x41, 6), Repeat(0x42, 4), Repeat(7, 400), {1, 2}}),
      sfpack_test::RandomWithRuns(rng, 700, 256, 300),
      sfpack_test::RandomWithRuns(rng, kPackBlockMax + 500, 256, 20),
  };
}

class SFPackDamage : public sfpack_test::EveryPath {};
INSTANTIATE_TEST_SUITE_P(Paths, SFPackDamage, testing::ValuesIn(sfpack_test::kPaths),
                         sfpack_test::PathName);

TEST_P(SFPackDamage, EveryTruncationStopsCleanly) {
  for (const Bytes& input : SampleInputs()) {
    const Bytes area = AreaOf(sfpack_test::Pack(input));
    const size_t step = area.size() > 5000 ? 97 : 1;
    for (size_t cut = 0; cut < area.size(); cut += step) {
      const Bytes shortArea(area.begin(), area.begin() + cut);
      ExpectLikeReference(shortArea, input.size(), "cut " + std::to_string(cut));
      if (cut > 0) {
        EXPECT_FALSE(Sound(shortArea)) << cut;
      }
    }
  }
}

TEST_P(SFPackDamage, FlippedBytesNeverEscapeTheBuffers) {
  std::mt19937 rng(17);
  for (const Bytes& input : SampleInputs()) {
    const Bytes area = AreaOf(sfpack_test::Pack(input));
    const size_t step = area.size() > 5000 ? 401 : 1;
    for (size_t at = 0; at < area.size(); at += step) {
      for (uint8_t replacement : {uint8_t(area[at] ^ 0x01), uint8_t(area[at] ^ 0x80), uint8_t{0},
                                  static_cast<uint8_t>(rng())}) {
        Bytes damaged = area;
        damaged[at] = replacement;
        ExpectLikeReference(damaged, input.size(), "at " + std::to_string(at));
        ExpectLikeReference(damaged, input.size() / 2, "half, at " + std::to_string(at));
      }
    }
  }
}

TEST_P(SFPackDamage, RandomBlocksDecodeLikeTheReference) {
  std::mt19937 rng(23);
  std::uniform_int_distribution<int> len(0, 80), byte(0, 255), small(0, 3);
  for (int n = 0; n < 20000; ++n) {
    Bytes block(len(rng));
    for (uint8_t& b : block) b = static_cast<uint8_t>(small(rng) == 0 ? small(rng) : byte(rng));
    if (block.size() >= 2 && small(rng) == 0) {  // a table header inside the block
      const size_t h = 256 + byte(rng);
      block[0] = static_cast<uint8_t>(h);
      block[1] = static_cast<uint8_t>(h >> 8);
    }
    const Bytes area = WithLength(block);
    ExpectLikeReference(area, 300, "random block " + std::to_string(n));
    ExpectLikeReference(area, 3, "random block, tiny dest " + std::to_string(n));
  }
}

TEST_P(SFPackDamage, TooSmallDestinationGetsAnExactPrefix) {
  for (const Bytes& input : SampleInputs()) {
    const Bytes area = AreaOf(sfpack_test::Pack(input));
    const size_t step = input.size() > 5000 ? 509 : 1;
    for (size_t destSize = 0; destSize <= input.size(); destSize += step) {
      Bytes out;
      const UnpackResult r = UnpackArea(area, out, destSize);
      ASSERT_EQ(r.written, destSize);
      EXPECT_EQ(r.ok, destSize == input.size());
      EXPECT_TRUE(std::equal(out.begin(), out.end(), input.begin())) << destSize;
    }
  }
  EXPECT_TRUE(UnpackData(nullptr, nullptr, 0, 0).ok);  // empty area, nothing to write
}

TEST_P(SFPackDamage, BadBlockFramingIsRejected) {
  EXPECT_FALSE(Sound({5}));                 // block length cut short
  EXPECT_FALSE(Sound({0, 0}));              // block length 0
  EXPECT_FALSE(Sound({1, 0, 0}));           // block length 1: no room for the header
  EXPECT_FALSE(Sound({6, 0, 0, 0, 0x61}));  // block longer than the area
  EXPECT_FALSE(Sound(Concat({Block({0, 0, 0x61}), {1}})));  // stray byte behind the last block
  uint8_t one = 0;
  EXPECT_FALSE(UnpackBlock(&one, &one, 1, 1).ok);
  EXPECT_FALSE(UnpackBlock(&one, &one, 0, 1).ok);
  EXPECT_TRUE(Sound(Block({0, 0, 0x61})));
}

TEST_P(SFPackDamage, CutShortMarkerItemsAreRejected) {
  EXPECT_TRUE(Sound(Block({0, 0, 0, 0x61, 3})));
  EXPECT_FALSE(Sound(Block({0, 0, 0x62, 0})));           // marker alone at the end
  EXPECT_FALSE(Sound(Block({0, 0, 0x62, 0, 0x61})));     // marker and value, no count
  EXPECT_FALSE(Sound(Block({0, 0, 0, 0x61, 0})));        // 16-bit count missing
  EXPECT_FALSE(Sound(Block({0, 0, 0, 0x61, 0, 0x10})));  // 16-bit count cut in half
  EXPECT_TRUE(Sound(Block({0, 0, 0, 0x61, 0, 0x10, 0x01})));
}

// A table block of the 256 values, then a run of 6 x 0x41 and the literals 42 43.
Bytes TableBlock(std::initializer_list<uint8_t> table, int header = -1) {
  const Bytes body = Concat({AllValues(), {0x41, 5, 0x42, 0x43}});
  const size_t h = header >= 0 ? size_t(header) : 2 + body.size();
  Bytes block = Concat({{uint8_t(h), uint8_t(h >> 8)}, body, Bytes(table)});
  return WithLength(block);
}

TEST_P(SFPackDamage, BadTableBlocksAreRejected) {
  // Count of the run at offset 259, body end (H) at 262.
  EXPECT_TRUE(Sound(TableBlock({3, 1})));
  Bytes out;
  ASSERT_TRUE(UnpackArea(TableBlock({3, 1}), out, 264).ok);
  EXPECT_EQ(out, Concat({AllValues(), Repeat(0x41, 6), {0x42, 0x43}}));

  EXPECT_FALSE(Sound(TableBlock({3}, 262)));      // table length odd
  EXPECT_FALSE(Sound(TableBlock({3, 1}, 300)));   // H beyond the block
  EXPECT_FALSE(Sound(TableBlock({6, 1})));        // count at H: outside the body
  EXPECT_FALSE(Sound(TableBlock({0xFF, 0xFF})));  // far outside
  EXPECT_FALSE(Sound(TableBlock({2, 0})));        // value byte would be the header
  EXPECT_FALSE(Sound(TableBlock({1, 0})));
  EXPECT_FALSE(Sound(TableBlock({0, 0})));
  // Two entries for the same run (stored last first): the second lies before the position.
  EXPECT_FALSE(Sound(TableBlock({3, 1, 3, 1})));
  // Out of order: the later run listed first.
  EXPECT_FALSE(Sound(TableBlock({2, 1, 4, 1})));
  // In order, the second run's value byte directly behind the first count: sound.
  EXPECT_TRUE(Sound(TableBlock({5, 1, 3, 1})));
}

TEST_P(SFPackDamage, SixteenBitCountCutShortInTableBody) {
  // Body: values, then 41 00 | 10 (cut: the 16-bit count needs two bytes before H).
  const Bytes body = Concat({AllValues(), {0x41, 0, 0x10}});
  const size_t h = 2 + body.size();
  const Bytes block = Concat({{uint8_t(h), uint8_t(h >> 8)}, body, {uint8_t(259), 1}});
  const Bytes area = Concat({{uint8_t(block.size()), uint8_t(block.size() >> 8)}, block});
  EXPECT_FALSE(Sound(area));
  ExpectLikeReference(area, 1000, "cut 16-bit count");
}

}  // namespace
