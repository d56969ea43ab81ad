#include "toolkit/core/ToolkitErrors.h"

void Abort() {
  throw EAbort();
}

std::string ListIndexErrorText(int64_t Index) {
  return "List index out of bounds (" + std::to_string(Index) + ")";
}

std::string AssignErrorText(const char* Source, const char* Dest) {
  return std::string("Cannot assign a ") + (Source ? Source : "nil") + " to a " +
         (Dest ? Dest : "nil");
}
