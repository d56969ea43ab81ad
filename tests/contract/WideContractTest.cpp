// The wide (UTF-16) calls and the conversions to and from the ANSI code page that the search for a
// usable TEMP folder makes, pinned against Windows (Windows build) and the simulated machine (host
// build, code page 1252; Wine runs our programs in 1252 too).

#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>

#include "platform/platform.h"
#include "tests/contract/ContractMachine.h"
#include "tests/contract/ContractSupport.h"

namespace contract {
namespace {

// WCHAR is wchar_t on Windows and char16_t on the host; u"" literals serve both.
using WideText = std::basic_string<WCHAR>;
WideText Wide(std::u16string_view text) {
  return WideText(text.begin(), text.end());
}

WideText ToWide(const std::string& ansi) {
  WideText wide(ansi.size(), 0);
  const int n = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()),
                                    wide.data(), static_cast<int>(wide.size()));
  wide.resize(n > 0 ? static_cast<size_t>(n) : 0);
  return wide;
}

// The ANSI form and whether a default character stood in for any character.
std::pair<std::string, BOOL> ToAnsi(const WideText& wide, const char* defaultChar = nullptr) {
  std::string ansi(wide.size() * 2, '\0');
  BOOL used = 7;
  const int n =
      WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                          ansi.data(), static_cast<int>(ansi.size()), defaultChar, &used);
  ansi.resize(n > 0 ? static_cast<size_t>(n) : 0);
  return {ansi, used};
}

// GetShortPathNameW into a buffer of `chars`; the text when it fitted.
DWORD ShortPath(const WideText& path, DWORD chars, WideText& text) {
  WideText buffer(chars + 1, 'z');
  SetLastError(0);
  const DWORD n = GetShortPathNameW(path.c_str(), chars ? buffer.data() : nullptr, chars);
  text = n > 0 && n < chars ? buffer.substr(0, n) : WideText();
  return n;
}

std::optional<std::string> GetVar(const char* name) {
  char buffer[1024];
  const DWORD n = GetEnvironmentVariableA(name, buffer, sizeof buffer);
  return n > 0 && n < sizeof buffer ? std::optional<std::string>(buffer) : std::nullopt;
}

std::string WindowsDir() {
  char buffer[MAX_PATH];
  const UINT n = GetWindowsDirectoryA(buffer, MAX_PATH);
  return std::string(buffer, n < MAX_PATH ? n : 0);
}

class WideContract : public ::testing::Test {
 protected:
  void SetUp() override {
    PrepareMachine();
    savedTmp_ = GetVar("TMP");
    savedTemp_ = GetVar("TEMP");
    temp_ = TempPath();
    ASSERT_FALSE(temp_.empty());
  }
  void TearDown() override {
    SetEnvironmentVariableA("TMP", savedTmp_ ? savedTmp_->c_str() : nullptr);
    SetEnvironmentVariableA("TEMP", savedTemp_ ? savedTemp_->c_str() : nullptr);
    RemoveDirectoryA((temp_ + kFolder).c_str());
    ReleaseMachine();
  }

  static constexpr const char* kFolder = "ACWIDE";  // a valid 8.3 name
  std::optional<std::string> savedTmp_, savedTemp_;
  std::string temp_;
};

TEST_F(WideContract, ConversionsRoundTripTheCodePage) {
  const struct {
    std::string ansi;
    std::u16string wide;
  } rows[] = {{"C:\\Temp\\", u"C:\\Temp\\"},
              {"K\xE4se \x80 \xA0", u"K\u00E4se \u20AC \u00A0"},
              {"\x9F\xFF", u"\u0178\u00FF"}};
  for (const auto& row : rows) {
    EXPECT_EQ(Wide(row.wide), ToWide(row.ansi)) << row.ansi;
    EXPECT_EQ(std::make_pair(row.ansi, BOOL{FALSE}), ToAnsi(Wide(row.wide))) << row.ansi;
  }
  // Every byte is a character of its own and comes back as itself.
  std::set<WCHAR> characters;
  for (int byte = 1; byte < 256; ++byte) {
    const WideText wide = ToWide(std::string(1, static_cast<char>(byte)));
    ASSERT_EQ(1u, wide.size()) << byte;
    characters.insert(wide[0]);
    EXPECT_EQ(std::make_pair(std::string(1, static_cast<char>(byte)), BOOL{FALSE}), ToAnsi(wide))
        << byte;
  }
  EXPECT_EQ(255u, characters.size());

  // Characters outside the code page: the default character, and the flag set.
  EXPECT_EQ(std::make_pair(std::string("a?b"), BOOL{TRUE}), ToAnsi(Wide(u"a\u0416b")));
  EXPECT_EQ(std::make_pair(std::string("??"), BOOL{TRUE}), ToAnsi(Wide(u"\u4E34\u65F6")));
  EXPECT_EQ(std::make_pair(std::string("a#"), BOOL{TRUE}), ToAnsi(Wide(u"a\u0416"), "#"));
  BOOL used = FALSE;
  EXPECT_EQ(1, WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, Wide(u"\u0416").c_str(), 1,
                                   nullptr, 0, nullptr, &used));
  EXPECT_TRUE(used);
}

TEST_F(WideContract, ConversionSizesAndFailures) {
  const WideText abcd = Wide(u"abcd");
  // A length of -1 counts the terminating zero; an explicit one converts exactly that much.
  EXPECT_EQ(5, MultiByteToWideChar(CP_ACP, 0, "abcd", -1, nullptr, 0));
  EXPECT_EQ(4, MultiByteToWideChar(CP_ACP, 0, "abcd", 4, nullptr, 0));
  EXPECT_EQ(5, WideCharToMultiByte(CP_ACP, 0, abcd.c_str(), -1, nullptr, 0, nullptr, nullptr));
  EXPECT_EQ(4, WideCharToMultiByte(CP_ACP, 0, abcd.c_str(), 4, nullptr, 0, nullptr, nullptr));
  WCHAR wide[6] = {0, 0, 0, 0, 'z', 'z'};
  char ansi[6] = "zzzzz";
  EXPECT_EQ(4, MultiByteToWideChar(CP_ACP, 0, "abcd", 4, wide, 4));
  EXPECT_EQ(WideText(wide, 5), Wide(u"abcdz"));
  EXPECT_EQ(5, WideCharToMultiByte(CP_ACP, 0, abcd.c_str(), -1, ansi, 5, nullptr, nullptr));
  EXPECT_STREQ("abcd", ansi);

  // Too small a buffer, and nothing to convert.
  for (const auto& [count, error] :
       {std::pair{4, ERROR_INSUFFICIENT_BUFFER}, std::pair{0, ERROR_INVALID_PARAMETER}}) {
    SetLastError(0);
    EXPECT_EQ(0, MultiByteToWideChar(CP_ACP, 0, "abcd", count, wide, 3));
    EXPECT_EQ(Code(error), GetLastError()) << count;
    SetLastError(0);
    EXPECT_EQ(0, WideCharToMultiByte(CP_ACP, 0, abcd.c_str(), count, ansi, 3, nullptr, nullptr));
    EXPECT_EQ(Code(error), GetLastError()) << count;
  }
}

TEST_F(WideContract, TempPathWAgreesWithTempPathA) {
  const std::string windows = WindowsDir();
  ASSERT_FALSE(windows.empty());
  for (const std::string& tmp : {windows + "\\TmpWide", windows + "\\K\xE4se\\"}) {
    ASSERT_TRUE(SetEnvironmentVariableA("TMP", tmp.c_str()));
    const std::string ansi = TempPath();
    ASSERT_FALSE(ansi.empty()) << tmp;
    WCHAR wide[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, wide);
    EXPECT_EQ(ToWide(ansi), WideText(wide, length <= MAX_PATH ? length : 0)) << tmp;
    WCHAR small[2];
    EXPECT_EQ(ansi.size() + 1, GetTempPathW(2, small)) << tmp;
    EXPECT_EQ(ansi.size() + 1, GetTempPathW(0, nullptr)) << tmp;
    // The variable itself, through the wide call.
    WCHAR value[MAX_PATH];
    const DWORD n = GetEnvironmentVariableW(Wide(u"TMP").c_str(), value, MAX_PATH);
    EXPECT_EQ(ToWide(tmp), WideText(value, n < MAX_PATH ? n : 0));
    EXPECT_EQ(tmp.size() + 1, GetEnvironmentVariableW(Wide(u"TMP").c_str(), value, 2));
  }
  SetLastError(0);
  WCHAR none[4];
  EXPECT_EQ(0u, GetEnvironmentVariableW(Wide(u"AC_CONTRACT_VAR").c_str(), none, 4));
  EXPECT_EQ(Code(ERROR_ENVVAR_NOT_FOUND), GetLastError());

  // A folder whose path with its backslash takes MAX_PATH characters or more is refused by both
  // calls, not cut and not replaced by another variable's folder.
  ASSERT_TRUE(SetEnvironmentVariableA("TEMP", windows.c_str()));
  for (const size_t length : {MAX_PATH - 1, MAX_PATH, MAX_PATH + 40}) {
    const std::string tmp = "C:\\" + std::string(length - 4, 'y');
    ASSERT_TRUE(SetEnvironmentVariableA("TMP", tmp.c_str()));
    const bool fits = length < MAX_PATH;
    char ansi[MAX_PATH + 1];
    WCHAR wide[MAX_PATH + 1];
    SetLastError(0);
    EXPECT_EQ(fits ? length : 0, GetTempPathA(MAX_PATH + 1, ansi)) << length;
    EXPECT_EQ(fits ? 0 : Code(ERROR_FILENAME_EXCED_RANGE), GetLastError()) << length;
    SetLastError(0);
    EXPECT_EQ(fits ? length : 0, GetTempPathW(MAX_PATH + 1, wide)) << length;
    EXPECT_EQ(fits ? 0 : Code(ERROR_FILENAME_EXCED_RANGE), GetLastError()) << length;
  }
}

TEST_F(WideContract, ShortPathOfExistingAndMissingPaths) {
  // An existing path of 8.3 names comes back as it is, with the sizes Windows reports: the size
  // needed counts the terminating zero, the length of a copied path does not.
  const WideText windows = ToWide(WindowsDir());
  WideText text;
  EXPECT_EQ(windows.size(), ShortPath(windows, MAX_PATH, text));
  EXPECT_EQ(windows, text);
  EXPECT_EQ(windows.size() + 1, ShortPath(windows, 0, text));
  EXPECT_EQ(windows.size() + 1, ShortPath(windows, static_cast<DWORD>(windows.size()), text));
  EXPECT_EQ(windows.size(), ShortPath(windows, static_cast<DWORD>(windows.size() + 1), text));
  EXPECT_EQ(windows, text);

  // An 8.3 name below TEMP keeps its spelling after TEMP's own short form.
  ASSERT_TRUE(CreateDirectoryA((temp_ + kFolder).c_str(), nullptr)) << GetLastError();
  WideText shortTemp;
  ASSERT_GT(ShortPath(ToWide(temp_), MAX_PATH, shortTemp), 0u);
  EXPECT_GT(ShortPath(ToWide(temp_ + kFolder), MAX_PATH, text), 0u);
  EXPECT_EQ(shortTemp + ToWide(kFolder), text);

  // Missing: the missing file's error, also for a missing folder on the way and for a name
  // outside the ANSI code page.
  for (const WideText& missing : {ToWide(temp_ + "AcMissing"), ToWide(temp_ + "AcMissing\\x"),
                                  ToWide(temp_) + Wide(u"\u0416\u0416")}) {
    EXPECT_EQ(0u, ShortPath(missing, MAX_PATH, text));
    EXPECT_EQ(Code(ERROR_FILE_NOT_FOUND), GetLastError());
  }
  SetLastError(0);
  EXPECT_EQ(0u, GetShortPathNameW(nullptr, nullptr, 0));
  EXPECT_EQ(Code(ERROR_INVALID_PARAMETER), GetLastError());
  EXPECT_EQ(0u, ShortPath(WideText(), MAX_PATH, text));
  EXPECT_EQ(Code(ERROR_BAD_PATHNAME), GetLastError());
}

}  // namespace
}  // namespace contract
