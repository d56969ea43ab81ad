#include "toolkit/core/TCustomMemoryStream.h"

#include <algorithm>
#include <cstring>

#include "toolkit/core/ToolkitErrors.h"

size_t TCustomMemoryStream::Read(void* Buffer, size_t Count) {
  std::span<const uint8_t> bytes = Contents();
  const auto size = static_cast<int64_t>(bytes.size());
  if (position_ >= size) return 0;
  size_t n = std::min(Count, static_cast<size_t>(size - position_));
  if (n != 0) std::memcpy(Buffer, bytes.data() + position_, n);
  position_ += static_cast<int64_t>(n);
  return n;
}

int64_t TCustomMemoryStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  int64_t base = Origin == TSeekOrigin::soBeginning ? 0
                 : Origin == TSeekOrigin::soCurrent ? position_
                                                    : Size();
  int64_t target = 0;
  // Offsets come from callers and data alike; a sum past the 64-bit range is refused like a
  // position before the start.
  if (__builtin_add_overflow(base, Offset, &target) || target < 0) {
    throw EStreamError("Stream seek error");
  }
  position_ = target;
  return position_;
}
