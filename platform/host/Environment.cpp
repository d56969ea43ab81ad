#include "platform/host/Environment.h"

#include <cstring>

#include "platform/host/NameCompare.h"

namespace standin::detail {

void Environment::Clear() {
  vars_.clear();
  windowsDir.clear();
  systemDir.clear();
  currentDir.clear();
  moduleFileName.clear();
}

std::optional<std::string> Environment::Get(std::string_view name) const {
  for (const auto& [key, value] : vars_)
    if (SameName(key, name)) return value;
  return std::nullopt;
}

void Environment::Set(std::string_view name, std::optional<std::string_view> value) {
  for (auto it = vars_.begin(); it != vars_.end(); ++it) {
    if (!SameName(it->first, name)) continue;
    if (value)
      it->second = std::string(*value);
    else
      vars_.erase(it);
    return;
  }
  if (value) vars_.emplace_back(std::string(name), std::string(*value));
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
