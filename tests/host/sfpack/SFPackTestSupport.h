#pragma once
// Helpers shared by the codec's tests: packing through the product into exact-size buffers, and
// inputs of the shapes that matter to the format.

#include <gtest/gtest.h>

#include <cstdint>
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

// A suite whose parameter tells whether the codec may use AVX2: every case runs on the SSE2 path
// and, where the processor has it, on the AVX2 path.
class BothPaths : public testing::TestWithParam<bool> {
 protected:
  void SetUp() override;
  void TearDown() override;
};
std::string PathName(const testing::TestParamInfo<bool>& info);

}  // namespace sfpack_test
