#include "sysinfo/acSystemInfo.h"

#include <iterator>

#include "foundation/acUtils.h"
#include "platform/platform.h"
#include "sysinfo/acInet.h"
#include "toolkit/ClassRegistry.h"

namespace {

constexpr const char* kCurrentVersion = "Software\\Microsoft\\Windows\\CurrentVersion";

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

void TacSystemInfo::Publish(TPublisher<TacSystemInfo>& P) {
  using T = TacSystemInfo;
  P.Boolean(
      "ALLOW_EDIT", &T::ALLOW_EDIT, [](T& S, bool Value) { S.ALLOW_EDIT = Value; }, false);
  // Every other property is a system fact: computed on every read, never stored.
  // ComputerDescription .. DefaultBrowser (machine, user and Windows) go here.
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
  // DiskCSerialNumber and DiskCSerialNumberStr (disk) go here.
  P.Enum("InternetStatus", TacInternetStatusInfo(), &T::InternetStatus, &T::SetInternetStatus)
      .NotStored();
  // MemAvailPhisical .. WinVersionSubNumber (memory, processor, screen and Windows) go here.
}

void RegisterSystemInfoClasses() {
  RegisterClass<TacSystemInfo>();
}
