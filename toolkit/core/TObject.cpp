#include "toolkit/core/TObject.h"

const TClassInfo& TObject::StaticClassInfo() {
  static const TClassInfo info("TObject", nullptr, nullptr, {});
  return info;
}
