// The simulated registry's test-side features: typed values set by a test, denied rights, handle
// bookkeeping, and a fresh registry after Reset.

#include <gtest/gtest.h>

#include <cstring>

#include "platform/host/StandInFixture.h"
#include "platform/platform.h"

namespace {

constexpr const char* kCommand = "htmlfile\\shell\\open\\command";

class StandInRegistry : public standin::StandInTest {};

TEST_F(StandInRegistry, TestValuesReadBackThroughTheApi) {
  standin::SetRegString(HKEY_CLASSES_ROOT, kCommand, "", "\"C:\\Web\\browser.exe\" -nohome");
  standin::SetRegString(HKEY_CLASSES_ROOT, kCommand, "Expand", "%ProgramFiles%", REG_EXPAND_SZ);
  standin::SetRegDword(HKEY_CLASSES_ROOT, kCommand, "Number", 0xA1B2C3D4);

  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CLASSES_ROOT, kCommand, 0, KEY_ALL_ACCESS, &key));
  DWORD type = 0, size = 0;
  ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "", nullptr, &type, nullptr, &size));
  EXPECT_EQ(REG_SZ, type);
  EXPECT_EQ(std::strlen("\"C:\\Web\\browser.exe\" -nohome") + 1, size);
  ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "Expand", nullptr, &type, nullptr, &size));
  EXPECT_EQ(REG_EXPAND_SZ, type);
  DWORD number = 0;
  size = sizeof number;
  ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "number", nullptr, &type,
                                            reinterpret_cast<BYTE*>(&number), &size));
  EXPECT_EQ(0xA1B2C3D4u, number);
  RegCloseKey(key);

  // And the other way: what the code writes, the test reads.
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Maker\\Product", 0,
                                           nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
  const char text[] = "D:\\Apps";
  ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "Dir", 0, REG_SZ,
                                          reinterpret_cast<const BYTE*>(text), sizeof text));
  RegCloseKey(key);
  EXPECT_EQ("D:\\Apps",
            standin::GetRegString(HKEY_LOCAL_MACHINE, "Software\\maker\\product", "DIR"));
  auto raw = standin::GetRegValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\Maker\\Product", "Dir");
  ASSERT_TRUE(raw);
  EXPECT_EQ(sizeof text, raw->bytes.size());
  EXPECT_FALSE(standin::GetRegString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Maker\\Product", "None"));
  EXPECT_FALSE(standin::GetRegString(HKEY_CLASSES_ROOT, kCommand, "Number"));
}

TEST_F(StandInRegistry, DeniedRightsStopOpensThatAskForThem) {
  standin::SetRegString(HKEY_CLASSES_ROOT, kCommand, "", "\"x.exe\"");
  standin::DenyRegAccess(HKEY_CLASSES_ROOT, kCommand, KEY_SET_VALUE);

  HKEY key = nullptr;
  EXPECT_EQ(ERROR_ACCESS_DENIED,
            RegOpenKeyExA(HKEY_CLASSES_ROOT, kCommand, 0, KEY_ALL_ACCESS, &key));
  EXPECT_EQ(ERROR_ACCESS_DENIED, RegOpenKeyExA(HKEY_CLASSES_ROOT, kCommand, 0, KEY_WRITE, &key));
  // Generic rights are mapped before the check.
  EXPECT_EQ(ERROR_ACCESS_DENIED,
            RegOpenKeyExA(HKEY_CLASSES_ROOT, kCommand, 0, GENERIC_WRITE, &key));
  EXPECT_EQ(ERROR_ACCESS_DENIED, RegCreateKeyExA(HKEY_CLASSES_ROOT, kCommand, 0, nullptr, 0,
                                                 KEY_ALL_ACCESS, nullptr, &key, nullptr));
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CLASSES_ROOT, kCommand, 0, KEY_READ, &key));
  RegCloseKey(key);
  // Keys above and below are not affected.
  ASSERT_EQ(ERROR_SUCCESS,
            RegOpenKeyExA(HKEY_CLASSES_ROOT, "htmlfile\\shell\\open", 0, KEY_ALL_ACCESS, &key));
  RegCloseKey(key);
}

TEST_F(StandInRegistry, DeniedCreateRightStopsNewSubkeysOnly) {
  standin::DenyRegAccess(HKEY_LOCAL_MACHINE, "SOFTWARE\\Locked", KEY_CREATE_SUB_KEY);
  standin::CreateRegKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Locked\\Existing");
  HKEY key = nullptr;
  DWORD disposition = 0;
  EXPECT_EQ(ERROR_ACCESS_DENIED,
            RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Locked\\New\\Deeper", 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &key, &disposition));
  EXPECT_FALSE(standin::RegKeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Locked\\New"));
  ASSERT_EQ(ERROR_SUCCESS,
            RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Locked\\Existing", 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &key, &disposition));
  EXPECT_EQ(REG_OPENED_EXISTING_KEY, disposition);
  RegCloseKey(key);
}

TEST_F(StandInRegistry, HandlesAreCountedAndInvalidOnesRefused) {
  EXPECT_EQ(0u, standin::OpenRegHandleCount());
  HKEY a = nullptr, b = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &a));
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(a, nullptr, 0, KEY_READ, &b));
  EXPECT_NE(a, b);
  EXPECT_EQ(2u, standin::OpenRegHandleCount());
  EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(a));
  EXPECT_EQ(ERROR_INVALID_HANDLE, RegCloseKey(a));
  DWORD size = 0;
  EXPECT_EQ(ERROR_INVALID_HANDLE, RegQueryValueExA(a, "", nullptr, nullptr, nullptr, &size));
  EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(b));
  EXPECT_EQ(0u, standin::OpenRegHandleCount());
  // Closing a predefined root is harmless.
  EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(HKEY_CURRENT_USER));
  // Bad arguments give errors, not crashes.
  EXPECT_EQ(ERROR_INVALID_PARAMETER,
            RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, nullptr));
  EXPECT_EQ(ERROR_INVALID_PARAMETER, RegDeleteKeyA(HKEY_CURRENT_USER, nullptr));
  EXPECT_EQ(ERROR_ACCESS_DENIED, RegDeleteKeyA(HKEY_CURRENT_USER, ""));
}

TEST_F(StandInRegistry, ResetEmptiesTheRegistry) {
  standin::SetRegString(HKEY_CURRENT_USER, "Software\\Left", "v", "x");
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Left", 0, KEY_READ, &key));
  standin::Reset();
  EXPECT_FALSE(standin::RegKeyExists(HKEY_CURRENT_USER, "Software\\Left"));
  EXPECT_TRUE(standin::RegKeyExists(HKEY_CURRENT_USER, "Software"));
  EXPECT_EQ(0u, standin::OpenRegHandleCount());
  EXPECT_EQ(ERROR_INVALID_HANDLE, RegCloseKey(key));
}

}  // namespace
