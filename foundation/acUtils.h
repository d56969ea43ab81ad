// Free routines for everything the components ask of Windows directly: the Windows version, the
// processor clock, the temporary, system and Windows directories, environment variables, string
// values in the registry, the program registered for a file type, file sizes, directory creation
// and tests, and a few string and hexadecimal conversions. They keep no state between calls and
// raise nothing for an operating-system failure: it comes back as an empty string, -1, false or
// osUnknown.
//
// Text is 8-bit ANSI. Of a path, the path part is the text up to and including its last "\" or
// ":", the file name the text after it, and the extension the text from the last "." of the file
// name on (empty without a dot). Trimming removes leading and trailing characters 0 to 32;
// upper- and lower-casing touch only the ASCII letters.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "toolkit/core/Modules.h"
#include "toolkit/core/TEnumInfo.h"

// The Windows versions GetOSVersion names; any other is osUnknown.
enum TacOSVersion : uint8_t {
  osUnknown,
  os95,
  os95OSR2,
  os98,
  os98SE,
  osNT3,
  osNT4,
  os2K,
  osME,
  osXP,
  os2003Server,
};
const TEnumInfo& TacOSVersionInfo();

// --- Text and paths ---
std::string Trim(const std::string& Text);
std::string UpperCase(const std::string& Text);
std::string LowerCase(const std::string& Text);
std::string ExtractFilePath(const std::string& Path);
std::string ExtractFileName(const std::string& Path);
std::string ExtractFileExt(const std::string& Path);
// Text with one "\" appended unless it already ends with one (an empty text gives "\").
std::string IncludeTrailingBackslash(const std::string& Text);

// Text without any leading Ch.
std::string StripLeadingChar(const std::string& Text, char Ch);
std::string StripLeadingBackslashes(const std::string& Text);
// Text when it starts with Ch, otherwise Ch followed by Text.
std::string EnsureLeadingChar(const std::string& Text, char Ch);

// Bits of SplitAtSeparator's Keep argument: where the separator found stays.
enum : uint8_t {
  kKeepSeparatorLeft = 1,   // appended to Left
  kKeepSeparatorRight = 2,  // put in front of Right
};
// Splits Text at the first Separator into Left and Right. Without a separator the whole text
// goes to Left, or to Right when MissingGoesRight is set.
void SplitAtSeparator(const std::string& Separator, const std::string& Text, std::string& Left,
                      std::string& Right, bool MissingGoesRight, uint8_t Keep);
// Turns a shell "open" command line into the program's path (Command) and its parameters.
void SplitShellCommand(std::string& Command, std::string& Params);

// --- Hexadecimal ---
std::string ByteToHex(uint8_t Value);
std::string WordToHex(uint16_t Value);
// Up to 8 upper-case digits without leading zeros, at least one.
std::string IntToHexTrimmed(uint32_t Value);

// --- Files and folders ---
// The size of an existing file, -1 when it cannot be opened.
int64_t GetFileSizeByName(const std::string& FileName);
// The size of an open file; the handle is not checked.
int64_t GetFileSizeByHandle(HANDLE File);
// Creates every directory on the path part of FileName, ignoring failures; the last part of
// FileName is a file name and is not created.
void CreateFolderChain(const std::string& FileName);
bool FolderExists(const std::string& Dir);
// Whether a file (not a directory) exists at Path.
bool FileExists(const std::string& Path);
// True when Dir exists and holds nothing but "." and "..".
bool IsFolderEmpty(const std::string& Dir);

// --- The system ---
TacOSVersion GetOSVersion();
// True on every system of the NT family (platform identifier 2), also on versions that
// GetOSVersion does not name.
bool IsWinNT();
// The processor clock in MHz, rounded down to a multiple of 10, measured over 40 ms at real-time
// priority (both priorities are restored before it returns).
int32_t MeasureCPUFrequency();
// The folder for temporary files as an ANSI path ending in exactly one backslash: the path
// GetTempPathA gives when it is the folder's own (in UTF-16 the same as GetTempPathW's), otherwise
// the folder's 8.3 alias, when its path has characters outside the ANSI code page or MAX_PATH
// characters or more. Empty when there is no usable path: no alias (a missing folder has none),
// or one that is itself too long; never a lone "\", the root of the current drive.
std::string GetTempDir();
// Each ends with exactly one backslash ("\" alone when the system gives no directory).
std::string GetSystemDir();
std::string GetWindowsDir();
// The variable's value, empty when it is unset.
std::string GetEnvVar(const std::string& Name);

// --- Registry ---
// The key (below HKEY_CURRENT_USER, and HKEY_LOCAL_MACHINE for all users) whose string values
// name the shell's folders: "Desktop", "Personal", "AppData", "Common Programs", ...
inline constexpr const char* kShellFoldersKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
// Opens (or with Create, creates with full access) SubKey below Key, leading backslashes
// ignored; on success Key holds the opened key, which the caller closes.
bool OpenRegKey(HKEY& Key, const std::string& SubKey, bool Create, REGSAM Access);
// RegQueryValueExA with Type and Size passed in and out; a REG_SZ value of size 0 counts as
// unread.
bool QueryRegValue(HKEY Key, const std::string& ValueName, DWORD& Type, DWORD& Size, BYTE* Buffer);
// Value := the string value (up to 1024 bytes, cut at its first zero byte), empty when missing.
// The result says only whether the key opened.
bool ReadRegString(HKEY Root, const std::string& SubKey, const std::string& ValueName,
                   std::string& Value);
// Creates the key when missing and stores Value as REG_SZ; failures are ignored.
void WriteRegString(HKEY Root, const std::string& SubKey, const std::string& ValueName,
                    const std::string& Value);
// List := the names of the key's subkeys in enumeration order; false when the key cannot be
// opened for reading.
bool ListRegSubKeyNames(HKEY Root, const std::string& SubKey, std::vector<std::string>& List);
// The program Windows starts to open files of this extension ("htm" or ".htm"), without its
// parameters; empty when there is none.
std::string FindAssociatedProgram(const std::string& Extension);

// acUtils has no start-up or shut-down work; its entry keeps the module order visible.
inline constexpr TModule kacUtilsModule{"acUtils", nullptr, nullptr};
