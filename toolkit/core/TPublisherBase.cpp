#include "toolkit/core/TPublisherBase.h"

#include <utility>

#include "toolkit/core/ToolkitErrors.h"

TPropInfo& TPublisherBase::Add(const char* Name, TPropKind Kind, bool ReadOnly) {
  TPropInfo p;
  p.Name = Name;
  p.Kind = Kind;
  p.ReadOnly = ReadOnly;
  p.NeverStored = ReadOnly;  // display-only figures are never written
  return info_.AddProperty(std::move(p));
}

TPropInfo& TPublisherBase::Last() {
  TPropInfo* p = info_.LastProperty();
  if (!p) throw EToolkitError("No property published yet in " + info_.Name());
  return *p;
}

void TPublisherBase::RaiseForeignObject() {
  throw EConvertError("Property table applied to an object of another class");
}
