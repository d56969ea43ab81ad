// Processor, memory, name, volume, display-mode and profile-file calls as the system information
// makes them, pinned against Windows (Windows build, under Wine) and the simulated machine (host
// build). Only what every machine shares is pinned: the names, serials and sizes differ.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/platform.h"
#include "tests/contract/ContractMachine.h"
#include "tests/contract/ContractSupport.h"

namespace contract {
namespace {

class MachineContract : public ::testing::Test {
 protected:
  void SetUp() override { PrepareMachine(); }
  void TearDown() override { ReleaseMachine(); }
};

TEST_F(MachineContract, ProcessorsMemoryAndTicks) {
  SYSTEM_INFO info;
  std::memset(&info, 0xCC, sizeof info);
  GetSystemInfo(&info);
  EXPECT_GE(info.dwNumberOfProcessors, 1u);
  EXPECT_EQ(4096u, info.dwPageSize);
  // Architecture and processor type come in pairs.
  const bool intel =
      info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_INTEL &&
      (info.dwProcessorType == PROCESSOR_INTEL_386 || info.dwProcessorType == PROCESSOR_INTEL_486 ||
       info.dwProcessorType == PROCESSOR_INTEL_PENTIUM);
  const bool amd64 = info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64 &&
                     info.dwProcessorType == PROCESSOR_AMD_X8664;
  EXPECT_TRUE(intel || amd64) << info.wProcessorArchitecture << " " << info.dwProcessorType;

  // The call fills the whole record and sets its size, whatever the caller left in it.
  MEMORYSTATUS memory;
  std::memset(&memory, 0xCC, sizeof memory);
  GlobalMemoryStatus(&memory);
  EXPECT_EQ(sizeof memory, memory.dwLength);
  EXPECT_LE(memory.dwMemoryLoad, 100u);
  EXPECT_GT(memory.dwTotalPhys, 0u);
  EXPECT_LE(memory.dwAvailPhys, memory.dwTotalPhys);
  EXPECT_LE(memory.dwAvailVirtual, memory.dwTotalVirtual);

  const DWORD before = GetTickCount();
  Sleep(20);
  EXPECT_GE(GetTickCount() - before, 1u);
}

TEST_F(MachineContract, NamesReportTheirSizesDifferently) {
  // The computer name fits the 16 characters offered; the size is then its length. Too small a
  // buffer gives ERROR_BUFFER_OVERFLOW and the room needed, the zero included.
  char name[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD size = sizeof name;
  ASSERT_TRUE(GetComputerNameA(name, &size));
  const DWORD length = static_cast<DWORD>(std::strlen(name));
  EXPECT_EQ(length, size);
  EXPECT_GT(length, 0u);
  size = 1;
  SetLastError(0);
  EXPECT_FALSE(GetComputerNameA(name, &size));
  EXPECT_EQ(Code(ERROR_BUFFER_OVERFLOW), GetLastError());
  EXPECT_EQ(length + 1, size);

  // The user name's size counts the zero also on success; too small gives
  // ERROR_INSUFFICIENT_BUFFER and the same size.
  char user[256];
  size = sizeof user;
  ASSERT_TRUE(GetUserNameA(user, &size));
  const DWORD userLength = static_cast<DWORD>(std::strlen(user));
  EXPECT_GT(userLength, 0u);
  EXPECT_EQ(userLength + 1, size);
  size = 1;
  SetLastError(0);
  EXPECT_FALSE(GetUserNameA(user, &size));
  EXPECT_EQ(Code(ERROR_INSUFFICIENT_BUFFER), GetLastError());
  EXPECT_EQ(userLength + 1, size);
}

TEST_F(MachineContract, VolumeSerialOfDriveC) {
  DWORD serial = 0, again = 1, maxComponent = 0, flags = 0;
  char label[MAX_PATH + 1], fileSystem[MAX_PATH + 1];
  ASSERT_TRUE(GetVolumeInformationA("C:\\", label, sizeof label, &serial, &maxComponent, &flags,
                                    fileSystem, sizeof fileSystem));
  EXPECT_EQ(255u, maxComponent);
  EXPECT_GT(std::strlen(fileSystem), 0u);
  // Every output but the serial may be left out.
  ASSERT_TRUE(GetVolumeInformationA("C:\\", nullptr, 0, &again, nullptr, nullptr, nullptr, 0));
  EXPECT_EQ(serial, again);
  // Only a root names a volume.
  SetLastError(0);
  EXPECT_FALSE(
      GetVolumeInformationA("C:\\Windows\\", nullptr, 0, &again, nullptr, nullptr, nullptr, 0));
  EXPECT_EQ(Code(ERROR_DIR_NOT_ROOT), GetLastError());
}

TEST_F(MachineContract, DisplayModeTests) {
  HDC screen = GetDC(nullptr);
  const DWORD bits = static_cast<DWORD>(GetDeviceCaps(screen, BITSPIXEL));
  ReleaseDC(nullptr, screen);
  DEVMODEA mode;
  std::memset(&mode, 0, sizeof mode);
  ASSERT_EQ(156u, sizeof mode);
  mode.dmSize = sizeof mode;
  mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
  mode.dmPelsWidth = static_cast<DWORD>(GetSystemMetrics(SM_CXSCREEN));
  mode.dmPelsHeight = static_cast<DWORD>(GetSystemMetrics(SM_CYSCREEN));
  // The current size is accepted, alone and with the current depth.
  EXPECT_EQ(DISP_CHANGE_SUCCESSFUL, ChangeDisplaySettingsA(&mode, CDS_TEST));
  mode.dmFields |= DM_BITSPERPEL;
  mode.dmBitsPerPel = bits;
  EXPECT_EQ(DISP_CHANGE_SUCCESSFUL, ChangeDisplaySettingsA(&mode, CDS_TEST));
  // A size no display has is refused as a bad mode, and nothing changes.
  mode.dmPelsWidth = 12345;
  mode.dmPelsHeight = 777;
  EXPECT_EQ(DISP_CHANGE_BADMODE, ChangeDisplaySettingsA(&mode, CDS_TEST));
  EXPECT_EQ(DISP_CHANGE_BADMODE, ChangeDisplaySettingsA(&mode, 0));
  EXPECT_NE(12345, GetSystemMetrics(SM_CXSCREEN));
}

// A profile file in a scratch folder of TEMP, removed before and after.
class ProfileContract : public MachineContract {
 protected:
  void SetUp() override {
    MachineContract::SetUp();
    folder_ = TempPath() + kScratchFolderName;
    DeleteFolderTree(folder_);
    ASSERT_TRUE(CreateDirectoryA(folder_.c_str(), nullptr));
    file_ = folder_ + "\\system.ini";
  }
  void TearDown() override {
    DeleteFolderTree(folder_);
    MachineContract::TearDown();
  }
  std::string Read(const char* section, const char* key, const char* fallback, DWORD chars = 64) {
    char buffer[64];
    std::memset(buffer, 'z', sizeof buffer);
    const DWORD n = GetPrivateProfileStringA(section, key, fallback, buffer, chars, file_.c_str());
    EXPECT_EQ('\0', buffer[n]) << key;
    return std::to_string(n) + ":" + std::string(buffer, n);
  }
  bool Write(const char* section, const char* key, const char* text) {
    return WritePrivateProfileStringA(section, key, text, file_.c_str()) != FALSE;
  }
  std::string folder_, file_;
};

TEST_F(ProfileContract, ReadDefaultsWriteAndDelete) {
  // A missing file gives the default without its trailing blanks; no default gives "".
  EXPECT_EQ("3:DEF", Read("boot", "scrnsave.exe", "DEF  "));
  EXPECT_EQ(Code(ERROR_FILE_NOT_FOUND), GetLastError());
  EXPECT_EQ("0:", Read("boot", "scrnsave.exe", nullptr));

  // Writing makes the file and the section; names match without regard to case, blanks around
  // a value and one pair of quotes are removed on reading.
  ASSERT_TRUE(Write("boot", "scrnsave.exe", "C:\\X.SCR"));
  ASSERT_TRUE(Write("Boot", "Other", "  spaced value  "));
  ASSERT_TRUE(Write("second", "k", "\"quoted\""));
  EXPECT_EQ("8:C:\\X.SCR", Read("BOOT", "SCRNSAVE.EXE", "d"));
  EXPECT_EQ("12:spaced value", Read("boot", "other", "d"));
  EXPECT_EQ("6:quoted", Read("second", "K", "d"));
  EXPECT_EQ("3:def", Read("boot", "missing", "def"));
  EXPECT_EQ("3:def", Read("nosection", "scrnsave.exe", "def"));
  // An empty value is a value, not a missing key.
  ASSERT_TRUE(Write("boot", "empty", ""));
  EXPECT_EQ("0:", Read("boot", "empty", "def"));
  // Too small a buffer cuts the text (value or default) and reports the count copied.
  EXPECT_EQ("3:C:\\", Read("boot", "scrnsave.exe", "d", 4));
  EXPECT_EQ("3:def", Read("boot", "missing", "default", 4));

  // Replacing keeps one entry; a null text deletes the key; a null key lists the keys.
  ASSERT_TRUE(Write("BOOT", "scrnsave.exe", "C:\\Y.SCR"));
  ASSERT_TRUE(Write("boot", "other", nullptr));
  EXPECT_EQ("3:def", Read("boot", "other", "def"));
  EXPECT_EQ(std::string("19:scrnsave.exe\0empty\0", 22), Read("boot", nullptr, "d"));
  EXPECT_EQ("8:C:\\Y.SCR", Read("boot", "scrnsave.exe", "d"));
}

}  // namespace
}  // namespace contract
