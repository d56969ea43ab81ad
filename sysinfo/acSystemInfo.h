// The system information: a non-visual component whose published properties report facts of
// the machine, computed afresh on every read and never stored in the form data. Some of them can
// also be written, which changes the system itself.
//
// Two rules govern writes:
// - Edit rule: a write to a writable property takes effect only when ALLOW_EDIT is true and the
//   component is not loading from form data; otherwise it is ignored without a word.
// - Read-only notice: a write to a read-only property changes nothing. In a form designer (design
//   mode), not loading and with ALLOW_EDIT true, it shows a message box saying so; everywhere
//   else it is silent.
//
// The folder properties (Dir...) read string values of the registry, or the temporary, system
// and Windows directories. DirTemp and DirSystem come without a trailing backslash (so
// DirTemp + "\" + name is a path), DirWindows with one. When the system gives no directory,
// all three are empty.
//
// The machine, user, Windows, memory, processor, screen and drive C: properties choose their
// source by the Windows family (WinNT): registry values of the NT or the 9x keys, "system.ini" on
// 9x. The processor count, architecture and type are read once by the module's start-up; every
// other fact is fetched on each read. The screen writes step down to the next lower colour depth
// or the size before in the enumeration until the display accepts one, or change nothing.
#pragma once

#include <cstdint>
#include <string>

#include "foundation/acClasses.h"
#include "foundation/acGraphics.h"
#include "foundation/acUtils.h"
#include "toolkit/core/Modules.h"
#include "toolkit/core/TEnumInfo.h"

// Whether the machine counts as online (IsInternetConnected of acInet).
enum TacInternetStatus : uint8_t { iOffline, iOnline };
const TEnumInfo& TacInternetStatusInfo();

// The processor's architecture, from the processor record's architecture number. paUNKNOWN also
// stands for every architecture this list does not name (such as 64-bit x86).
enum TacCPUArchitecture : uint8_t { paINTEL, paMIPS, paALPHA, paPPC, paUNKNOWN };
const TEnumInfo& TacCPUArchitectureInfo();

// The processor type; only the Intel types are ever reported, everything else is ptUNKNOWN.
enum TacCPUType : uint8_t {
  ptIntel386,
  ptIntel486,
  ptPentium,
  ptMIPS_R4000,
  ptALPHA_21064,
  ptUNKNOWN,
};
const TEnumInfo& TacCPUTypeInfo();

class TacSystemInfo : public TacComponent {
  TOOLKIT_CLASS(TacSystemInfo, TacComponent)

 public:
  using TacComponent::TacComponent;

  // A plain field, published and stored (only when true): allows writes to change the system.
  bool ALLOW_EDIT = false;

  // Shell folders of the user (HKEY_CURRENT_USER) and of all users (...All, HKEY_LOCAL_MACHINE),
  // and the program folders; each write goes through the edit rule.
  std::string DirAppData() const { return RegFolder(TRegFolder::AppData); }
  void SetDirAppData(const std::string& V) { SetRegFolder(TRegFolder::AppData, V); }
  std::string DirAppDataAll() const { return RegFolder(TRegFolder::AppDataAll); }
  void SetDirAppDataAll(const std::string& V) { SetRegFolder(TRegFolder::AppDataAll, V); }
  std::string DirCache() const { return RegFolder(TRegFolder::Cache); }
  void SetDirCache(const std::string& V) { SetRegFolder(TRegFolder::Cache, V); }
  std::string DirCookies() const { return RegFolder(TRegFolder::Cookies); }
  void SetDirCookies(const std::string& V) { SetRegFolder(TRegFolder::Cookies, V); }
  std::string DirCommonFiles() const { return RegFolder(TRegFolder::CommonFiles); }
  void SetDirCommonFiles(const std::string& V) { SetRegFolder(TRegFolder::CommonFiles, V); }
  std::string DirDesktop() const { return RegFolder(TRegFolder::Desktop); }
  void SetDirDesktop(const std::string& V) { SetRegFolder(TRegFolder::Desktop, V); }
  std::string DirFavorites() const { return RegFolder(TRegFolder::Favorites); }
  void SetDirFavorites(const std::string& V) { SetRegFolder(TRegFolder::Favorites, V); }
  std::string DirFavoritesAll() const { return RegFolder(TRegFolder::FavoritesAll); }
  void SetDirFavoritesAll(const std::string& V) { SetRegFolder(TRegFolder::FavoritesAll, V); }
  std::string DirFonts() const { return RegFolder(TRegFolder::Fonts); }
  void SetDirFonts(const std::string& V) { SetRegFolder(TRegFolder::Fonts, V); }
  std::string DirHistory() const { return RegFolder(TRegFolder::History); }
  void SetDirHistory(const std::string& V) { SetRegFolder(TRegFolder::History, V); }
  std::string DirMedia() const { return RegFolder(TRegFolder::Media); }
  void SetDirMedia(const std::string& V) { SetRegFolder(TRegFolder::Media, V); }
  std::string DirMyPictures() const { return RegFolder(TRegFolder::MyPictures); }
  void SetDirMyPictures(const std::string& V) { SetRegFolder(TRegFolder::MyPictures, V); }
  std::string DirNetHood() const { return RegFolder(TRegFolder::NetHood); }
  void SetDirNetHood(const std::string& V) { SetRegFolder(TRegFolder::NetHood, V); }
  std::string DirPersonal() const { return RegFolder(TRegFolder::Personal); }
  void SetDirPersonal(const std::string& V) { SetRegFolder(TRegFolder::Personal, V); }
  std::string DirPrintHood() const { return RegFolder(TRegFolder::PrintHood); }
  void SetDirPrintHood(const std::string& V) { SetRegFolder(TRegFolder::PrintHood, V); }
  std::string DirProgramFiles() const { return RegFolder(TRegFolder::ProgramFiles); }
  void SetDirProgramFiles(const std::string& V) { SetRegFolder(TRegFolder::ProgramFiles, V); }
  std::string DirPrograms() const { return RegFolder(TRegFolder::Programs); }
  void SetDirPrograms(const std::string& V) { SetRegFolder(TRegFolder::Programs, V); }
  std::string DirProgramsAll() const { return RegFolder(TRegFolder::ProgramsAll); }
  void SetDirProgramsAll(const std::string& V) { SetRegFolder(TRegFolder::ProgramsAll, V); }
  std::string DirRecent() const { return RegFolder(TRegFolder::Recent); }
  void SetDirRecent(const std::string& V) { SetRegFolder(TRegFolder::Recent, V); }
  std::string DirSendTo() const { return RegFolder(TRegFolder::SendTo); }
  void SetDirSendTo(const std::string& V) { SetRegFolder(TRegFolder::SendTo, V); }
  std::string DirStartMenu() const { return RegFolder(TRegFolder::StartMenu); }
  void SetDirStartMenu(const std::string& V) { SetRegFolder(TRegFolder::StartMenu, V); }
  std::string DirStartMenuAll() const { return RegFolder(TRegFolder::StartMenuAll); }
  void SetDirStartMenuAll(const std::string& V) { SetRegFolder(TRegFolder::StartMenuAll, V); }
  std::string DirStartup() const { return RegFolder(TRegFolder::Startup); }
  void SetDirStartup(const std::string& V) { SetRegFolder(TRegFolder::Startup, V); }
  std::string DirStartupAll() const { return RegFolder(TRegFolder::StartupAll); }
  void SetDirStartupAll(const std::string& V) { SetRegFolder(TRegFolder::StartupAll, V); }
  std::string DirTemplates() const { return RegFolder(TRegFolder::Templates); }
  void SetDirTemplates(const std::string& V) { SetRegFolder(TRegFolder::Templates, V); }
  std::string DirTemplatesAll() const { return RegFolder(TRegFolder::TemplatesAll); }
  void SetDirTemplatesAll(const std::string& V) { SetRegFolder(TRegFolder::TemplatesAll, V); }

  // Directories of the system; read-only (a write is the read-only notice).
  std::string DirSystem() const;
  void SetDirSystem(const std::string&) { ReadOnlyNotice(); }
  std::string DirTemp() const;
  void SetDirTemp(const std::string&) { ReadOnlyNotice(); }
  std::string DirWindows() const;
  void SetDirWindows(const std::string&) { ReadOnlyNotice(); }

  // Machine and user. Writes store into the registry value read, under the edit rule; the
  // description and workgroup exist on Windows 9x only (on NT they read a fixed text and
  // writes are ignored). The computer and user names fall back to the system's calls when the
  // registry has none, and read empty when those fail too.
  std::string ComputerDescription() const;
  void SetComputerDescription(const std::string& V) const;
  std::string ComputerName() const;
  void SetComputerName(const std::string& V) const;
  std::string ComputerWorkgroup() const;
  void SetComputerWorkgroup(const std::string& V) const;
  std::string CurrentUserName() const;
  void SetCurrentUserName(const std::string& V) const;
  std::string OwnerName() const;
  void SetOwnerName(const std::string& V) const;
  std::string OwnerCompany() const;
  void SetOwnerCompany(const std::string& V) const;

  // Windows; read-only.
  TacOSVersion OSVersion() const { return GetOSVersion(); }
  void SetOSVersion(TacOSVersion) { ReadOnlyNotice(); }
  bool WinNT() const { return IsWinNT(); }
  void SetWinNT(bool) { ReadOnlyNotice(); }
  std::string WinProductID() const;
  void SetWinProductID(const std::string&) { ReadOnlyNotice(); }
  std::string WinProductName() const;
  void SetWinProductName(const std::string&) { ReadOnlyNotice(); }
  // NT: the product name without its first "Microsoft "; 9x: the registry's version text.
  std::string WinVersion() const;
  void SetWinVersion(const std::string&) { ReadOnlyNotice(); }
  // From the version record; -1 each when it cannot be read. The build is its low 16 bits.
  int32_t WinVersionMajor() const;
  void SetWinVersionMajor(int32_t) { ReadOnlyNotice(); }
  int32_t WinVersionMinor() const;
  void SetWinVersionMinor(int32_t) { ReadOnlyNotice(); }
  int32_t WinVersionBuild() const;
  void SetWinVersionBuild(int32_t) { ReadOnlyNotice(); }
  // The registry's version number, else "major.minor.build".
  std::string WinVersionNumber() const;
  void SetWinVersionNumber(const std::string&) { ReadOnlyNotice(); }
  std::string WinVersionSubNumber() const;
  void SetWinVersionSubNumber(const std::string&) { ReadOnlyNotice(); }
  std::string WinDirectXVersion() const;
  void SetWinDirectXVersion(const std::string&) { ReadOnlyNotice(); }
  // The program registered for ".html" files, without its arguments.
  std::string DefaultBrowser() const { return FindAssociatedProgram(".html"); }
  void SetDefaultBrowser(const std::string&) { ReadOnlyNotice(); }
  // The PATH of the running process. The published name is spelt so (not "Paths") and stays so:
  // stored forms and callers name the property by it.
  std::string SystemPathes() const { return GetEnvVar("PATH"); }
  void SetSystemPathes(const std::string&) { ReadOnlyNotice(); }
  // Whole seconds since Windows started.
  int32_t SystemUpTime() const;
  void SetSystemUpTime(int32_t) { ReadOnlyNotice(); }

  // Memory in bytes, from a fresh memory status each; read-only. An amount beyond 32 bits reads
  // 0xFFFFFFFF, as the 32-bit system reports it. "Phisical" is the published spelling, which
  // stored forms and callers use: it stays.
  uint32_t MemAvailPhisical() const;
  void SetMemAvailPhisical(uint32_t) { ReadOnlyNotice(); }
  uint32_t MemTotalPhisical() const;
  void SetMemTotalPhisical(uint32_t) { ReadOnlyNotice(); }
  uint32_t MemAvailVirtual() const;
  void SetMemAvailVirtual(uint32_t) { ReadOnlyNotice(); }
  uint32_t MemTotalVirtual() const;
  void SetMemTotalVirtual(uint32_t) { ReadOnlyNotice(); }
  // Per cent of memory in use.
  int32_t MemLoad() const;
  void SetMemLoad(int32_t) { ReadOnlyNotice(); }

  // Processor; read-only. Architecture, count and type are the start-up's; the clock in MHz is
  // measured on every read (about 50 ms).
  std::string CPUIdentifier() const;
  void SetCPUIdentifier(const std::string&) { ReadOnlyNotice(); }
  std::string CPUVendor() const;
  void SetCPUVendor(const std::string&) { ReadOnlyNotice(); }
  TacCPUArchitecture CPUArchitecture() const;
  void SetCPUArchitecture(TacCPUArchitecture) { ReadOnlyNotice(); }
  int32_t CPUsNumber() const;
  void SetCPUsNumber(int32_t) { ReadOnlyNotice(); }
  TacCPUType CPUType() const;
  void SetCPUType(TacCPUType) { ReadOnlyNotice(); }
  int32_t CPUFrequency() const { return MeasureCPUFrequency(); }
  void SetCPUFrequency(int32_t) { ReadOnlyNotice(); }

  // Screen. The writes change the display mode under the edit rule, stepping down until the
  // display accepts a mode. A size that is not in the table reads sr640x480.
  TacScreenColorMode ScreenColorMode() const { return GetScreenColorMode(); }
  void SetScreenColorMode(TacScreenColorMode V) const;
  TacScreenResolution ScreenResolution() const;
  void SetScreenResolution(TacScreenResolution V) const;
  // NT: the user's registry value; 9x: "scrnsave.exe" of section "boot" of system.ini in the
  // Windows directory, FLYING~1.SCR there when the entry is missing.
  std::string ScreenSaver() const;
  void SetScreenSaver(const std::string& V) const;

  // The volume serial of drive C:, negative from 0x80000000 up, and as text ("1234-ABCD"); 0
  // and an empty text when the volume cannot be read. Read-only.
  int32_t DiskCSerialNumber() const;
  void SetDiskCSerialNumber(int32_t) { ReadOnlyNotice(); }
  std::string DiskCSerialNumberStr() const;
  void SetDiskCSerialNumberStr(const std::string&) { ReadOnlyNotice(); }

  // The online decision of acInet, made afresh on every read; read-only.
  TacInternetStatus InternetStatus() const;
  void SetInternetStatus(TacInternetStatus) { ReadOnlyNotice(); }

  static void Publish(TPublisher<TacSystemInfo>& P);

 private:
  // The registry-backed folders, in the order of their source table in acSystemInfo.cpp.
  enum class TRegFolder : uint8_t {
    AppData,
    AppDataAll,
    Cache,
    Cookies,
    CommonFiles,
    Desktop,
    Favorites,
    FavoritesAll,
    Fonts,
    History,
    Media,
    MyPictures,
    NetHood,
    Personal,
    PrintHood,
    ProgramFiles,
    Programs,
    ProgramsAll,
    Recent,
    SendTo,
    StartMenu,
    StartMenuAll,
    Startup,
    StartupAll,
    Templates,
    TemplatesAll,
    Count,
  };

  // The folder's registry value; empty when the key or the value is missing.
  std::string RegFolder(TRegFolder Folder) const;
  // Stores Value into the folder's registry value(s) under the edit rule.
  void SetRegFolder(TRegFolder Folder, const std::string& Value) const;
  // The edit rule: whether a write to a writable property may change the system now.
  bool CanEdit() const;
  // The read-only notice rule, applied to a write of a read-only property.
  void ReadOnlyNotice() const;
};

// Registers the component's class with the class registry, so form data can name it.
void RegisterSystemInfoClasses();
// Reads the processor count, architecture and type that the processor properties report.
void CaptureProcessorFacts();

// The unit's start-up: both of the above. It has no shut-down work.
void acSystemInfoStartUp();
inline constexpr TModule kacSystemInfoModule{"acSystemInfo", &acSystemInfoStartUp, nullptr};
