// CRC-32 against the check values of the zip/PNG CRC, in one piece and in parts.
#include <gtest/gtest.h>

#include <string>

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

}  // namespace
