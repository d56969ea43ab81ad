#include "toolkit/core/FormBinaryReader.h"
#include "toolkit/core/LittleEndian.h"

#include <cstring>

void TFormBinaryReader::Need(uint64_t Count, size_t ItemOffset) const {
  if (Count <= Remaining()) return;
  throw EFormDataError(EFormDataError::TKind::Truncated,
                       "Unexpected end of form data (" + std::to_string(Count) +
                           " more bytes needed, " + std::to_string(Remaining()) + " left)",
                       pos_, ItemOffset, Count, Remaining());
}

void TFormBinaryReader::ReadSignature() {
  Need(sizeof kFormSignature, pos_);
  if (std::memcmp(data_.data() + pos_, kFormSignature, sizeof kFormSignature) != 0) {
    throw EFormDataError(EFormDataError::TKind::BadSignature,
                         "Invalid form data: the signature TPF0 is missing", pos_, pos_, 0, 0);
  }
  pos_ += sizeof kFormSignature;
}

uint8_t TFormBinaryReader::ReadByte() {
  Need(1, pos_);
  return data_[pos_++];
}

uint8_t TFormBinaryReader::PeekByte() {
  Need(1, pos_);
  return data_[pos_];
}

int32_t TFormBinaryReader::ReadInt(size_t Width) {
  Need(Width, pos_);
  const uint32_t v = LoadLE(&data_[pos_], Width);
  pos_ += Width;
  if (Width == 1) return static_cast<int8_t>(v);
  if (Width == 2) return static_cast<int16_t>(v);
  return static_cast<int32_t>(v);
}

uint32_t TFormBinaryReader::ReadUInt32() {
  return static_cast<uint32_t>(ReadInt(4));
}

std::string TFormBinaryReader::ReadChars(size_t Count, size_t ItemOffset) {
  Need(Count, ItemOffset);
  std::string s(reinterpret_cast<const char*>(data_.data() + pos_), Count);
  pos_ += Count;
  return s;
}

std::string TFormBinaryReader::ReadName() {
  size_t at = pos_;
  return ReadChars(ReadByte(), at);
}

std::string TFormBinaryReader::ReadLongString() {
  size_t at = pos_;
  return ReadChars(ReadUInt32(), at);
}

std::span<const uint8_t> TFormBinaryReader::ReadBinary() {
  size_t at = pos_;
  uint32_t count = ReadUInt32();
  Need(count, at);
  std::span<const uint8_t> bytes = data_.subspan(pos_, count);
  pos_ += count;
  return bytes;
}

std::vector<std::string> TFormBinaryReader::ReadSetNames() {
  std::vector<std::string> names;
  for (std::string name = ReadName(); !name.empty(); name = ReadName()) {
    names.push_back(std::move(name));
  }
  return names;
}

TFormValue TFormBinaryReader::ReadValue() {
  TFormValue v;
  v.Offset = pos_;
  v.Type = ReadByte();
  switch (v.Type) {
    case vaInt8:
    case vaInt16:
    case vaInt32:
      v.Int = ReadInt(v.Type == vaInt8 ? 1 : v.Type == vaInt16 ? 2 : 4);
      break;
    case vaString:
    case vaIdent:
      v.Text = ReadName();
      break;
    case vaLString:
      v.Text = ReadLongString();
      break;
    case vaFalse:
    case vaTrue:
      break;
    case vaBinary:
      v.Bytes = ReadBinary();
      break;
    case vaSet:
      v.Names = ReadSetNames();
      break;
    default:
      throw EFormDataError(EFormDataError::TKind::UnknownValueType,
                           "Unsupported value type " + std::to_string(v.Type), v.Offset, v.Offset,
                           0, 0);
  }
  return v;
}
