// The simulated machine's outward-call log, screen metrics, environment defaults and settable
// machine facts.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "platform/host/StandInFixture.h"
#include "platform/platform.h"

namespace {

class StandInMachine : public standin::StandInTest {};

std::string TempPath() {
  char buffer[MAX_PATH];
  DWORD n = GetTempPathA(MAX_PATH, buffer);
  return std::string(buffer, n);
}

TEST_F(StandInMachine, OutwardCallsAreLoggedInOrderWithNullsKept) {
  HWND owner = reinterpret_cast<HWND>(static_cast<uintptr_t>(77));
  HINSTANCE result = ShellExecuteA(owner, "open", "C:\\TEMP\\setup.exe", nullptr, nullptr, SW_SHOW);
  EXPECT_GT(reinterpret_cast<uintptr_t>(result), 32u);
  ShellExecuteA(nullptr, "open", "", "http://example.invalid/", nullptr, SW_SHOW);
  EXPECT_EQ(IDOK, MessageBoxA(nullptr, "Text", "Installation", MB_OK));

  const auto& calls = standin::Calls();
  ASSERT_EQ(3u, calls.size());
  EXPECT_EQ("ShellExecuteA(77, open, C:\\TEMP\\setup.exe, null, null, 5)", calls[0].ToString());
  // An empty file name and a null one are told apart.
  ASSERT_EQ(6u, calls[1].args.size());
  ASSERT_TRUE(calls[1].args[2].has_value());
  EXPECT_EQ("", *calls[1].args[2]);
  EXPECT_FALSE(calls[1].args[4].has_value());
  EXPECT_EQ("0", calls[1].args[0]);
  EXPECT_EQ("MessageBoxA", calls[2].function);
  EXPECT_EQ(2u, standin::CallsOf("ShellExecuteA").size());

  standin::ClearCalls();
  EXPECT_TRUE(standin::Calls().empty());
}

TEST_F(StandInMachine, LoggedCallsReturnTheChosenResults) {
  standin::SetShellExecuteResult(reinterpret_cast<HINSTANCE>(static_cast<uintptr_t>(2)));
  EXPECT_EQ(2u, reinterpret_cast<uintptr_t>(
                    ShellExecuteA(nullptr, "open", "x", nullptr, nullptr, SW_SHOW)));
  standin::SetMessageBoxResult(IDNO);
  EXPECT_EQ(IDNO, MessageBoxA(nullptr, "?", "Installation", MB_YESNO));

  // COM: the first initialisation succeeds with S_OK, a nested one with S_FALSE.
  EXPECT_EQ(S_OK, CoInitialize(nullptr));
  EXPECT_EQ(S_FALSE, CoInitialize(nullptr));
  CoUninitialize();
  CoUninitialize();
  EXPECT_EQ(S_OK, CoInitialize(nullptr));
  EXPECT_EQ(3u, standin::CallsOf("CoInitialize").size());
  EXPECT_EQ(2u, standin::CallsOf("CoUninitialize").size());
}

TEST_F(StandInMachine, SystemMetricsHaveDefaultsAndCanBeSet) {
  EXPECT_EQ(1024, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(768, GetSystemMetrics(SM_CYSCREEN));
  EXPECT_EQ(1024, GetSystemMetrics(SM_CXVIRTUALSCREEN));
  EXPECT_EQ(0, GetSystemMetrics(12345));
  standin::SetSystemMetric(SM_CXVIRTUALSCREEN, 2048);
  standin::SetSystemMetric(SM_CYSCREEN, 600);
  EXPECT_EQ(2048, GetSystemMetrics(SM_CXVIRTUALSCREEN));
  EXPECT_EQ(600, GetSystemMetrics(SM_CYSCREEN));
  standin::Reset();
  EXPECT_EQ(768, GetSystemMetrics(SM_CYSCREEN));
  EXPECT_TRUE(standin::Calls().empty());
}

TEST_F(StandInMachine, TempPathFallsBackLikeWindows) {
  EXPECT_EQ("C:\\TEMP\\", TempPath());
  standin::SetEnvVar("TMP", std::nullopt);
  standin::SetEnvVar("TEMP", "C:\\Other\\..\\Elsewhere");
  EXPECT_EQ("C:\\Elsewhere\\", TempPath());
  standin::SetEnvVar("TEMP", std::nullopt);
  EXPECT_EQ("C:\\Users\\User\\", TempPath());
  standin::SetEnvVar("USERPROFILE", std::nullopt);
  EXPECT_EQ("C:\\WINDOWS\\", TempPath());
  // A temporary folder at a drive root keeps its single backslash.
  standin::SetEnvVar("TMP", "C:\\");
  EXPECT_EQ("C:\\", TempPath());
}

TEST_F(StandInMachine, WideValuesAndNineXStubs) {
  // A value the ANSI side cannot hold: the wide calls give it as written, the ANSI ones with '?'.
  const std::u16string journal = u"C:\\TEMP\\\u0416\u0443\u0440\u043d\u0430\u043b";
  standin::SetWideEnvVar("tmp", journal);
  EXPECT_EQ("C:\\TEMP\\??????\\", TempPath());
  char16_t wide[MAX_PATH];
  EXPECT_EQ(journal + u"\\", std::u16string(wide, GetTempPathW(MAX_PATH, wide)));
  EXPECT_EQ(journal, std::u16string(wide, GetEnvironmentVariableW(u"TMP", wide, MAX_PATH)));
  // An ANSI value replaces it.
  standin::SetEnvVar("TMP", "C:\\TEMP");
  EXPECT_EQ(u"C:\\TEMP", std::u16string(wide, GetEnvironmentVariableW(u"TMP", wide, MAX_PATH)));

  // Windows 9x: the wide calls are stubs; the conversions work.
  standin::SetVersion(4, 10, 2222, VER_PLATFORM_WIN32_WINDOWS, "A");
  SetLastError(0);
  EXPECT_EQ(0u, GetTempPathW(MAX_PATH, wide));
  EXPECT_EQ(0u, GetEnvironmentVariableW(u"TMP", wide, MAX_PATH));
  EXPECT_EQ(0u, GetShortPathNameW(u"C:\\TEMP", wide, MAX_PATH));
  EXPECT_EQ(static_cast<DWORD>(ERROR_CALL_NOT_IMPLEMENTED), GetLastError());
  EXPECT_EQ(3, MultiByteToWideChar(CP_ACP, 0, "abc", 3, wide, MAX_PATH));
  EXPECT_EQ("C:\\TEMP\\", TempPath());
}

TEST_F(StandInMachine, DirectoriesAndProgramNameAreSettable) {
  char buffer[MAX_PATH];
  EXPECT_EQ(std::string(standin::kWindowsDir),
            std::string(buffer, GetWindowsDirectoryA(buffer, MAX_PATH)));
  standin::SetWindowsDirectory("D:\\WINNT");
  standin::SetSystemDirectory("D:\\WINNT\\System32");
  standin::SetModuleFileName("E:\\Apps\\Project1.exe");
  EXPECT_EQ("D:\\WINNT", std::string(buffer, GetWindowsDirectoryA(buffer, MAX_PATH)));
  EXPECT_EQ("D:\\WINNT\\System32", std::string(buffer, GetSystemDirectoryA(buffer, MAX_PATH)));
  EXPECT_EQ("E:\\Apps\\Project1.exe",
            std::string(buffer, GetModuleFileNameA(nullptr, buffer, MAX_PATH)));
  EXPECT_EQ(0u, GetModuleFileNameA(reinterpret_cast<HMODULE>(static_cast<uintptr_t>(4)), buffer,
                                   MAX_PATH));
  EXPECT_EQ(static_cast<DWORD>(ERROR_MOD_NOT_FOUND), GetLastError());

  ASSERT_TRUE(SetCurrentDirectoryA("c:\\windows"));
  // The drive letter is made upper case; the rest keeps the caller's spelling.
  EXPECT_EQ("C:\\windows", std::string(buffer, GetCurrentDirectoryA(MAX_PATH, buffer)));
  EXPECT_FALSE(SetCurrentDirectoryA("C:\\Nowhere"));
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
}

TEST_F(StandInMachine, EnvironmentHasTheDefaultsAndExpandsThem) {
  char buffer[MAX_PATH];
  EXPECT_EQ("C:\\WINDOWS\\x",
            std::string(buffer, ExpandEnvironmentStringsA("%windir%\\x", buffer, MAX_PATH) - 1));
  // Too small a buffer is left alone; the result is the size needed.
  buffer[0] = 'z';
  EXPECT_EQ(16u, ExpandEnvironmentStringsA("%windir%\\TEMP", buffer, 4));
  EXPECT_EQ('z', buffer[0]);
  EXPECT_FALSE(SetEnvironmentVariableA("A=B", "x"));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
  EXPECT_FALSE(SetEnvironmentVariableA("", "x"));
}

TEST_F(StandInMachine, MachineFactsFollowTheTest) {
  DWORD serial = 0;
  standin::SetVolumeSerial('C', 0x80000001u);
  ASSERT_TRUE(GetVolumeInformationA("c:\\", nullptr, 0, &serial, nullptr, nullptr, nullptr, 0));
  EXPECT_EQ(0x80000001u, serial);
  // An unreadable volume, an unmapped drive, a root without its backslash.
  standin::SetVolumeSerial('C', std::nullopt);
  for (const auto& [root, error] : {std::pair{"C:\\", ERROR_NOT_READY},
                                    {"D:\\", ERROR_PATH_NOT_FOUND},
                                    {"C:", ERROR_INVALID_NAME}}) {
    EXPECT_FALSE(GetVolumeInformationA(root, nullptr, 0, &serial, nullptr, nullptr, nullptr, 0));
    EXPECT_EQ(static_cast<DWORD>(error), GetLastError()) << root;
  }
  // Sleeping advances the tick count.
  standin::SetTickCount(1000);
  Sleep(250);
  EXPECT_EQ(1250u, GetTickCount());
  // A profile name without a path is looked up in the Windows directory.
  standin::WriteHostFile("C:\\WINDOWS\\system.ini", "[boot]\nshell=Explorer.exe\n");
  char text[32];
  EXPECT_EQ(12u, GetPrivateProfileStringA("boot", "shell", "", text, sizeof text, "system.ini"));
  EXPECT_STREQ("Explorer.exe", text);
}

}  // namespace
