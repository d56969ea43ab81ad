// The reading half that every stream over a block of memory shares: position, size, Read and
// Seek. A derived class says where its bytes are now (Contents), and decides about writing.
#pragma once

#include <span>

#include "toolkit/core/TStream.h"

class TCustomMemoryStream : public TStream {
  TOOLKIT_CLASS(TCustomMemoryStream, TStream)

 public:
  size_t Read(void* Buffer, size_t Count) override;
  // A position past the end is allowed (reads there return 0); one before the start is not.
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  int64_t Size() override { return static_cast<int64_t>(Contents().size()); }
  // All the bytes, for a reader that takes a large block in place instead of copying it out.
  std::span<const uint8_t> Bytes() const { return Contents(); }

 protected:
  // The bytes as they stand now; asked on every call, since a growing stream moves them.
  virtual std::span<const uint8_t> Contents() const = 0;

  int64_t position_ = 0;
};
