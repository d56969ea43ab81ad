#include "toolkit/TMemoryStream.h"

#include <algorithm>
#include <cstring>

#include "toolkit/ToolkitErrors.h"

size_t TMemoryStream::Read(void* Buffer, size_t Count) {
  int64_t size = Size();
  if (position_ >= size) return 0;
  size_t n = std::min(Count, static_cast<size_t>(size - position_));
  std::memcpy(Buffer, data_.data() + position_, n);
  position_ += static_cast<int64_t>(n);
  return n;
}

size_t TMemoryStream::Write(const void* Buffer, size_t Count) {
  if (Count == 0) return 0;
  size_t end = static_cast<size_t>(position_) + Count;
  if (end > data_.size()) data_.resize(end);
  std::memcpy(data_.data() + position_, Buffer, Count);
  position_ = static_cast<int64_t>(end);
  return Count;
}

int64_t TMemoryStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  int64_t base = Origin == TSeekOrigin::soBeginning ? 0
                 : Origin == TSeekOrigin::soCurrent ? position_
                                                    : Size();
  int64_t target = base + Offset;
  if (target < 0) throw EStreamError("Stream seek error");
  position_ = target;
  return position_;
}

void TMemoryStream::SetSize(int64_t NewSize) {
  if (NewSize < 0) throw EStreamError("Stream size error");
  data_.resize(static_cast<size_t>(NewSize));
  position_ = std::min(position_, NewSize);
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
