// Named integer constants per integer property type (e.g. "TColor": clWhite <-> 0x00FFFFFF),
// used by the form data to store such integers by name. Each registration gives a pair of
// conversions; for a type the most recent registration wins.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

// Name -> number; false when the name is not a constant of the type.
using TIdentToInt = std::function<bool(std::string_view Ident, int32_t& Value)>;
// Number -> name; false when the number has no name.
using TIntToIdent = std::function<bool(int32_t Value, std::string& Ident)>;

void RegisterIntegerConsts(const std::string& TypeName, TIdentToInt IdentToInt,
                           TIntToIdent IntToIdent);

// A table of constants, for the common case. Names match without regard to letter case; a
// number with several names converts to the first.
struct TIdentMapEntry {
  int32_t Value;
  const char* Name;
};
void RegisterIntegerConsts(const std::string& TypeName, std::span<const TIdentMapEntry> Map);

// Conversions through the current registration of TypeName; false when the type has none or
// the name/number is not in it.
bool IdentToInt(std::string_view TypeName, std::string_view Ident, int32_t& Value);
bool IntToIdent(std::string_view TypeName, int32_t Value, std::string& Ident);
