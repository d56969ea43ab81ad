// Finds a resource in a Windows program file (PE) by reading its resource directory. Every
// offset and size is checked against the file, so a damaged or hostile file gives an error,
// never a read outside it.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace sfpack {

inline constexpr uint32_t kRtRcData = 10;

// True when the bytes start like a PE program ("MZ" and a "PE\0\0" header where it points).
bool IsPeFile(std::span<const uint8_t> File);

// The bytes of the resource of this type and name (letter case ignored; the first language
// found). std::nullopt when the program has no such resource; std::runtime_error when the
// structures are damaged.
std::optional<std::span<const uint8_t>> FindPeResource(std::span<const uint8_t> File, uint32_t Type,
                                                       std::string_view Name);

}  // namespace sfpack
