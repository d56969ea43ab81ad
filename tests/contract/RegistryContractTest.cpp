// Registry calls as the library makes them, pinned against the real registry (Windows build) and
// the simulated one (host build) alike, under a scratch key of HKEY_CURRENT_USER.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "tests/contract/ContractMachine.h"
#include "tests/contract/ContractSupport.h"

namespace contract {
namespace {

class RegistryContract : public ::testing::Test {
 protected:
  void SetUp() override {
    PrepareMachine();
    DeleteKeyTree(HKEY_CURRENT_USER, kScratchKey);
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(HKEY_CURRENT_USER, kScratchKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, &key_, nullptr));
  }
  void TearDown() override {
    if (key_) RegCloseKey(key_);
    DeleteKeyTree(HKEY_CURRENT_USER, kScratchKey);
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, kScratchKey, 0, KEY_READ, &key_));
    ReleaseMachine();
  }

  LONG SetString(HKEY key, const char* name, const std::string& text, DWORD type = REG_SZ) {
    return RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>(text.size() + 1));
  }
  LONG SetBytes(HKEY key, const char* name, DWORD type, const std::vector<BYTE>& bytes) {
    return RegSetValueExA(key, name, 0, type, bytes.data(), static_cast<DWORD>(bytes.size()));
  }
  HKEY Create(const std::string& subKey, DWORD* disposition = nullptr) {
    HKEY key = nullptr;
    EXPECT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(key_, subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, &key, disposition));
    return key;
  }
  LONG Open(const std::string& subKey, REGSAM access, HKEY* key) {
    return RegOpenKeyExA(HKEY_CURRENT_USER, (std::string(kScratchKey) + "\\" + subKey).c_str(), 0,
                         access, key);
  }

  HKEY key_ = nullptr;
};

TEST_F(RegistryContract, StringSizesCountTheTerminatingZero) {
  ASSERT_EQ(ERROR_SUCCESS, SetString(key_, "Text", "hello"));
  ASSERT_EQ(ERROR_SUCCESS, SetString(key_, "Empty", ""));
  ASSERT_EQ(ERROR_SUCCESS, SetString(key_, "Path", "%TEMP%\\x", REG_EXPAND_SZ));

  DWORD type = 0, size = 0;
  ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExA(key_, "Text", nullptr, &type, nullptr, &size));
  EXPECT_EQ(REG_SZ, type);
  EXPECT_EQ(6u, size);
  char buffer[32] = {};
  size = sizeof buffer;
  ASSERT_EQ(ERROR_SUCCESS,
            RegQueryValueExA(key_, "Text", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size));
  EXPECT_EQ(6u, size);
  EXPECT_STREQ("hello", buffer);

  size = 0;
  ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExA(key_, "Empty", nullptr, &type, nullptr, &size));
  EXPECT_EQ(1u, size);

  // An expandable string comes back as stored: nothing is expanded.
  size = sizeof buffer;
  ASSERT_EQ(ERROR_SUCCESS,
            RegQueryValueExA(key_, "Path", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size));
  EXPECT_EQ(REG_EXPAND_SZ, type);
  EXPECT_STREQ("%TEMP%\\x", buffer);
  EXPECT_EQ(9u, size);
}

TEST_F(RegistryContract, DwordAndBinaryRoundTrip) {
  DWORD number = 0x12345678;
  ASSERT_EQ(ERROR_SUCCESS,
            RegSetValueExA(key_, "Number", 0, REG_DWORD, reinterpret_cast<BYTE*>(&number), 4));
  std::vector<BYTE> blob = {0, 1, 2, 0, 255};
  ASSERT_EQ(ERROR_SUCCESS, SetBytes(key_, "Blob", REG_BINARY, blob));
  ASSERT_EQ(ERROR_SUCCESS, SetBytes(key_, "NoBytes", REG_BINARY, {}));

  DWORD type = 0, value = 0, size = sizeof value;
  ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExA(key_, "Number", nullptr, &type,
                                            reinterpret_cast<BYTE*>(&value), &size));
  EXPECT_EQ(REG_DWORD, type);
  EXPECT_EQ(4u, size);
  EXPECT_EQ(0x12345678u, value);

  std::vector<BYTE> back(16, 0xEE);
  size = static_cast<DWORD>(back.size());
  ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExA(key_, "Blob", nullptr, &type, back.data(), &size));
  EXPECT_EQ(REG_BINARY, type);
  ASSERT_EQ(5u, size);
  back.resize(size);
  EXPECT_EQ(blob, back);

  size = 99;
  ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExA(key_, "NoBytes", nullptr, &type, nullptr, &size));
  EXPECT_EQ(0u, size);

  // Overwriting changes type and data in place.
  ASSERT_EQ(ERROR_SUCCESS, SetString(key_, "Number", "now text"));
  size = 0;
  ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExA(key_, "Number", nullptr, &type, nullptr, &size));
  EXPECT_EQ(REG_SZ, type);
  EXPECT_EQ(9u, size);
}

TEST_F(RegistryContract, SmallBufferGivesMoreDataAndTheSizeNeeded) {
  ASSERT_EQ(ERROR_SUCCESS, SetString(key_, "Text", "hello"));
  char buffer[8] = {};
  DWORD type = 0, size = 3;
  EXPECT_EQ(ERROR_MORE_DATA,
            RegQueryValueExA(key_, "Text", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size));
  EXPECT_EQ(6u, size);
  EXPECT_EQ(REG_SZ, type);

  // Exactly the size needed is enough.
  size = 6;
  EXPECT_EQ(ERROR_SUCCESS,
            RegQueryValueExA(key_, "Text", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size));
  EXPECT_STREQ("hello", buffer);
}

TEST_F(RegistryContract, MissingValuesAndKeysAreNotFound) {
  DWORD size = 0;
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegQueryValueExA(key_, "Nope", nullptr, nullptr, nullptr, &size));
  // A new key has no default value until one is set.
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegQueryValueExA(key_, "", nullptr, nullptr, nullptr, &size));
  EXPECT_EQ(ERROR_FILE_NOT_FOUND,
            RegQueryValueExA(key_, nullptr, nullptr, nullptr, nullptr, &size));

  HKEY key = nullptr;
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, Open("Missing", KEY_READ, &key));
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, Open("Missing\\Deeper", KEY_READ, &key));
  // Opening never creates.
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, Open("Missing", KEY_ALL_ACCESS, &key));
}

TEST_F(RegistryContract, DefaultValueIsTheEmptyOrNullName) {
  ASSERT_EQ(ERROR_SUCCESS, SetString(key_, "", "default"));
  char buffer[16] = {};
  DWORD size = sizeof buffer;
  ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExA(key_, nullptr, nullptr, nullptr,
                                            reinterpret_cast<BYTE*>(buffer), &size));
  EXPECT_STREQ("default", buffer);
  EXPECT_EQ(ERROR_SUCCESS, RegDeleteValueA(key_, nullptr));
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegQueryValueExA(key_, "", nullptr, nullptr, nullptr, &size));
}

TEST_F(RegistryContract, CreateMakesIntermediateKeysAndReportsDisposition) {
  DWORD disposition = 0;
  HKEY deep = Create("One\\Two\\Three", &disposition);
  EXPECT_EQ(REG_CREATED_NEW_KEY, disposition);
  RegCloseKey(deep);
  HKEY again = Create("One\\Two\\Three", &disposition);
  EXPECT_EQ(REG_OPENED_EXISTING_KEY, disposition);
  RegCloseKey(again);
  HKEY middle = nullptr;
  EXPECT_EQ(ERROR_SUCCESS, Open("One\\Two", KEY_READ, &middle));
  RegCloseKey(middle);
  // A trailing backslash names the same key.
  EXPECT_EQ(ERROR_SUCCESS, Open("One\\Two\\", KEY_READ, &middle));
  RegCloseKey(middle);
}

TEST_F(RegistryContract, NamesIgnoreCase) {
  RegCloseKey(Create("MixedCase"));
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, Open("MIXEDCASE", KEY_ALL_ACCESS, &key));
  ASSERT_EQ(ERROR_SUCCESS, SetString(key, "Value", "v"));
  DWORD size = 0;
  EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "VALUE", nullptr, nullptr, nullptr, &size));
  // Setting under another spelling replaces the value instead of adding one.
  ASSERT_EQ(ERROR_SUCCESS, SetString(key, "value", "longer"));
  DWORD values = 0;
  ASSERT_EQ(ERROR_SUCCESS, RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr,
                                            nullptr, &values, nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(1u, values);
  RegCloseKey(key);
}

TEST_F(RegistryContract, HandleKeepsTheAccessItWasOpenedWith) {
  ASSERT_EQ(ERROR_SUCCESS, SetString(key_, "Text", "x"));
  RegCloseKey(Create("Sub"));
  HKEY reader = nullptr, writer = nullptr, full = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, kScratchKey, 0, KEY_READ, &reader));
  ASSERT_EQ(ERROR_SUCCESS,
            RegOpenKeyExA(HKEY_CURRENT_USER, kScratchKey, 0, KEY_SET_VALUE, &writer));
  // The full access mask that the web page opener asks for is granted on a user's own key.
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, kScratchKey, 0, KEY_ALL_ACCESS, &full));

  DWORD size = 0;
  EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(reader, "Text", nullptr, nullptr, nullptr, &size));
  EXPECT_EQ(ERROR_ACCESS_DENIED, SetString(reader, "Other", "y"));
  EXPECT_EQ(ERROR_ACCESS_DENIED, RegDeleteValueA(reader, "Text"));
  EXPECT_EQ(ERROR_SUCCESS, SetString(writer, "Other", "y"));
  EXPECT_EQ(ERROR_ACCESS_DENIED,
            RegQueryValueExA(writer, "Text", nullptr, nullptr, nullptr, &size));
  char name[16];
  DWORD chars = sizeof name;
  EXPECT_EQ(ERROR_ACCESS_DENIED,
            RegEnumKeyExA(writer, 0, name, &chars, nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(full, "Other", nullptr, nullptr, nullptr, &size));
  for (HKEY k : {reader, writer, full}) EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(k));
}

TEST_F(RegistryContract, EnumerationListsSubkeysAndValues) {
  for (const char* sub : {"Bravo", "alpha", "Charlie"}) RegCloseKey(Create(sub));
  ASSERT_EQ(ERROR_SUCCESS, SetString(key_, "Second", "2"));
  DWORD one = 1;
  ASSERT_EQ(ERROR_SUCCESS,
            RegSetValueExA(key_, "First", 0, REG_DWORD, reinterpret_cast<BYTE*>(&one), 4));

  std::vector<std::string> keys;
  char name[64];
  DWORD chars = 0;
  LONG rc = ERROR_SUCCESS;
  for (DWORD i = 0; rc == ERROR_SUCCESS; ++i) {
    chars = sizeof name;
    rc = RegEnumKeyExA(key_, i, name, &chars, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_SUCCESS) {
      EXPECT_EQ(std::strlen(name), chars);  // the count excludes the terminating zero
      keys.emplace_back(name);
    }
  }
  EXPECT_EQ(ERROR_NO_MORE_ITEMS, rc);
  // Subkeys come sorted without regard to case.
  EXPECT_EQ((std::vector<std::string>{"alpha", "Bravo", "Charlie"}), keys);

  // A name buffer without room for the terminating zero is too small.
  chars = 5;
  EXPECT_EQ(ERROR_MORE_DATA,
            RegEnumKeyExA(key_, 0, name, &chars, nullptr, nullptr, nullptr, nullptr));

  std::vector<std::string> values;
  std::vector<DWORD> types;
  for (DWORD i = 0;; ++i) {
    chars = sizeof name;
    DWORD type = 0;
    BYTE data[16];
    DWORD size = sizeof data;
    rc = RegEnumValueA(key_, i, name, &chars, nullptr, &type, data, &size);
    if (rc != ERROR_SUCCESS) break;
    values.emplace_back(name);
    types.push_back(type);
  }
  EXPECT_EQ(ERROR_NO_MORE_ITEMS, rc);
  ASSERT_EQ(2u, values.size());
  // Values are not sorted: both orders occur; the pairing of name and type is what counts.
  for (size_t i = 0; i < values.size(); ++i)
    EXPECT_EQ(values[i] == "First" ? REG_DWORD : REG_SZ, types[i]) << values[i];

  // A data buffer that is too small reports the size needed.
  chars = sizeof name;
  BYTE tiny[1];
  DWORD size = sizeof tiny;
  DWORD index = values[0] == "Second" ? 0 : 1;
  EXPECT_EQ(ERROR_MORE_DATA,
            RegEnumValueA(key_, index, name, &chars, nullptr, nullptr, tiny, &size));
  EXPECT_EQ(2u, size);
}

TEST_F(RegistryContract, QueryInfoReportsCountsAndLongestEntries) {
  for (const char* sub : {"A", "Longest"}) RegCloseKey(Create(sub));
  ASSERT_EQ(ERROR_SUCCESS, SetString(key_, "Name", "twelve chars"));
  ASSERT_EQ(ERROR_SUCCESS, SetString(key_, "LongerName", "x"));

  DWORD subKeys = 0, maxSubKey = 0, values = 0, maxValueName = 0, maxValueBytes = 0;
  ASSERT_EQ(ERROR_SUCCESS,
            RegQueryInfoKeyA(key_, nullptr, nullptr, nullptr, &subKeys, &maxSubKey, nullptr,
                             &values, &maxValueName, &maxValueBytes, nullptr, nullptr));
  EXPECT_EQ(2u, subKeys);
  EXPECT_EQ(7u, maxSubKey);  // characters, without the terminating zero
  EXPECT_EQ(2u, values);
  EXPECT_EQ(10u, maxValueName);
  // Bytes of the stored (two-byte character) form, with the terminating zero: twice the ANSI
  // size for strings. Buffers sized from it are always large enough.
  EXPECT_EQ(26u, maxValueBytes);
}

// The way subkey names are listed: count and longest name first, then each name into a buffer
// of exactly the longest name plus its terminating zero.
TEST_F(RegistryContract, SubkeysFitABufferOfTheLongestNamePlusOne) {
  for (const char* sub : {"shell", "Open With", "print"}) RegCloseKey(Create(sub));
  RegCloseKey(Create("empty"));
  HKEY reader = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, kScratchKey, 0, KEY_READ, &reader));
  DWORD count = 0, longest = 0;
  ASSERT_EQ(ERROR_SUCCESS, RegQueryInfoKeyA(reader, nullptr, nullptr, nullptr, &count, &longest,
                                            nullptr, nullptr, nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(4u, count);
  EXPECT_EQ(9u, longest);

  std::vector<char> name(longest + 1);
  std::vector<std::string> names;
  for (DWORD i = 0; i < count; ++i) {
    DWORD chars = longest + 1;
    ASSERT_EQ(ERROR_SUCCESS,
              RegEnumKeyExA(reader, i, name.data(), &chars, nullptr, nullptr, nullptr, nullptr));
    names.emplace_back(name.data(), chars);
  }
  EXPECT_EQ((std::vector<std::string>{"empty", "Open With", "print", "shell"}), names);
  DWORD chars = longest + 1;
  EXPECT_EQ(ERROR_NO_MORE_ITEMS,
            RegEnumKeyExA(reader, count, name.data(), &chars, nullptr, nullptr, nullptr, nullptr));
  // One character short: the longest name no longer fits with its zero.
  chars = longest;
  EXPECT_EQ(ERROR_MORE_DATA,
            RegEnumKeyExA(reader, 1, name.data(), &chars, nullptr, nullptr, nullptr, nullptr));
  RegCloseKey(reader);

  // A key without subkeys reports none and enumerates none.
  ASSERT_EQ(ERROR_SUCCESS, Open("empty", KEY_READ, &reader));
  count = longest = 99;
  ASSERT_EQ(ERROR_SUCCESS, RegQueryInfoKeyA(reader, nullptr, nullptr, nullptr, &count, &longest,
                                            nullptr, nullptr, nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(0u, count);
  EXPECT_EQ(0u, longest);
  chars = static_cast<DWORD>(name.size());
  EXPECT_EQ(ERROR_NO_MORE_ITEMS,
            RegEnumKeyExA(reader, 0, name.data(), &chars, nullptr, nullptr, nullptr, nullptr));
  RegCloseKey(reader);
}

TEST_F(RegistryContract, DeletingValuesAndKeys) {
  ASSERT_EQ(ERROR_SUCCESS, SetString(key_, "Text", "x"));
  EXPECT_EQ(ERROR_SUCCESS, RegDeleteValueA(key_, "Text"));
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegDeleteValueA(key_, "Text"));

  RegCloseKey(Create("Parent\\Child"));
  // A key that still has subkeys is not deleted.
  EXPECT_NE(ERROR_SUCCESS, RegDeleteKeyA(key_, "Parent"));
  HKEY child = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, Open("Parent\\Child", KEY_ALL_ACCESS, &child));
  EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyA(key_, "Parent\\Child"));
  // A handle that outlives its key can no longer be used.
  DWORD size = 0;
  EXPECT_EQ(ERROR_KEY_DELETED, RegQueryValueExA(child, "", nullptr, nullptr, nullptr, &size));
  EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(child));
  EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyA(key_, "Parent"));
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegDeleteKeyA(key_, "Parent"));
  HKEY gone = nullptr;
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, Open("Parent", KEY_READ, &gone));
}

TEST_F(RegistryContract, PathEdgesAsWindowsTakesThem) {
  // The library strips leading backslashes itself because Windows does not accept them.
  HKEY key = nullptr;
  EXPECT_EQ(ERROR_BAD_PATHNAME,
            RegOpenKeyExA(HKEY_CURRENT_USER, "\\Software\\AcContractTest", 0, KEY_READ, &key));
  EXPECT_EQ(ERROR_BAD_PATHNAME,
            RegCreateKeyExA(HKEY_CURRENT_USER, "\\Software\\AcContractTest", 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &key, nullptr));
  // An empty or absent path below a predefined root gives that root back.
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, "", 0, KEY_READ, &key));
  EXPECT_EQ(HKEY_CURRENT_USER, key);
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, nullptr, 0, KEY_READ, &key));
  EXPECT_EQ(HKEY_CURRENT_USER, key);
  // Deleting the empty path below a key deletes that key.
  HKEY child = Create("Child");
  EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyA(child, ""));
  RegCloseKey(child);
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, Open("Child", KEY_READ, &key));
}

TEST_F(RegistryContract, StringWithoutTerminatingZeroGetsOne) {
  ASSERT_EQ(ERROR_SUCCESS,
            RegSetValueExA(key_, "Bare", 0, REG_SZ, reinterpret_cast<const BYTE*>("abc"), 3));
  char buffer[8];
  std::memset(buffer, 'z', sizeof buffer);
  DWORD type = 0, size = sizeof buffer;
  ASSERT_EQ(ERROR_SUCCESS,
            RegQueryValueExA(key_, "Bare", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size));
  EXPECT_EQ(4u, size);
  EXPECT_STREQ("abc", buffer);
}

}  // namespace
}  // namespace contract
