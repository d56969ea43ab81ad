#include "toolkit/core/IntegerConsts.h"

#include <vector>

#include "toolkit/core/SameText.h"

namespace {
struct TIntConstsEntry {
  std::string TypeName;
  TIdentToInt ToInt;
  TIntToIdent ToIdent;
};

std::vector<TIntConstsEntry>& Registrations() {
  static std::vector<TIntConstsEntry> entries;
  return entries;
}

const TIntConstsEntry* Current(std::string_view TypeName) {
  if (TypeName.empty()) return nullptr;
  const auto& entries = Registrations();
  for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
    if (SameText(it->TypeName, TypeName)) return &*it;
  }
  return nullptr;
}
}  // namespace

void RegisterIntegerConsts(const std::string& TypeName, TIdentToInt IdentToInt,
                           TIntToIdent IntToIdent) {
  Registrations().push_back({TypeName, std::move(IdentToInt), std::move(IntToIdent)});
}

void RegisterIntegerConsts(const std::string& TypeName, std::span<const TIdentMapEntry> Map) {
  std::vector<TIdentMapEntry> table(Map.begin(), Map.end());
  auto toInt = [table](std::string_view Ident, int32_t& Value) {
    for (const TIdentMapEntry& e : table) {
      if (SameText(e.Name, Ident)) {
        Value = e.Value;
        return true;
      }
    }
    return false;
  };
  auto toIdent = [table](int32_t Value, std::string& Ident) {
    for (const TIdentMapEntry& e : table) {
      if (e.Value == Value) {
        Ident = e.Name;
        return true;
      }
    }
    return false;
  };
  RegisterIntegerConsts(TypeName, toInt, toIdent);
}

bool IdentToInt(std::string_view TypeName, std::string_view Ident, int32_t& Value) {
  const TIntConstsEntry* e = Current(TypeName);
  return e && e->ToInt && e->ToInt(Ident, Value);
}

bool IntToIdent(std::string_view TypeName, int32_t Value, std::string& Ident) {
  const TIntConstsEntry* e = Current(TypeName);
  return e && e->ToIdent && e->ToIdent(Value, Ident);
}
