#include "foundation/acUtils.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/host/StandInFixture.h"

namespace {

using Names = std::vector<std::string>;

class AcUtilsTest : public standin::StandInTest {
 protected:
  void TearDown() override {
    EXPECT_EQ(0u, standin::OpenRegHandleCount());
    EXPECT_EQ(0u, standin::OpenFileHandleCount());
    StandInTest::TearDown();
  }
};

TEST(AcUtilsText, SplitShellCommand) {
  struct Row {
    const char* command;
    const char* wantCommand;
    const char* wantParams;  // Params starts as "old"
  };
  const Row rows[] = {
      {R"("C:\Program Files\App\app.exe" "%1")", R"(C:\Program Files\App\app.exe)", "%1"},
      // Only the first two quotes of the parameters go.
      {R"(  "C:\a b\x.exe"   -p "q" "r" "s"  )", R"(C:\a b\x.exe)", R"(-p q "r" "s")"},
      {R"(C:\APP\APP.EXE /open %1)", R"(C:\APP\APP.EXE)", "/open %1"},
      {"notepad.exe %1", "notepad.exe", "%1"},
      {R"(rundll32.exe C:\WINDOWS\System32\viewer.dll,ShowPicture %1)",
       R"(rundll32.exe C:\WINDOWS\System32\viewer.dll,ShowPicture)", "%1"},
      // " -" would leave a path without extension: refused, and no other separator is there.
      {R"(C:\My Tools\run -fast.exe)", R"(C:\My Tools\run -fast.exe)", ""},
      {R"(C:\app.exe,Arg)", R"(C:\app.exe)", "Arg"},
      {R"(C:\x.exe \\server\share)", R"(C:\x.exe)", R"(\\server\share)"},
      {R"(app.exe "file")", "app.exe", R"("file")"},
      {R"("C:\Unclosed\app.exe -x)", R"(C:\Unclosed\app.exe -x)", ""},
      {"   ", "", "old"},
  };
  for (const Row& row : rows) {
    std::string command = row.command, params = "old";
    SplitShellCommand(command, params);
    EXPECT_EQ(row.wantCommand, command) << row.command;
    EXPECT_EQ(row.wantParams, params) << row.command;
  }
}

TEST(AcUtilsText, SplitAtSeparatorAndSmallHelpers) {
  struct Row {
    const char* separator;
    const char* text;
    bool missingGoesRight;
    uint8_t keep;
    const char* left;
    const char* right;
  };
  const Row rows[] = {
      {"=", "a=b=c", false, 0, "a", "b=c"},
      {"=", "a=b", false, kKeepSeparatorLeft, "a=", "b"},
      {"=", "a=b", false, kKeepSeparatorRight, "a", "=b"},
      {"::", "x::y", false, kKeepSeparatorLeft | kKeepSeparatorRight, "x::", "::y"},
      {"=", "ab", false, kKeepSeparatorLeft | kKeepSeparatorRight, "ab", ""},
      {"=", "ab", true, kKeepSeparatorLeft | kKeepSeparatorRight, "", "ab"},
  };
  for (const Row& row : rows) {
    std::string left = "?", right = "?";
    SplitAtSeparator(row.separator, row.text, left, right, row.missingGoesRight, row.keep);
    EXPECT_EQ(row.left, left) << row.text << " keep " << int{row.keep};
    EXPECT_EQ(row.right, right) << row.text << " keep " << int{row.keep};
  }

  const std::pair<uint32_t, const char*> hex[] = {
      {0, "0"}, {255, "FF"}, {0xFFFFFFFF, "FFFFFFFF"}, {0x10, "10"}, {0x00ABC000, "ABC000"}};
  for (const auto& [value, text] : hex) EXPECT_EQ(text, IntToHexTrimmed(value)) << value;
  EXPECT_EQ("0A", ByteToHex(10));
  EXPECT_EQ("BEEF", WordToHex(0xBEEF));

  EXPECT_EQ(".txt", EnsureLeadingChar("txt", '.'));
  EXPECT_EQ(".txt", EnsureLeadingChar(".txt", '.'));
  EXPECT_EQ(".", EnsureLeadingChar("", '.'));
  EXPECT_EQ("a\\b", StripLeadingBackslashes("\\\\a\\b"));
  EXPECT_EQ("", StripLeadingChar("xxx", 'x'));
  EXPECT_EQ("abc", StripLeadingChar("abc", 'x'));
}

TEST_F(AcUtilsTest, OSVersionAcrossTheTable) {
  constexpr DWORD kNT = VER_PLATFORM_WIN32_NT, k9x = VER_PLATFORM_WIN32_WINDOWS;
  struct Row {
    DWORD major, minor, platform;
    const char* servicePack;
    const char* name;
    bool nt;
  };
  const Row rows[] = {
      {3, 51, kNT, "Service Pack 5", "osNT3", true},
      {4, 0, kNT, "Service Pack 6a", "osNT4", true},
      {5, 0, kNT, "Service Pack 4", "os2K", true},
      {5, 1, kNT, "Service Pack 3", "osXP", true},
      {5, 2, kNT, "Service Pack 2", "os2003Server", true},
      {5, 7, kNT, "", "os2003Server", true},
      // Unnamed NT versions: unknown, yet of the NT family.
      {6, 0, kNT, "", "osUnknown", true},
      {6, 1, kNT, "Service Pack 1", "osUnknown", true},
      {10, 0, kNT, "", "osUnknown", true},
      {4, 0, k9x, "", "os95", false},
      {4, 0, k9x, " B ", "os95OSR2", false},
      {4, 0, k9x, " C ", "os95", false},
      {4, 0, k9x, " B2", "os95", false},
      {4, 10, k9x, "", "os98", false},
      {4, 10, k9x, " A ", "os98SE", false},
      {4, 90, k9x, " ", "osME", false},
      {4, 3, k9x, "", "osUnknown", false},
      {5, 0, k9x, "", "osUnknown", false},
      // Any platform but NT follows the 9x rules.
      {4, 0, VER_PLATFORM_WIN32s, " B ", "os95OSR2", false},
  };
  for (const Row& row : rows) {
    standin::SetVersion(row.major, row.minor, 1234, row.platform, row.servicePack);
    EXPECT_EQ(row.name, TacOSVersionInfo().ValueName(GetOSVersion()))
        << row.major << "." << row.minor << " platform " << row.platform;
    EXPECT_EQ(row.nt, IsWinNT()) << row.major << "." << row.minor;
  }
  standin::SetVersion(5, 1, 2600, kNT, "Service Pack 3");
  standin::FailVersionQuery();
  EXPECT_EQ(osUnknown, GetOSVersion());
  EXPECT_FALSE(IsWinNT());
}

TEST_F(AcUtilsTest, CPUFrequencyFromTheCounterAtRaisedPriority) {
  struct Row {
    uint64_t start, ticksPerMs;
    int32_t mhz;
  };
  const Row rows[] = {
      {0, 2'400'000, 2400},
      {0, 2'399'999, 2390},  // 2399 MHz, rounded down to a multiple of 10
      {0, 0, 0},
      // The 64-bit counter wraps between the readings.
      {UINT64_MAX - 10 * 2'400'000 - 5, 2'400'000, 2400},
      // 40 ms hold more than 2^32 ticks: only the low 32 bits of the difference count.
      {0, 110'000'000, static_cast<int32_t>((4'400'000'000ull - 0x100000000ull) / 40000 / 10 * 10)},
  };
  for (const Row& row : rows) {
    standin::SetTimeStampCounter(row.start, row.ticksPerMs);
    EXPECT_EQ(row.mhz, MeasureCPUFrequency()) << row.ticksPerMs;
  }

  // Non-default priorities are raised for the measurement and restored, thread first.
  ASSERT_TRUE(SetPriorityClass(GetCurrentProcess(), IDLE_PRIORITY_CLASS));
  ASSERT_TRUE(SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_LOWEST));
  standin::ClearCalls();
  MeasureCPUFrequency();
  EXPECT_EQ(IDLE_PRIORITY_CLASS, standin::CurrentPriorityClass());
  EXPECT_EQ(THREAD_PRIORITY_LOWEST, standin::CurrentThreadPriority());
  Names calls;
  for (const auto& call : standin::Calls())
    calls.push_back(call.function + " " + *call.args.back());
  EXPECT_EQ((Names{"SetPriorityClass 256", "SetThreadPriority 15", "Sleep 10", "Sleep 40",
                   "SetThreadPriority -2", "SetPriorityClass 64"}),
            calls);
}

TEST_F(AcUtilsTest, DirectoriesEndInOneBackslashAndVariables) {
  standin::SetEnvVar("TMP", std::nullopt);
  for (const char* temp : {"C:\\TEMP", "C:\\TEMP\\"}) {
    standin::SetEnvVar("TEMP", temp);
    EXPECT_EQ("C:\\TEMP\\", GetTempDir()) << temp;
  }
  standin::SetEnvVar("TEMP", "C:\\");
  EXPECT_EQ("C:\\", GetTempDir());

  standin::SetSystemDirectory("C:\\WINDOWS\\SYSTEM32\\");
  standin::SetWindowsDirectory("C:\\");
  EXPECT_EQ("C:\\WINDOWS\\SYSTEM32\\", GetSystemDir());
  EXPECT_EQ("C:\\", GetWindowsDir());
  standin::SetSystemDirectory("C:\\WINDOWS\\SYSTEM32");
  standin::SetWindowsDirectory("C:\\WINDOWS");
  EXPECT_EQ("C:\\WINDOWS\\SYSTEM32\\", GetSystemDir());
  EXPECT_EQ("C:\\WINDOWS\\", GetWindowsDir());
  // Longer than the 260-character buffer: nothing usable comes back.
  standin::SetSystemDirectory("C:\\" + std::string(300, 'x'));
  EXPECT_EQ("\\", GetSystemDir());

  const std::pair<std::optional<const char*>, const char*> vars[] = {
      {std::nullopt, ""}, {"value with blanks", "value with blanks"}, {"", ""}};
  for (const auto& [value, want] : vars) {
    standin::SetEnvVar("AC_VAR", value ? std::optional<std::string_view>(*value) : std::nullopt);
    EXPECT_EQ(want, GetEnvVar("AC_VAR"));
  }
}

TEST_F(AcUtilsTest, TempDirIsAnAnsiPathOfTheFolderOrEmpty) {
  std::string tooLong = "C:\\TEMP";
  for (int depth = 0; depth < 6; ++depth) tooLong += "\\" + std::string(50, 'x');
  const struct {
    const char* what;
    std::string tmp;      // set through the ANSI side, unless `wide` is given
    std::u16string wide;  // a value outside the ANSI code page
    bool made, windows9x;
    std::string want;
  } rows[] = {
      {"ANSI path with a code page letter", "C:\\TEMP\\K\xE4se", u"", true, false,
       "C:\\TEMP\\K\xE4se\\"},
      {"missing folder, ANSI path", "C:\\TEMP\\Neu\\", u"", false, false, "C:\\TEMP\\Neu\\"},
      // The drives here keep no 8.3 aliases: the long path is all there is, and it is refused.
      {"MAX_PATH or longer", tooLong, u"", true, false, ""},
      {"MAX_PATH or longer, missing", tooLong, u"", false, false, ""},
      {"outside the code page", "", u"C:\\TEMP\\\u0416\u0443\u0440\u043d\u0430\u043b", false, false,
       ""},
      // Windows 9x has no wide calls: the ANSI path is trusted as before, when there is one.
      {"Windows 9x", "C:\\TEMP\\Old", u"", true, true, "C:\\TEMP\\Old\\"},
      {"Windows 9x, MAX_PATH or longer", tooLong, u"", true, true, ""},
  };
  for (const auto& row : rows) {
    standin::Reset();
    if (row.windows9x) standin::SetVersion(4, 10, 2222, VER_PLATFORM_WIN32_WINDOWS, "A");
    if (row.made) {
      CreateFolderChain(row.tmp + "\\");
      ASSERT_TRUE(FolderExists(row.tmp)) << row.what;
    }
    if (row.wide.empty())
      standin::SetEnvVar("TMP", row.tmp);
    else
      standin::SetWideEnvVar("TMP", row.wide);
    EXPECT_EQ(row.want, GetTempDir()) << row.what;
  }
}

TEST_F(AcUtilsTest, FoldersAndFileSizes) {
  CreateFolderChain("C:\\TEMP\\a\\b\\file.txt");
  EXPECT_TRUE(FolderExists("C:\\TEMP\\a\\b"));
  EXPECT_FALSE(FolderExists("C:\\TEMP\\a\\b\\file.txt"));
  CreateFolderChain("C:\\TEMP\\a\\b\\file.txt");  // again: every failure ignored

  standin::WriteHostFile("C:\\TEMP\\a\\one.bin", "12345");
  struct Row {
    const char* dir;
    bool exists, empty;
  };
  const Row rows[] = {{"C:\\TEMP\\missing", false, false},
                      {"C:\\TEMP\\a\\b", true, true},
                      {"C:\\TEMP\\a\\b\\", true, true},
                      {"C:\\TEMP\\a", true, false},
                      {"C:\\TEMP\\a\\one.bin", false, false}};
  for (const Row& row : rows) {
    EXPECT_EQ(row.exists, FolderExists(row.dir)) << row.dir;
    EXPECT_EQ(row.empty, IsFolderEmpty(row.dir)) << row.dir;
  }

  EXPECT_EQ(5, GetFileSizeByName("C:\\TEMP\\a\\one.bin"));
  EXPECT_EQ(-1, GetFileSizeByName("C:\\TEMP\\a\\none.bin"));
  EXPECT_EQ(-1, GetFileSizeByName("C:\\TEMP\\a"));
  // A file open elsewhere without sharing still answers the query-only open.
  ASSERT_TRUE(standin::LockFile("C:\\TEMP\\a\\one.bin"));
  EXPECT_EQ(5, GetFileSizeByName("C:\\TEMP\\a\\one.bin"));
  standin::UnlockFile("C:\\TEMP\\a\\one.bin");
}

TEST_F(AcUtilsTest, RegistryStrings) {
  const char* key = "Software\\Ac";
  standin::CreateRegKey(HKEY_CURRENT_USER, key);
  standin::SetRegValue(HKEY_CURRENT_USER, key, "NoBytes", REG_SZ, {});
  standin::SetRegValue(HKEY_CURRENT_USER, key, "Cut", REG_SZ, {'a', 'b', 0, 'c', 'd', 0});
  standin::SetRegString(HKEY_CURRENT_USER, key, "Full", std::string(1023, 'f'));
  standin::SetRegString(HKEY_CURRENT_USER, key, "TooLong", std::string(1024, 't'));
  standin::SetRegString(HKEY_CURRENT_USER, key, "", "default");
  struct Row {
    const char* subKey;
    const char* name;
    bool opened;
    std::string value;
  };
  const Row rows[] = {
      {"Software\\Missing", "x", false, ""},
      {key, "Missing", true, ""},
      {key, "NoBytes", true, ""},
      {key, "Cut", true, "ab"},
      {key, "Full", true, std::string(1023, 'f')},
      {key, "TooLong", true, ""},
      {"\\\\Software\\Ac", "", true, "default"},
  };
  for (const Row& row : rows) {
    std::string value = "stale";
    EXPECT_EQ(row.opened, ReadRegString(HKEY_CURRENT_USER, row.subKey, row.name, value))
        << row.subKey << " " << row.name;
    EXPECT_EQ(row.value, value) << row.name;
  }

  WriteRegString(HKEY_CURRENT_USER, "Software\\New\\Deep", "Text", "hello");
  WriteRegString(HKEY_CURRENT_USER, "Software\\New\\Deep", "Empty", "");
  auto text = standin::GetRegValue(HKEY_CURRENT_USER, "Software\\New\\Deep", "Text");
  ASSERT_TRUE(text);
  EXPECT_EQ(REG_SZ, text->type);
  EXPECT_EQ((std::vector<BYTE>{'h', 'e', 'l', 'l', 'o', 0}), text->bytes);
  EXPECT_EQ(1u,
            standin::GetRegValue(HKEY_CURRENT_USER, "Software\\New\\Deep", "Empty")->bytes.size());
  standin::DenyRegAccess(HKEY_CURRENT_USER, "Software\\Locked", KEY_SET_VALUE);
  WriteRegString(HKEY_CURRENT_USER, "Software\\Locked", "Text", "x");
  EXPECT_FALSE(standin::GetRegValue(HKEY_CURRENT_USER, "Software\\Locked", "Text"));

  for (const char* sub : {"b", "A", "c"})
    standin::CreateRegKey(HKEY_CURRENT_USER, std::string(key) + "\\List\\" + sub);
  standin::CreateRegKey(HKEY_CURRENT_USER, "Software\\Ac\\Empty");
  Names list = {"stale"};
  EXPECT_TRUE(ListRegSubKeyNames(HKEY_CURRENT_USER, "Software\\Ac\\List", list));
  EXPECT_EQ((Names{"A", "b", "c"}), list);
  list = {"stale"};
  EXPECT_TRUE(ListRegSubKeyNames(HKEY_CURRENT_USER, "Software\\Ac\\Empty", list));
  EXPECT_TRUE(list.empty());
  list = {"stale"};
  EXPECT_FALSE(ListRegSubKeyNames(HKEY_CURRENT_USER, "Software\\Ac\\Gone", list));
  EXPECT_TRUE(list.empty());
}

TEST_F(AcUtilsTest, AssociatedPrograms) {
  auto command = [](const std::string& cls, const std::string& verb, const char* line) {
    standin::SetRegString(HKEY_CLASSES_ROOT, cls + "\\shell\\" + verb + "\\command", "", line);
  };
  auto type = [](const char* ext, const char* cls) {
    standin::SetRegString(HKEY_CLASSES_ROOT, ext, "", cls);
  };
  type(".htm", "htmlfile");
  command("htmlfile", "open", R"("C:\Program Files\Browser\browser.exe" -nohome "%1")");
  type(".txt", "txtfile");
  command("txtfile", "open", "notepad.exe %1");
  type(".gone", "goneclass");
  standin::CreateRegKey(HKEY_CLASSES_ROOT, ".nocls");
  type(".noverbs", "noverbsclass");
  standin::CreateRegKey(HKEY_CLASSES_ROOT, "noverbsclass");
  // No "open" verb: the first verb whose name holds "open" wins, even with an empty command.
  type(".view", "viewclass");
  command("viewclass", "edit", "C:\\edit.exe %1");
  command("viewclass", "OpenAsText", "C:\\Tools\\viewer.exe /text %1");
  command("viewclass", "reopen", "C:\\reopen.exe");
  type(".emptyopen", "emptyopenclass");
  command("emptyopenclass", "OpenHere", "");
  command("emptyopenclass", "print", "C:\\print.exe");
  // Without any: the first verb that has a non-empty command.
  type(".first", "firstclass");
  standin::CreateRegKey(HKEY_CLASSES_ROOT, "firstclass\\shell\\alpha");
  command("firstclass", "beta", "");
  command("firstclass", "gamma", "C:\\g.exe %1");
  command("firstclass", "zeta", "C:\\z.exe");
  // An "open" verb is taken as it is, even empty.
  type(".blank", "blankclass");
  command("blankclass", "open", "");
  command("blankclass", "print", "C:\\print.exe");
  type(".dll", "dllclass");
  command("dllclass", "open", R"(rundll32.exe C:\WINDOWS\System32\viewer.dll,ShowPicture %1)");

  const std::pair<const char*, const char*> rows[] = {
      {"htm", R"(C:\Program Files\Browser\browser.exe)"},
      {".htm", R"(C:\Program Files\Browser\browser.exe)"},
      {".HTM", R"(C:\Program Files\Browser\browser.exe)"},
      {"txt", "notepad.exe"},
      {".", ""},
      {"", ""},
      {"gone", ""},
      {"nocls", ""},
      {"noverbs", ""},
      {"missing", ""},
      {"view", R"(C:\Tools\viewer.exe)"},
      {"emptyopen", ""},
      {"first", "C:\\g.exe"},
      {"blank", ""},
      {"dll", R"(rundll32.exe C:\WINDOWS\System32\viewer.dll,ShowPicture)"},
  };
  for (const auto& [extension, program] : rows)
    EXPECT_EQ(program, FindAssociatedProgram(extension)) << extension;
}

}  // namespace
