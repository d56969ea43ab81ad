// The folder and machine properties against the real registry, directories and system under Wine
// (and, built for the host, against the simulated machine). The registry values written, the
// user's Templates folder and screen saver, are put back as they were, or removed when they were
// missing, also when a check fails.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "platform/platform.h"
#include "sysinfo/acSystemInfo.h"
#include "tests/contract/ContractMachine.h"

namespace {

constexpr const char* kShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

std::optional<std::string> UserString(const char* Key, const char* Value) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, Key, 0, KEY_READ, &key) != ERROR_SUCCESS)
    return std::nullopt;
  char text[1024];
  DWORD size = sizeof text, type = 0;
  const LONG result =
      RegQueryValueExA(key, Value, nullptr, &type, reinterpret_cast<BYTE*>(text), &size);
  RegCloseKey(key);
  if (result != ERROR_SUCCESS || type != REG_SZ || size == 0) return std::nullopt;
  return std::string(text, size - 1);
}

std::optional<std::string> Templates() {
  return UserString(kShellFolders, "Templates");
}

// Puts a user value back as it was when the test ends.
struct RestoreValue {
  RestoreValue(const char* Key, const char* Value) : key(Key), value(Value) {}
  const char* key;
  const char* value;
  std::optional<std::string> saved = UserString(key, value);
  ~RestoreValue() {
    HKEY handle;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_SET_VALUE, &handle) != ERROR_SUCCESS) return;
    if (saved)
      RegSetValueExA(handle, value, 0, REG_SZ, reinterpret_cast<const BYTE*>(saved->c_str()),
                     static_cast<DWORD>(saved->size() + 1));
    else
      RegDeleteValueA(handle, value);
    RegCloseKey(handle);
  }
};

struct RestoreTemplates : RestoreValue {
  RestoreTemplates() : RestoreValue(kShellFolders, "Templates") {}
};

class SystemInfoWinTest : public ::testing::Test {
 protected:
  void SetUp() override { contract::PrepareMachine(); }
  void TearDown() override { contract::ReleaseMachine(); }
};

TEST_F(SystemInfoWinTest, SystemDirectories) {
  char temp[MAX_PATH];
  const DWORD length = GetTempPathA(MAX_PATH, temp);
  ASSERT_GT(length, 1u);
  ASSERT_EQ(temp[length - 1], '\\');
  TComponentPtr<TacSystemInfo> info(new TacSystemInfo(nullptr));
  EXPECT_EQ(info->DirTemp(), std::string(temp, length - 1));
  EXPECT_EQ(info->DirWindows().back(), '\\');
  EXPECT_NE(info->DirSystem().back(), '\\');
}

TEST_F(SystemInfoWinTest, FolderWritesReachTheRegistryOnlyWithAllowEdit) {
  RestoreTemplates restore;
  TComponentPtr<TacSystemInfo> info(new TacSystemInfo(nullptr));
  EXPECT_EQ(info->DirTemplates(), restore.saved.value_or(""));
  info->SetDirTemplates("C:\\Scratch\\Refused");
  EXPECT_EQ(Templates(), restore.saved);
  info->ALLOW_EDIT = true;
  info->SetDirTemplates("C:\\Scratch\\Templates");
  EXPECT_EQ(Templates(), "C:\\Scratch\\Templates");
  EXPECT_EQ(info->DirTemplates(), "C:\\Scratch\\Templates");
}

// One run over the machine facts: each must agree with what the system itself reports.
TEST_F(SystemInfoWinTest, MachineFactsAgreeWithTheSystem) {
  acSystemInfoStartUp();
  TComponentPtr<TacSystemInfo> info(new TacSystemInfo(nullptr));
  EXPECT_TRUE(info->WinNT());
  EXPECT_GE(info->WinVersionMajor(), 5);
  EXPECT_GE(info->WinVersionBuild(), 0);
  EXPECT_FALSE(info->ComputerName().empty());
  EXPECT_FALSE(info->CurrentUserName().empty());
  EXPECT_EQ(info->ComputerDescription(), "(not available on NT)");

  EXPECT_LE(info->MemAvailPhisical(), info->MemTotalPhisical());
  EXPECT_LE(info->MemAvailVirtual(), info->MemTotalVirtual());
  EXPECT_LE(info->MemLoad(), 100);
  EXPECT_NEAR(info->SystemUpTime(), static_cast<int32_t>(GetTickCount() / 1000), 1);

  // A 64-bit process sees an architecture the enumeration does not name.
  EXPECT_GE(info->CPUsNumber(), 1);
  if (info->CPUArchitecture() == paINTEL)
    EXPECT_LE(info->CPUType(), ptPentium);
  else
    EXPECT_EQ(info->CPUArchitecture() * 10 + info->CPUType(), paUNKNOWN * 10 + ptUNKNOWN);
  EXPECT_EQ(info->CPUFrequency() % 10, 0);

  // The serial text is the serial in hexadecimal with a dash.
  const std::string serial = info->DiskCSerialNumberStr();
  const size_t dash = serial.find('-');
  ASSERT_NE(dash, std::string::npos) << serial;
  EXPECT_EQ(dash, serial.size() < 6 ? serial.size() - 1 : 4u) << serial;
  const std::string digits = serial.substr(0, dash) + serial.substr(dash + 1);
  EXPECT_EQ(static_cast<uint32_t>(info->DiskCSerialNumber()),
            static_cast<uint32_t>(std::strtoul(digits.c_str(), nullptr, 16)));

  const TScreenSize size = kScreenSizes[info->ScreenResolution()];
  EXPECT_EQ(size.Width, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(size.Height, GetSystemMetrics(SM_CYSCREEN));
  EXPECT_EQ(info->ScreenColorMode(), sm32bit);
}

TEST_F(SystemInfoWinTest, ScreenSaverWriteReachesTheUsersDesktopKey) {
  RestoreValue restore("Control Panel\\Desktop", "SCRNSAVE.EXE");
  TComponentPtr<TacSystemInfo> info(new TacSystemInfo(nullptr));
  EXPECT_EQ(info->ScreenSaver(), restore.saved.value_or(""));
  info->SetScreenSaver("C:\\Scratch\\Refused.scr");
  EXPECT_EQ(info->ScreenSaver(), restore.saved.value_or(""));
  info->ALLOW_EDIT = true;
  info->SetScreenSaver("C:\\Scratch\\Saver.scr");
  EXPECT_EQ(UserString("Control Panel\\Desktop", "SCRNSAVE.EXE"), "C:\\Scratch\\Saver.scr");
}

}  // namespace
