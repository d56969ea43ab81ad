#include "toolkit/core/TEnumInfo.h"

#include "toolkit/core/SameText.h"
#include "toolkit/core/ToolkitErrors.h"

TEnumInfo::TEnumInfo(std::string Name, std::initializer_list<const char*> ValueNames)
    : name_(std::move(Name)), names_(ValueNames.begin(), ValueNames.end()) {
  if (names_.size() > 256)
    throw EToolkitError("Enumeration " + name_ + " has more than 256 values");
}

std::string_view TEnumInfo::ValueName(int64_t Ordinal) const {
  if (Ordinal < 0 || Ordinal >= Count()) return {};
  return names_[static_cast<size_t>(Ordinal)];
}

int32_t TEnumInfo::ValueOf(std::string_view ValueName) const {
  for (size_t i = 0; i < names_.size(); ++i) {
    if (SameText(names_[i], ValueName)) return static_cast<int32_t>(i);
  }
  return -1;
}
