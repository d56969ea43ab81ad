#include "tests/host/sfpack/SFPackTestSupport.h"

#include <gtest/gtest.h>

namespace sfpack_test {

Bytes Pack(std::span<const uint8_t> input) {
  Bytes out(PackedSizeMax(input.size()));
  const size_t length = PackData(input.data(), out.data(), input.size(), out.size());
  EXPECT_GE(length, 4u) << "PackData failed with PackedSizeMax room for " << input.size();
  out.resize(length);
  return out;
}

Unpacked Unpack(std::span<const uint8_t> packed, size_t destSize) {
  Unpacked u;
  u.bytes.resize(destSize);
  const std::span<const uint8_t> area = packed.subspan(std::min<size_t>(4, packed.size()));
  // A copy of exactly the area's size, so that any read past it is an ASan error.
  const Bytes exact(area.begin(), area.end());
  u.result = UnpackData(exact.data(), u.bytes.data(), exact.size(), destSize);
  return u;
}

Bytes Repeat(uint8_t value, size_t count) {
  return Bytes(count, value);
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

Bytes AllValues() {
  Bytes all(256);
  for (int v = 0; v < 256; ++v) all[v] = static_cast<uint8_t>(v);
  return all;
}

Bytes RandomWithRuns(std::mt19937& rng, size_t size, unsigned alphabet, size_t maxRun) {
  Bytes out;
  out.reserve(size);
  std::uniform_int_distribution<unsigned> value(0, alphabet - 1);
  std::uniform_int_distribution<size_t> run(1, maxRun);
  std::uniform_int_distribution<int> pick(0, 7);
  while (out.size() < size) {
    const uint8_t v = static_cast<uint8_t>(value(rng));
    const size_t n = pick(rng) == 0 ? run(rng) : 1;
    out.insert(out.end(), std::min(n, size - out.size()), v);
  }
  return out;
}

void BothPaths::SetUp() {
  if (SetSFPackAvx2Allowed(GetParam()) != GetParam()) GTEST_SKIP() << "no AVX2 here";
}

void BothPaths::TearDown() {
  SetSFPackAvx2Allowed(true);
}

std::string PathName(const testing::TestParamInfo<bool>& info) {
  return info.param ? "Avx2" : "Sse2";
}

}  // namespace sfpack_test
