// A stream over a file (std::FILE, so it is the same on both builds).
#pragma once

#include <cstdio>
#include <string>

#include "toolkit/core/TStream.h"

enum class TFileMode : uint8_t {
  fmCreate,         // create or truncate, read and write
  fmOpenRead,       // existing file, read only
  fmOpenReadWrite,  // existing file, read and write
};

class TFileStream : public TStream {
  TOOLKIT_CLASS(TFileStream, TStream)

 public:
  // EStreamError "Cannot open file "<name>"" (or "Cannot create file ...") on failure.
  TFileStream(const std::string& FileName, TFileMode Mode);
  ~TFileStream() override;
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;

  size_t Read(void* Buffer, size_t Count) override;
  size_t Write(const void* Buffer, size_t Count) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  void SetSize(int64_t NewSize) override;
  const std::string& FileName() const { return fileName_; }

 private:
  enum class TDirection : uint8_t { None, Reading, Writing };
  // Repositions the file when the transfer direction changes.
  void SwitchTo(TDirection Direction);

  std::string fileName_;
  std::FILE* file_ = nullptr;
  TDirection direction_ = TDirection::None;
};
