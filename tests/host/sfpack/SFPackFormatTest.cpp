// The packed bytes of the format's characteristic inputs, byte for byte, on each path the
// processor has, and the size bounds.

#include <gtest/gtest.h>

#include "storage/acSFPack.h"
#include "tests/host/sfpack/SFPackReference.h"
#include "tests/host/sfpack/SFPackTestSupport.h"

using sfpack_test::AllValues;
using sfpack_test::Bytes;
using sfpack_test::Concat;
using sfpack_test::Pack;
using sfpack_test::Repeat;
using sfpack_test::Unpack;

namespace {

// Packs, checks the round trip, and returns the packed bytes.
Bytes PackChecked(const Bytes& input) {
  const Bytes packed = Pack(input);
  const auto back = Unpack(packed, input.size());
  EXPECT_TRUE(back.result.ok);
  EXPECT_EQ(back.result.written, input.size());
  EXPECT_EQ(back.bytes, input);
  return packed;
}

uint32_t Get16(const Bytes& b, size_t at) {
  return b.at(at) | (b.at(at + 1) << 8);
}

class SFPackFormat : public sfpack_test::EveryPath {};
INSTANTIATE_TEST_SUITE_P(Paths, SFPackFormat, testing::ValuesIn(sfpack_test::kPaths),
                         sfpack_test::PathName);

TEST_P(SFPackFormat, SmallInputsPackToTheDefinedBytes) {
  EXPECT_EQ(PackChecked({}), (Bytes{0, 0, 0, 0}));
  EXPECT_EQ(PackChecked({0x61, 0x62, 0x63}),
            (Bytes{0x03, 0, 0, 0, 0x05, 0, 0, 0, 0x61, 0x62, 0x63}));
  EXPECT_EQ(PackChecked(Repeat(0x61, 4)), (Bytes{0x04, 0, 0, 0, 0x05, 0, 0, 0, 0, 0x61, 0x03}));
  EXPECT_EQ(PackChecked({0x61, 0x62, 0x62, 0x62, 0x62, 0x62, 0x63}),
            (Bytes{0x07, 0, 0, 0, 0x07, 0, 0, 0, 0x61, 0, 0x62, 0x04, 0x63}));
  // Three equal bytes stay literals; the marker is the smallest absent value, here 1.
  EXPECT_EQ(PackChecked({0, 0, 0, 2}), (Bytes{4, 0, 0, 0, 6, 0, 1, 0, 0, 0, 0, 2}));
}

TEST_P(SFPackFormat, RunCountsSwitchToSixteenBitsAbove256) {
  const Bytes p256 = PackChecked(Repeat(0x78, 256));
  EXPECT_EQ(Bytes(p256.begin() + 6, p256.end()), (Bytes{0, 0, 0, 0x78, 0xFF}));
  const Bytes p257 = PackChecked(Repeat(0x78, 257));
  EXPECT_EQ(Bytes(p257.begin() + 6, p257.end()), (Bytes{0, 0, 0, 0x78, 0, 0, 0x01}));
  const Bytes pmax = PackChecked(Repeat(0x78, kPackBlockMax));
  EXPECT_EQ(Bytes(pmax.begin() + 6, pmax.end()), (Bytes{0, 0, 0, 0x78, 0, 0xFC, 0xFF}));
}

TEST_P(SFPackFormat, TableBlockOfAllValuesWithOneRun) {
  const Bytes input = Concat({AllValues(), Repeat(0x41, 6), Repeat(0x42, 4)});
  ASSERT_EQ(input.size(), 266u);
  const Bytes packed = PackChecked(input);
  ASSERT_EQ(packed.size(), 4u + 2u + 266u);
  EXPECT_EQ(Get16(packed, 4), 266u);
  const Bytes block(packed.begin() + 6, packed.end());
  EXPECT_EQ(Get16(block, 0), 264u);
  const Bytes body(block.begin() + 2, block.begin() + 264);
  EXPECT_EQ(body, Concat({AllValues(), {0x41, 0x05}, Repeat(0x42, 4)}));
  EXPECT_EQ(Get16(block, 264), 259u);
}

TEST_P(SFPackFormat, TableEntriesAreStoredLastRunFirst) {
  // Three runs, one with a 16-bit count; entries point at the counts.
  const Bytes input = Concat({AllValues(), Repeat(7, 5), {1}, Repeat(8, 300), {2}, Repeat(9, 6)});
  const Bytes packed = PackChecked(input);
  const Bytes block(packed.begin() + 6, packed.end());
  const uint32_t header = Get16(block, 0);
  ASSERT_EQ(block.size(), header + 6);
  const uint32_t first = 2 + 256 + 1;  // behind the values and the first run's value byte
  const uint32_t second = first + 1 + 1 + 1;
  const uint32_t third = second + 3 + 1 + 1;
  EXPECT_EQ(Get16(block, header), third);
  EXPECT_EQ(Get16(block, header + 2), second);
  EXPECT_EQ(Get16(block, header + 4), first);
  EXPECT_EQ(block[second], 0);
  EXPECT_EQ(Get16(block, second + 1), 299u);
  EXPECT_EQ(header, third + 1);
}

TEST_P(SFPackFormat, BlockBorderEndsEveryRun) {
  // 65,530 distinct-ish bytes, then a run of 10 that crosses the border by 7.
  Bytes head(kPackBlockMax - 3);
  for (size_t i = 0; i < head.size(); ++i) head[i] = static_cast<uint8_t>(1 + i % 250);
  const Bytes input = Concat({head, Repeat(0xFF, 10)});
  const Bytes packed = PackChecked(input);
  EXPECT_EQ(packed, sfpack_reference::PackData(input));
  // Block 1 ends in 3 literal FF (no run of 4 before the border), block 2 is a run of 7.
  const uint32_t first = Get16(packed, 4);
  EXPECT_EQ(first, 2 + kPackBlockMax);
  const Bytes second(packed.begin() + 6 + first, packed.end());
  EXPECT_EQ(second, (Bytes{5, 0, 0, 0, 0, 0xFF, 6}));

  // Crossing by 3: the second block's part is too short to be a run.
  const Bytes input2 = Concat({Bytes(head.begin(), head.end() - 1), Repeat(0xFF, 7)});
  const Bytes packed2 = PackChecked(input2);
  const uint32_t first2 = Get16(packed2, 4);
  EXPECT_EQ(Bytes(packed2.begin() + 6 + first2, packed2.end()),
            (Bytes{5, 0, 0, 0, 0xFF, 0xFF, 0xFF}));
}

TEST_P(SFPackFormat, BlockWithoutRunsTakesTwoBytesMore) {
  Bytes input(kPackBlockMax);
  for (size_t i = 0; i < input.size(); ++i) input[i] = static_cast<uint8_t>(i * 7 + i / 256);
  const Bytes packed = PackChecked(input);
  EXPECT_EQ(Get16(packed, 4), 65535u);
  EXPECT_EQ(packed.size(), 4u + 2u + 65535u);
}

TEST(SFPackSizes, PackedSizeBoundFollowsItsPublishedFormula) {
  EXPECT_EQ(PackedSizeBound(0), 263u);
  EXPECT_EQ(PackedSizeBound(1), 263u);
  EXPECT_EQ(PackedSizeBound(255), 263u);
  EXPECT_EQ(PackedSizeBound(256), 264u);
  EXPECT_EQ(PackedSizeBound(65533), 65541u);
  EXPECT_EQ(PackedSizeBound(65534), 65542u);
  EXPECT_EQ(PackedSizeBound(65535), 65547u);
  EXPECT_EQ(PackedSizeBound(1816102), 1816102u + 4 + 4 * 28);
}

// PackedSizeBound falls short for two blocks when the first has no runs; PackData then
// refuses the short buffer without writing past it, and PackedSizeMax has the real room.
TEST_P(SFPackFormat, MultiBlockShortfallIsRefusedAndPackedSizeMaxCoversIt) {
  Bytes input(65534);
  for (size_t i = 0; i < input.size(); ++i) input[i] = static_cast<uint8_t>(i % 251);
  const Bytes expected = sfpack_reference::PackData(input);
  ASSERT_EQ(expected.size(), 65546u);
  EXPECT_GE(PackedSizeMax(input.size()), 65546u);

  Bytes bound(PackedSizeBound(input.size()));  // 65,542: exact size, ASan guards its end
  EXPECT_EQ(PackData(input.data(), bound.data(), input.size(), bound.size()), 0u);

  Bytes exact(65546);
  ASSERT_EQ(PackData(input.data(), exact.data(), input.size(), exact.size()), 65546u);
  EXPECT_EQ(exact, expected);
}

TEST(SFPackSizes, PackedSizeMaxIsTheWorstCaseOfEveryBlock) {
  EXPECT_EQ(PackedSizeMax(0), 4u);
  EXPECT_EQ(PackedSizeMax(1), 4u + 1 + 4);
  EXPECT_EQ(PackedSizeMax(kPackBlockMax), 4u + kPackBlockMax + 4);
  EXPECT_EQ(PackedSizeMax(kPackBlockMax + 1), 4u + kPackBlockMax + 1 + 8);
  EXPECT_EQ(PackedSizeMax(SIZE_MAX), SIZE_MAX);  // saturates instead of wrapping
}

// PackData needs exactly its output: one byte less is refused, the exact size succeeds, and the
// bytes around the room stay untouched.
TEST_P(SFPackFormat, PackDataHonoursDestSizeExactly) {
  std::mt19937 rng(7);
  for (size_t size : {size_t{0}, size_t{1}, size_t{300}, size_t{kPackBlockMax},
                      size_t{kPackBlockMax + 1}, size_t{3 * kPackBlockMax + 17}}) {
    const Bytes input = sfpack_test::RandomWithRuns(rng, size, 200, 40);
    const Bytes expected = sfpack_reference::PackData(input);
    for (size_t room : {expected.size() - 1, expected.size(), expected.size() + 300}) {
      if (expected.size() == 4 && room < 4) continue;
      Bytes buffer(room + 16, 0xA5);
      const size_t got = PackData(input.data(), buffer.data() + 8, input.size(), room);
      if (room < expected.size()) {
        EXPECT_EQ(got, 0u) << size;
      } else {
        ASSERT_EQ(got, expected.size()) << size;
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), buffer.begin() + 8));
      }
      for (size_t g = 0; g < 8; ++g) {
        EXPECT_EQ(buffer[g], 0xA5);
        EXPECT_EQ(buffer[8 + room + g], 0xA5);
      }
    }
  }
  uint8_t tiny[3] = {9, 9, 9};
  EXPECT_EQ(PackData(nullptr, tiny, 0, 3), 0u);
  EXPECT_EQ(tiny[0], 9);
  if constexpr (sizeof(size_t) > 4) {
    // A length the 4-byte length field cannot hold is refused before any byte is read.
    uint8_t room[16] = {};
    const size_t huge = size_t{0xFFFFFFFF} + 1;
    EXPECT_EQ(PackData(nullptr, room, huge, sizeof room), 0u);
  }
}

TEST_P(SFPackFormat, PackBlockRejectsLengthsOutsideOneBlock) {
  Bytes input(kPackBlockMax + 1, 1);
  Bytes dest(kPackBlockMax + 3, 0xEE);
  EXPECT_EQ(PackBlock(input.data(), dest.data(), 0), 0u);
  EXPECT_EQ(PackBlock(input.data(), dest.data(), kPackBlockMax + 1), 0u);
  EXPECT_EQ(dest[0], 0xEE);
}

// PackBlock touches only its k input bytes and k + 2 output bytes (exact heap buffers: ASan).
TEST_P(SFPackFormat, PackBlockStaysInsideItsBuffers) {
  std::mt19937 rng(11);
  for (uint32_t k : {1u, 2u, 3u, 4u, 5u, 63u, 64u, 65u, 66u, 70u, 200u, 4097u, kPackBlockMax}) {
    for (unsigned alphabet : {1u, 3u, 256u}) {
      const Bytes input = sfpack_test::RandomWithRuns(rng, k, alphabet, 9);
      const Bytes exactIn(input);
      Bytes dest(k + 2);
      const uint32_t length = PackBlock(exactIn.data(), dest.data(), k);
      dest.resize(length);
      EXPECT_EQ(dest, sfpack_reference::PackBlock(input)) << k << " " << alphabet;
    }
  }
}

}  // namespace
