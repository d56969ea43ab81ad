#include "tools/formconv/FormTextError.h"

namespace formtext {

FormTextError::FormTextError(const std::string& where, const std::string& detail)
    : std::runtime_error(where + ": " + detail), detail_(detail) {}

FormTextError FormTextError::AtOffset(size_t offset, const std::string& detail) {
  FormTextError error("offset " + std::to_string(offset), detail);
  error.hasOffset_ = true;
  error.offset_ = offset;
  return error;
}

FormTextError FormTextError::AtLine(size_t line, size_t column, const std::string& detail) {
  FormTextError error("line " + std::to_string(line) + ", column " + std::to_string(column),
                      detail);
  error.line_ = line;
  error.column_ = column;
  return error;
}

}  // namespace formtext
