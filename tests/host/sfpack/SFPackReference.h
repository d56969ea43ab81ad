#pragma once
// A plain, byte-at-a-time packer and unpacker of the block run-length format, written straight
// from the format's rules with no speed tricks. Tests and fuzz targets compare the product codec
// against it.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace sfpack_reference {

// One packed block (header included) of 1..65,533 input bytes.
std::vector<uint8_t> PackBlock(std::span<const uint8_t> input);

// The whole packed data: 4-byte length, then 2-byte block lengths and blocks.
std::vector<uint8_t> PackData(std::span<const uint8_t> input);

// Decodes a block area with the codec's rules for damage: `bytes` holds everything produced before
// the first damage, `ok` tells whether there was none. The destination is unbounded here; the
// product, given destSize, must write the first min(bytes.size(), destSize) of these bytes and
// report ok only when `ok` holds and they all fit.
struct Decoded {
  std::vector<uint8_t> bytes;
  bool ok = true;
};
Decoded UnpackData(std::span<const uint8_t> blocks);

}  // namespace sfpack_reference
