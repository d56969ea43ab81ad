// Reading and writing components as "TPF0" form data (byte layout in FormBinary.h).
#pragma once

#include "toolkit/core/FormBinary.h"
#include "toolkit/core/TComponent.h"
#include "toolkit/core/TStream.h"

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
