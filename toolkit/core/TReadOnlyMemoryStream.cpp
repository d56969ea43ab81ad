#include "toolkit/core/TReadOnlyMemoryStream.h"

#include "toolkit/core/ToolkitErrors.h"

size_t TReadOnlyMemoryStream::Write(const void* /*Buffer*/, size_t /*Count*/) {
  return 0;
}

void TReadOnlyMemoryStream::SetSize(int64_t /*NewSize*/) {
  throw EStreamError("Cannot resize a read-only stream");
}
