// The part of TPublisher that does not depend on the publishing class: adding a property record,
// reaching the last one, and the error for a property table applied to an object of another
// class. Compiled once here rather than into every class's TPublisher, and out of the property
// accessors, which otherwise each carry their own copy of the throw.
#pragma once

#include "toolkit/core/TClassInfo.h"

class TPublisherBase {
 protected:
  explicit TPublisherBase(TClassInfo& Info) : info_(Info) {}

  // A new property record; a read-only property is display-only and never stored.
  TPropInfo& Add(const char* Name, TPropKind Kind, bool ReadOnly);
  // The property published last; an error when there is none yet.
  TPropInfo& Last();
  [[noreturn]] static void RaiseForeignObject();

  TClassInfo& info_;
};
