// A read-only stream over a resource of the running program (its form data, say). A resource's
// memory lasts as long as the program, so a reader may keep views into it rather than copies:
// the file storage keeps its packed installer there until the bytes are wanted, instead of
// unpacking megabytes into fresh memory at every start.
#pragma once

#include "toolkit/core/TReadOnlyMemoryStream.h"

class TResourceStream : public TReadOnlyMemoryStream {
  TOOLKIT_CLASS(TResourceStream, TReadOnlyMemoryStream)

 public:
  // Data is the resource's memory (LockResource), which stays valid while the program runs.
  TResourceStream(const void* Data, size_t Size) : TReadOnlyMemoryStream(Data, Size) {}
};
