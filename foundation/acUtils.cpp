#include "foundation/acUtils.h"

#include <cstring>

namespace {

constexpr DWORD kDirBufferChars = 260;
// The longest path the wide calls take, in UTF-16 units, with its terminating zero.
constexpr DWORD kWidePathChars = 32768;
constexpr DWORD kRegStringBytes = 1024;
constexpr DWORD kReadAttributesOnly = 0;  // CreateFileA without data access: a query only
constexpr const char* kHexDigits = "0123456789ABCDEF";

bool IsBlank(char c) {
  return static_cast<unsigned char>(c) <= 32;
}

char AsciiUpper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Index just past the last "\" or ":", 0 when there is none.
size_t FileNameStart(const std::string& Path) {
  const size_t separator = Path.find_last_of("\\:");
  return separator == std::string::npos ? 0 : separator + 1;
}

// The text of a buffer that Windows filled: Length characters, or none when the call failed
// or the buffer was too small.
std::string DirectoryText(const char* Buffer, DWORD Length) {
  if (Length == 0 || Length >= kDirBufferChars) return IncludeTrailingBackslash("");
  return IncludeTrailingBackslash(std::string(Buffer, Length));
}

// --- The TEMP folder in the ANSI code page ---
// GetTempPathA cannot give a TEMP folder whose path has characters outside the ANSI code page (a
// Cyrillic or Chinese user name on a Western system): they come as '?' or as a look-alike, which
// names no folder or another one. Nor can it give one of MAX_PATH characters or more. Windows
// keeps an 8.3 alias of such a path for ANSI programs; GetTempDir reads the path in UTF-16 and
// takes that alias when the ANSI text is not the folder's own path.

using TWideText = std::basic_string<WCHAR>;

// The UTF-16 form of ANSI text; empty when the conversion fails.
TWideText Widened(const std::string& Ansi) {
  if (Ansi.empty()) return {};
  const int size = static_cast<int>(Ansi.size());
  TWideText wide(Ansi.size(), 0);
  const int chars = MultiByteToWideChar(CP_ACP, 0, Ansi.data(), size, wide.data(), size);
  wide.resize(chars > 0 ? static_cast<size_t>(chars) : 0);
  return wide;
}

// The ANSI form of Wide when every character has one of its own (no default character, no
// look-alike: the bytes give Wide back); otherwise empty.
std::string ExactAnsi(const TWideText& Wide) {
  if (Wide.empty()) return "";
  const int chars = static_cast<int>(Wide.size());
  BOOL usedDefault = FALSE;
  const int bytes = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, Wide.data(), chars, nullptr,
                                        0, nullptr, &usedDefault);
  if (bytes <= 0 || usedDefault) return "";
  std::string ansi(static_cast<size_t>(bytes), '\0');
  if (WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, Wide.data(), chars, ansi.data(), bytes,
                          nullptr, &usedDefault) != bytes ||
      usedDefault || Widened(ansi) != Wide)
    return "";
  return ansi;
}

// A drive letter, a colon and a backslash, or a network path.
bool IsFullPath(const TWideText& Path) {
  const auto letter = [](WCHAR c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
  return Path.size() >= 3 && ((letter(Path[0]) && Path[1] == ':' && Path[2] == '\\') ||
                              (Path[0] == '\\' && Path[1] == '\\'));
}

// The TEMP folder as GetTempPathW names it. That call too refuses a path of MAX_PATH characters
// or more (ERROR_FILENAME_EXCED_RANGE); then the variable it refused, the first set of TMP, TEMP
// and USERPROFILE, when it holds a full path. Empty when there is none: on Windows 9x every wide
// call fails.
TWideText WideTempPath() {
  std::vector<WCHAR> buffer(kWidePathChars);
  const DWORD length = GetTempPathW(kWidePathChars, buffer.data());
  if (length > 0 && length < kWidePathChars) return TWideText(buffer.data(), length);
  if (length != 0 || GetLastError() != ERROR_FILENAME_EXCED_RANGE) return {};
  for (const char* name : {"TMP", "TEMP", "USERPROFILE"}) {
    const DWORD chars =
        GetEnvironmentVariableW(Widened(name).c_str(), buffer.data(), kWidePathChars);
    if (chars == 0) continue;
    const TWideText value(buffer.data(), chars < kWidePathChars ? chars : 0);
    return IsFullPath(value) ? value : TWideText();
  }
  return {};
}

// The 8.3 alias of an existing path; empty when there is none.
TWideText ShortPath(const TWideText& Path) {
  std::vector<WCHAR> buffer(kWidePathChars);
  const DWORD length = GetShortPathNameW(Path.c_str(), buffer.data(), kWidePathChars);
  return length > 0 && length < kWidePathChars ? TWideText(buffer.data(), length) : TWideText();
}

// The default value of HKEY_CLASSES_ROOT\SubKey, empty when the key or value is missing.
std::string ClassesDefault(const std::string& SubKey) {
  std::string value;
  ReadRegString(HKEY_CLASSES_ROOT, SubKey, "", value);
  return value;
}

bool ClassesKeyOpens(const std::string& SubKey) {
  HKEY key = HKEY_CLASSES_ROOT;
  if (!OpenRegKey(key, SubKey, false, KEY_READ)) return false;
  RegCloseKey(key);
  return true;
}

// The command of the shell verb a class lists first with "open" in its name, or else of the
// first verb with a non-empty command.
std::string CommandOfListedVerbs(const std::string& Class) {
  std::vector<std::string> verbs;
  ListRegSubKeyNames(HKEY_CLASSES_ROOT, Class + "\\shell", verbs);
  for (const std::string& verb : verbs) {
    if (LowerCase(verb).find("open") != std::string::npos)
      return ClassesDefault(Class + "\\shell\\" + verb + "\\command");
  }
  for (const std::string& verb : verbs) {
    std::string command;
    if (ReadRegString(HKEY_CLASSES_ROOT, Class + "\\shell\\" + verb + "\\command", "", command) &&
        !command.empty())
      return command;
  }
  return "";
}

// A quoted program path: Command becomes the text between the quotes, Params what follows the
// closing quote and its separating blank, with at most two of its own quotes removed.
void SplitQuotedCommand(std::string& Command, std::string& Params) {
  Command.erase(0, 1);
  const size_t closing = Command.find('"');
  if (closing == std::string::npos) return;
  Params = closing + 2 <= Command.size() ? Command.substr(closing + 2) : "";
  Command.erase(closing);
  Params = Trim(Params);
  for (int removed = 0; removed < 2; ++removed) {
    const size_t quote = Params.find('"');
    if (quote == std::string::npos) break;
    Params.erase(quote, 1);
  }
}

// An unquoted command line: split at the first separator that leaves the program path with its
// extension; rundll32 lines keep the DLL and its entry point in the command.
void SplitPlainCommand(std::string& Command, std::string& Params) {
  const std::string whole = Command;
  static constexpr const char* kSeparators[] = {" -", " /", " \\", ",", " %", " \""};
  for (const char* separator : kSeparators) {
    if (!Params.empty()) break;
    const bool dropped = std::strcmp(separator, ",") == 0;
    std::string left, right;
    SplitAtSeparator(separator, Command, left, right, false, dropped ? 0 : kKeepSeparatorRight);
    if (!ExtractFileExt(Command).empty() && ExtractFileExt(left).empty()) continue;
    Command = left;
    Params = right;
  }
  if (UpperCase(ExtractFileExt(Command)) == ".DLL" &&
      UpperCase(Command).find("RUNDLL") != std::string::npos) {
    const std::string name = ExtractFileName(whole);
    std::string head, tail;
    SplitAtSeparator(" ", name, head, tail, false, 0);
    Params = tail;
    Command = ExtractFilePath(whole) + head;
  }
}

// One more character for the terminating zero, and one more again on an NT system with a
// double-byte system locale, where the reported length may fall one byte short.
DWORD SubKeyNameBufferChars(DWORD LongestName) {
  DWORD chars = LongestName + 1;
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (GetVersionExA(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_NT &&
      GetSystemMetrics(SM_DBCSENABLED) != 0)
    ++chars;
  return chars;
}

// The version record, all zero when the query fails.
OSVERSIONINFOA QueryVersion() {
  OSVERSIONINFOA info;
  std::memset(&info, 0, sizeof info);
  info.dwOSVersionInfoSize = sizeof info;
  if (!GetVersionExA(&info)) {
    std::memset(&info, 0, sizeof info);
  }
  return info;
}

TacOSVersion ClassifyNT(const OSVERSIONINFOA& Info) {
  switch (Info.dwMajorVersion) {
    case 3:
      return osNT3;
    case 4:
      return osNT4;
    case 5:
      if (Info.dwMinorVersion == 0) return os2K;
      return Info.dwMinorVersion == 1 ? osXP : os2003Server;
    default:
      return osUnknown;
  }
}

TacOSVersion Classify9x(const OSVERSIONINFOA& Info) {
  if (Info.dwMajorVersion != 4) return osUnknown;
  const std::string servicePack =
      Trim(std::string(Info.szCSDVersion, strnlen(Info.szCSDVersion, sizeof Info.szCSDVersion)));
  switch (Info.dwMinorVersion) {
    case 0:
      return servicePack == "B" ? os95OSR2 : os95;
    case 10:
      return servicePack == "A" ? os98SE : os98;
    case 90:
      return osME;
    default:
      return osUnknown;
  }
}

}  // namespace

const TEnumInfo& TacOSVersionInfo() {
  static const TEnumInfo info(
      "TacOSVersion", {"osUnknown", "os95", "os95OSR2", "os98", "os98SE", "osNT3", "osNT4", "os2K",
                       "osME", "osXP", "os2003Server"});
  return info;
}

std::string Trim(const std::string& Text) {
  size_t first = 0;
  size_t last = Text.size();
  while (first < last && IsBlank(Text[first])) ++first;
  while (last > first && IsBlank(Text[last - 1])) --last;
  return Text.substr(first, last - first);
}

std::string UpperCase(const std::string& Text) {
  std::string result = Text;
  for (char& c : result) c = AsciiUpper(c);
  return result;
}

std::string LowerCase(const std::string& Text) {
  std::string result = Text;
  for (char& c : result) c = AsciiLower(c);
  return result;
}

std::string ExtractFilePath(const std::string& Path) {
  return Path.substr(0, FileNameStart(Path));
}

std::string ExtractFileName(const std::string& Path) {
  return Path.substr(FileNameStart(Path));
}

std::string ExtractFileExt(const std::string& Path) {
  const size_t dot = Path.rfind('.');
  if (dot == std::string::npos || dot < FileNameStart(Path)) return "";
  return Path.substr(dot);
}

std::string IncludeTrailingBackslash(const std::string& Text) {
  if (!Text.empty() && Text.back() == '\\') return Text;
  return Text + '\\';
}

std::string StripLeadingChar(const std::string& Text, char Ch) {
  const size_t first = Text.find_first_not_of(Ch);
  return first == std::string::npos ? "" : Text.substr(first);
}

std::string StripLeadingBackslashes(const std::string& Text) {
  return StripLeadingChar(Text, '\\');
}

std::string EnsureLeadingChar(const std::string& Text, char Ch) {
  if (!Text.empty() && Text.front() == Ch) return Text;
  return Ch + Text;
}

void SplitAtSeparator(const std::string& Separator, const std::string& Text, std::string& Left,
                      std::string& Right, bool MissingGoesRight, uint8_t Keep) {
  const size_t found = Text.find(Separator);
  if (found == std::string::npos) {
    Left = MissingGoesRight ? "" : Text;
    Right = MissingGoesRight ? Text : "";
    return;
  }
  Left = Text.substr(0, found);
  Right = Text.substr(found + Separator.size());
  if (Keep & kKeepSeparatorLeft) Left += Separator;
  if (Keep & kKeepSeparatorRight) Right.insert(0, Separator);
}

void SplitShellCommand(std::string& Command, std::string& Params) {
  Command = Trim(Command);
  if (Command.empty()) return;
  Params.clear();
  if (Command.front() == '"') {
    SplitQuotedCommand(Command, Params);
  } else {
    SplitPlainCommand(Command, Params);
  }
  Command = Trim(Command);
  Params = Trim(Params);
}

std::string ByteToHex(uint8_t Value) {
  return {kHexDigits[Value >> 4], kHexDigits[Value & 0xF]};
}

std::string WordToHex(uint16_t Value) {
  return ByteToHex(static_cast<uint8_t>(Value >> 8)) + ByteToHex(static_cast<uint8_t>(Value));
}

std::string IntToHexTrimmed(uint32_t Value) {
  std::string digits =
      WordToHex(static_cast<uint16_t>(Value >> 16)) + WordToHex(static_cast<uint16_t>(Value));
  const size_t first = digits.find_first_not_of('0');
  return first == std::string::npos ? "0" : digits.substr(first);
}

int64_t GetFileSizeByName(const std::string& FileName) {
  HANDLE file =
      CreateFileA(FileName.c_str(), kReadAttributesOnly, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return -1;
  const int64_t size = GetFileSizeByHandle(file);
  CloseHandle(file);
  return size;
}

int64_t GetFileSizeByHandle(HANDLE File) {
  DWORD high = 0;
  const DWORD low = GetFileSize(File, &high);
  return static_cast<int64_t>(uint64_t{high} << 32 | low);
}

void CreateFolderChain(const std::string& FileName) {
  const std::string path = ExtractFilePath(FileName);
  for (size_t i = 0; i < path.size(); ++i) {
    if (path[i] == '\\') CreateDirectoryA(path.substr(0, i + 1).c_str(), nullptr);
  }
}

bool FolderExists(const std::string& Dir) {
  const DWORD attributes = GetFileAttributesA(Dir.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool FileExists(const std::string& Path) {
  const DWORD attributes = GetFileAttributesA(Path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool IsFolderEmpty(const std::string& Dir) {
  if (!FolderExists(Dir)) return false;
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA((IncludeTrailingBackslash(Dir) + "*.*").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return false;
  bool empty = true;
  do {
    if (std::strcmp(entry.cFileName, ".") != 0 && std::strcmp(entry.cFileName, "..") != 0) {
      empty = false;
      break;
    }
  } while (FindNextFileA(search, &entry));
  FindClose(search);
  return empty;
}

TacOSVersion GetOSVersion() {
  const OSVERSIONINFOA info = QueryVersion();
  return info.dwPlatformId == VER_PLATFORM_WIN32_NT ? ClassifyNT(info) : Classify9x(info);
}

bool IsWinNT() {
  return QueryVersion().dwPlatformId == VER_PLATFORM_WIN32_NT;
}

int32_t MeasureCPUFrequency() {
  HANDLE process = GetCurrentProcess();
  HANDLE thread = GetCurrentThread();
  const DWORD savedClass = GetPriorityClass(process);
  const INT savedPriority = GetThreadPriority(thread);
  SetPriorityClass(process, REALTIME_PRIORITY_CLASS);
  SetThreadPriority(thread, THREAD_PRIORITY_TIME_CRITICAL);
  Sleep(10);
  const uint64_t start = ReadTimeStampCounter();
  Sleep(40);
  const uint64_t end = ReadTimeStampCounter();
  SetThreadPriority(thread, savedPriority);
  SetPriorityClass(process, savedClass);
  const uint32_t ticks = static_cast<uint32_t>(end - start);
  return static_cast<int32_t>(ticks / 40000 / 10 * 10);
}

std::string GetTempDir() {
  char buffer[kDirBufferChars];
  const DWORD length = GetTempPathA(kDirBufferChars, buffer);
  const bool fits = length > 0 && length < kDirBufferChars;
  const std::string ansi = fits ? std::string(buffer, length) : std::string();
  const TWideText wide = WideTempPath();
  // Without the wide path (Windows 9x) the ANSI one is all there is; the common case: the ANSI
  // path is the folder's own.
  if (wide.empty() || (fits && Widened(ansi) == wide))
    return fits ? DirectoryText(buffer, length) : "";
  const std::string alias = ExactAnsi(ShortPath(wide));
  if (alias.empty()) return "";
  const std::string dir = IncludeTrailingBackslash(alias);
  return dir.size() < MAX_PATH ? dir : "";
}

std::string GetSystemDir() {
  char buffer[kDirBufferChars];
  return DirectoryText(buffer, GetSystemDirectoryA(buffer, kDirBufferChars));
}

std::string GetWindowsDir() {
  char buffer[kDirBufferChars];
  return DirectoryText(buffer, GetWindowsDirectoryA(buffer, kDirBufferChars));
}

std::string GetEnvVar(const std::string& Name) {
  char none = '\0';
  const DWORD size = GetEnvironmentVariableA(Name.c_str(), &none, 0);
  if (size == 0) return "";
  std::string value(size - 1, '\0');
  // The variable may change between the calls; keep what the second call says it wrote.
  const DWORD written = GetEnvironmentVariableA(Name.c_str(), value.data(), size);
  value.resize(written < size ? written : 0);
  return value;
}

bool OpenRegKey(HKEY& Key, const std::string& SubKey, bool Create, REGSAM Access) {
  const std::string path = StripLeadingBackslashes(SubKey);
  HKEY opened = nullptr;
  const LONG rc = Create ? RegCreateKeyExA(Key, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                           nullptr, &opened, nullptr)
                         : RegOpenKeyExA(Key, path.c_str(), 0, Access, &opened);
  if (rc != ERROR_SUCCESS) return false;
  Key = opened;
  return true;
}

bool QueryRegValue(HKEY Key, const std::string& ValueName, DWORD& Type, DWORD& Size, BYTE* Buffer) {
  if (RegQueryValueExA(Key, ValueName.c_str(), nullptr, &Type, Buffer, &Size) != ERROR_SUCCESS)
    return false;
  return Type != REG_SZ || Size != 0;
}

bool ReadRegString(HKEY Root, const std::string& SubKey, const std::string& ValueName,
                   std::string& Value) {
  Value.clear();
  HKEY key = Root;
  if (!OpenRegKey(key, SubKey, false, KEY_READ)) return false;
  BYTE buffer[kRegStringBytes];
  DWORD type = REG_SZ;
  DWORD size = kRegStringBytes;
  if (QueryRegValue(key, ValueName, type, size, buffer)) {
    const size_t length = strnlen(reinterpret_cast<const char*>(buffer), size);
    Value.assign(reinterpret_cast<const char*>(buffer), length);
  }
  RegCloseKey(key);
  return true;
}

void WriteRegString(HKEY Root, const std::string& SubKey, const std::string& ValueName,
                    const std::string& Value) {
  HKEY key = Root;
  if (!OpenRegKey(key, SubKey, true, KEY_ALL_ACCESS)) return;
  RegSetValueExA(key, ValueName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(Value.c_str()),
                 static_cast<DWORD>(Value.size() + 1));
  RegCloseKey(key);
}

bool ListRegSubKeyNames(HKEY Root, const std::string& SubKey, std::vector<std::string>& List) {
  List.clear();
  HKEY key = Root;
  if (!OpenRegKey(key, SubKey, false, KEY_READ)) return false;
  DWORD count = 0;
  DWORD longest = 0;
  if (RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &count, &longest, nullptr, nullptr, nullptr,
                       nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
      count != 0) {
    std::vector<char> name(SubKeyNameBufferChars(longest));
    for (DWORD index = 0; index < count; ++index) {
      DWORD chars = static_cast<DWORD>(name.size());
      if (RegEnumKeyExA(key, index, name.data(), &chars, nullptr, nullptr, nullptr, nullptr) ==
          ERROR_SUCCESS)
        List.emplace_back(name.data(), chars);
    }
  }
  RegCloseKey(key);
  return true;
}

std::string FindAssociatedProgram(const std::string& Extension) {
  if (Extension.empty() || Extension == ".") return "";
  const std::string ext = EnsureLeadingChar(Extension, '.');
  const std::string fileClass = ClassesDefault(ext);
  if (fileClass.empty() || !ClassesKeyOpens(fileClass)) return "";
  std::string command;
  if (!ReadRegString(HKEY_CLASSES_ROOT, fileClass + "\\shell\\open\\command", "", command))
    command = CommandOfListedVerbs(fileClass);
  std::string params;
  SplitShellCommand(command, params);
  return command;
}
