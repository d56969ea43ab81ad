// Builds "TPF0" form data in memory (layout in FormBinary.h): the byte-level half of the
// component writer and of the text-to-binary converter. What the format cannot hold raises
// EWriteError, so callers that want their own wording check the limits first.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/core/FormBinary.h"

class TFormBinaryWriter {
 public:
  void WriteSignature();
  // A zero byte ends a property list, a child list and a set.
  void WriteEnd() { WriteByte(0); }
  // Length byte + characters; What names the kind of text in the error for one over 255 bytes.
  void WriteName(std::string_view Name, const char* What = "Name");
  // An integer value in the smallest of the three widths that holds it.
  void WriteInteger(int32_t Value);
  // A string value: the short form up to 255 bytes, the long form beyond.
  void WriteString(std::string_view Value);
  void WriteIdent(std::string_view Ident);
  void WriteBoolean(bool Value) { WriteByte(Value ? vaTrue : vaFalse); }
  void WriteBinary(std::span<const uint8_t> Bytes);
  void WriteSet(std::span<const std::string> Names);

  const std::vector<uint8_t>& Bytes() const { return out_; }

 private:
  void WriteByte(uint8_t B) { out_.push_back(B); }
  void WriteUInt(uint32_t V, size_t Width);
  void WriteChars(std::string_view S) { out_.insert(out_.end(), S.begin(), S.end()); }
  // Type byte, uint32 count, bytes (binary data and long strings).
  void WriteCounted(uint8_t Type, std::span<const uint8_t> Bytes, const char* TooLarge);

  std::vector<uint8_t> out_;
};
