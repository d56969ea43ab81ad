#pragma once
// The process environment of the simulated machine: environment variables (names compared without
// regard to case, kept in the order they were first set), the Windows and system directories, the
// current directory and the program's own file name. A variable holds ANSI text; a test may give
// one a UTF-16 value that the ANSI side cannot hold, which the ANSI calls then see in its ANSI
// form.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace standin::detail {

class Environment {
 public:
  void Clear();

  std::optional<std::string> Get(std::string_view name) const;
  // nullopt removes the variable.
  void Set(std::string_view name, std::optional<std::string_view> value);
  // The value the wide calls see: the UTF-16 value given with SetWide, else the ANSI one widened.
  std::optional<std::u16string> GetWide(std::string_view name) const;
  // A UTF-16 value; Get gives its ANSI form, '?' for each character outside the code page.
  void SetWide(std::string_view name, std::u16string_view value);
  // Whether the value was given with SetWide (and not replaced since).
  bool HasWide(std::string_view name) const;
  // Replaces every %NAME% of a set variable by its value. An unknown reference stays as written
  // and scanning goes on behind its closing %, so "%unset%%set%" keeps the first and expands the
  // second; a % without a partner stays as it is.
  std::string Expand(std::string_view text) const;

  std::string windowsDir;
  std::string systemDir;
  std::string currentDir;
  std::string moduleFileName;

 private:
  struct Var {
    std::string name;
    std::string value;
    std::optional<std::u16string> wide;
  };
  const Var* Find(std::string_view name) const;

  std::vector<Var> vars_;
};

// Copies `text` into a caller's buffer of `chars` characters, the way the Win32 string queries
// do: when it fits with its terminating zero, the result is its length; otherwise nothing is
// copied and the result is the size needed, the zero included.
uint32_t CopyOut(std::string_view text, char* buffer, uint32_t chars);

}  // namespace standin::detail
