// Class name -> class information (with its factory), for creating the components that form
// data names. Registration is explicit (start-up code), never from static constructors.
#pragma once

#include <string_view>

#include "toolkit/core/TClassInfo.h"

// Registers a class under its name; registering the same class again does nothing, a different
// class with the same name replaces the earlier one.
void RegisterComponentClass(const TClassInfo& Info);

// The same under its customary name. Inline on purpose: <windows.h> turns RegisterClass into
// RegisterClassA wherever it was included first, and an inline forwarder keeps every such
// translation unit linking to the one RegisterComponentClass. (Include this header after
// <windows.h>, never before it, in a unit that sees both.)
inline void RegisterClass(const TClassInfo& Info) {
  RegisterComponentClass(Info);
}
template <class T>
void RegisterClass() {
  RegisterComponentClass(T::StaticClassInfo());
}
// The registered class of that name (letter case ignored), or null.
const TClassInfo* GetClass(std::string_view Name);
// As GetClass, but an unknown name raises EClassNotFound "Class TFoo not found".
const TClassInfo& FindClass(std::string_view Name);
