#include "sysinfo/acInet.h"

#include <cstring>
#include <memory>

#include "foundation/SystemLibrary.h"
#include "foundation/acUtils.h"
#include "platform/platform.h"

namespace {

constexpr WORD kSocketsVersion = 0x0101;
constexpr DWORD kHostNameChars = 260;
constexpr const char* kLoopback = "127.0.0.1";
constexpr const char* kRemoteAccessKey = "System\\CurrentControlSet\\Services\\RemoteAccess";
constexpr const char* kRemoteConnection = "Remote Connection";

// The sockets library and the five functions used, all present or the whole unusable.
struct TSockets {
  using TStartup = int(WINAPI*)(WORD, WSADATA*);
  using TCleanup = int(WINAPI*)();
  using TGetHostName = int(WINAPI*)(char*, int);
  using TGetHostByName = HOSTENT*(WINAPI*)(const char*);
  using TInetNtoa = char*(WINAPI*)(IN_ADDR);

  TSystemLibrary Library{"wsock32.dll"};
  TStartup Startup = Library.Function<TStartup>("WSAStartup");
  TCleanup Cleanup = Library.Function<TCleanup>("WSACleanup");
  TGetHostName GetHostName = Library.Function<TGetHostName>("gethostname");
  TGetHostByName GetHostByName = Library.Function<TGetHostByName>("gethostbyname");
  TInetNtoa InetNtoa = Library.Function<TInetNtoa>("inet_ntoa");

  bool Complete() const { return Startup && Cleanup && GetHostName && GetHostByName && InetNtoa; }
};

// Between start-up and shut-down; null before, after, and when the library is unusable.
std::unique_ptr<TSockets> sockets;
// Filled by WSAStartup and not read afterwards.
WSADATA startupData;

// The registry's dial-up state on Windows 9x: true with Online set when the value could be read.
bool ReadDialUpState(bool& Online) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRemoteAccessKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
    return false;
  BYTE data[4] = {};
  DWORD size = sizeof data;
  const LONG result = RegQueryValueExA(key, kRemoteConnection, nullptr, nullptr, data, &size);
  RegCloseKey(key);
  if (result != ERROR_SUCCESS) return false;
  Online = data[0] == 1;
  return true;
}

}  // namespace

void acInetStartUp() {
  auto loaded = std::make_unique<TSockets>();
  if (!loaded->Complete()) return;
  sockets = std::move(loaded);
  sockets->Startup(kSocketsVersion, &startupData);
}

void acInetShutDown() {
  if (!sockets) return;
  sockets->Cleanup();
  sockets.reset();
}

std::string GetLocalIPAddress() {
  if (!sockets) return "";
  char name[kHostNameChars];
  if (sockets->GetHostName(name, sizeof name) != 0) return "";
  const HOSTENT* host = sockets->GetHostByName(name);
  // An entry without an IPv4 address counts as no entry.
  if (host == nullptr || host->h_length != 4 || host->h_addr_list == nullptr ||
      host->h_addr_list[0] == nullptr)
    return "";
  IN_ADDR address;
  std::memcpy(&address, host->h_addr_list[0], sizeof address);
  const char* text = sockets->InetNtoa(address);
  return text != nullptr ? text : "";
}

bool HasNetworkAddress() {
  const std::string address = GetLocalIPAddress();
  return !address.empty() && address != kLoopback;
}

bool IsInternetConnected() {
  if (IsWinNT()) return HasNetworkAddress();
  bool online = false;
  if (ReadDialUpState(online)) return online;
  return HasNetworkAddress();
}
