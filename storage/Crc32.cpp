#include "storage/Crc32.h"

#include <array>

#include "toolkit/core/LittleEndian.h"

namespace {

// kTables[0] holds the remainder of each byte value, eight bits at a time; kTables[k] the
// remainder of a byte followed by k zero bytes, so that eight bytes are folded in with eight
// look-ups instead of eight dependent steps. The installer's bytes go through here twice at every
// start (on the way to the disk and back), so its speed counts.
constexpr std::array<std::array<uint32_t, 256>, 8> MakeTables() {
  std::array<std::array<uint32_t, 256>, 8> tables{};
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t r = i;
    for (int bit = 0; bit < 8; ++bit) r = (r & 1) ? (r >> 1) ^ 0xEDB88320u : r >> 1;
    tables[0][i] = r;
  }
  for (size_t k = 1; k < 8; ++k) {
    for (uint32_t i = 0; i < 256; ++i)
      tables[k][i] = tables[0][tables[k - 1][i] & 0xFF] ^ (tables[k - 1][i] >> 8);
  }
  return tables;
}

constexpr auto kTables = MakeTables();

}  // namespace

uint32_t UpdateCrc32(uint32_t Crc, std::span<const uint8_t> Bytes) {
  uint32_t r = ~Crc;
  const uint8_t* p = Bytes.data();
  size_t left = Bytes.size();
  for (; left >= 8; p += 8, left -= 8) {
    const uint32_t low = r ^ LoadLE32(p);
    const uint32_t high = LoadLE32(p + 4);
    r = kTables[7][low & 0xFF] ^ kTables[6][(low >> 8) & 0xFF] ^ kTables[5][(low >> 16) & 0xFF] ^
        kTables[4][low >> 24] ^ kTables[3][high & 0xFF] ^ kTables[2][(high >> 8) & 0xFF] ^
        kTables[1][(high >> 16) & 0xFF] ^ kTables[0][high >> 24];
  }
  for (; left > 0; ++p, --left) r = kTables[0][(r ^ *p) & 0xFF] ^ (r >> 8);
  return ~r;
}
