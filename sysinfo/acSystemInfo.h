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
#pragma once

#include <cstdint>
#include <string>

#include "foundation/acClasses.h"
#include "toolkit/Modules.h"
#include "toolkit/TEnumInfo.h"

// Whether the machine counts as online (IsInternetConnected of acInet).
enum TacInternetStatus : uint8_t { iOffline, iOnline };
const TEnumInfo& TacInternetStatusInfo();

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

// Registers the component's class with the class registry, so form data can name it (the unit's
// start-up work).
void RegisterSystemInfoClasses();

inline constexpr TModule kacSystemInfoModule{"acSystemInfo", &RegisterSystemInfoClasses, nullptr};
