// The file and directory functions of kernel32 over the scratch drives. Failures set the
// last-error code Windows sets and return the documented failure value.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "platform/host/CodePage.h"
#include "platform/host/Machine.h"
#include "platform/host/Win32StandIn.h"

namespace fs = std::filesystem;
using standin::detail::FileId;
using standin::detail::FindSearch;
using standin::detail::OpenFile;
using standin::detail::TheMachine;
using standin::detail::WindowsPath;

namespace {

constexpr ACCESS_MASK kDeleteRight = 0x10000;

// A path made full and translated, with what the host has there.
struct Target {
  WindowsPath full;
  fs::path host;
  struct stat st {};
  bool exists = false;
  bool trailingSeparator = false;  // the path ended in "\" or "/": it must name a folder

  bool IsDirectory() const { return exists && S_ISDIR(st.st_mode); }
  bool IsReadOnly() const { return exists && !S_ISDIR(st.st_mode) && !(st.st_mode & S_IWUSR); }
  FileId Id() const { return FileId{st.st_dev, st.st_ino}; }
};

bool EndsWithSeparator(const char* text) {
  size_t n = text ? std::strlen(text) : 0;
  return n > 0 && (text[n - 1] == '\\' || text[n - 1] == '/');
}

LONG Locate(const char* path, Target& target, bool allowWildcards = false) {
  if (LONG rc = standin::detail::ResolvePath(path, allowWildcards, target.full, target.host);
      rc != ERROR_SUCCESS)
    return rc;
  target.exists = ::stat(target.host.c_str(), &target.st) == 0;
  target.trailingSeparator = EndsWithSeparator(path);
  return ERROR_SUCCESS;
}

bool IsHostDirectory(const WindowsPath& path) {
  fs::path host;
  if (TheMachine().drives.ToHost(path, host) != ERROR_SUCCESS) return false;
  struct stat st {};
  return ::stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The error for a name that is not there: the file is missing, or already its folder is.
LONG MissingError(const Target& target) {
  if (target.full.IsRoot()) return ERROR_PATH_NOT_FOUND;
  return IsHostDirectory(target.full.Parent()) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
}

LONG FromErrno(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
      return ERROR_PATH_NOT_FOUND;
    case EEXIST:
      return ERROR_ALREADY_EXISTS;
    case ENOTEMPTY:
      return ERROR_DIR_NOT_EMPTY;
    case ENAMETOOLONG:
      return ERROR_INVALID_NAME;
    default:
      return ERROR_ACCESS_DENIED;
  }
}

BOOL Fail(LONG code) {
  SetLastError(static_cast<DWORD>(code));
  return FALSE;
}

// Sets the last error and returns the failure value of a function that reports through it.
DWORD FailWith(LONG code, DWORD failure) {
  SetLastError(static_cast<DWORD>(code));
  return failure;
}

HANDLE FailHandle(LONG code) {
  SetLastError(static_cast<DWORD>(code));
  return INVALID_HANDLE_VALUE;
}

FILETIME ToFileTime(const struct timespec& t) {
  constexpr uint64_t kSecondsFrom1601To1970 = 11644473600ull;
  uint64_t ticks = (static_cast<uint64_t>(t.tv_sec) + kSecondsFrom1601To1970) * 10000000ull +
                   static_cast<uint64_t>(t.tv_nsec) / 100;
  return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

DWORD Attributes(const struct stat& st) {
  if (S_ISDIR(st.st_mode)) return FILE_ATTRIBUTE_DIRECTORY;
  DWORD attributes = FILE_ATTRIBUTE_ARCHIVE;
  if (!(st.st_mode & S_IWUSR)) attributes |= FILE_ATTRIBUTE_READONLY;
  return attributes;
}

WIN32_FIND_DATAA FindEntry(const std::string& name, const struct stat& st) {
  WIN32_FIND_DATAA data{};
  data.dwFileAttributes = Attributes(st);
  data.ftCreationTime = ToFileTime(st.st_mtim);
  data.ftLastAccessTime = ToFileTime(st.st_atim);
  data.ftLastWriteTime = ToFileTime(st.st_mtim);
  if (!S_ISDIR(st.st_mode)) {
    uint64_t size = static_cast<uint64_t>(st.st_size);
    data.nFileSizeHigh = static_cast<DWORD>(size >> 32);
    data.nFileSizeLow = static_cast<DWORD>(size);
  }
  size_t n = std::min<size_t>(name.size(), MAX_PATH - 1);
  std::memcpy(data.cFileName, name.data(), n);
  data.cFileName[n] = '\0';
  return data;
}

char Lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool Glob(std::string_view pattern, std::string_view name) {
  size_t p = 0, n = 0, starP = std::string_view::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || Lower(pattern[p]) == Lower(name[n]))) {
      ++p;
      ++n;
    } else if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (starP != std::string_view::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

// Windows' matching of search patterns: "*.*" matches every name, and a pattern ending in ".*"
// also matches the name without any extension.
bool MatchesPattern(std::string_view pattern, std::string_view name) {
  if (pattern == "*" || pattern == "*.*") return true;
  if (Glob(pattern, name)) return true;
  return pattern.size() > 2 && pattern.ends_with(".*") &&
         name.find('.') == std::string_view::npos &&
         Glob(pattern.substr(0, pattern.size() - 2), name);
}

bool WriteAll(int fd, const BYTE* bytes, size_t count, size_t& done) {
  done = 0;
  while (done < count) {
    ssize_t n = ::write(fd, bytes + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

bool ReadAll(int fd, BYTE* bytes, size_t count, size_t& done) {
  done = 0;
  while (done < count) {
    ssize_t n = ::read(fd, bytes + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

HANDLE WINAPI CreateFileA(LPCSTR fileName, DWORD access, DWORD shareMode,
                          LPSECURITY_ATTRIBUTES /*security*/, DWORD disposition, DWORD flags,
                          HANDLE /*templateFile*/) {
  if (disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING)
    return FailHandle(ERROR_INVALID_PARAMETER);
  Target t;
  if (LONG rc = Locate(fileName, t); rc != ERROR_SUCCESS) return FailHandle(rc);
  if (t.trailingSeparator && !t.IsDirectory()) return FailHandle(ERROR_INVALID_NAME);
  // Directories open only as directory handles, which this machine does not offer.
  if (t.full.IsRoot() || t.IsDirectory()) return FailHandle(ERROR_ACCESS_DENIED);
  if (!IsHostDirectory(t.full.Parent())) return FailHandle(ERROR_PATH_NOT_FOUND);

  OpenFile file;
  file.canRead = access & (GENERIC_READ | GENERIC_ALL | FILE_READ_DATA);
  file.canWrite = access & (GENERIC_WRITE | GENERIC_ALL | FILE_WRITE_DATA | FILE_APPEND_DATA);
  file.canDelete = access & (GENERIC_ALL | kDeleteRight);
  file.share = shareMode;
  bool truncate = disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING;
  if (disposition == TRUNCATE_EXISTING && !file.canWrite)
    return FailHandle(ERROR_INVALID_PARAMETER);

  auto& table = TheMachine().files;
  int hostFlags = O_CLOEXEC | (file.canWrite ? (file.canRead ? O_RDWR : O_WRONLY) : O_RDONLY);
  DWORD afterwards = ERROR_SUCCESS;
  if (t.exists) {
    if (disposition == CREATE_NEW) return FailHandle(ERROR_FILE_EXISTS);
    if (disposition == OPEN_EXISTING || disposition == TRUNCATE_EXISTING) {
      if (file.canWrite && t.IsReadOnly()) return FailHandle(ERROR_ACCESS_DENIED);
    } else {
      if ((file.canWrite || truncate) && t.IsReadOnly()) return FailHandle(ERROR_ACCESS_DENIED);
      afterwards = ERROR_ALREADY_EXISTS;
    }
    if (!table.SharingAllows(t.Id(), file.canRead, file.canWrite || truncate, file.canDelete,
                             shareMode))
      return FailHandle(ERROR_SHARING_VIOLATION);
    if (truncate) hostFlags |= O_TRUNC;
  } else {
    if (disposition == OPEN_EXISTING || disposition == TRUNCATE_EXISTING)
      return FailHandle(ERROR_FILE_NOT_FOUND);
    hostFlags |= O_CREAT | O_EXCL;
  }
  mode_t mode = (flags & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
  file.fd = ::open(t.host.c_str(), hostFlags, mode);
  if (file.fd < 0) return FailHandle(FromErrno(errno));
  struct stat st {};
  ::fstat(file.fd, &st);
  file.id = FileId{st.st_dev, st.st_ino};
  HANDLE handle = table.AddFile(file);
  SetLastError(afterwards);
  return handle;
}

BOOL WINAPI ReadFile(HANDLE handle, LPVOID buffer, DWORD toRead, LPDWORD read,
                     LPOVERLAPPED /*overlapped*/) {
  if (read) *read = 0;
  OpenFile* file = TheMachine().files.File(handle);
  if (file == nullptr) return Fail(ERROR_INVALID_HANDLE);
  if (!file->canRead) return Fail(ERROR_ACCESS_DENIED);
  if (buffer == nullptr && toRead > 0) return Fail(ERROR_NOACCESS);
  size_t done = 0;
  bool ok = ReadAll(file->fd, static_cast<BYTE*>(buffer), toRead, done);
  if (read) *read = static_cast<DWORD>(done);
  return ok ? TRUE : Fail(ERROR_ACCESS_DENIED);
}

BOOL WINAPI WriteFile(HANDLE handle, LPCVOID buffer, DWORD toWrite, LPDWORD written,
                      LPOVERLAPPED /*overlapped*/) {
  if (written) *written = 0;
  OpenFile* file = TheMachine().files.File(handle);
  if (file == nullptr) return Fail(ERROR_INVALID_HANDLE);
  if (!file->canWrite) return Fail(ERROR_ACCESS_DENIED);
  if (buffer == nullptr && toWrite > 0) return Fail(ERROR_NOACCESS);
  // A limit set by the test stands for a full disk: the part that fits is written and counted.
  std::optional<uint64_t>& room = TheMachine().files.WriteRoom();
  const bool fits = !room || *room >= toWrite;
  const size_t accepted = fits ? toWrite : static_cast<size_t>(*room);
  size_t done = 0;
  bool ok = WriteAll(file->fd, static_cast<const BYTE*>(buffer), accepted, done);
  if (room) *room -= done;
  if (written) *written = static_cast<DWORD>(done);
  if (ok && !fits) return Fail(ERROR_DISK_FULL);
  return ok ? TRUE : Fail(ERROR_ACCESS_DENIED);
}

BOOL WINAPI CloseHandle(HANDLE object) {
  return TheMachine().files.CloseFile(object) ? TRUE : Fail(ERROR_INVALID_HANDLE);
}

BOOL WINAPI GetFileSizeEx(HANDLE handle, PLARGE_INTEGER size) {
  OpenFile* file = TheMachine().files.File(handle);
  if (file == nullptr) return Fail(ERROR_INVALID_HANDLE);
  if (size == nullptr) return Fail(ERROR_NOACCESS);
  struct stat st {};
  if (::fstat(file->fd, &st) != 0) return Fail(ERROR_INVALID_HANDLE);
  size->QuadPart = static_cast<LONGLONG>(st.st_size);
  return TRUE;
}

DWORD WINAPI GetFileSize(HANDLE handle, LPDWORD sizeHigh) {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(handle, &size)) return INVALID_FILE_SIZE;
  uint64_t value = static_cast<uint64_t>(size.QuadPart);
  if (sizeHigh) *sizeHigh = static_cast<DWORD>(value >> 32);
  // A low part that looks like the failure value is told apart by the cleared last error.
  if (static_cast<DWORD>(value) == INVALID_FILE_SIZE) SetLastError(NO_ERROR);
  return static_cast<DWORD>(value);
}

DWORD WINAPI SetFilePointer(HANDLE handle, LONG distance, PLONG distanceHigh, DWORD method) {
  OpenFile* file = TheMachine().files.File(handle);
  if (file == nullptr) return FailWith(ERROR_INVALID_HANDLE, INVALID_SET_FILE_POINTER);
  int64_t move = distanceHigh
                     ? static_cast<int64_t>(
                           (static_cast<uint64_t>(static_cast<uint32_t>(*distanceHigh)) << 32) |
                           static_cast<uint32_t>(distance))
                     : distance;
  int64_t base = 0;
  if (method == FILE_CURRENT) {
    base = ::lseek(file->fd, 0, SEEK_CUR);
  } else if (method == FILE_END) {
    struct stat st {};
    ::fstat(file->fd, &st);
    base = st.st_size;
  } else if (method != FILE_BEGIN) {
    return FailWith(ERROR_INVALID_PARAMETER, INVALID_SET_FILE_POINTER);
  }
  int64_t position = 0;
  if (__builtin_add_overflow(base, move, &position))
    return FailWith(ERROR_INVALID_PARAMETER, INVALID_SET_FILE_POINTER);
  if (position < 0) return FailWith(ERROR_NEGATIVE_SEEK, INVALID_SET_FILE_POINTER);
  if (::lseek(file->fd, position, SEEK_SET) < 0)
    return FailWith(ERROR_INVALID_PARAMETER, INVALID_SET_FILE_POINTER);
  if (distanceHigh) *distanceHigh = static_cast<LONG>(static_cast<uint64_t>(position) >> 32);
  if (static_cast<DWORD>(position) == INVALID_SET_FILE_POINTER) SetLastError(NO_ERROR);
  return static_cast<DWORD>(position);
}

BOOL WINAPI DeleteFileA(LPCSTR fileName) {
  Target t;
  if (LONG rc = Locate(fileName, t); rc != ERROR_SUCCESS) return Fail(rc);
  if (!t.exists) return Fail(MissingError(t));
  if (t.IsDirectory() || t.IsReadOnly()) return Fail(ERROR_ACCESS_DENIED);
  if (!TheMachine().files.DeleteAllowed(t.Id())) return Fail(ERROR_SHARING_VIOLATION);
  return ::unlink(t.host.c_str()) == 0 ? TRUE : Fail(FromErrno(errno));
}

BOOL WINAPI MoveFileA(LPCSTR existingName, LPCSTR newName) {
  Target from, to;
  if (LONG rc = Locate(existingName, from); rc != ERROR_SUCCESS) return Fail(rc);
  if (LONG rc = Locate(newName, to); rc != ERROR_SUCCESS) return Fail(rc);
  if (!from.exists) return Fail(MissingError(from));
  if (to.exists && to.Id() != from.Id()) return Fail(ERROR_ALREADY_EXISTS);
  if (!IsHostDirectory(to.full.Parent())) return Fail(ERROR_PATH_NOT_FOUND);
  if (!from.IsDirectory() && !TheMachine().files.DeleteAllowed(from.Id()))
    return Fail(ERROR_SHARING_VIOLATION);
  return ::rename(from.host.c_str(), to.host.c_str()) == 0 ? TRUE : Fail(FromErrno(errno));
}

BOOL WINAPI CreateDirectoryA(LPCSTR pathName, LPSECURITY_ATTRIBUTES /*security*/) {
  Target t;
  if (LONG rc = Locate(pathName, t); rc != ERROR_SUCCESS) return Fail(rc);
  if (t.full.IsRoot() || t.exists) return Fail(ERROR_ALREADY_EXISTS);
  if (!IsHostDirectory(t.full.Parent())) return Fail(ERROR_PATH_NOT_FOUND);
  return ::mkdir(t.host.c_str(), 0777) == 0 ? TRUE : Fail(FromErrno(errno));
}

BOOL WINAPI RemoveDirectoryA(LPCSTR pathName) {
  Target t;
  if (LONG rc = Locate(pathName, t); rc != ERROR_SUCCESS) return Fail(rc);
  if (!t.exists) return Fail(MissingError(t));
  if (!t.IsDirectory()) return Fail(ERROR_DIRECTORY);
  if (t.full.IsRoot()) return Fail(ERROR_ACCESS_DENIED);
  std::error_code ec;
  if (!fs::is_empty(t.host, ec)) return Fail(ERROR_DIR_NOT_EMPTY);
  return ::rmdir(t.host.c_str()) == 0 ? TRUE : Fail(FromErrno(errno));
}

DWORD WINAPI GetFileAttributesA(LPCSTR fileName) {
  Target t;
  if (LONG rc = Locate(fileName, t); rc != ERROR_SUCCESS)
    return FailWith(rc, INVALID_FILE_ATTRIBUTES);
  if (!t.exists) return FailWith(MissingError(t), INVALID_FILE_ATTRIBUTES);
  if (t.trailingSeparator && !t.IsDirectory())
    return FailWith(ERROR_PATH_NOT_FOUND, INVALID_FILE_ATTRIBUTES);
  return Attributes(t.st);
}

BOOL WINAPI SetFileAttributesA(LPCSTR fileName, DWORD attributes) {
  Target t;
  if (LONG rc = Locate(fileName, t); rc != ERROR_SUCCESS) return Fail(rc);
  if (!t.exists) return Fail(MissingError(t));
  // Only the read-only flag of files is kept (in the host's write permission); the other flags
  // are accepted and not stored.
  if (t.IsDirectory()) return TRUE;
  mode_t mode = t.st.st_mode & 07777;
  mode = (attributes & FILE_ATTRIBUTE_READONLY) ? (mode & ~0222) : (mode | 0200);
  return ::chmod(t.host.c_str(), mode) == 0 ? TRUE : Fail(FromErrno(errno));
}

HANDLE WINAPI FindFirstFileA(LPCSTR fileName, LPWIN32_FIND_DATAA findData) {
  if (findData == nullptr) return FailHandle(ERROR_INVALID_PARAMETER);
  Target t;
  if (LONG rc = Locate(fileName, t, true); rc != ERROR_SUCCESS) return FailHandle(rc);
  // A pattern needs a name part: "C:\" or "C:\dir\" finds nothing.
  if (t.full.IsRoot() || t.trailingSeparator) return FailHandle(ERROR_FILE_NOT_FOUND);
  WindowsPath folder = t.full.Parent();
  fs::path hostFolder;
  struct stat folderStat {};
  if (TheMachine().drives.ToHost(folder, hostFolder) != ERROR_SUCCESS ||
      ::stat(hostFolder.c_str(), &folderStat) != 0)
    return FailHandle(ERROR_PATH_NOT_FOUND);
  // A file used as a folder: Wine calls the name invalid.
  if (!S_ISDIR(folderStat.st_mode)) return FailHandle(ERROR_INVALID_NAME);
  const std::string& pattern = t.full.parts.back();

  FindSearch search;
  struct stat st {};
  // Every folder but a drive's root lists itself and its parent first, as "." and "..".
  if (!folder.IsRoot() && ::stat(hostFolder.c_str(), &st) == 0) {
    for (const char* dots : {".", ".."})
      if (MatchesPattern(pattern, dots)) search.entries.push_back(FindEntry(dots, st));
  }
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(hostFolder, ec))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end(), standin::detail::NameLess);
  for (const auto& name : names) {
    if (!MatchesPattern(pattern, name)) continue;
    if (::stat((hostFolder / name).c_str(), &st) == 0)
      search.entries.push_back(FindEntry(name, st));
  }
  if (search.entries.empty()) return FailHandle(ERROR_FILE_NOT_FOUND);
  *findData = search.entries.front();
  search.next = 1;
  return TheMachine().files.AddSearch(std::move(search));
}

BOOL WINAPI FindNextFileA(HANDLE find, LPWIN32_FIND_DATAA findData) {
  FindSearch* search = TheMachine().files.Search(find);
  if (search == nullptr) return Fail(ERROR_INVALID_HANDLE);
  if (search->next >= search->entries.size()) return Fail(ERROR_NO_MORE_FILES);
  if (findData == nullptr) return Fail(ERROR_NOACCESS);
  *findData = search->entries[search->next++];
  return TRUE;
}

BOOL WINAPI FindClose(HANDLE find) {
  return TheMachine().files.CloseSearch(find) ? TRUE : Fail(ERROR_INVALID_HANDLE);
}

DWORD WINAPI GetShortPathNameW(LPCWSTR longPath, LPWSTR shortPath, DWORD bufferChars) {
  if (standin::detail::WideCallsAreStubs()) return FailWith(ERROR_CALL_NOT_IMPLEMENTED, 0);
  if (longPath == nullptr) return FailWith(ERROR_INVALID_PARAMETER, 0);
  const std::u16string_view path(longPath);
  if (path.empty()) return FailWith(ERROR_BAD_PATHNAME, 0);
  // The simulated drives hold only names the ANSI code page spells: a path with any other
  // character names nothing here. Windows reports every missing part as a missing file.
  const std::optional<std::string> ansi = standin::detail::NarrowExact(path);
  Target t;
  if (!ansi || Locate(ansi->c_str(), t) != ERROR_SUCCESS || !t.exists)
    return FailWith(ERROR_FILE_NOT_FOUND, 0);
  // The volumes keep no 8.3 names, so the short form of an existing path is the path as written;
  // a buffer too small gets nothing and the size needed, the terminating zero included.
  return standin::detail::CopyOutWide(path, shortPath, bufferChars);
}
