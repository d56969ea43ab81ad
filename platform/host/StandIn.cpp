#include "platform/host/StandIn.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <system_error>

#include "platform/host/Machine.h"

namespace standin {
namespace fs = std::filesystem;
using detail::TheMachine;

namespace {

fs::path MakeScratchFolder() {
  std::string pattern = (fs::temp_directory_path() / "standin-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr)
    throw std::runtime_error("standin: cannot create a scratch folder under " + pattern);
  return fs::path(pattern);
}

void MakeFolder(std::string_view windowsPath) {
  fs::path host = HostPath(windowsPath);
  if (!host.empty()) fs::create_directories(host);
}

std::vector<BYTE> TextBytes(std::string_view text) {
  std::vector<BYTE> bytes(text.begin(), text.end());
  bytes.push_back(0);
  return bytes;
}

bool HostFileId(std::string_view windowsPath, detail::FileId& id) {
  fs::path host = HostPath(windowsPath);
  struct stat st {};
  if (host.empty() || ::stat(host.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
  id = detail::FileId{st.st_dev, st.st_ino};
  return true;
}

}  // namespace

void Reset() {
  Discard();
  auto& m = TheMachine();
  m.scratch = MakeScratchFolder();
  fs::create_directories(m.scratch / "C");
  m.drives.Map('C', m.scratch / "C");

  m.registry.MakePath(HKEY_CURRENT_USER, "Software");
  m.registry.MakePath(HKEY_LOCAL_MACHINE, "SOFTWARE");

  auto& env = m.environment;
  env.windowsDir = kWindowsDir;
  env.systemDir = kSystemDir;
  env.currentDir = "C:\\";
  env.moduleFileName = kModuleFileName;
  env.Set("TEMP", std::string_view(kTempDir));
  env.Set("TMP", std::string_view(kTempDir));
  env.Set("USERPROFILE", std::string_view(kUserProfileDir));
  env.Set("windir", std::string_view(kWindowsDir));
  env.Set("SystemRoot", std::string_view(kWindowsDir));
  for (const char* folder : {kWindowsDir, kSystemDir, kTempDir, kUserProfileDir})
    MakeFolder(folder);
  MakeFolder("C:\\Program Files\\Installation");
  m.calls.Clear();
  m.cursors.Clear();
  m.system.Clear();
  m.network.Clear();
  m.facts.Clear();
}

void Discard() {
  auto& m = TheMachine();
  m.files.Clear();
  m.registry.Clear();
  m.drives.Clear();
  m.environment.Clear();
  m.calls.Clear();
  if (!m.scratch.empty()) {
    std::error_code ec;
    fs::remove_all(m.scratch, ec);
    m.scratch.clear();
  }
}

// --- Registry ---

void SetRegValue(HKEY root, std::string_view keyPath, std::string_view valueName, DWORD type,
                 std::vector<BYTE> bytes) {
  auto key = TheMachine().registry.MakePath(root, keyPath);
  if (!key) throw std::invalid_argument("standin: not a registry root");
  detail::RegValue* value = key->FindValue(valueName);
  if (value == nullptr) {
    key->values.push_back(detail::RegValue{std::string(valueName), type, {}});
    value = &key->values.back();
  }
  value->type = type;
  value->data = std::move(bytes);
}

void SetRegString(HKEY root, std::string_view keyPath, std::string_view valueName,
                  std::string_view text, DWORD type) {
  SetRegValue(root, keyPath, valueName, type, TextBytes(text));
}

void SetRegDword(HKEY root, std::string_view keyPath, std::string_view valueName, DWORD value) {
  SetRegValue(root, keyPath, valueName, REG_DWORD,
              {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8),
               static_cast<BYTE>(value >> 16), static_cast<BYTE>(value >> 24)});
}

void CreateRegKey(HKEY root, std::string_view keyPath) {
  if (!TheMachine().registry.MakePath(root, keyPath))
    throw std::invalid_argument("standin: not a registry root");
}

bool RegKeyExists(HKEY root, std::string_view keyPath) {
  return TheMachine().registry.FindPath(root, keyPath) != nullptr;
}

std::optional<RegData> GetRegValue(HKEY root, std::string_view keyPath,
                                   std::string_view valueName) {
  auto key = TheMachine().registry.FindPath(root, keyPath);
  if (!key) return std::nullopt;
  const detail::RegValue* value = key->FindValue(valueName);
  if (value == nullptr) return std::nullopt;
  return RegData{value->type, value->data};
}

std::optional<std::string> GetRegString(HKEY root, std::string_view keyPath,
                                        std::string_view valueName) {
  auto data = GetRegValue(root, keyPath, valueName);
  if (!data || (data->type != REG_SZ && data->type != REG_EXPAND_SZ)) return std::nullopt;
  std::string text(data->bytes.begin(), data->bytes.end());
  return text.substr(0, text.find('\0'));
}

void DenyRegAccess(HKEY root, std::string_view keyPath, REGSAM rights) {
  auto key = TheMachine().registry.MakePath(root, keyPath);
  if (!key) throw std::invalid_argument("standin: not a registry root");
  key->denied |= detail::MapRegistryAccess(rights);
}

size_t OpenRegHandleCount() {
  return TheMachine().registry.OpenHandleCount();
}

// --- Files ---

fs::path HostPath(std::string_view windowsPath) {
  detail::WindowsPath full;
  fs::path host;
  std::string text(windowsPath);
  if (detail::ResolvePath(text.c_str(), false, full, host) != ERROR_SUCCESS) return {};
  return host;
}

void MapDrive(char letter, const fs::path& hostFolder) {
  TheMachine().drives.Map(letter, hostFolder);
}

void WriteHostFile(std::string_view windowsPath, std::string_view content) {
  fs::path host = HostPath(windowsPath);
  if (host.empty())
    throw std::invalid_argument("standin: cannot place " + std::string(windowsPath));
  fs::create_directories(host.parent_path());
  std::ofstream out(host, std::ios::binary | std::ios::trunc);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
  if (!out) throw std::runtime_error("standin: cannot write " + host.string());
}

bool LockFile(std::string_view windowsPath) {
  detail::FileId id;
  if (!HostFileId(windowsPath, id)) return false;
  TheMachine().files.Lock(id);
  return true;
}

void UnlockFile(std::string_view windowsPath) {
  detail::FileId id;
  if (HostFileId(windowsPath, id)) TheMachine().files.Unlock(id);
}

void LimitWriteRoom(std::optional<uint64_t> bytes) {
  TheMachine().files.WriteRoom() = bytes;
}

size_t OpenFileHandleCount() {
  return TheMachine().files.HandleCount();
}

// --- Directories, environment, program file ---

void SetWindowsDirectory(std::string_view path) {
  TheMachine().environment.windowsDir = path;
}
void SetSystemDirectory(std::string_view path) {
  TheMachine().environment.systemDir = path;
}
void SetModuleFileName(std::string_view path) {
  TheMachine().environment.moduleFileName = path;
}
void SetCurrentDirectory(std::string_view path) {
  TheMachine().environment.currentDir = path;
}

void SetEnvVar(std::string_view name, std::optional<std::string_view> value) {
  TheMachine().environment.Set(name, value);
}

void SetWideEnvVar(std::string_view name, std::u16string_view value) {
  TheMachine().environment.SetWide(name, value);
}

// --- Outward calls ---

const std::vector<Call>& Calls() {
  return TheMachine().calls.Calls();
}

std::vector<Call> CallsOf(std::string_view function) {
  std::vector<Call> matching;
  for (const auto& call : Calls())
    if (call.function == function) matching.push_back(call);
  return matching;
}

void ClearCalls() {
  TheMachine().calls.ClearCalls();
}
void SetShellExecuteResult(HINSTANCE result) {
  TheMachine().calls.shellExecuteResult = result;
}
void SetVersion(DWORD major, DWORD minor, DWORD build, DWORD platformId,
                std::string_view servicePack) {
  auto& version = TheMachine().system.version;
  version.dwMajorVersion = major;
  version.dwMinorVersion = minor;
  version.dwBuildNumber = build;
  version.dwPlatformId = platformId;
  const size_t length = std::min(servicePack.size(), sizeof version.szCSDVersion - 1);
  std::memcpy(version.szCSDVersion, servicePack.data(), length);
  std::memset(version.szCSDVersion + length, 0, sizeof version.szCSDVersion - length);
}
void FailVersionQuery() {
  TheMachine().system.versionQueryFails = true;
}
void SetTimeStampCounter(uint64_t value, uint64_t ticksPerMillisecond) {
  TheMachine().system.timeStampCounter = value;
  TheMachine().system.ticksPerMillisecond = ticksPerMillisecond;
}
DWORD CurrentPriorityClass() {
  return TheMachine().system.priorityClass;
}
INT CurrentThreadPriority() {
  return TheMachine().system.threadPriority;
}
void SetMessageBoxResult(INT result) {
  TheMachine().calls.messageBoxResult = result;
}
void SetSystemMetric(INT index, INT value) {
  TheMachine().calls.metrics[index] = value;
}
void SetDeviceCap(INT index, INT value) {
  TheMachine().calls.deviceCaps[index] = value;
}
int OpenScreenDCCount() {
  return TheMachine().calls.openScreenDCs;
}

void AddCursorResource(std::string_view name) {
  TheMachine().cursors.programResources.insert(detail::CursorSet::Key(std::string(name).c_str()));
}
void AddCursorResource(WORD id) {
  TheMachine().cursors.programResources.insert(detail::CursorSet::Key(MAKEINTRESOURCEA(id)));
}
void RemoveSystemCursor(WORD id) {
  TheMachine().cursors.systemCursors.erase(id);
}
std::vector<HCURSOR> DestroyedCursors() {
  return TheMachine().cursors.destroyed;
}
size_t LoadedCursorCount() {
  return TheMachine().cursors.handles.size();
}

}  // namespace standin
