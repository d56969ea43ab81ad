#include "platform/host/Environment.h"

#include <cstring>

#include "platform/host/CodePage.h"
#include "platform/host/NameCompare.h"

namespace standin::detail {

void Environment::Clear() {
  vars_.clear();
  windowsDir.clear();
  systemDir.clear();
  currentDir.clear();
  moduleFileName.clear();
}

const Environment::Var* Environment::Find(std::string_view name) const {
  for (const Var& var : vars_)
    if (SameName(var.name, name)) return &var;
  return nullptr;
}

std::optional<std::string> Environment::Get(std::string_view name) const {
  const Var* var = Find(name);
  return var ? std::optional(var->value) : std::nullopt;
}

void Environment::Set(std::string_view name, std::optional<std::string_view> value) {
  for (auto it = vars_.begin(); it != vars_.end(); ++it) {
    if (!SameName(it->name, name)) continue;
    if (value)
      *it = Var{it->name, std::string(*value), std::nullopt};
    else
      vars_.erase(it);
    return;
  }
  if (value) vars_.push_back(Var{std::string(name), std::string(*value), std::nullopt});
}

std::optional<std::u16string> Environment::GetWide(std::string_view name) const {
  const Var* var = Find(name);
  if (var == nullptr) return std::nullopt;
  return var->wide ? *var->wide : Widen(var->value);
}

void Environment::SetWide(std::string_view name, std::u16string_view value) {
  Set(name, NarrowLossy(value));
  for (Var& var : vars_)
    if (SameName(var.name, name)) var.wide = std::u16string(value);
}

bool Environment::HasWide(std::string_view name) const {
  const Var* var = Find(name);
  return var != nullptr && var->wide.has_value();
}

std::string Environment::Expand(std::string_view text) const {
  std::string out;
  while (!text.empty()) {
    size_t open = text.find('%');
    size_t close = open == std::string_view::npos ? open : text.find('%', open + 1);
    if (close == std::string_view::npos) break;
    out.append(text.substr(0, open));
    std::string_view reference = text.substr(open, close - open + 1);
    auto value = close > open + 1 ? Get(reference.substr(1, reference.size() - 2)) : std::nullopt;
    // An unknown (or empty) reference stays as written, both percent signs included.
    out += value ? *value : std::string(reference);
    text = text.substr(close + 1);
  }
  out.append(text);
  return out;
}

uint32_t CopyOut(std::string_view text, char* buffer, uint32_t chars) {
  if (buffer == nullptr || text.size() + 1 > chars) return static_cast<uint32_t>(text.size() + 1);
  std::memcpy(buffer, text.data(), text.size());
  buffer[text.size()] = '\0';
  return static_cast<uint32_t>(text.size());
}

}  // namespace standin::detail
