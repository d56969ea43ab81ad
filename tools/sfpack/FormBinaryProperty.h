// Finds a binary property in "TPF0" form data without knowing any component class: walks the
// component records by their value types alone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sfpack {

// Where a binary property's bytes lie in the form data, and the class of the component record
// that holds it.
struct FormBinaryLocation {
  size_t offset = 0;  // of the first byte after the 4-byte count
  size_t size = 0;
  std::string componentClass;
};

// As FindFormBinaryProperty, with the bytes' place and the holding record's class.
std::optional<FormBinaryLocation> LocateFormBinaryProperty(std::span<const uint8_t> Form,
                                                           std::string_view Name);

// Form with the bytes of the binary value at At replaced by Bytes (its count set to match); the
// bytes around it stay as they are. std::runtime_error when Bytes are more than a count holds.
std::vector<uint8_t> WithBinaryValue(std::span<const uint8_t> Form, const FormBinaryLocation& At,
                                     std::span<const uint8_t> Bytes);

// The bytes of the first binary property named Name (letter case ignored), searched through the
// root record and all nested records in stream order; std::nullopt when there is none.
// std::runtime_error (with the byte offset) for data that is not sound form data.
std::optional<std::span<const uint8_t>> FindFormBinaryProperty(std::span<const uint8_t> Form,
                                                               std::string_view Name);

}  // namespace sfpack
