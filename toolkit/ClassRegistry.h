// Class name -> class information (with its factory), for creating the components that form
// data names. Registration is explicit (start-up code), never from static constructors.
#pragma once

#include <string_view>

#include "toolkit/TClassInfo.h"

// Registers a class under its name; registering the same class again does nothing, a different
// class with the same name replaces the earlier one.
void RegisterClass(const TClassInfo& Info);
template <class T>
void RegisterClass() {
  RegisterClass(T::StaticClassInfo());
}
// The registered class of that name (letter case ignored), or null.
const TClassInfo* GetClass(std::string_view Name);
// As GetClass, but an unknown name raises EClassNotFound "Class TFoo not found".
const TClassInfo& FindClass(std::string_view Name);
