// CRC-32 against the check values of the zip/PNG CRC, in one piece and in parts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "storage/Crc32.h"

namespace {

std::span<const uint8_t> Bytes(const std::string& Text) {
  return {reinterpret_cast<const uint8_t*>(Text.data()), Text.size()};
}

TEST(Crc32Test, KnownValuesWholeAndInParts) {
  const struct {
    std::string text;
    uint32_t crc;
  } cases[] = {
      {"", 0x00000000},
      {"a", 0xE8B7BE43},
      {"123456789", 0xCBF43926},
      {"The quick brown fox jumps over the lazy dog", 0x414FA339},
      {std::string(4, '\0'), 0x2144DF1C},
      {std::string(3, '\xFF'), 0xFFFFFF00},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(Crc32(Bytes(c.text)), c.crc);
    for (size_t cut = 0; cut <= c.text.size(); ++cut) {
      const std::string head = c.text.substr(0, cut), tail = c.text.substr(cut);
      EXPECT_EQ(UpdateCrc32(Crc32(Bytes(head)), Bytes(tail)), c.crc) << cut;
    }
  }
}

// Folded and eight bytes at a time it must give what one bit at a time gives, from every alignment,
// for every tail length, in one piece and in two.
TEST(Crc32Test, AgreesWithTheBitwiseDefinition) {
  std::vector<uint8_t> bytes(4020);
  uint32_t seed = 12345;
  for (uint8_t& b : bytes) b = static_cast<uint8_t>((seed = seed * 1103515245 + 12345) >> 16);
  const auto bitwise = [](std::span<const uint8_t> Part) {
    uint32_t r = 0xFFFFFFFF;
    for (uint8_t b : Part) {
      r ^= b;
      for (int bit = 0; bit < 8; ++bit) r = (r >> 1) ^ (0xEDB88320u & (0u - (r & 1)));
    }
    return ~r;
  };
  for (const bool folding : {true, false}) {
    SCOPED_TRACE(SetCrc32Folding(folding) ? "folding" : "tables");
    for (size_t start = 0; start < 17; ++start) {
      for (size_t length : {0u, 7u, 8u, 9u, 63u, 64u, 79u, 80u, 127u, 128u, 143u, 591u, 4000u}) {
        const std::span<const uint8_t> part(bytes.data() + start, length);
        EXPECT_EQ(Crc32(part), bitwise(part)) << start << " " << length;
        EXPECT_EQ(UpdateCrc32(Crc32(part.first(length / 3)), part.subspan(length / 3)),
                  bitwise(part));
      }
    }
  }
  SetCrc32Folding(true);
}

}  // namespace
