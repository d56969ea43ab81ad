// Byte streams: read, write, position and size. Read and Write move as many bytes as they can
// and say how many; ReadBuffer and WriteBuffer demand all of them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "toolkit/core/TObject.h"

enum class TSeekOrigin : uint8_t { soBeginning, soCurrent, soEnd };

class TStream : public TObject {
  TOOLKIT_CLASS(TStream, TObject)

 public:
  // Reads up to Count bytes at the position; returns how many were read (0 at the end).
  virtual size_t Read(void* Buffer, size_t Count) = 0;
  // Writes up to Count bytes at the position; returns how many were written.
  virtual size_t Write(const void* Buffer, size_t Count) = 0;
  // Moves the position; returns the new one. A position before the start raises EStreamError.
  virtual int64_t Seek(int64_t Offset, TSeekOrigin Origin) = 0;
  // Changes the size (EStreamError where the stream cannot).
  virtual void SetSize(int64_t NewSize) = 0;
  virtual int64_t Size();

  int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
  void SetPosition(int64_t Value) { Seek(Value, TSeekOrigin::soBeginning); }

  // Reads exactly Count bytes; EStreamError "Stream read error" when fewer are there.
  void ReadBuffer(void* Buffer, size_t Count);
  // Writes exactly Count bytes; EWriteError "Stream write error" when fewer are taken.
  void WriteBuffer(const void* Buffer, size_t Count);
  // Copies Count bytes from Source at its position (0: all of Source from its start); returns
  // the count copied.
  int64_t CopyFrom(TStream& Source, int64_t Count);
};
