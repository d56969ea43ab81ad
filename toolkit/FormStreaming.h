// Reading and writing components as "TPF0" form data.
//
// Layout: the signature "TPF0", then the root's component record: class name and component
// name (length byte + characters), properties (name, value) ended by an empty name, child
// records (same layout) ended by a zero byte. A value is a type byte and its data:
//   2 int8, 3 int16 LE, 4 int32 LE, 6 string (length byte + chars), 7 identifier,
//   8 False, 9 True, 10 binary (uint32 LE count + bytes), 11 set (identifiers ended by an empty
//   one), 12 long string (uint32 LE length + chars; written for strings over 255 bytes).
#pragma once

#include "toolkit/TComponent.h"
#include "toolkit/TStream.h"

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

// Reads form data from Stream's position into Root, whose class must be the one the data names.
// Root takes the stored name; children are created through the class registry with Root as
// owner, in stream order, attached to the component they are nested in, named, and their
// fields on Root set. Every component carries csLoading while the data is read; afterwards each
// gets Loaded() in creation order, root first, its csLoading cleared just before.
// Errors raise EReadError naming the problem and its byte offset (counted from the stream
// position where reading began); components created by this call are destroyed again then.
// An exception raised by a Loaded() passes on unchanged; the components after it have their
// csLoading cleared but get no Loaded(). Bytes after the root record are left in the stream.
// Names (classes, properties, identifiers, methods) match without regard to letter case.
void ReadComponentRes(TStream& Stream, TComponent& Root);

// Writes Root and its children (TComponent::GetChildren) as form data: the stored properties
// that differ from their defaults, sub-objects as dotted names, declared extra properties,
// events by method name. EWriteError for what the format cannot hold (names over 255 bytes).
void WriteComponentRes(TStream& Stream, TComponent& Root);
