#pragma once
// Helpers shared by the codec's tests: packing through the product into exact-size buffers, and
// inputs of the shapes that matter to the format.

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "storage/acSFPack.h"

namespace sfpack_test {

using Bytes = std::vector<uint8_t>;

// PackData into a buffer of exactly PackedSizeMax bytes, trimmed to the packed length.
Bytes Pack(std::span<const uint8_t> input);

// UnpackData of a whole packed buffer (its 4-byte length skipped) into exactly `destSize` bytes.
struct Unpacked {
  Bytes bytes;
  UnpackResult result;
};
Unpacked Unpack(std::span<const uint8_t> packed, size_t destSize);

Bytes Repeat(uint8_t value, size_t count);
Bytes Concat(std::initializer_list<Bytes> parts);
Bytes AllValues();  // 0..255 once each

// Random bytes over `alphabet` values with runs of random length up to `maxRun` mixed in.
Bytes RandomWithRuns(std::mt19937& rng, size_t size, unsigned alphabet, size_t maxRun);

// Every path of the codec, from the plainest.
inline constexpr SFPackPath kPaths[] = {SFPackPath::kPlain, SFPackPath::kSse2, SFPackPath::kAvx2};

// A suite whose parameter is the path the codec is to use: every case runs on each path the
// processor has (the plain path always); the others are skipped. Afterwards the codec may use
// every path again, as at start-up.
class EveryPath : public testing::TestWithParam<SFPackPath> {
 protected:
  void SetUp() override;
  void TearDown() override;
};
std::string PathName(const testing::TestParamInfo<SFPackPath>& info);
const char* NameOf(SFPackPath path);

}  // namespace sfpack_test

// GoogleTest prints a path by its name (beside the enumeration, where it looks for it).
void PrintTo(SFPackPath path, std::ostream* os);
