#pragma once
// Block run-length codec of the file storage.
//
// A buffer is cut into blocks of at most 65,533 bytes. A block that leaves some byte value unused
// becomes a marker block (the smallest unused value marks runs of 4 or more); a block holding all
// 256 values becomes a table block (runs of 5 or more, located by a table of 16-bit offsets at the
// block's end). All integers are little-endian.
//
// Packed data: 4 bytes unpacked length n, then per block a 16-bit packed length L and L bytes.

#include <cstddef>
#include <cstdint>

#include "toolkit/core/Modules.h"

// The largest input of one block.
inline constexpr uint32_t kPackBlockMax = 65533;

// Packs `length` (1..65,533) bytes of `source` into one block at `dest` and returns its packed
// length, header included; returns 0 for a length outside 1..65,533. Writes at most length + 2
// bytes at `dest` (the occurrence table is kept apart from the output, so a destination sized
// max(256, length + 2), as callers may size it for a packer that works in its output, also
// suffices). Reads nothing outside the `length` bytes.
uint32_t PackBlock(const uint8_t* source, uint8_t* dest, uint32_t length);

// The published destination size for `length` bytes: with m = max(length, 255),
// m + 4 + 4 * (m / 65535 + 1). Kept as it is because callers size buffers with it; for more than
// one block it can fall short of what PackData writes, so size a buffer with PackedSizeMax.
size_t PackedSizeBound(size_t length);

// The room PackData may need for `length` bytes: the 4-byte length, then every block at its worst
// (its input length + 2) behind its 2-byte length. PackData needs no work space beyond its output.
size_t PackedSizeMax(size_t length);

// Packs `length` bytes of `source` into `dest` (4-byte length, then the blocks) and returns the
// packed length. `destSize` is the room at `dest`; with PackedSizeMax(length) bytes it always
// suffices. Returns 0 when it does not: nothing is written past `dest + destSize`.
size_t PackData(const uint8_t* source, uint8_t* dest, size_t length, size_t destSize);

// What an unpack produced: the bytes written, and whether the packed data was sound. Damaged data
// (a count, marker item or table offset running past the block, a block length running past the
// area, output beyond `destSize`) stops the unpacking there; the bytes before the damage stay.
struct UnpackResult {
  size_t written = 0;
  bool ok = true;
};

// Unpacks one block of `length` packed bytes (header included) into at most `destSize` bytes.
UnpackResult UnpackBlock(const uint8_t* block, uint8_t* dest, uint32_t length, size_t destSize);

// Unpacks the block area (what follows the 4-byte unpacked length) of `length` bytes into at most
// `destSize` bytes. The caller reads the unpacked length itself and compares it with `written`.
UnpackResult UnpackData(const uint8_t* blocks, uint8_t* dest, size_t length, size_t destSize);

// The codec's ways of working, from the plainest. All give the same bytes. The plain path uses
// nothing beyond the i686 instruction set, so it runs on every processor (the Pentium Pro, II and
// III and the Athlon XP have no SSE2); SSE2 and AVX2 are used where the processor, asked once at
// start-up, has them (for AVX2 the system must also save the 256-bit registers).
enum class SFPackPath : uint8_t { kPlain, kSse2, kAvx2 };

// Lets the codec use paths up to `highest` (tests run every path the processor has); the path in
// use becomes the highest that the processor has and `highest` allows. Returns it. At start-up
// every path is allowed.
SFPackPath SetSFPackHighestPath(SFPackPath highest);

// The path in use now.
SFPackPath SFPackPathInUse();

// acSFPack has no start-up or shut-down work; its entry keeps the module order visible.
inline constexpr TModule kacSFPackModule{"acSFPack", nullptr, nullptr};
