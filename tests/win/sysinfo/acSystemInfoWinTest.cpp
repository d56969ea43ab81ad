// The folder properties against the real registry and directories under Wine (and, built for
// the host, against the simulated machine). The one registry value written, the user's Templates
// folder, is put back as it was, or removed when it was missing, also when a check fails.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/platform.h"
#include "sysinfo/acSystemInfo.h"
#include "tests/contract/ContractMachine.h"

namespace {

constexpr const char* kShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

std::optional<std::string> Templates() {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kShellFolders, 0, KEY_READ, &key) != ERROR_SUCCESS)
    return std::nullopt;
  char text[1024];
  DWORD size = sizeof text, type = 0;
  const LONG result =
      RegQueryValueExA(key, "Templates", nullptr, &type, reinterpret_cast<BYTE*>(text), &size);
  RegCloseKey(key);
  if (result != ERROR_SUCCESS || type != REG_SZ || size == 0) return std::nullopt;
  return std::string(text, size - 1);
}

struct RestoreTemplates {
  std::optional<std::string> saved = Templates();
  ~RestoreTemplates() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kShellFolders, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
      return;
    if (saved)
      RegSetValueExA(key, "Templates", 0, REG_SZ, reinterpret_cast<const BYTE*>(saved->c_str()),
                     static_cast<DWORD>(saved->size() + 1));
    else
      RegDeleteValueA(key, "Templates");
    RegCloseKey(key);
  }
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

}  // namespace
