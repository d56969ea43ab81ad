// A growable stream in memory. Its bytes are reachable through Memory(), so a decoder can unpack
// straight into a stream sized beforehand with SetSize.
#pragma once

#include <vector>

#include "toolkit/TStream.h"

class TMemoryStream : public TStream {
  TOOLKIT_CLASS(TMemoryStream, TStream)

 public:
  size_t Read(void* Buffer, size_t Count) override;
  // Writes at the position, growing the stream (a gap after a seek past the end reads as zeros).
  size_t Write(const void* Buffer, size_t Count) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  // New bytes are zero; the position is kept, but moved back to the end if it lay beyond.
  void SetSize(int64_t NewSize) override;
  int64_t Size() override { return static_cast<int64_t>(data_.size()); }

  uint8_t* Memory() { return data_.data(); }
  const uint8_t* Memory() const { return data_.data(); }
  const std::vector<uint8_t>& Bytes() const { return data_; }
  void Clear();

  void LoadFromStream(TStream& Source);  // replaces the content with all of Source
  void SaveToStream(TStream& Dest) const;

 private:
  std::vector<uint8_t> data_;
  int64_t position_ = 0;
};
