#pragma once
// Pads the stand-in installer image to the installer's fixed size.
//
// The launcher carries an installer of a fixed size whose packed form (storage/acSFPack.h) has
// fixed figures too. The stand-in program is only a few kilobytes, so the padding appends data
// the Windows loader ignores: bytes of a fixed-seed generator (every block then holds all 256
// byte values, so every block is a table block, and there are practically no runs), then runs of
// one fill byte at the ends of blocks, whose lengths are searched with the real PackData until
// the packed total is exact. The same image always gives the same file.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// The figures the padded file must meet.
struct PaddingTargets {
  size_t fileSize = 0;     // unpacked length of the padded file
  size_t packedSize = 0;   // PackData's total, the 4-byte length field included
  size_t tableBlocks = 0;  // blocks in the packed data; all of them must be table blocks
};

// The figures of the installer the launcher carries.
inline constexpr PaddingTargets kInstallerTargets{1816102, 1809876, 28};

// What PackData makes of a buffer.
struct PackFigures {
  size_t packedSize = 0;
  size_t blocks = 0;
  size_t tableBlocks = 0;
  bool roundTrip = false;  // unpacking gives the buffer back exactly
};

// Packs `data` with PackData and reads the figures off the packed blocks.
PackFigures MeasurePacked(std::span<const uint8_t> data);

struct PaddingResult {
  bool ok = false;
  std::string error;  // why it failed, for the build log
  std::vector<uint8_t> file;
  PackFigures figures;  // of `file`, when ok
};

// The generator's seed; fixed so that the build is reproducible.
inline constexpr uint64_t kPaddingSeed = 0x5155494C4C4D4F52ull;

// Appends padding to `image` so that the result meets `targets` exactly, and checks the result.
// Fails (ok false, error set) for an empty image, an image that does not fit, targets whose block
// count does not match the size, or a packed size the runs cannot reach.
PaddingResult PadInstaller(std::span<const uint8_t> image, const PaddingTargets& targets,
                           uint64_t seed = kPaddingSeed);
