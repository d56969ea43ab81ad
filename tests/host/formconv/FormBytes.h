// Builds binary forms byte by byte for the converter tests.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

class FormBytes {
 public:
  FormBytes& Raw(std::initializer_list<uint8_t> bytes) {
    bytes_.insert(bytes_.end(), bytes);
    return *this;
  }
  FormBytes& Chars(std::string_view text) {
    bytes_.insert(bytes_.end(), text.begin(), text.end());
    return *this;
  }
  FormBytes& Short(std::string_view text) {
    bytes_.push_back(static_cast<uint8_t>(text.size()));
    return Chars(text);
  }
  // "TPF0", class and component name.
  FormBytes& Begin(std::string_view className, std::string_view name) {
    if (bytes_.empty()) Chars("TPF0");
    return Short(className).Short(name);
  }
  const std::vector<uint8_t>& Bytes() const { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
};
