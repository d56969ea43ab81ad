// The machine, user, Windows, memory, processor, screen and drive properties against the
// stand-in: the NT / 9x sources, the fall-backs, the display-mode step-down, the processor facts
// of the start-up, the serial text, and which writes change the system.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/host/StandInFixture.h"
#include "platform/platform.h"
#include "sysinfo/acSystemInfo.h"

namespace {

const HKEY kLM = HKEY_LOCAL_MACHINE, kCU = HKEY_CURRENT_USER;
constexpr const char* kCV = "Software\\Microsoft\\Windows\\CurrentVersion";
constexpr const char* kNT = "Software\\Microsoft\\Windows NT\\CurrentVersion";
constexpr const char* kNet = "System\\CurrentControlSet\\Services\\VxD\\VNETSUP";
constexpr const char* kSystemIni = "C:\\WINDOWS\\system.ini";

class SystemInfoFactsTest : public standin::StandInTest {
 protected:
  void Use9x() { standin::SetVersion(4, 10, 0x040A07CE, VER_PLATFORM_WIN32_WINDOWS, ""); }
  // The display calls as "fields mode flags" (the record is always 156 bytes).
  static std::vector<std::string> DisplayCalls() {
    std::vector<std::string> calls;
    for (const auto& c : standin::CallsOf("ChangeDisplaySettingsA")) {
      EXPECT_EQ(c.args[0], "156");
      calls.push_back(*c.args[1] + " " + *c.args[2] + " " + *c.args[3]);
    }
    return calls;
  }
  TComponentPtr<TacSystemInfo> info{new TacSystemInfo(nullptr)};
};

TEST_F(SystemInfoFactsTest, SourcesFollowTheWindowsFamily) {
  for (const char* key : {kCV, kNT}) {
    const std::string tag = key == kCV ? "9x " : "NT ";
    for (const char* value : {"RegisteredOwner", "RegisteredOrganization", "ProductId"})
      standin::SetRegString(kLM, key, value, tag + value);
    standin::SetRegString(kLM, key, "ProductName", tag + "Microsoft Windows Microsoft XP");
  }
  standin::SetRegString(kLM, kCV, "Version", "Windows 98");
  standin::SetRegString(kLM, kNet, "Comment", "Desk");
  standin::SetRegString(kLM, kNet, "Workgroup", "HOME");
  standin::SetRegString(kCU, "Control Panel\\Desktop", "SCRNSAVE.EXE", "C:\\NT.SCR");
  standin::WriteHostFile(kSystemIni, "[386Enh]\r\nx=1\r\n[boot]\r\nSCRNSAVE.EXE = C:\\9X.SCR \r\n");
  for (bool nt : {true, false}) {
    if (!nt) Use9x();
    const std::string tag = nt ? "NT " : "9x ";
    EXPECT_EQ(info->WinNT(), nt);
    EXPECT_EQ(info->OSVersion(), nt ? osXP : os98);
    EXPECT_EQ(info->OwnerName() + "|" + info->OwnerCompany() + "|" + info->WinProductID(),
              tag + "RegisteredOwner|" + tag + "RegisteredOrganization|" + tag + "ProductId");
    EXPECT_EQ(info->WinVersion(), nt ? "NT Windows Microsoft XP" : "Windows 98");
    EXPECT_EQ(info->ComputerDescription() + "|" + info->ComputerWorkgroup(),
              nt ? "(not available on NT)|(not available on NT)" : "Desk|HOME");
    EXPECT_EQ(info->ScreenSaver(), nt ? "C:\\NT.SCR" : "C:\\9X.SCR");
  }
  // Writes go to the family's place; the network texts are written on 9x only.
  info->ALLOW_EDIT = true;
  for (bool nt : {false, true}) {
    if (nt) standin::SetVersion(5, 1, 2600, VER_PLATFORM_WIN32_NT, "");
    const std::string text = nt ? "nt" : "9x";
    info->SetOwnerName(text);
    info->SetOwnerCompany(text);
    info->SetComputerDescription(text);
    info->SetComputerWorkgroup(text);
    info->SetScreenSaver("C:\\" + text + ".SCR");
    EXPECT_EQ(standin::GetRegString(kLM, nt ? kNT : kCV, "RegisteredOwner"), text);
    EXPECT_EQ(standin::GetRegString(kLM, nt ? kNT : kCV, "RegisteredOrganization"), text);
  }
  EXPECT_EQ(standin::GetRegString(kLM, kNet, "Comment"), "9x");
  EXPECT_EQ(standin::GetRegString(kLM, kNet, "Workgroup"), "9x");
  EXPECT_EQ(info->ScreenSaver(), "C:\\nt.SCR");
  Use9x();
  EXPECT_EQ(info->ScreenSaver(), "C:\\9x.SCR");
}

TEST_F(SystemInfoFactsTest, FallBacks) {
  // Names: the registry first, then the system's call; a name the call cannot give reads empty.
  EXPECT_EQ(info->ComputerName() + "|" + info->CurrentUserName(), "STANDIN-PC|User");
  standin::SetComputerName("SIXTEEN-CHARS-PC");
  standin::SetUserName(std::string(256, 'u'));
  EXPECT_EQ(info->ComputerName() + "|" + info->CurrentUserName(), "|");
  standin::SetRegString(kLM, "System\\CurrentControlSet\\Control\\ComputerName\\ComputerName",
                        "ComputerName", "REGISTERED");
  standin::SetRegString(kLM, "System\\CurrentControlSet\\Control", "Current User", "Ann");
  EXPECT_EQ(info->ComputerName() + "|" + info->CurrentUserName(), "REGISTERED|Ann");

  // The version number from the record when the registry has none; -1 each without a record.
  EXPECT_EQ(info->WinVersionNumber(), "5.1.2600");
  Use9x();
  EXPECT_EQ(info->WinVersionNumber(), "4.10.1998");
  EXPECT_EQ(info->ScreenSaver(), "C:\\WINDOWS\\FLYING~1.SCR");
  standin::FailVersionQuery();
  EXPECT_EQ(info->WinVersionNumber(), "-1.-1.-1");
  standin::SetRegString(kLM, kCV, "VersionNumber", "4.10.2222");
  EXPECT_EQ(info->WinVersionNumber(), "4.10.2222");
}

TEST_F(SystemInfoFactsTest, DisplayWritesStepDown) {
  using standin::DisplayMode;
  struct Case {
    const char* what;
    DisplayMode current;
    std::vector<DisplayMode> accepted;
    TacScreenColorMode color;  // written when resolution is -1
    int resolution;
    std::vector<std::string> calls;
  };
  const std::string bits = "262144 ", size = "1572864 ";
  const Case cases[] = {
      {"32 bits on a 16-bit display",
       {8, 1024, 768},
       {{16, 1024, 768}},
       sm32bit,
       -1,
       {bits + "32 bpp 1024x768 2", bits + "24 bpp 1024x768 2", bits + "16 bpp 1024x768 2",
        bits + "16 bpp 1024x768 1"}},
      {"no depth accepted",
       {15, 1024, 768},
       {},
       sm8bit,
       -1,
       {bits + "8 bpp 1024x768 2", bits + "4 bpp 1024x768 2"}},
      {"1600x1200 on a 1280x1024 display",
       {32, 1024, 768},
       {{32, 1280, 1024}},
       sm4bit,
       sr1600x1200,
       {size + "32 bpp 1600x1200 2", size + "32 bpp 1280x1024 2", size + "32 bpp 1280x1024 1"}},
      {"upright goes to landscape",
       {32, 1024, 768},
       {{32, 1920, 1200}},
       sm4bit,
       sr480x640,
       {size + "32 bpp 480x640 2", size + "32 bpp 1920x1200 2", size + "32 bpp 1920x1200 1"}},
      {"no size accepted",
       {32, 1366, 768},
       {},
       sm4bit,
       sr800x600,
       {size + "32 bpp 800x600 2", size + "32 bpp 640x480 2"}},
  };
  for (const Case& c : cases) {
    standin::Reset();
    standin::SetDeviceCap(BITSPIXEL, static_cast<INT>(c.current.bitsPerPel));
    standin::SetSystemMetric(SM_CXSCREEN, static_cast<INT>(c.current.width));
    standin::SetSystemMetric(SM_CYSCREEN, static_cast<INT>(c.current.height));
    standin::SetDisplayModes(c.accepted);
    info->ALLOW_EDIT = true;
    if (c.resolution < 0)
      info->SetScreenColorMode(c.color);
    else
      info->SetScreenResolution(static_cast<TacScreenResolution>(c.resolution));
    EXPECT_EQ(DisplayCalls(), c.calls) << c.what;
    const bool applied = c.calls.back().back() == '1';
    EXPECT_EQ(standin::CurrentDisplayMode() == c.current, !applied) << c.what;
  }
  // The reads: 1366 x 768 is no table size, 768 x 1024 is the upright one; 15 bits read 8.
  EXPECT_EQ(info->ScreenResolution(), sr640x480);
  EXPECT_EQ(info->ScreenColorMode(), sm32bit);
  standin::SetSystemMetric(SM_CXSCREEN, 768);
  standin::SetSystemMetric(SM_CYSCREEN, 1024);
  EXPECT_EQ(info->ScreenResolution(), sr768x1024);
}

TEST_F(SystemInfoFactsTest, ProcessorFactsAreReadOnceAtStartUp) {
  struct Case {
    WORD architecture;
    DWORD type;
    TacCPUArchitecture wantArchitecture;
    TacCPUType wantType;
  };
  for (const Case c : {Case{0, 586, paINTEL, ptPentium}, Case{0, 386, paINTEL, ptIntel386},
                       Case{0, 486, paINTEL, ptIntel486}, Case{0, 2200, paINTEL, ptUNKNOWN},
                       Case{1, 4000, paMIPS, ptUNKNOWN}, Case{2, 21064, paALPHA, ptUNKNOWN},
                       Case{3, 601, paPPC, ptUNKNOWN}, Case{65535, 586, paUNKNOWN, ptUNKNOWN},
                       Case{9, 8664, paUNKNOWN, ptUNKNOWN}}) {
    standin::SetProcessors(c.architecture, c.type, c.architecture + 1u);
    kacSystemInfoModule.StartUp();
    standin::SetProcessors(0, 386, 99);  // later changes are not seen
    EXPECT_EQ(info->CPUArchitecture(), c.wantArchitecture) << c.architecture;
    EXPECT_EQ(info->CPUType(), c.wantType) << c.architecture << " " << c.type;
    EXPECT_EQ(info->CPUsNumber(), c.architecture + 1) << c.architecture;
  }
  standin::SetRegString(kLM, "hardware\\DESCRIPTION\\System\\CentralProcessor\\0", "Identifier",
                        "x86 Family 6");
  EXPECT_EQ(info->CPUIdentifier(), "x86 Family 6");
  standin::SetTimeStampCounter(0, 1999900);  // 79 996 000 ticks in the 40 ms
  EXPECT_EQ(info->CPUFrequency(), 1990);
}

TEST_F(SystemInfoFactsTest, SerialMemoryAndUpTime) {
  struct Case {
    std::optional<DWORD> serial;
    int32_t number;
    const char* text;
  };
  for (const Case c :
       {Case{0x1234ABCD, 0x1234ABCD, "1234-ABCD"}, Case{0x0012ABCD, 0x12ABCD, "12AB-CD"},
        Case{0xABC, 0xABC, "ABC-"}, Case{0, 0, "0-"}, Case{0x80000000u, INT32_MIN, "8000-0000"},
        Case{std::nullopt, 0, ""}}) {
    standin::SetVolumeSerial('C', c.serial);
    EXPECT_EQ(info->DiskCSerialNumber(), c.number) << c.text;
    EXPECT_EQ(info->DiskCSerialNumberStr(), c.text);
  }
  // Amounts beyond 32 bits (a 64-bit process's address space) read as the 32-bit system's.
  MEMORYSTATUS status{};
  status.dwMemoryLoad = 42;
  status.dwTotalPhys = 3000;
  status.dwAvailPhys = 2000;
  status.dwTotalVirtual = SIZE_T{6} << 30;
  status.dwAvailVirtual = 1000;
  standin::SetMemoryStatus(status);
  EXPECT_EQ(info->MemLoad(), 42);
  EXPECT_EQ(info->MemTotalPhisical(), 3000u);
  EXPECT_EQ(info->MemAvailPhisical(), 2000u);
  EXPECT_EQ(info->MemTotalVirtual(), 0xFFFFFFFFu);
  EXPECT_EQ(info->MemAvailVirtual(), 1000u);
  for (const auto& [ticks, seconds] : {std::pair{1999u, 1}, {0xFFFFFFFFu, 4294967}}) {
    standin::SetTickCount(ticks);
    EXPECT_EQ(info->SystemUpTime(), seconds);
  }
}

// Every published property is written once through the table, as the form designer does; the
// writes that change the system are the table's "system" ones, all others show the notice.
TEST_F(SystemInfoFactsTest, WritesThroughTheTable) {
  const std::set<std::string> own = {"Name", "Tag", "About", "ALLOW_EDIT"};
  std::set<std::string> notices, displayWrites, expectedNotices;
  const auto writeAll = [&] {
    notices.clear();
    displayWrites.clear();
    for (const TPropInfo* p : TacSystemInfo::StaticClassInfo().Properties()) {
      if (own.count(p->Name)) continue;
      standin::ClearCalls();
      if (p->Kind == TPropKind::String)
        p->SetStr(*info, p->Name == "ScreenSaver" ? "C:\\X.SCR" : "x");
      else
        p->SetOrd(*info, 1);
      if (!standin::CallsOf("MessageBoxA").empty()) notices.insert(p->Name);
      if (!standin::CallsOf("ChangeDisplaySettingsA").empty()) displayWrites.insert(p->Name);
    }
  };
  info->SetDesigning(true);
  Use9x();
  writeAll();
  // ALLOW_EDIT false: no notice, no display change, no registry value, no system.ini.
  EXPECT_EQ(notices.size() + displayWrites.size(), 0u);
  EXPECT_FALSE(standin::RegKeyExists(kLM, "System"));
  EXPECT_FALSE(standin::GetRegString(kLM, kCV, "RegisteredOwner"));
  EXPECT_FALSE(std::filesystem::exists(standin::HostPath(kSystemIni)));

  info->ALLOW_EDIT = true;
  writeAll();
  const std::set<std::string> system = {
      "ComputerDescription", "ComputerName",    "ComputerWorkgroup", "CurrentUserName", "OwnerName",
      "OwnerCompany",        "ScreenColorMode", "ScreenResolution",  "ScreenSaver"};
  for (const TPropInfo* p : TacSystemInfo::StaticClassInfo().Properties()) {
    const bool writableFolder = p->Name.rfind("Dir", 0) == 0 && p->Name != "DirSystem" &&
                                p->Name != "DirTemp" && p->Name != "DirWindows";
    if (!own.count(p->Name) && !system.count(p->Name) && !writableFolder)
      expectedNotices.insert(p->Name);
  }
  EXPECT_EQ(notices, expectedNotices);
  EXPECT_EQ(displayWrites, (std::set<std::string>{"ScreenColorMode", "ScreenResolution"}));
  EXPECT_EQ(info->ComputerName() + "|" + info->ComputerDescription() + "|" + info->OwnerName() +
                "|" + info->CurrentUserName() + "|" + info->ScreenSaver(),
            "x|x|x|x|C:\\X.SCR");
}

}  // namespace
