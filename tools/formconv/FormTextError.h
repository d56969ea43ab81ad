// The one error the form converter raises: what went wrong and where, as a byte offset into a
// binary form or as line and column (both from 1) of a text form.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>

namespace formtext {

class FormTextError : public std::runtime_error {
 public:
  static FormTextError AtOffset(size_t offset, const std::string& detail);
  static FormTextError AtLine(size_t line, size_t column, const std::string& detail);

  bool HasOffset() const { return hasOffset_; }
  size_t Offset() const { return offset_; }
  size_t Line() const { return line_; }
  size_t Column() const { return column_; }
  const std::string& Detail() const { return detail_; }

 private:
  FormTextError(const std::string& where, const std::string& detail);

  bool hasOffset_ = false;
  size_t offset_ = 0;
  size_t line_ = 0;
  size_t column_ = 0;
  std::string detail_;
};

}  // namespace formtext
