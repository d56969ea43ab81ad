#pragma once
// The resource in which the build records the CRC-32 of the installer the program carries: RCDATA
// INSTALLERCRC, 4 bytes, little-endian, beside the form data (whose layout stays as stored forms
// have it). Header-only, so the host's pack tool reads it the same way as the program.

#include <cstdint>
#include <optional>
#include <span>

#include "toolkit/core/LittleEndian.h"

inline constexpr char kInstallerCrcResource[] = "INSTALLERCRC";

// The CRC-32 in the resource's bytes; none when they are not exactly 4 bytes.
inline std::optional<uint32_t> RecordedCrc(std::span<const uint8_t> Resource) {
  if (Resource.size() != 4) return std::nullopt;
  return LoadLE32(Resource.data());
}
