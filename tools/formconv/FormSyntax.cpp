#include "tools/formconv/FormSyntax.h"

namespace formtext {

namespace {

bool IsIdentStart(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

bool IsIdentPart(char c) {
  return IsIdentStart(c) || (c >= '0' && c <= '9');
}

}  // namespace

bool IsIdentifier(std::string_view text) {
  if (text.empty() || !IsIdentStart(text.front())) return false;
  for (char c : text) {
    if (!IsIdentPart(c)) return false;
  }
  return true;
}

bool IsDottedIdentifier(std::string_view text) {
  size_t start = 0;
  while (true) {
    size_t dot = text.find('.', start);
    std::string_view part = text.substr(start, dot == std::string_view::npos ? dot : dot - start);
    if (!IsIdentifier(part)) return false;
    if (dot == std::string_view::npos) return true;
    start = dot + 1;
  }
}

bool IsBooleanWord(std::string_view text) {
  return text == "True" || text == "False";
}

}  // namespace formtext
