// Identifier comparison as the form data uses it: names of classes, properties, components,
// enumeration values and methods match without regard to ASCII letter case.
#pragma once

#include <string_view>

bool SameText(std::string_view A, std::string_view B);
