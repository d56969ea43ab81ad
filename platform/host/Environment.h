#pragma once
// The process environment of the simulated machine: environment variables (names compared without
// regard to case, kept in the order they were first set), the Windows and system directories, the
// current directory and the program's own file name.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace standin::detail {

class Environment {
 public:
  void Clear();

  std::optional<std::string> Get(std::string_view name) const;
  // nullopt removes the variable.
  void Set(std::string_view name, std::optional<std::string_view> value);
  // Replaces every %NAME% of a set variable by its value. An unknown reference stays as written
  // and scanning goes on behind its closing %, so "%unset%%set%" keeps the first and expands the
  // second; a % without a partner stays as it is.
  std::string Expand(std::string_view text) const;

  std::string windowsDir;
  std::string systemDir;
  std::string currentDir;
  std::string moduleFileName;

 private:
  std::vector<std::pair<std::string, std::string>> vars_;
};

// Copies `text` into a caller's buffer of `chars` characters, the way the Win32 string queries
// do: when it fits with its terminating zero, the result is its length; otherwise nothing is
// copied and the result is the size needed, the zero included.
uint32_t CopyOut(std::string_view text, char* buffer, uint32_t chars);

}  // namespace standin::detail
