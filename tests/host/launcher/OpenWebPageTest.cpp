#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "launcher/OpenWebPage.h"
#include "launcher/ShellOpen.h"
#include "platform/host/StandIn.h"
#include "platform/platform.h"

namespace {

constexpr char kKey[] = "htmlfile\\shell\\open\\command";
constexpr char kUrl[] = "http://www.quillmoor.de/";

class OpenWebPageTest : public ::testing::Test {
 protected:
  void SetUp() override { standin::Reset(); }
  // The shell stays loaded between actions: each test frees it before its machine goes.
  void TearDown() override {
    ReleaseShell();
    standin::Discard();
  }

  static void Register(const std::string& command, DWORD type = REG_SZ) {
    standin::SetRegString(HKEY_CLASSES_ROOT, kKey, "", command, type);
  }
  static void RegisterBytes(DWORD type, std::vector<BYTE> bytes) {
    standin::SetRegValue(HKEY_CLASSES_ROOT, kKey, "", type, std::move(bytes));
  }
  static std::vector<BYTE> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

  // Opens the address and returns the shell calls made; the registry must be left with no key
  // open, whatever path the routine took.
  static std::vector<standin::Call> Open(const std::string& url = kUrl) {
    OpenWebPage(url);
    EXPECT_EQ(standin::OpenRegHandleCount(), 0u) << "a registry key was left open";
    return standin::CallsOf("ShellExecuteA");
  }
  // The file argument of the one shell call that must have been made.
  static std::optional<std::string> ProgramPassed() {
    const auto calls = Open();
    if (calls.size() != 1) {
      ADD_FAILURE() << calls.size() << " shell calls";
      return "<no single call>";
    }
    return calls[0].args.at(2);
  }
};

TEST_F(OpenWebPageTest, StartsTheQuotedProgramWithTheAddressAsItsOnlyParameter) {
  Register("\"C:\\Web\\browser.exe\" -nohome");
  const auto calls = Open();
  ASSERT_EQ(calls.size(), 1u);
  const std::vector<std::optional<std::string>> expected = {
      "0", "open", "C:\\Web\\browser.exe", kUrl, std::nullopt, "5"};
  EXPECT_EQ(calls[0].args, expected) << calls[0].ToString();
}

TEST_F(OpenWebPageTest, TheAddressIsPassedUnchangedAndUnquoted) {
  Register("\"C:\\Web\\browser.exe\" \"%1\"");
  const std::string url = "http://example.test/a b?q=\"x\"&r=%20";
  const auto calls = Open(url);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].args.at(2), "C:\\Web\\browser.exe");  // the placeholder is dropped
  EXPECT_EQ(calls[0].args.at(3), url);
}

// The shell is not imported: it is loaded at the first call from the system directory by its full
// path (never a bare name, which would search the program's folder first) and stays loaded for
// later calls until ReleaseShell frees it once, at shut-down.
TEST_F(OpenWebPageTest, LoadsTheShellByItsSystemPathOnceAndKeepsItUntilShutDown) {
  Register("\"C:\\Web\\browser.exe\"");
  standin::SetSystemDirectory("D:\\OS\\System");
  const auto sequence = [] {
    std::vector<std::string> calls;
    for (const auto& call : standin::Calls())
      if (call.function == "LoadLibraryExA" || call.function == "ShellExecuteA" ||
          call.function == "FreeLibrary")
        calls.push_back(call.function == "LoadLibraryExA" ? call.ToString() : call.function);
    return calls;
  };
  ASSERT_EQ(Open().size(), 1u);
  ASSERT_EQ(Open().size(), 2u);
  const std::string load = "LoadLibraryExA(D:\\OS\\System\\shell32.dll, 0, 8)";
  EXPECT_EQ(sequence(), (std::vector<std::string>{load, "ShellExecuteA", "ShellExecuteA"}));
  ReleaseShell();
  ReleaseShell();
  EXPECT_EQ(sequence(),
            (std::vector<std::string>{load, "ShellExecuteA", "ShellExecuteA", "FreeLibrary"}));
  // After the release a further action loads it again.
  ASSERT_EQ(Open().size(), 3u);
  EXPECT_EQ(sequence().at(4), load);
}

// The program path is the text between the first and the second double quote; with fewer than
// two quotes it is empty, and the shell is asked all the same (with "", never a null pointer).
TEST_F(OpenWebPageTest, CutsTheProgramPathBetweenTheFirstTwoQuotes) {
  const struct {
    const char* command;
    const char* program;
  } cases[] = {
      {"\"C:\\Web\\browser.exe\" -nohome", "C:\\Web\\browser.exe"},
      {"\"C:\\Web\\browser.exe\" \"%1\"", "C:\\Web\\browser.exe"},
      {"\"C:\\Program Files\\Web\\browser.exe\"", "C:\\Program Files\\Web\\browser.exe"},
      {"start \"C:\\Web\\browser.exe\" -x", "C:\\Web\\browser.exe"},
      {"C:\\Web\\browser.exe -nohome", ""},
      {"\"C:\\Web\\browser.exe -nohome", ""},
      {"C:\\Web\\browser.exe\" -nohome", ""},
      {"C:\\Web\\browser.exe -nohome\"", ""},
      {"\"", ""},
      {"\"\"C:\\Web\\browser.exe\" -nohome", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command);
    standin::ClearCalls();
    Register(c.command);
    EXPECT_EQ(ProgramPassed(), std::optional<std::string>(c.program));
  }
}

TEST_F(OpenWebPageTest, ExpandableStringIsUsedWithoutExpansion) {
  standin::SetEnvVar("ProgramFiles", "C:\\Program Files");
  Register("\"%ProgramFiles%\\Web\\browser.exe\" -nohome", REG_EXPAND_SZ);
  EXPECT_EQ(ProgramPassed(), "%ProgramFiles%\\Web\\browser.exe");
}

TEST_F(OpenWebPageTest, TheTextEndsAtItsFirstNul) {
  // Read past the NUL this would give C:\Web\browser.exe; cut there, only one quote is left.
  auto bytes = Bytes("\"C:\\Web\\browser.exe");
  bytes.push_back(0);
  for (BYTE b : Bytes("\" -nohome")) bytes.push_back(b);
  bytes.push_back(0);
  RegisterBytes(REG_SZ, bytes);
  EXPECT_EQ(ProgramPassed(), "");

  // Without any terminating zero the stored bytes are still taken whole, and no further.
  standin::ClearCalls();
  RegisterBytes(REG_SZ, Bytes("\"C:\\Web\\browser.exe\""));
  EXPECT_EQ(ProgramPassed(), "C:\\Web\\browser.exe");
}

TEST_F(OpenWebPageTest, ValuesOfOtherTypesStartNothing) {
  // The bytes would make a usable command if they were taken as text.
  auto text = Bytes("\"C:\\Web\\browser.exe\" -nohome");
  text.push_back(0);
  for (DWORD type : {DWORD{REG_BINARY}, DWORD{REG_DWORD}, DWORD{REG_MULTI_SZ}, DWORD{REG_NONE}}) {
    SCOPED_TRACE(type);
    RegisterBytes(type, text);
    EXPECT_TRUE(Open().empty());
  }
  standin::SetRegDword(HKEY_CLASSES_ROOT, kKey, "", 34);
  EXPECT_TRUE(Open().empty());
}

TEST_F(OpenWebPageTest, EmptyOrMissingCommandStartsNothing) {
  EXPECT_TRUE(Open().empty()) << "no key at all";

  standin::CreateRegKey(HKEY_CLASSES_ROOT, kKey);
  standin::SetRegString(HKEY_CLASSES_ROOT, kKey, "Other", "\"C:\\Web\\browser.exe\"");
  EXPECT_TRUE(Open().empty()) << "key without a default value";

  RegisterBytes(REG_SZ, {});
  EXPECT_TRUE(Open().empty()) << "default value of size 0";

  RegisterBytes(REG_SZ, {0});
  EXPECT_TRUE(Open().empty()) << "default value holding only a NUL";

  Register("", REG_EXPAND_SZ);
  EXPECT_TRUE(Open().empty()) << "empty expandable string";
}

TEST_F(OpenWebPageTest, NeedsFullAccessToTheKey) {
  Register("\"C:\\Web\\browser.exe\" -nohome");
  standin::DenyRegAccess(HKEY_CLASSES_ROOT, kKey, KEY_SET_VALUE);
  EXPECT_TRUE(Open().empty()) << "a key the user may read but not change is not used";

  standin::Reset();
  Register("\"C:\\Web\\browser.exe\" -nohome");
  standin::DenyRegAccess(HKEY_CLASSES_ROOT, kKey, KEY_QUERY_VALUE);
  EXPECT_TRUE(Open().empty());
}

TEST_F(OpenWebPageTest, TheShellResultIsIgnored) {
  Register("C:\\Web\\browser.exe -nohome");
  standin::SetShellExecuteResult(reinterpret_cast<HINSTANCE>(static_cast<intptr_t>(2)));
  EXPECT_EQ(ProgramPassed(), "");  // fails in the shell, silently
  EXPECT_TRUE(standin::CallsOf("MessageBoxA").empty());
}

}  // namespace
