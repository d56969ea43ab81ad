// A read-only stream over a block of memory that the caller keeps alive (a resource, or a part
// of a larger buffer). Writing and resizing raise errors.
#pragma once

#include <span>

#include "toolkit/TStream.h"

class TReadOnlyMemoryStream : public TStream {
  TOOLKIT_CLASS(TReadOnlyMemoryStream, TStream)

 public:
  explicit TReadOnlyMemoryStream(std::span<const uint8_t> Data) : data_(Data) {}
  TReadOnlyMemoryStream(const void* Data, size_t Size)
      : data_(static_cast<const uint8_t*>(Data), Size) {}

  size_t Read(void* Buffer, size_t Count) override;
  size_t Write(const void* Buffer, size_t Count) override;  // takes nothing: returns 0
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  void SetSize(int64_t NewSize) override;  // EStreamError
  int64_t Size() override { return static_cast<int64_t>(data_.size()); }

  const uint8_t* Memory() const { return data_.data(); }

 private:
  std::span<const uint8_t> data_;
  int64_t position_ = 0;
};
