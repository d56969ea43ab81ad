// The launcher's logo as its form stores it: the picture data of a TJPEGImage (the graphic class
// name as a short string, the file's byte count as 32 bits little-endian, then the JPEG file),
// made only from a JPEG that the launcher's own decoder (libjpeg-turbo as the Windows build
// configures it: 8-bit samples, Huffman coding, output as 32-bit BGRX) decodes without a fault.
// The whole picture is decoded here, so damage anywhere in it is found before the launcher is
// written, not when its window opens.
#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <vector>

namespace sfpack {

// A JPEG the launcher could not show, or one too large for a logo; what() says why.
class LogoPictureError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A logo is a small picture in a dialog-sized window: sides up to 2048 pixels and a file up to
// 4 MiB leave room for any sensible logo while the launcher stays small and its window opens fast.
inline constexpr uint32_t kMaxLogoSide = 2048;
inline constexpr size_t kMaxLogoFileBytes = 4u << 20;
// A progressive JPEG takes a dozen scans or so; a file of many tiny scans makes the decoder go
// over the whole image again for each, which is refused beyond this many.
inline constexpr int kMaxLogoScans = 100;

struct LogoPicture {
  std::vector<uint8_t> pictureData;  // what the form's Picture.Data holds
  uint32_t width = 0;                // the decoded size, which the AutoSize image takes
  uint32_t height = 0;
};

// Decodes Jpeg completely and returns its picture data and size; LogoPictureError when the bytes
// are not a JPEG, are truncated or damaged, use what the launcher's decoder lacks (12-bit
// samples, arithmetic coding, CMYK or YCCK colour) or exceed the limits above.
LogoPicture MakeLogoPicture(std::span<const uint8_t> Jpeg);

}  // namespace sfpack
