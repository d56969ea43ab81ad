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

void EveryPath::SetUp() {
  if (SetSFPackHighestPath(GetParam()) != GetParam())
    GTEST_SKIP() << "no " << NameOf(GetParam()) << " on this processor";
}

void EveryPath::TearDown() {
  SetSFPackHighestPath(SFPackPath::kAvx2);
}

const char* NameOf(SFPackPath path) {
  switch (path) {
    case SFPackPath::kPlain:
      return "Plain";
    case SFPackPath::kSse2:
      return "Sse2";
    case SFPackPath::kAvx2:
      return "Avx2";
  }
  return "Unknown";
}

std::string PathName(const testing::TestParamInfo<SFPackPath>& info) {
  return NameOf(info.param);
}

}  // namespace sfpack_test

void PrintTo(SFPackPath path, std::ostream* os) {
  *os << sfpack_test::NameOf(path);
}
