#include "toolkit/core/SameText.h"

namespace {
char FoldCase(char C) {
  return (C >= 'a' && C <= 'z') ? static_cast<char>(C - 'a' + 'A') : C;
}
}  // namespace

bool SameText(std::string_view A, std::string_view B) {
  if (A.size() != B.size()) return false;
  for (size_t i = 0; i < A.size(); ++i) {
    if (FoldCase(A[i]) != FoldCase(B[i])) return false;
  }
  return true;
}
