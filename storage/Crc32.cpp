#include "storage/Crc32.h"

#include <array>

namespace {

// The remainder of each byte value, eight bits at a time.
constexpr std::array<uint32_t, 256> MakeTable() {
  std::array<uint32_t, 256> table{};
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t r = i;
    for (int bit = 0; bit < 8; ++bit) r = (r & 1) ? (r >> 1) ^ 0xEDB88320u : r >> 1;
    table[i] = r;
  }
  return table;
}

constexpr std::array<uint32_t, 256> kTable = MakeTable();

}  // namespace

uint32_t UpdateCrc32(uint32_t Crc, std::span<const uint8_t> Bytes) {
  uint32_t r = ~Crc;
  for (const uint8_t b : Bytes) r = kTable[(r ^ b) & 0xFF] ^ (r >> 8);
  return ~r;
}
