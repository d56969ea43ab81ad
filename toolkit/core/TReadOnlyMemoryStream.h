// A read-only stream over a block of memory that the caller keeps alive (a resource, or a part
// of a larger buffer). Writing and resizing raise errors.
#pragma once

#include <span>

#include "toolkit/core/TCustomMemoryStream.h"

class TReadOnlyMemoryStream : public TCustomMemoryStream {
  TOOLKIT_CLASS(TReadOnlyMemoryStream, TCustomMemoryStream)

 public:
  explicit TReadOnlyMemoryStream(std::span<const uint8_t> Data) : data_(Data) {}
  TReadOnlyMemoryStream(const void* Data, size_t Size)
      : data_(static_cast<const uint8_t*>(Data), Size) {}

  size_t Write(const void* Buffer, size_t Count) override;  // takes nothing: returns 0
  void SetSize(int64_t NewSize) override;                   // EStreamError

  const uint8_t* Memory() const { return data_.data(); }

 protected:
  std::span<const uint8_t> Contents() const override { return data_; }

 private:
  std::span<const uint8_t> data_;
};
