#include "sysinfo/acSystemInfo.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <limits>

#include "foundation/acUtils.h"
#include "platform/platform.h"
#include "sysinfo/acInet.h"
#include "toolkit/core/ClassRegistry.h"

const TEnumInfo& TacCPUArchitectureInfo() {
  static const TEnumInfo info("TacCPUArchitecture",
                              {"paINTEL", "paMIPS", "paALPHA", "paPPC", "paUNKNOWN"});
  return info;
}

const TEnumInfo& TacCPUTypeInfo() {
  static const TEnumInfo info("TacCPUType", {"ptIntel386", "ptIntel486", "ptPentium",
                                             "ptMIPS_R4000", "ptALPHA_21064", "ptUNKNOWN"});
  return info;
}

namespace {

constexpr const char* kCurrentVersion = "Software\\Microsoft\\Windows\\CurrentVersion";
constexpr const char* kNTCurrentVersion = "Software\\Microsoft\\Windows NT\\CurrentVersion";
constexpr const char* kComputerNameKey =
    "System\\CurrentControlSet\\Control\\ComputerName\\ComputerName";
constexpr const char* kNetworkKey = "System\\CurrentControlSet\\Services\\VxD\\VNETSUP";
constexpr const char* kControlKey = "System\\CurrentControlSet\\Control";
constexpr const char* kDirectXKey = "Software\\Microsoft\\DirectX";
constexpr const char* kProcessorKey = "\\hardware\\DESCRIPTION\\System\\CentralProcessor\\0";
constexpr const char* kDesktopKey = "Control Panel\\Desktop";
constexpr const char* kNotOnNT = "(not available on NT)";

constexpr const char* kReadOnlyText =
    "This property is READ-ONLY.\r\nYou could not change this value.";

// Where a folder lives: one string value, read and written; some folders write a second value
// with the same text first.
struct TFolderSource {
  HKEY Root;
  const char* Key;
  const char* Value;
  const char* WrittenFirst = nullptr;
};

// Indexed by TacSystemInfo::TRegFolder.
const TFolderSource kFolderSources[] = {
    {HKEY_CURRENT_USER, kShellFoldersKey, "AppData"},
    {HKEY_LOCAL_MACHINE, kShellFoldersKey, "Common AppData"},
    {HKEY_CURRENT_USER, kShellFoldersKey, "Cache"},
    {HKEY_CURRENT_USER, kShellFoldersKey, "Cookies"},
    {HKEY_LOCAL_MACHINE, kCurrentVersion, "CommonFilesDir"},
    {HKEY_CURRENT_USER, kShellFoldersKey, "Desktop"},
    {HKEY_CURRENT_USER, kShellFoldersKey, "Favorites"},
    {HKEY_LOCAL_MACHINE, kShellFoldersKey, "Common Favorites"},
    {HKEY_CURRENT_USER, kShellFoldersKey, "Fonts"},
    {HKEY_CURRENT_USER, kShellFoldersKey, "History"},
    {HKEY_LOCAL_MACHINE, kCurrentVersion, "MediaPath"},
    {HKEY_CURRENT_USER, kShellFoldersKey, "My Pictures"},
    {HKEY_CURRENT_USER, kShellFoldersKey, "NetHood"},
    {HKEY_CURRENT_USER, kShellFoldersKey, "Personal"},
    {HKEY_CURRENT_USER, kShellFoldersKey, "PrintHood"},
    {HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir", "ProgramFilesPath"},
    {HKEY_CURRENT_USER, kShellFoldersKey, "Programs"},
    {HKEY_LOCAL_MACHINE, kShellFoldersKey, "Common Programs"},
    {HKEY_CURRENT_USER, kShellFoldersKey, "Recent"},
    {HKEY_CURRENT_USER, kShellFoldersKey, "SendTo"},
    {HKEY_CURRENT_USER, kShellFoldersKey, "Start Menu"},
    {HKEY_LOCAL_MACHINE, kShellFoldersKey, "Common Start Menu"},
    {HKEY_CURRENT_USER, kShellFoldersKey, "Startup"},
    {HKEY_LOCAL_MACHINE, kShellFoldersKey, "Common Startup"},
    {HKEY_CURRENT_USER, kShellFoldersKey, "Templates"},
    {HKEY_LOCAL_MACHINE, kShellFoldersKey, "Common Templates"},
};

// The directory routines end their text with a backslash, and give a lone "\" when the system
// gives no directory; removing that backslash leaves an empty text then.
std::string WithoutTrailingBackslash(std::string Dir) {
  if (!Dir.empty() && Dir.back() == '\\') Dir.pop_back();
  return Dir;
}

std::string ReadMachineString(const char* Key, const char* Value) {
  std::string text;
  ReadRegString(HKEY_LOCAL_MACHINE, Key, Value, text);
  return text;
}

// The key of the owner and product values: the NT family keeps them apart from 9x.
const char* FamilyKey() {
  return IsWinNT() ? kNTCurrentVersion : kCurrentVersion;
}

// The processor facts the start-up reads; until then no processor and an Intel architecture.
struct TProcessorFacts {
  int32_t Count = 0;
  TacCPUArchitecture Architecture = paINTEL;
  TacCPUType Type = ptUNKNOWN;
};
TProcessorFacts gProcessor;

TacCPUType IntelType(DWORD ProcessorType) {
  switch (ProcessorType) {
    case PROCESSOR_INTEL_386:
      return ptIntel386;
    case PROCESSOR_INTEL_486:
      return ptIntel486;
    case PROCESSOR_INTEL_PENTIUM:
      return ptPentium;
    default:
      return ptUNKNOWN;
  }
}

// The version record, or false when the system gives none.
bool VersionRecord(OSVERSIONINFOA& Info) {
  std::memset(&Info, 0, sizeof Info);
  Info.dwOSVersionInfoSize = sizeof Info;
  return GetVersionExA(&Info) != FALSE;
}

MEMORYSTATUS MemoryStatus() {
  MEMORYSTATUS status;
  std::memset(&status, 0, sizeof status);
  status.dwLength = sizeof status;
  GlobalMemoryStatus(&status);
  return status;
}

// A 64-bit build may see amounts beyond 32 bits; they read as the 32-bit system reports them.
uint32_t Amount(SIZE_T Bytes) {
  return static_cast<uint32_t>(std::min<uint64_t>(Bytes, std::numeric_limits<uint32_t>::max()));
}

bool DiskCSerial(uint32_t& Serial) {
  DWORD serial = 0;
  if (!GetVolumeInformationA("C:\\", nullptr, 0, &serial, nullptr, nullptr, nullptr, 0))
    return false;
  Serial = serial;
  return true;
}

// The display-mode record of a write: zero-filled, with the size the mode fields need.
constexpr WORD kDisplayRecordSize = 156;
static_assert(sizeof(DEVMODEA) >= kDisplayRecordSize);
DEVMODEA DisplayRecord(DWORD Fields) {
  DEVMODEA mode;
  std::memset(&mode, 0, sizeof mode);
  mode.dmSize = kDisplayRecordSize;
  mode.dmFields = Fields;
  return mode;
}

// Applies the mode (saving it in the registry) when the display accepts it in a test; whether
// the change itself succeeds is not examined.
bool ApplyIfAccepted(DEVMODEA& Mode) {
  if (ChangeDisplaySettingsA(&Mode, CDS_TEST) != DISP_CHANGE_SUCCESSFUL) return false;
  ChangeDisplaySettingsA(&Mode, CDS_UPDATEREGISTRY);
  return true;
}

constexpr DWORD kColorModeBits[] = {4, 8, 16, 24, 32};

constexpr const char* kProfileSection = "boot";
constexpr const char* kScreenSaverEntry = "scrnsave.exe";

}  // namespace

const TEnumInfo& TacInternetStatusInfo() {
  static const TEnumInfo info("TacInternetStatus", {"iOffline", "iOnline"});
  return info;
}

TacInternetStatus TacSystemInfo::InternetStatus() const {
  return IsInternetConnected() ? iOnline : iOffline;
}

std::string TacSystemInfo::RegFolder(TRegFolder Folder) const {
  static_assert(std::size(kFolderSources) == static_cast<size_t>(TRegFolder::Count));
  const TFolderSource& source = kFolderSources[static_cast<size_t>(Folder)];
  std::string value;
  ReadRegString(source.Root, source.Key, source.Value, value);
  return value;
}

void TacSystemInfo::SetRegFolder(TRegFolder Folder, const std::string& Value) const {
  if (!CanEdit()) return;
  const TFolderSource& source = kFolderSources[static_cast<size_t>(Folder)];
  if (source.WrittenFirst) WriteRegString(source.Root, source.Key, source.WrittenFirst, Value);
  WriteRegString(source.Root, source.Key, source.Value, Value);
}

std::string TacSystemInfo::DirSystem() const {
  return WithoutTrailingBackslash(GetSystemDir());
}

std::string TacSystemInfo::DirTemp() const {
  return WithoutTrailingBackslash(GetTempDir());
}

// Keeps its backslash, so names are appended directly. Without a directory from the system it
// is empty too, rather than a lone "\" that would stand for the root of the current drive.
std::string TacSystemInfo::DirWindows() const {
  const std::string dir = GetWindowsDir();
  return dir == "\\" ? std::string() : dir;
}

bool TacSystemInfo::CanEdit() const {
  return ALLOW_EDIT && !InState(csLoading);
}

void TacSystemInfo::ReadOnlyNotice() const {
  if (!ALLOW_EDIT || !InState(csDesigning) || InState(csLoading)) return;
  // An application message box belongs to the application's window; the portable library has
  // no visual toolkit to ask for it, so the box has no owner (the desktop's).
  MessageBoxA(nullptr, kReadOnlyText, Name().c_str(), MB_ICONINFORMATION);
}

// --- Machine and user ---

std::string TacSystemInfo::ComputerDescription() const {
  return IsWinNT() ? kNotOnNT : ReadMachineString(kNetworkKey, "Comment");
}

void TacSystemInfo::SetComputerDescription(const std::string& V) const {
  if (CanEdit() && !IsWinNT()) WriteRegString(HKEY_LOCAL_MACHINE, kNetworkKey, "Comment", V);
}

// The registry's name, else the system's: 15 characters at most, so a 16-character buffer.
std::string TacSystemInfo::ComputerName() const {
  std::string name = ReadMachineString(kComputerNameKey, "ComputerName");
  if (!name.empty()) return name;
  char buffer[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD size = sizeof buffer;
  if (!GetComputerNameA(buffer, &size) || size >= sizeof buffer) return "";
  return std::string(buffer, size);
}

void TacSystemInfo::SetComputerName(const std::string& V) const {
  if (CanEdit()) WriteRegString(HKEY_LOCAL_MACHINE, kComputerNameKey, "ComputerName", V);
}

std::string TacSystemInfo::ComputerWorkgroup() const {
  return IsWinNT() ? kNotOnNT : ReadMachineString(kNetworkKey, "Workgroup");
}

void TacSystemInfo::SetComputerWorkgroup(const std::string& V) const {
  if (CanEdit() && !IsWinNT()) WriteRegString(HKEY_LOCAL_MACHINE, kNetworkKey, "Workgroup", V);
}

std::string TacSystemInfo::CurrentUserName() const {
  std::string name = ReadMachineString(kControlKey, "Current User");
  if (!name.empty()) return name;
  char buffer[256];
  DWORD size = sizeof buffer;
  if (!GetUserNameA(buffer, &size)) return "";
  return buffer;
}

void TacSystemInfo::SetCurrentUserName(const std::string& V) const {
  if (CanEdit()) WriteRegString(HKEY_LOCAL_MACHINE, kControlKey, "Current User", V);
}

std::string TacSystemInfo::OwnerName() const {
  return ReadMachineString(FamilyKey(), "RegisteredOwner");
}

void TacSystemInfo::SetOwnerName(const std::string& V) const {
  if (CanEdit()) WriteRegString(HKEY_LOCAL_MACHINE, FamilyKey(), "RegisteredOwner", V);
}

std::string TacSystemInfo::OwnerCompany() const {
  return ReadMachineString(FamilyKey(), "RegisteredOrganization");
}

void TacSystemInfo::SetOwnerCompany(const std::string& V) const {
  if (CanEdit()) WriteRegString(HKEY_LOCAL_MACHINE, FamilyKey(), "RegisteredOrganization", V);
}

// --- Windows ---

std::string TacSystemInfo::WinProductID() const {
  return ReadMachineString(FamilyKey(), "ProductId");
}

std::string TacSystemInfo::WinProductName() const {
  return ReadMachineString(FamilyKey(), "ProductName");
}

std::string TacSystemInfo::WinVersion() const {
  if (!IsWinNT()) return ReadMachineString(kCurrentVersion, "Version");
  const std::string name = WinProductName();
  const std::string maker = "Microsoft ";
  const size_t at = name.find(maker);
  if (at == std::string::npos) return name;
  return name.substr(0, at) + name.substr(at + maker.size());
}

int32_t TacSystemInfo::WinVersionMajor() const {
  OSVERSIONINFOA info;
  return VersionRecord(info) ? static_cast<int32_t>(info.dwMajorVersion) : -1;
}

int32_t TacSystemInfo::WinVersionMinor() const {
  OSVERSIONINFOA info;
  return VersionRecord(info) ? static_cast<int32_t>(info.dwMinorVersion) : -1;
}

// Windows 9x keeps the major and minor version in the high 16 bits of the build number.
int32_t TacSystemInfo::WinVersionBuild() const {
  OSVERSIONINFOA info;
  return VersionRecord(info) ? static_cast<int32_t>(info.dwBuildNumber & 0xFFFF) : -1;
}

std::string TacSystemInfo::WinVersionNumber() const {
  std::string number = ReadMachineString(kCurrentVersion, "VersionNumber");
  if (!number.empty()) return number;
  return std::to_string(WinVersionMajor()) + "." + std::to_string(WinVersionMinor()) + "." +
         std::to_string(WinVersionBuild());
}

std::string TacSystemInfo::WinVersionSubNumber() const {
  return ReadMachineString(kCurrentVersion, "SubVersionNumber");
}

std::string TacSystemInfo::WinDirectXVersion() const {
  return ReadMachineString(kDirectXKey, "Version");
}

// Unsigned division: the tick count wraps after 49.7 days and stays positive here.
int32_t TacSystemInfo::SystemUpTime() const {
  return static_cast<int32_t>(GetTickCount() / 1000u);
}

// --- Memory ---

uint32_t TacSystemInfo::MemAvailPhisical() const {
  return Amount(MemoryStatus().dwAvailPhys);
}

uint32_t TacSystemInfo::MemTotalPhisical() const {
  return Amount(MemoryStatus().dwTotalPhys);
}

uint32_t TacSystemInfo::MemAvailVirtual() const {
  return Amount(MemoryStatus().dwAvailVirtual);
}

uint32_t TacSystemInfo::MemTotalVirtual() const {
  return Amount(MemoryStatus().dwTotalVirtual);
}

int32_t TacSystemInfo::MemLoad() const {
  return static_cast<int32_t>(MemoryStatus().dwMemoryLoad);
}

// --- Processor ---

std::string TacSystemInfo::CPUIdentifier() const {
  return ReadMachineString(kProcessorKey, "Identifier");
}

std::string TacSystemInfo::CPUVendor() const {
  return ReadMachineString(kProcessorKey, "VendorIdentifier");
}

TacCPUArchitecture TacSystemInfo::CPUArchitecture() const {
  return gProcessor.Architecture;
}

int32_t TacSystemInfo::CPUsNumber() const {
  return gProcessor.Count;
}

TacCPUType TacSystemInfo::CPUType() const {
  return gProcessor.Type;
}

// --- Screen ---

void TacSystemInfo::SetScreenColorMode(TacScreenColorMode V) const {
  if (!CanEdit() || V > sm32bit) return;
  for (int mode = V; mode >= sm4bit; --mode) {
    DEVMODEA record = DisplayRecord(DM_BITSPERPEL);
    record.dmBitsPerPel = kColorModeBits[mode];
    if (ApplyIfAccepted(record)) return;
  }
}

TacScreenResolution TacSystemInfo::ScreenResolution() const {
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  TacScreenResolution found = sr640x480;
  for (size_t i = 0; i < std::size(kScreenSizes); ++i)
    if (kScreenSizes[i].Width == width && kScreenSizes[i].Height == height)
      found = static_cast<TacScreenResolution>(i);
  return found;
}

void TacSystemInfo::SetScreenResolution(TacScreenResolution V) const {
  if (!CanEdit() || V >= std::size(kScreenSizes)) return;
  for (int entry = V; entry >= sr640x480; --entry) {
    DEVMODEA record = DisplayRecord(DM_PELSWIDTH | DM_PELSHEIGHT);
    record.dmPelsWidth = kScreenSizes[entry].Width;
    record.dmPelsHeight = kScreenSizes[entry].Height;
    if (ApplyIfAccepted(record)) return;
  }
}

std::string TacSystemInfo::ScreenSaver() const {
  if (IsWinNT()) {
    std::string saver;
    ReadRegString(HKEY_CURRENT_USER, kDesktopKey, "SCRNSAVE.EXE", saver);
    return saver;
  }
  const std::string windows = DirWindows();
  const std::string fallback = windows + "FLYING~1.SCR";
  char buffer[1024];
  const DWORD length =
      GetPrivateProfileStringA(kProfileSection, kScreenSaverEntry, fallback.c_str(), buffer,
                               sizeof buffer, (windows + "system.ini").c_str());
  return std::string(buffer, length);
}

void TacSystemInfo::SetScreenSaver(const std::string& V) const {
  if (!CanEdit()) return;
  if (IsWinNT())
    WriteRegString(HKEY_CURRENT_USER, kDesktopKey, "SCRNSAVE.EXE", V);
  else
    WritePrivateProfileStringA(kProfileSection, kScreenSaverEntry, V.c_str(),
                               (DirWindows() + "system.ini").c_str());
}

// --- Drive C: ---

int32_t TacSystemInfo::DiskCSerialNumber() const {
  uint32_t serial = 0;
  return DiskCSerial(serial) ? static_cast<int32_t>(serial) : 0;
}

// Hexadecimal without leading zeros, a dash before the fifth digit (or at the end of a shorter
// text): 0x0012ABCD gives 12AB-CD, 0 gives 0-.
std::string TacSystemInfo::DiskCSerialNumberStr() const {
  uint32_t serial = 0;
  if (!DiskCSerial(serial)) return "";
  const std::string hex = IntToHexTrimmed(serial);
  const size_t split = std::min<size_t>(hex.size(), 4);
  return hex.substr(0, split) + "-" + hex.substr(split);
}

void TacSystemInfo::Publish(TPublisher<TacSystemInfo>& P) {
  using T = TacSystemInfo;
  P.Boolean(
      "ALLOW_EDIT", &T::ALLOW_EDIT, [](T& S, bool Value) { S.ALLOW_EDIT = Value; }, false);
  // Every other property is a system fact: computed on every read, never stored.
  P.String("ComputerDescription", &T::ComputerDescription, &T::SetComputerDescription).NotStored();
  P.String("ComputerName", &T::ComputerName, &T::SetComputerName).NotStored();
  P.String("ComputerWorkgroup", &T::ComputerWorkgroup, &T::SetComputerWorkgroup).NotStored();
  P.String("CurrentUserName", &T::CurrentUserName, &T::SetCurrentUserName).NotStored();
  P.String("WinDirectXVersion", &T::WinDirectXVersion, &T::SetWinDirectXVersion).NotStored();
  P.String("DefaultBrowser", &T::DefaultBrowser, &T::SetDefaultBrowser).NotStored();
  P.String("DirAppData", &T::DirAppData, &T::SetDirAppData).NotStored();
  P.String("DirAppDataAll", &T::DirAppDataAll, &T::SetDirAppDataAll).NotStored();
  P.String("DirCache", &T::DirCache, &T::SetDirCache).NotStored();
  P.String("DirCookies", &T::DirCookies, &T::SetDirCookies).NotStored();
  P.String("DirCommonFiles", &T::DirCommonFiles, &T::SetDirCommonFiles).NotStored();
  P.String("DirDesktop", &T::DirDesktop, &T::SetDirDesktop).NotStored();
  P.String("DirFavorites", &T::DirFavorites, &T::SetDirFavorites).NotStored();
  P.String("DirFavoritesAll", &T::DirFavoritesAll, &T::SetDirFavoritesAll).NotStored();
  P.String("DirFonts", &T::DirFonts, &T::SetDirFonts).NotStored();
  P.String("DirHistory", &T::DirHistory, &T::SetDirHistory).NotStored();
  P.String("DirMedia", &T::DirMedia, &T::SetDirMedia).NotStored();
  P.String("DirMyPictures", &T::DirMyPictures, &T::SetDirMyPictures).NotStored();
  P.String("DirNetHood", &T::DirNetHood, &T::SetDirNetHood).NotStored();
  P.String("DirPersonal", &T::DirPersonal, &T::SetDirPersonal).NotStored();
  P.String("DirPrintHood", &T::DirPrintHood, &T::SetDirPrintHood).NotStored();
  P.String("DirProgramFiles", &T::DirProgramFiles, &T::SetDirProgramFiles).NotStored();
  P.String("DirPrograms", &T::DirPrograms, &T::SetDirPrograms).NotStored();
  P.String("DirProgramsAll", &T::DirProgramsAll, &T::SetDirProgramsAll).NotStored();
  P.String("DirRecent", &T::DirRecent, &T::SetDirRecent).NotStored();
  P.String("DirSendTo", &T::DirSendTo, &T::SetDirSendTo).NotStored();
  P.String("DirStartMenu", &T::DirStartMenu, &T::SetDirStartMenu).NotStored();
  P.String("DirStartMenuAll", &T::DirStartMenuAll, &T::SetDirStartMenuAll).NotStored();
  P.String("DirStartup", &T::DirStartup, &T::SetDirStartup).NotStored();
  P.String("DirStartupAll", &T::DirStartupAll, &T::SetDirStartupAll).NotStored();
  P.String("DirSystem", &T::DirSystem, &T::SetDirSystem).NotStored();
  P.String("DirTemp", &T::DirTemp, &T::SetDirTemp).NotStored();
  P.String("DirTemplates", &T::DirTemplates, &T::SetDirTemplates).NotStored();
  P.String("DirTemplatesAll", &T::DirTemplatesAll, &T::SetDirTemplatesAll).NotStored();
  P.String("DirWindows", &T::DirWindows, &T::SetDirWindows).NotStored();
  P.Integer("DiskCSerialNumber", &T::DiskCSerialNumber, &T::SetDiskCSerialNumber).NotStored();
  P.String("DiskCSerialNumberStr", &T::DiskCSerialNumberStr, &T::SetDiskCSerialNumberStr)
      .NotStored();
  P.Enum("InternetStatus", TacInternetStatusInfo(), &T::InternetStatus, &T::SetInternetStatus)
      .NotStored();
  P.Integer("MemAvailPhisical", &T::MemAvailPhisical, &T::SetMemAvailPhisical).NotStored();
  P.Integer("MemTotalPhisical", &T::MemTotalPhisical, &T::SetMemTotalPhisical).NotStored();
  P.Integer("MemAvailVirtual", &T::MemAvailVirtual, &T::SetMemAvailVirtual).NotStored();
  P.Integer("MemTotalVirtual", &T::MemTotalVirtual, &T::SetMemTotalVirtual).NotStored();
  P.Integer("MemLoad", &T::MemLoad, &T::SetMemLoad).NotStored();
  P.Enum("OSVersion", TacOSVersionInfo(), &T::OSVersion, &T::SetOSVersion).NotStored();
  P.String("OwnerName", &T::OwnerName, &T::SetOwnerName).NotStored();
  P.String("OwnerCompany", &T::OwnerCompany, &T::SetOwnerCompany).NotStored();
  P.String("CPUIdentifier", &T::CPUIdentifier, &T::SetCPUIdentifier).NotStored();
  P.String("CPUVendor", &T::CPUVendor, &T::SetCPUVendor).NotStored();
  P.Enum("CPUArchitecture", TacCPUArchitectureInfo(), &T::CPUArchitecture, &T::SetCPUArchitecture)
      .NotStored();
  P.Integer("CPUsNumber", &T::CPUsNumber, &T::SetCPUsNumber).NotStored();
  P.Enum("CPUType", TacCPUTypeInfo(), &T::CPUType, &T::SetCPUType).NotStored();
  P.Integer("CPUFrequency", &T::CPUFrequency, &T::SetCPUFrequency).NotStored();
  P.Enum("ScreenColorMode", TacScreenColorModeInfo(), &T::ScreenColorMode, &T::SetScreenColorMode)
      .NotStored();
  P.Enum("ScreenResolution", TacScreenResolutionInfo(), &T::ScreenResolution,
         &T::SetScreenResolution)
      .NotStored();
  P.String("ScreenSaver", &T::ScreenSaver, &T::SetScreenSaver).NotStored();
  P.Integer("SystemUpTime", &T::SystemUpTime, &T::SetSystemUpTime).NotStored();
  P.String("SystemPathes", &T::SystemPathes, &T::SetSystemPathes).NotStored();
  P.Boolean("WinNT", &T::WinNT, &T::SetWinNT).NotStored();
  P.String("WinProductID", &T::WinProductID, &T::SetWinProductID).NotStored();
  P.String("WinProductName", &T::WinProductName, &T::SetWinProductName).NotStored();
  P.String("WinVersion", &T::WinVersion, &T::SetWinVersion).NotStored();
  P.Integer("WinVersionBuild", &T::WinVersionBuild, &T::SetWinVersionBuild).NotStored();
  P.Integer("WinVersionMajor", &T::WinVersionMajor, &T::SetWinVersionMajor).NotStored();
  P.Integer("WinVersionMinor", &T::WinVersionMinor, &T::SetWinVersionMinor).NotStored();
  P.String("WinVersionNumber", &T::WinVersionNumber, &T::SetWinVersionNumber).NotStored();
  P.String("WinVersionSubNumber", &T::WinVersionSubNumber, &T::SetWinVersionSubNumber).NotStored();
}

void RegisterSystemInfoClasses() {
  RegisterClass<TacSystemInfo>();
}

// Architecture numbers other than the four named ones and 65535 (64-bit x86, for one) report
// paUNKNOWN too, so a caller never mistakes them for an Intel processor.
void CaptureProcessorFacts() {
  SYSTEM_INFO info;
  std::memset(&info, 0, sizeof info);
  GetSystemInfo(&info);
  gProcessor.Count = static_cast<int32_t>(info.dwNumberOfProcessors);
  gProcessor.Type = ptUNKNOWN;
  switch (info.wProcessorArchitecture) {
    case PROCESSOR_ARCHITECTURE_INTEL:
      gProcessor.Architecture = paINTEL;
      gProcessor.Type = IntelType(info.dwProcessorType);
      break;
    case PROCESSOR_ARCHITECTURE_MIPS:
      gProcessor.Architecture = paMIPS;
      break;
    case PROCESSOR_ARCHITECTURE_ALPHA:
      gProcessor.Architecture = paALPHA;
      break;
    case PROCESSOR_ARCHITECTURE_PPC:
      gProcessor.Architecture = paPPC;
      break;
    default:
      gProcessor.Architecture = paUNKNOWN;
      break;
  }
}

void acSystemInfoStartUp() {
  RegisterSystemInfoClasses();
  CaptureProcessorFacts();
}
