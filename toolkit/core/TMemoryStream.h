// A growable stream in memory. Its bytes are reachable through Memory(), so a decoder can unpack
// straight into a stream sized beforehand with SetSize.
#pragma once

#include <vector>

#include "toolkit/core/TCustomMemoryStream.h"

class TMemoryStream : public TCustomMemoryStream {
  TOOLKIT_CLASS(TMemoryStream, TCustomMemoryStream)

 public:
  // Writes at the position, growing the stream (a gap after a seek past the end reads as zeros).
  size_t Write(const void* Buffer, size_t Count) override;
  // New bytes are zero; the position is kept, but moved back to the end if it lay beyond.
  void SetSize(int64_t NewSize) override;

  uint8_t* Memory() { return data_.data(); }
  const uint8_t* Memory() const { return data_.data(); }
  const std::vector<uint8_t>& Bytes() const { return data_; }
  void Clear();

  void LoadFromStream(TStream& Source);  // replaces the content with all of Source
  void SaveToStream(TStream& Dest) const;

 protected:
  std::span<const uint8_t> Contents() const override { return data_; }

 private:
  // Whether the block can reach Start + Count bytes at all (not whether memory suffices).
  bool Fits(uint64_t Start, size_t Count) const;

  std::vector<uint8_t> data_;
};
