#pragma once
// Names in the registry and on Windows drives compare without regard to the case of ASCII letters.

#include <string_view>

namespace standin::detail {

bool SameName(std::string_view a, std::string_view b);
bool NameLess(std::string_view a, std::string_view b);

}  // namespace standin::detail
