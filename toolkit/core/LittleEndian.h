// Integers in byte buffers, least significant byte first: the byte order of every format the
// programs store or read (form data, packs and the codec's blocks, picture data, the installer's
// CRC-32 resource). Byte by byte, so a buffer needs no alignment and the code means the same on
// any host. The caller checks that the bytes are there.
#pragma once

#include <cstddef>
#include <cstdint>

// Width bytes (1 to 4) at p as an unsigned number.
constexpr uint32_t LoadLE(const uint8_t* p, size_t Width) {
  uint32_t v = 0;
  for (size_t i = 0; i < Width; ++i) v |= uint32_t{p[i]} << (8 * i);
  return v;
}

// The fixed widths spelled out, so that compilers see one unaligned load or store even when
// optimising for size, where they do not unroll the width loops.
constexpr uint16_t LoadLE16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | p[1] << 8);
}

constexpr uint32_t LoadLE32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

// The low Width bytes (1 to 4) of v at p.
constexpr void StoreLE(uint8_t* p, uint32_t v, size_t Width) {
  for (size_t i = 0; i < Width; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

constexpr void StoreLE16(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}

constexpr void StoreLE32(uint8_t* p, uint32_t v) {
  StoreLE16(p, v);
  StoreLE16(p + 2, v >> 16);
}
