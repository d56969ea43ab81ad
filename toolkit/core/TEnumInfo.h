// Type information of an enumeration: its name and its value names in ordinal order. Sets of an
// enumeration use the same record; a set value is a bit mask, bit n standing for ordinal n.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

// A set of an enumeration with at most 32 values, bit n = ordinal n.
using TSetValue = uint32_t;

class TEnumInfo {
 public:
  // Enumerations hold at most 256 values (they are 8-bit); more raises EToolkitError.
  TEnumInfo(std::string Name, std::initializer_list<const char*> ValueNames);

  const std::string& Name() const { return name_; }
  int32_t Count() const { return static_cast<int32_t>(names_.size()); }
  // The name of an ordinal; empty for an ordinal outside 0..Count-1.
  std::string_view ValueName(int64_t Ordinal) const;
  // The ordinal of a name (any letter case); -1 when no value has that name.
  int32_t ValueOf(std::string_view ValueName) const;
  // Whether this enumeration can be the element type of a set (at most 32 values).
  bool FitsSet() const { return names_.size() <= 32; }

 private:
  std::string name_;
  std::vector<std::string> names_;
};
