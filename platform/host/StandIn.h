#pragma once
// The test side of the simulated machine behind the host's Win32 functions. A test calls Reset()
// for a fresh machine, prepares registry, files and settings here, runs the code under test
// through the ordinary Win32 calls, and then inspects the registry, the files (through HostPath)
// and the log of outward calls.
//
// Paths: drive C: is a scratch folder on the host, made by Reset() and removed by Discard() or
// the next Reset(). Windows paths are translated part by part: a drive letter, backslashes or
// slashes, "." and ".." resolved; a part that does not exist with the exact spelling is matched
// against the existing names without regard to case. Relative paths start from the current
// directory (C:\ after Reset). Other drives can be mapped to host folders with MapDrive.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/host/Win32MachineTypes.h"
#include "platform/host/Win32Types.h"

namespace standin {

// Defaults of a fresh machine.
inline constexpr const char* kWindowsDir = "C:\\WINDOWS";
inline constexpr const char* kSystemDir = "C:\\WINDOWS\\SYSTEM32";
inline constexpr const char* kTempDir = "C:\\TEMP";
inline constexpr const char* kUserProfileDir = "C:\\Users\\User";
inline constexpr const char* kModuleFileName = "C:\\Program Files\\Installation\\Project1.exe";

// A fresh machine: empty registry (bare roots plus HKCU\Software and HKLM\SOFTWARE), a new
// scratch drive C: holding the Windows, system, TEMP and user-profile folders, the environment
// (TEMP, TMP, USERPROFILE, windir, SystemRoot), default screen metrics (1024 x 768), an empty call
// log, the default results of the logged calls, no locked files.
void Reset();
// Closes every handle and removes the scratch folders. The machine stays unusable until the next
// Reset(); Win32 calls on files then fail with ERROR_PATH_NOT_FOUND.
void Discard();

// --- Registry ---
struct RegData {
  DWORD type = REG_NONE;
  std::vector<BYTE> bytes;
};
// Create missing keys on the way. Strings are stored with their terminating zero byte.
void SetRegValue(HKEY root, std::string_view keyPath, std::string_view valueName, DWORD type,
                 std::vector<BYTE> bytes);
void SetRegString(HKEY root, std::string_view keyPath, std::string_view valueName,
                  std::string_view text, DWORD type = REG_SZ);
void SetRegDword(HKEY root, std::string_view keyPath, std::string_view valueName, DWORD value);
void CreateRegKey(HKEY root, std::string_view keyPath);
bool RegKeyExists(HKEY root, std::string_view keyPath);
std::optional<RegData> GetRegValue(HKEY root, std::string_view keyPath, std::string_view valueName);
// The text of a REG_SZ / REG_EXPAND_SZ value up to its first zero byte; nullopt when missing or
// of another type.
std::optional<std::string> GetRegString(HKEY root, std::string_view keyPath,
                                        std::string_view valueName);
// From now on, opening (or creating) the key with a mask that includes any of `rights` fails with
// ERROR_ACCESS_DENIED; KEY_CREATE_SUB_KEY also stops new subkeys below it. The key is created
// when missing.
void DenyRegAccess(HKEY root, std::string_view keyPath, REGSAM rights);
// Registry handles the code has opened and not yet closed.
size_t OpenRegHandleCount();

// --- Files ---
// The host path a Windows path stands for (the path need not exist). Empty when the path cannot
// be translated (unmapped drive, network path, invalid name).
std::filesystem::path HostPath(std::string_view windowsPath);
void MapDrive(char letter, const std::filesystem::path& hostFolder);
// Writes a file through the host, creating missing folders; for preparing test data.
void WriteHostFile(std::string_view windowsPath, std::string_view content);
// Marks an existing file as open elsewhere without sharing: opening it for reading or writing
// and deleting it then fail with ERROR_SHARING_VIOLATION. False when the file does not exist.
bool LockFile(std::string_view windowsPath);
void UnlockFile(std::string_view windowsPath);
// From now on WriteFile writes at most `bytes` more bytes in all, as on a full disk: a write that
// does not fit writes the part that fits, reports that count and fails with ERROR_DISK_FULL.
// nullopt lifts the limit; so does Reset().
void LimitWriteRoom(std::optional<uint64_t> bytes);
// File handles and search handles the code has opened and not yet closed.
size_t OpenFileHandleCount();

// --- Directories, environment, program file ---
void SetWindowsDirectory(std::string_view path);
void SetSystemDirectory(std::string_view path);
void SetModuleFileName(std::string_view path);
void SetCurrentDirectory(std::string_view path);
// nullopt removes the variable.
void SetEnvVar(std::string_view name, std::optional<std::string_view> value);
// A value the ANSI side cannot hold, e.g. a folder named in Cyrillic letters: the wide calls see
// it as written (GetTempPathW adds the trailing backslash but makes nothing full: give a full
// path), the ANSI calls its ANSI form with '?' for each character outside code page 1252, as on
// Windows. SetEnvVar replaces it.
void SetWideEnvVar(std::string_view name, std::u16string_view value);

// --- Version, priorities, time ---
// The record GetVersionExA reports (a fresh machine: 5.1.2600, NT platform, "Service Pack 3").
void SetVersion(DWORD major, DWORD minor, DWORD build, DWORD platformId,
                std::string_view servicePack);
// From now on GetVersionExA fails with ERROR_INSUFFICIENT_BUFFER.
void FailVersionQuery();
// The time-stamp counter's value now, and how far it advances per millisecond of Sleep.
void SetTimeStampCounter(uint64_t value, uint64_t ticksPerMillisecond);
DWORD CurrentPriorityClass();
INT CurrentThreadPriority();

// --- Outward calls ---
// One logged call: the function's name and its arguments in order. A string argument holds its
// text, a null pointer is nullopt; numbers and handles are written in decimal.
struct Call {
  std::string function;
  std::vector<std::optional<std::string>> args;
  // E.g. ShellExecuteA(0, open, C:\x.exe, null, null, 5): texts unquoted, null pointers as null.
  std::string ToString() const;
};
const std::vector<Call>& Calls();
// The calls of one function, in order.
std::vector<Call> CallsOf(std::string_view function);
void ClearCalls();
void SetShellExecuteResult(HINSTANCE result);
void SetMessageBoxResult(INT result);
void SetSystemMetric(INT index, INT value);
// GetDeviceCaps of the screen's device context (a fresh machine: 32 bits per pixel, 96 dpi).
void SetDeviceCap(INT index, INT value);
// Screen device contexts taken with GetDC and not yet released.
int OpenScreenDCCount();

// --- Run-time libraries and Windows Sockets ---
// LoadLibraryExA finds "<system directory>\wsock32.dll" (any letter case) and nothing else: any
// other name, a bare name included, fails with ERROR_MOD_NOT_FOUND. Loads, frees, WSAStartup and
// WSACleanup are logged (LoadLibraryExA with its path and flags). A fresh machine has the
// library, a host named "standin" that resolves to nothing, and sockets that start.
void RemoveSocketsLibrary();
// From now on WSAStartup fails with this error (e.g. WSASYSNOTREADY).
void FailSocketsStartup(int error);
void SetHostName(std::string_view name);
// What gethostbyname gives for `name` (any letter case): these dotted IPv4 addresses in this
// order. A name never set does not resolve.
void SetHostAddresses(std::string_view name, std::vector<std::string> addresses);
// WSAStartup calls not yet balanced by WSACleanup; loads not yet balanced by FreeLibrary.
int SocketsStartedCount();
int LoadedLibraryCount();

// --- Cursors ---
// Gives the program's own module a cursor group resource of this name (ASCII letters compared
// without case) or number; a fresh machine has none.
void AddCursorResource(std::string_view name);
void AddCursorResource(WORD id);
// From now on Windows' cursor `id` cannot be loaded (a fresh machine has every standard one,
// 32631 included).
void RemoveSystemCursor(WORD id);
// The handles DestroyCursor accepted, in call order (a handle may appear more than once).
std::vector<HCURSOR> DestroyedCursors();
// Distinct cursor handles LoadCursorA has given out.
size_t LoadedCursorCount();

// --- Processors, memory, names, volumes, display modes ---
// The record GetSystemInfo gives: architecture, processor type and count (a fresh machine: 0,
// 586, 1).
void SetProcessors(WORD architecture, DWORD processorType, DWORD count);
// The record GlobalMemoryStatus gives (its dwLength is set by the call).
void SetMemoryStatus(const MEMORYSTATUS& status);
// Milliseconds since start for GetTickCount (a fresh machine: 0); Sleep advances it.
void SetTickCount(DWORD milliseconds);
// The names GetComputerNameA and GetUserNameA give (STANDIN-PC and User). A computer name longer
// than 15 characters makes GetComputerNameA with the usual 16-character buffer fail.
void SetComputerName(std::string_view name);
void SetUserName(std::string_view name);
// The serial of a drive's volume; nullopt makes GetVolumeInformationA of its root fail with
// ERROR_NOT_READY (a fresh machine: C: 0x1234ABCD).
void SetVolumeSerial(char drive, std::optional<DWORD> serial);
// A display mode: bits per pixel and size in pixels.
struct DisplayMode {
  DWORD bitsPerPel;
  DWORD width;
  DWORD height;
  bool operator==(const DisplayMode&) const = default;
};
// The modes ChangeDisplaySettingsA accepts, besides the current one (a fresh machine: none).
// An accepted change that is not a test becomes the current mode: BITSPIXEL of the screen's
// device context and SM_CXSCREEN / SM_CYSCREEN follow it.
void SetDisplayModes(std::vector<DisplayMode> accepted);
DisplayMode CurrentDisplayMode();

}  // namespace standin
