// A JPEG picture, decoded with libjpeg into a 32-bit DIB section. Its stored bytes are a
// 32-bit little-endian byte count followed by the JPEG file.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "toolkit/ui/TGraphic.h"

class TJPEGImage : public TGraphic {
  TOOLKIT_CLASS(TJPEGImage, TGraphic)

 public:
  TJPEGImage() = default;
  ~TJPEGImage() override;
  TJPEGImage(const TJPEGImage&) = delete;
  TJPEGImage& operator=(const TJPEGImage&) = delete;

  int32_t Width() const override { return width_; }
  int32_t Height() const override { return height_; }
  bool Empty() const override { return bitmap_ == nullptr; }
  void Draw(HDC Dc, int32_t X, int32_t Y) override;
  void ReadData(TStream& Stream) override;
  void WriteData(TStream& Stream) const override;

  // Decodes a whole JPEG file; EReadError naming the problem when it cannot.
  void LoadFromBytes(std::span<const uint8_t> Jpeg);
  // The decoded pixel at (X, Y) as 0x00RRGGBB (tests; 0 outside the image).
  uint32_t Pixel(int32_t X, int32_t Y) const;

  // Largest image accepted, in pixels, so hostile headers cannot demand gigabytes.
  static constexpr int64_t kMaxPixels = 64LL * 1024 * 1024;

 private:
  void Clear();

  std::vector<uint8_t> data_;  // the JPEG file as stored
  HBITMAP bitmap_ = nullptr;   // top-down 32-bit DIB section
  uint32_t* bits_ = nullptr;   // its pixels (owned by the DIB section)
  int32_t width_ = 0;
  int32_t height_ = 0;
};
