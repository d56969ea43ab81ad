// Environment and directory queries the helpers make, pinned against Windows (Windows build) and
// the simulated machine (host build).

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>

#include "platform/platform.h"
#include "tests/contract/ContractMachine.h"
#include "tests/contract/ContractSupport.h"

namespace contract {
namespace {

std::optional<std::string> GetVar(const char* name) {
  char buffer[1024];
  DWORD n = GetEnvironmentVariableA(name, buffer, sizeof buffer);
  if (n == 0 && GetLastError() == Code(ERROR_ENVVAR_NOT_FOUND)) return std::nullopt;
  if (n >= sizeof buffer) return std::nullopt;
  return std::string(buffer, n);
}

bool StartsWithIgnoringCase(const std::string& text, const std::string& start) {
  auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
  if (text.size() < start.size()) return false;
  for (size_t i = 0; i < start.size(); ++i)
    if (lower(text[i]) != lower(start[i])) return false;
  return true;
}

class EnvironmentContract : public ::testing::Test {
 protected:
  void SetUp() override {
    PrepareMachine();
    savedTmp_ = GetVar("TMP");
    savedTemp_ = GetVar("TEMP");
  }
  void TearDown() override {
    SetEnvironmentVariableA("TMP", savedTmp_ ? savedTmp_->c_str() : nullptr);
    SetEnvironmentVariableA("TEMP", savedTemp_ ? savedTemp_->c_str() : nullptr);
    SetEnvironmentVariableA("AC_CONTRACT_VAR", nullptr);
    ReleaseMachine();
  }

  std::optional<std::string> savedTmp_, savedTemp_;
};

TEST_F(EnvironmentContract, VariablesSetReadAndRemoved) {
  SetLastError(0);
  char buffer[64];
  EXPECT_EQ(0u, GetEnvironmentVariableA("AC_CONTRACT_VAR", buffer, sizeof buffer));
  EXPECT_EQ(Code(ERROR_ENVVAR_NOT_FOUND), GetLastError());

  ASSERT_TRUE(SetEnvironmentVariableA("AC_CONTRACT_VAR", "value 1"));
  EXPECT_EQ(7u, GetEnvironmentVariableA("AC_CONTRACT_VAR", buffer, sizeof buffer));
  EXPECT_STREQ("value 1", buffer);
  // Names ignore case.
  EXPECT_EQ(7u, GetEnvironmentVariableA("ac_contract_var", buffer, sizeof buffer));
  // The size query: with no room the result counts the terminating zero.
  EXPECT_EQ(8u, GetEnvironmentVariableA("AC_CONTRACT_VAR", nullptr, 0));
  EXPECT_EQ(8u, GetEnvironmentVariableA("AC_CONTRACT_VAR", buffer, 7));

  ASSERT_TRUE(SetEnvironmentVariableA("AC_CONTRACT_VAR", nullptr));
  EXPECT_EQ(0u, GetEnvironmentVariableA("AC_CONTRACT_VAR", buffer, sizeof buffer));
  EXPECT_EQ(Code(ERROR_ENVVAR_NOT_FOUND), GetLastError());
  // Removing a variable that is not there is no error.
  EXPECT_TRUE(SetEnvironmentVariableA("AC_CONTRACT_VAR", nullptr));

  // An empty value is set but reads as 0 characters; unlike a missing one it sets no error (the
  // last error is left as it was, so a caller clears it first to tell the two apart).
  ASSERT_TRUE(SetEnvironmentVariableA("AC_CONTRACT_VAR", ""));
  SetLastError(0);
  buffer[0] = 'z';
  EXPECT_EQ(0u, GetEnvironmentVariableA("AC_CONTRACT_VAR", buffer, sizeof buffer));
  EXPECT_EQ(0u, GetLastError());
  EXPECT_EQ('\0', buffer[0]);
}

TEST_F(EnvironmentContract, ExpandReplacesKnownVariablesOnly) {
  ASSERT_TRUE(SetEnvironmentVariableA("AC_CONTRACT_VAR", "abc"));
  struct Case {
    const char* source;
    const char* expanded;
  };
  for (const Case& c : {Case{"%AC_CONTRACT_VAR%\\x", "abc\\x"}, Case{"%ac_contract_var%", "abc"},
                        Case{"%AC_UNSET_VAR% 100%", "%AC_UNSET_VAR% 100%"}, Case{"%%", "%%"},
                        Case{"%AC_UNSET_VAR%%AC_CONTRACT_VAR%", "%AC_UNSET_VAR%abc"},
                        Case{"no reference", "no reference"}}) {
    char buffer[128] = {};
    DWORD n = ExpandEnvironmentStringsA(c.source, buffer, sizeof buffer);
    EXPECT_STREQ(c.expanded, buffer) << c.source;
    EXPECT_EQ(std::strlen(c.expanded) + 1, n) << c.source;
  }
  // Too small a buffer: the result is still the size needed.
  char tiny[2];
  EXPECT_EQ(6u, ExpandEnvironmentStringsA("%AC_CONTRACT_VAR%\\x", tiny, sizeof tiny));
}

TEST_F(EnvironmentContract, TempPathFollowsTmpThenTemp) {
  std::string windows(MAX_PATH, '\0');
  windows.resize(GetWindowsDirectoryA(windows.data(), MAX_PATH));
  ASSERT_FALSE(windows.empty());

  ASSERT_TRUE(SetEnvironmentVariableA("TMP", (windows + "\\TmpFirst").c_str()));
  ASSERT_TRUE(SetEnvironmentVariableA("TEMP", (windows + "\\TempSecond").c_str()));
  EXPECT_EQ(windows + "\\TmpFirst\\", TempPath());
  // A trailing backslash is not doubled.
  ASSERT_TRUE(SetEnvironmentVariableA("TMP", (windows + "\\TmpFirst\\").c_str()));
  EXPECT_EQ(windows + "\\TmpFirst\\", TempPath());
  ASSERT_TRUE(SetEnvironmentVariableA("TMP", nullptr));
  EXPECT_EQ(windows + "\\TempSecond\\", TempPath());
}

TEST_F(EnvironmentContract, SystemFoldersHaveNoTrailingBackslash) {
  char windows[MAX_PATH], system[MAX_PATH];
  UINT w = GetWindowsDirectoryA(windows, MAX_PATH);
  UINT s = GetSystemDirectoryA(system, MAX_PATH);
  ASSERT_GT(w, 2u);
  ASSERT_GT(s, w);
  EXPECT_EQ(std::strlen(windows), w);
  EXPECT_NE('\\', windows[w - 1]);
  EXPECT_NE('\\', system[s - 1]);
  // The system folder lies inside the Windows folder.
  EXPECT_TRUE(StartsWithIgnoringCase(system, windows)) << windows << " " << system;
  EXPECT_TRUE(GetFileAttributesA(windows) & FILE_ATTRIBUTE_DIRECTORY);
  // Too small a buffer: the size needed, terminating zero included.
  char tiny[2];
  EXPECT_EQ(w + 1, GetWindowsDirectoryA(tiny, sizeof tiny));
  EXPECT_EQ(s + 1, GetSystemDirectoryA(tiny, sizeof tiny));
}

TEST_F(EnvironmentContract, ModuleFileNameAndCurrentDirectory) {
  char name[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, name, MAX_PATH);
  ASSERT_GT(n, 3u);
  EXPECT_EQ(std::strlen(name), n);
  EXPECT_EQ(':', name[1]);
  // Too small a buffer: filled to the last byte without a terminating zero, the buffer's size
  // returned. Callers must not read it as a string.
  char small[5] = {0, 0, 0, 0, 'z'};
  EXPECT_EQ(4u, GetModuleFileNameA(nullptr, small, 4));
  EXPECT_EQ(Code(ERROR_INSUFFICIENT_BUFFER), GetLastError());
  EXPECT_EQ(std::string(name, 4), std::string(small, 4));
  EXPECT_EQ('z', small[4]);

  char current[MAX_PATH];
  DWORD c = GetCurrentDirectoryA(MAX_PATH, current);
  ASSERT_GT(c, 2u);
  EXPECT_EQ(std::strlen(current), c);
  EXPECT_EQ(c + 1, GetCurrentDirectoryA(0, nullptr));
}

}  // namespace
}  // namespace contract
