// Run-time library loading and the Windows Sockets 1.1 functions of the simulated machine. The
// two libraries loaded at run time, wsock32.dll and shell32.dll (whose ShellExecuteA is the
// logging one of OutwardApi.cpp), exist only under the system directory's full path, so a test
// sees every path the code asks for in the log, and a bare or relative name finds nothing (as a
// planted DLL beside the program must never be what is found).

#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>

#include "platform/host/Machine.h"
#include "platform/host/Win32StandIn.h"

using standin::detail::Number;
using standin::detail::Pointer;
using standin::detail::Text;
using standin::detail::TheMachine;

namespace {

constexpr WORD kHighestVersion = 0x0101;

// The handle of the loaded wsock32.dll; any other handle is unknown.
HMODULE SocketsModule() {
  static char module;
  return reinterpret_cast<HMODULE>(&module);
}

// The handle of the loaded shell32.dll.
HMODULE ShellModule() {
  static char module;
  return reinterpret_cast<HMODULE>(&module);
}

standin::detail::Network& Net() {
  return TheMachine().network;
}

int WINAPI StandInWSAStartup(WORD version, LPWSADATA data) {
  auto& m = TheMachine();
  m.calls.Add({"WSAStartup", {Number(version)}});
  if (data == nullptr) return WSAEFAULT;
  if (m.network.startupError != 0) return m.network.startupError;
  // Version 1.0 and up are accepted; the agreed version is the lower of the two.
  std::memset(data, 0, sizeof *data);
  data->wVersion = version < kHighestVersion ? version : kHighestVersion;
  data->wHighVersion = kHighestVersion;
  std::strcpy(data->szDescription, "Stand-in Sockets 1.1");
  std::strcpy(data->szSystemStatus, "Running");
  ++m.network.startedCount;
  return 0;
}

int WINAPI StandInWSACleanup() {
  auto& m = TheMachine();
  m.calls.Add({"WSACleanup", {}});
  if (m.network.startedCount == 0) return SOCKET_ERROR;
  --m.network.startedCount;
  return 0;
}

int WINAPI StandInGetHostName(char* name, int length) {
  const auto& net = Net();
  if (net.startedCount == 0) return SOCKET_ERROR;  // WSANOTINITIALISED
  if (name == nullptr || length <= static_cast<int>(net.hostName.size()))
    return SOCKET_ERROR;  // WSAEFAULT
  std::memcpy(name, net.hostName.c_str(), net.hostName.size() + 1);
  return 0;
}

HOSTENT* WINAPI StandInGetHostByName(const char* name) {
  auto& net = Net();
  if (net.startedCount == 0 || name == nullptr) return nullptr;
  auto found = net.hosts.find(name);
  if (found == net.hosts.end() || found->second.empty()) return nullptr;  // WSAHOST_NOT_FOUND
  net.entryName = name;
  net.entryAddresses = found->second;
  net.entryAddressList.clear();
  for (auto& address : net.entryAddresses)
    net.entryAddressList.push_back(reinterpret_cast<char*>(address.data()));
  net.entryAddressList.push_back(nullptr);
  net.entryAliases[0] = nullptr;
  net.entry =
      HOSTENT{net.entryName.data(), net.entryAliases, AF_INET, 4, net.entryAddressList.data()};
  return &net.entry;
}

char* WINAPI StandInInetNtoa(IN_ADDR address) {
  uint8_t bytes[4];
  std::memcpy(bytes, &address, sizeof bytes);
  char* text = Net().addressText;
  std::snprintf(text, sizeof Net().addressText, "%u.%u.%u.%u", bytes[0], bytes[1], bytes[2],
                bytes[3]);
  return text;
}

template <class F>
FARPROC Export(F function) {
  return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(function));
}

bool IsSystemLibraryPath(const char* path, const char* fileName) {
  const std::string wanted = TheMachine().environment.systemDir + "\\" + fileName;
  return path != nullptr && standin::detail::SameName(path, wanted);
}

}  // namespace

namespace standin::detail {

void Network::Clear() {
  libraryPresent = true;
  loadCount = 0;
  shellLoadCount = 0;
  startupError = 0;
  startedCount = 0;
  hostName = "standin";
  hosts.clear();
  entry = HOSTENT{};
  entryName.clear();
  entryAddresses.clear();
  entryAddressList.clear();
  entryAliases[0] = nullptr;
  addressText[0] = '\0';
}

}  // namespace standin::detail

HMODULE WINAPI LoadLibraryExA(LPCSTR fileName, HANDLE reserved, DWORD flags) {
  auto& m = TheMachine();
  m.calls.Add({"LoadLibraryExA", {Text(fileName), Pointer(reserved), Number(flags)}});
  if (reserved != nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (IsSystemLibraryPath(fileName, "shell32.dll")) {
    ++m.network.shellLoadCount;
    return ShellModule();
  }
  if (!m.network.libraryPresent || !IsSystemLibraryPath(fileName, "wsock32.dll")) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  ++m.network.loadCount;
  return SocketsModule();
}

FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR procName) {
  // Exported names compare with their case.
  const std::string name = procName != nullptr ? procName : "";
  if (module == ShellModule() && Net().shellLoadCount > 0) {
    if (name == "ShellExecuteA") return Export(&ShellExecuteA);
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  if (module != SocketsModule() || Net().loadCount == 0) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  if (name == "WSAStartup") return Export(&StandInWSAStartup);
  if (name == "WSACleanup") return Export(&StandInWSACleanup);
  if (name == "gethostname") return Export(&StandInGetHostName);
  if (name == "gethostbyname") return Export(&StandInGetHostByName);
  if (name == "inet_ntoa") return Export(&StandInInetNtoa);
  SetLastError(ERROR_PROC_NOT_FOUND);
  return nullptr;
}

BOOL WINAPI FreeLibrary(HMODULE module) {
  auto& m = TheMachine();
  m.calls.Add({"FreeLibrary", {Pointer(module)}});
  if (module == ShellModule() && m.network.shellLoadCount > 0) {
    --m.network.shellLoadCount;
    return TRUE;
  }
  if (module != SocketsModule() || m.network.loadCount == 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  --m.network.loadCount;
  return TRUE;
}

namespace standin {

void RemoveSocketsLibrary() {
  Net().libraryPresent = false;
}
void FailSocketsStartup(int error) {
  Net().startupError = error;
}
void SetHostName(std::string_view name) {
  Net().hostName = name;
}
void SetHostAddresses(std::string_view name, std::vector<std::string> addresses) {
  std::vector<std::array<uint8_t, 4>> parsed;
  for (const std::string& text : addresses) {
    unsigned a, b, c, d;
    char rest;
    if (std::sscanf(text.c_str(), "%u.%u.%u.%u%c", &a, &b, &c, &d, &rest) != 4 || a > 255 ||
        b > 255 || c > 255 || d > 255)
      throw std::invalid_argument("standin: not a dotted IPv4 address: " + text);
    parsed.push_back({static_cast<uint8_t>(a), static_cast<uint8_t>(b), static_cast<uint8_t>(c),
                      static_cast<uint8_t>(d)});
  }
  Net().hosts[std::string(name)] = std::move(parsed);
}
int SocketsStartedCount() {
  return Net().startedCount;
}
int LoadedLibraryCount() {
  return Net().loadCount;
}

}  // namespace standin
