// The byte layout of "TPF0" form data, shared by the component reader and writer and by the
// class-agnostic tools (the text converter, the pack tool).
//
// Layout: the signature "TPF0", then the root's component record: class name and component
// name (length byte + characters), properties (name, value) ended by an empty name, child
// records (same layout) ended by a zero byte. A value is a type byte and its data:
//   2 int8, 3 int16 LE, 4 int32 LE, 6 string (length byte + chars), 7 identifier,
//   8 False, 9 True, 10 binary (uint32 LE count + bytes), 11 set (identifiers ended by an empty
//   one), 12 long string (uint32 LE length + chars; written for strings over 255 bytes).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "toolkit/core/ToolkitErrors.h"

// Value type bytes of the form data.
enum TValueType : uint8_t {
  vaInt8 = 2,
  vaInt16 = 3,
  vaInt32 = 4,
  vaString = 6,
  vaIdent = 7,
  vaFalse = 8,
  vaTrue = 9,
  vaBinary = 10,
  vaSet = 11,
  vaLString = 12,
};

// The signature that opens form data.
inline constexpr char kFormSignature[4] = {'T', 'P', 'F', '0'};

// Names, short strings, identifiers and set elements carry a length byte.
inline constexpr size_t kMaxShortLength = 255;

// One value as it stands in the data, decoded but not yet applied to anything.
struct TFormValue {
  uint8_t Type = 0;
  size_t Offset = 0;  // of the type byte
  int32_t Int = 0;
  std::string Text;                // string, long string or identifier
  std::vector<std::string> Names;  // set
  std::span<const uint8_t> Bytes;  // binary: a view into the data being read
};

// Data that is not sound at the byte level. Offset() is where reading stopped; the message is
// the toolkit's wording without the place, so each user can put it into its own words.
class EFormDataError : public EReadError {
 public:
  enum class TKind : uint8_t { Truncated, BadSignature, UnknownValueType };

  EFormDataError(TKind Kind, std::string Message, size_t Offset, size_t ItemOffset, uint64_t Needed,
                 size_t Left)
      : EReadError(std::move(Message)),
        kind_(Kind),
        offset_(Offset),
        itemOffset_(ItemOffset),
        needed_(Needed),
        left_(Left) {}

  TKind Kind() const { return kind_; }
  // Truncated: where the missing bytes should have started. Otherwise: the offending byte.
  size_t Offset() const { return offset_; }
  // Where the item being read began, including its length or count prefix.
  size_t ItemOffset() const { return itemOffset_; }
  // Truncated: how many bytes were needed at Offset(), and how many were left there.
  uint64_t Needed() const { return needed_; }
  size_t Left() const { return left_; }

 private:
  TKind kind_;
  size_t offset_;
  size_t itemOffset_;
  uint64_t needed_;
  size_t left_;
};
