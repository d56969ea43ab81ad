// The root of the toolkit's classes: run-time class information (name, parent, InheritsFrom),
// which the streaming, the class registry and the assignment error rely on.
//
// Every class that takes part declares itself with TOOLKIT_CLASS(Self, Parent) at the top of its
// body (the macro leaves the access at private, the default of a class):
//
//   class TFoo : public TPersistent {
//     TOOLKIT_CLASS(TFoo, TPersistent)
//    public:
//     static void Publish(TPublisher<TFoo>& P);  // optional: its published tables
//     ...
//   };
//
// A component class with a constructor taking (TComponent* Owner) gets a factory, so the
// class registry can create it by name.
#pragma once

#include <string>

#include "toolkit/core/TClassInfo.h"
#include "toolkit/core/TPublisher.h"

#define TOOLKIT_CLASS(Self, ParentClass)                                                  \
 public:                                                                                  \
  static const ::TClassInfo& StaticClassInfo() {                                          \
    static const ::TClassInfo info(#Self, &ParentClass::StaticClassInfo(),                \
                                   ::ClassFactoryOf<Self>(), ::ClassPublisherOf<Self>()); \
    return info;                                                                          \
  }                                                                                       \
  const ::TClassInfo& ClassInfo() const override {                                        \
    return StaticClassInfo();                                                             \
  }                                                                                       \
                                                                                          \
 private:

class TObject {
 public:
  virtual ~TObject() = default;

  static const TClassInfo& StaticClassInfo();
  virtual const TClassInfo& ClassInfo() const { return StaticClassInfo(); }

  const std::string& ClassName() const { return ClassInfo().Name(); }
  bool InheritsFrom(const TClassInfo& Ancestor) const { return ClassInfo().InheritsFrom(Ancestor); }
  // True when this object is a T or a descendant of T (by class information).
  template <class T>
  bool Is() const {
    return InheritsFrom(T::StaticClassInfo());
  }
};
