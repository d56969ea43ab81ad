// A picture format: an image that can read and write its own stored bytes and draw itself.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "toolkit/core/TPersistent.h"
#include "toolkit/core/TStream.h"

class TGraphic : public TPersistent {
  TOOLKIT_CLASS(TGraphic, TPersistent)

 public:
  virtual int32_t Width() const = 0;
  virtual int32_t Height() const = 0;
  virtual bool Empty() const = 0;
  // Draws the image at its own size with its top left at (X, Y).
  virtual void Draw(HDC Dc, int32_t X, int32_t Y) = 0;
  // The graphic's part of a picture's stored data, read from / written to the stream position.
  // Bad bytes raise EReadError; the graphic is then empty.
  virtual void ReadData(TStream& Stream) = 0;
  virtual void WriteData(TStream& Stream) const = 0;
};
