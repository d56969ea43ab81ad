// Reading and writing components as "TPF0" form data (byte layout in FormBinary.h).
#pragma once

#include <cstddef>
#include <string>
#include <utility>

#include "toolkit/core/FormBinary.h"
#include "toolkit/core/TComponent.h"
#include "toolkit/core/TStream.h"

// A read error of ReadComponentRes with the place it concerns: Offset() counts from where reading
// began, so a tool that made the data from text can point at the line. Its message is the one the
// program shows.
class EFormReadError : public EReadError {
 public:
  EFormReadError(std::string Message, size_t Offset)
      : EReadError(std::move(Message)), offset_(Offset) {}
  size_t Offset() const { return offset_; }

 private:
  size_t offset_;
};

// Reads form data from Stream's position into Root, whose class must be the one the data names.
// Root takes the stored name; children are created through the class registry with Root as
// owner, in stream order, attached to the component they are nested in, named, and their
// fields on Root set. Every component carries csLoading while the data is read; afterwards each
// gets Loaded() in creation order, root first, its csLoading cleared just before.
// Errors raise EFormReadError naming the problem and its byte offset (counted from the stream
// position where reading began); a component's own reader of declared data (a picture, stored
// files) raises its error with its own message, which is passed on as an EFormReadError at the
// value's offset. Components created by this call are destroyed again then.
// An exception raised by a Loaded() passes on unchanged; the components after it have their
// csLoading cleared but get no Loaded(). Bytes after the root record are left in the stream.
// Names (classes, properties, identifiers, methods) match without regard to letter case.
void ReadComponentRes(TStream& Stream, TComponent& Root);

// Writes Root and its children (TComponent::GetChildren) as form data: the stored properties
// that differ from their defaults, sub-objects as dotted names, declared extra properties,
// events by method name. EWriteError for what the format cannot hold (names over 255 bytes).
void WriteComponentRes(TStream& Stream, TComponent& Root);
