#include "toolkit/core/FormBinaryWriter.h"
#include "toolkit/core/LittleEndian.h"

#include <cstdint>
#include <iterator>

void TFormBinaryWriter::WriteSignature() {
  out_.insert(out_.end(), std::begin(kFormSignature), std::end(kFormSignature));
}

void TFormBinaryWriter::WriteUInt(uint32_t V, size_t Width) {
  uint8_t bytes[4];
  StoreLE(bytes, V, Width);
  out_.insert(out_.end(), bytes, bytes + Width);
}

void TFormBinaryWriter::WriteCounted(uint8_t Type, std::span<const uint8_t> Bytes,
                                     const char* TooLarge) {
  if (Bytes.size() > UINT32_MAX) throw EWriteError(TooLarge);
  WriteByte(Type);
  WriteUInt(static_cast<uint32_t>(Bytes.size()), 4);
  out_.insert(out_.end(), Bytes.begin(), Bytes.end());
}

void TFormBinaryWriter::WriteName(std::string_view Name, const char* What) {
  if (Name.size() > kMaxShortLength) {
    throw EWriteError(std::string(What) +
                      " longer than 255 bytes: " + std::string(Name.substr(0, 40)) + "...");
  }
  WriteByte(static_cast<uint8_t>(Name.size()));
  WriteChars(Name);
}

void TFormBinaryWriter::WriteInteger(int32_t Value) {
  if (Value >= INT8_MIN && Value <= INT8_MAX) {
    WriteByte(vaInt8);
    WriteUInt(static_cast<uint32_t>(Value), 1);
  } else if (Value >= INT16_MIN && Value <= INT16_MAX) {
    WriteByte(vaInt16);
    WriteUInt(static_cast<uint32_t>(Value), 2);
  } else {
    WriteByte(vaInt32);
    WriteUInt(static_cast<uint32_t>(Value), 4);
  }
}

void TFormBinaryWriter::WriteString(std::string_view Value) {
  if (Value.size() <= kMaxShortLength) {
    WriteByte(vaString);
    WriteName(Value, "String");
    return;
  }
  const auto* chars = reinterpret_cast<const uint8_t*>(Value.data());
  WriteCounted(vaLString, std::span(chars, Value.size()), "String too long");
}

void TFormBinaryWriter::WriteIdent(std::string_view Ident) {
  WriteByte(vaIdent);
  WriteName(Ident, "Identifier");
}

void TFormBinaryWriter::WriteBinary(std::span<const uint8_t> Bytes) {
  WriteCounted(vaBinary, Bytes, "Binary property too large");
}

void TFormBinaryWriter::WriteSet(std::span<const std::string> Names) {
  WriteByte(vaSet);
  for (const std::string& name : Names) WriteName(name, "Identifier");
  WriteEnd();
}
