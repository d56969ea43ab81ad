// Puts a new logo into the launcher's form data: Image2's Picture.Data gets the new picture data,
// and its Width and Height (where the form gives them) the picture's size, as the form designer
// stores them for an auto-sized image. Everything else keeps its bytes.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "tools/sfpack/LogoPicture.h"

namespace sfpack {

// Form with Logo as Image2's picture. WrapError when the form data is damaged or has no Image2
// with a Picture.Data.
std::vector<uint8_t> FormWithLogo(std::span<const uint8_t> Form, const LogoPicture& Logo);

}  // namespace sfpack
