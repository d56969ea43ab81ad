// A bounds-checked cursor over "TPF0" form data (layout in FormBinary.h). Every length is
// checked against what is left before it is used, so damaged data ends in an EFormDataError
// with its offset, never in a read outside the data. It knows values, not components: walking
// records and what a property means are the caller's business.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "toolkit/core/FormBinary.h"

class TFormBinaryReader {
 public:
  // Reads Data, which the caller keeps alive while values (binary views) are in use.
  explicit TFormBinaryReader(std::span<const uint8_t> Data) : data_(Data) {}

  size_t Position() const { return pos_; }
  size_t Remaining() const { return data_.size() - pos_; }
  bool AtEnd() const { return pos_ == data_.size(); }

  // The four signature bytes: Truncated when fewer are left, BadSignature when they differ.
  void ReadSignature();
  uint8_t ReadByte();
  uint8_t PeekByte();
  // A little-endian integer of Width 1, 2 or 4 bytes, sign-extended.
  int32_t ReadInt(size_t Width);
  // Length byte + characters: names, strings, identifiers, set elements.
  std::string ReadName();
  // uint32 length + characters.
  std::string ReadLongString();
  // uint32 count + bytes, as a view into the data.
  std::span<const uint8_t> ReadBinary();
  // Names up to the empty one that ends a set.
  std::vector<std::string> ReadSetNames();
  // A type byte and its data; EFormDataError UnknownValueType for a type outside TValueType.
  TFormValue ReadValue();

 private:
  // Fails unless Count bytes are left; ItemOffset is where the item (with its prefix) began.
  void Need(uint64_t Count, size_t ItemOffset) const;
  uint32_t ReadUInt32();
  std::string ReadChars(size_t Count, size_t ItemOffset);

  std::span<const uint8_t> data_;
  size_t pos_ = 0;
};
