#include "toolkit/TReadOnlyMemoryStream.h"

#include <algorithm>
#include <cstring>

#include "toolkit/ToolkitErrors.h"

size_t TReadOnlyMemoryStream::Read(void* Buffer, size_t Count) {
  int64_t size = Size();
  if (position_ >= size) return 0;
  size_t n = std::min(Count, static_cast<size_t>(size - position_));
  std::memcpy(Buffer, data_.data() + position_, n);
  position_ += static_cast<int64_t>(n);
  return n;
}

size_t TReadOnlyMemoryStream::Write(const void* /*Buffer*/, size_t /*Count*/) {
  return 0;
}

int64_t TReadOnlyMemoryStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  int64_t base = Origin == TSeekOrigin::soBeginning ? 0
                 : Origin == TSeekOrigin::soCurrent ? position_
                                                    : Size();
  int64_t target = base + Offset;
  if (target < 0) throw EStreamError("Stream seek error");
  position_ = target;
  return position_;
}

void TReadOnlyMemoryStream::SetSize(int64_t /*NewSize*/) {
  throw EStreamError("Cannot resize a read-only stream");
}
