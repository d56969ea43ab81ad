#include "toolkit/core/TMemoryStream.h"

#include <algorithm>
#include <cstring>

#include "toolkit/core/ToolkitErrors.h"

size_t TMemoryStream::Write(const void* Buffer, size_t Count) {
  // A position far past the end (a seek is free to go there) must not wrap around size_t, which
  // is 32 bits wide on Windows: nothing is taken then, and WriteBuffer reports the write error.
  if (Count == 0 || !Fits(static_cast<uint64_t>(position_), Count)) return 0;
  const auto end = static_cast<size_t>(position_) + Count;
  if (end > data_.size()) data_.resize(end);
  std::memcpy(data_.data() + position_, Buffer, Count);
  position_ = static_cast<int64_t>(end);
  return Count;
}

void TMemoryStream::SetSize(int64_t NewSize) {
  if (NewSize < 0 || !Fits(static_cast<uint64_t>(NewSize), 0))
    throw EStreamError("Stream size error");
  data_.resize(static_cast<size_t>(NewSize));
  position_ = std::min(position_, NewSize);
}

bool TMemoryStream::Fits(uint64_t Start, size_t Count) const {
  const uint64_t limit = data_.max_size();
  return Count <= limit && Start <= limit - Count;
}

void TMemoryStream::Clear() {
  data_.clear();
  data_.shrink_to_fit();
  position_ = 0;
}

void TMemoryStream::LoadFromStream(TStream& Source) {
  Source.SetPosition(0);
  int64_t size = Source.Size();
  SetSize(size);
  position_ = 0;
  Source.ReadBuffer(data_.data(), static_cast<size_t>(size));
}

void TMemoryStream::SaveToStream(TStream& Dest) const {
  Dest.WriteBuffer(data_.data(), data_.size());
}
