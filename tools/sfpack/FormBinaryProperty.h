// Finds a binary property in "TPF0" form data without knowing any component class: walks the
// component records by their value types alone.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace sfpack {

// The bytes of the first binary property named Name (letter case ignored), searched through the
// root record and all nested records in stream order; std::nullopt when there is none.
// std::runtime_error (with the byte offset) for data that is not sound form data.
std::optional<std::span<const uint8_t>> FindFormBinaryProperty(std::span<const uint8_t> Form,
                                                               std::string_view Name);

}  // namespace sfpack
