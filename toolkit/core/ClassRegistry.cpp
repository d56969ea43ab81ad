#include "toolkit/core/ClassRegistry.h"

#include <string>
#include <vector>

#include "toolkit/core/SameText.h"
#include "toolkit/core/ToolkitErrors.h"

namespace {
std::vector<const TClassInfo*>& Classes() {
  static std::vector<const TClassInfo*> classes;
  return classes;
}
}  // namespace

void RegisterComponentClass(const TClassInfo& Info) {
  for (const TClassInfo*& c : Classes()) {
    if (SameText(c->Name(), Info.Name())) {
      c = &Info;
      return;
    }
  }
  Classes().push_back(&Info);
}

const TClassInfo* GetClass(std::string_view Name) {
  for (const TClassInfo* c : Classes()) {
    if (SameText(c->Name(), Name)) return c;
  }
  return nullptr;
}

const TClassInfo& FindClass(std::string_view Name) {
  const TClassInfo* c = GetClass(Name);
  if (!c) throw EClassNotFound("Class " + std::string(Name) + " not found");
  return *c;
}
