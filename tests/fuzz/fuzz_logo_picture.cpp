// Arbitrary bytes as the logo's JPEG: MakeLogoPicture either gives the picture data (the bytes
// behind a 15-byte head) and a size within the logo limits, or refuses with LogoPictureError;
// libjpeg's errors come back through the error manager, never through exit() or a stray read.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "tools/sfpack/LogoPicture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    const sfpack::LogoPicture logo = sfpack::MakeLogoPicture(std::span<const uint8_t>(data, size));
    if (logo.pictureData.size() != 15 + size) std::abort();
    if (logo.width == 0 || logo.height == 0 || logo.width > sfpack::kMaxLogoSide ||
        logo.height > sfpack::kMaxLogoSide)
      std::abort();
  } catch (const sfpack::LogoPictureError&) {
  }
  return 0;
}
