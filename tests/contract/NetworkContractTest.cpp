// Loading the sockets library by its full system path and the Windows Sockets 1.1 calls the
// network status makes, pinned against Windows (under Wine) and the simulated machine. What the
// local name resolves to differs between machines, so only the shape of a resolver answer is
// pinned.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/platform.h"
#include "tests/contract/ContractMachine.h"
#include "tests/contract/ContractSupport.h"

namespace contract {
namespace {

using TStartup = int(WINAPI*)(WORD, WSADATA*);
using TCleanup = int(WINAPI*)();
using TGetHostName = int(WINAPI*)(char*, int);
using TGetHostByName = HOSTENT*(WINAPI*)(const char*);
using TInetNtoa = char*(WINAPI*)(IN_ADDR);

template <class F>
F Function(HMODULE module, const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

std::string SystemPath(const char* fileName) {
  char dir[MAX_PATH];
  const UINT length = GetSystemDirectoryA(dir, sizeof dir);
  return length > 0 && length < sizeof dir ? std::string(dir, length) + "\\" + fileName : "";
}

class NetworkContract : public ::testing::Test {
 protected:
  void SetUp() override { PrepareMachine(); }
  void TearDown() override { ReleaseMachine(); }
};

TEST_F(NetworkContract, LibrariesLoadByFullPathOnly) {
  const std::string path = SystemPath("wsock32.dll");
  ASSERT_FALSE(path.empty());
  HMODULE sockets = LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  ASSERT_NE(sockets, nullptr);
  for (const char* name : {"WSAStartup", "WSACleanup", "gethostname", "gethostbyname", "inet_ntoa"})
    EXPECT_NE(GetProcAddress(sockets, name), nullptr) << name;
  SetLastError(0);
  EXPECT_EQ(GetProcAddress(sockets, "ac_no_such_function"), nullptr);
  EXPECT_EQ(Code(ERROR_PROC_NOT_FOUND), GetLastError());
  EXPECT_TRUE(FreeLibrary(sockets));

  // The shell, loaded only when a user's action needs ShellExecuteA.
  HMODULE shell =
      LoadLibraryExA(SystemPath("shell32.dll").c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  ASSERT_NE(shell, nullptr);
  EXPECT_NE(GetProcAddress(shell, "ShellExecuteA"), nullptr);
  EXPECT_TRUE(FreeLibrary(shell));

  // A missing file, by full path or by bare name.
  for (const std::string& missing :
       {SystemPath("ac_no_such_library.dll"), std::string("ac_no_such_library.dll")}) {
    SetLastError(0);
    EXPECT_EQ(LoadLibraryExA(missing.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH), nullptr);
    EXPECT_EQ(Code(ERROR_MOD_NOT_FOUND), GetLastError()) << missing;
  }
}

TEST_F(NetworkContract, SocketsStartResolveAndCleanUp) {
  HMODULE sockets =
      LoadLibraryExA(SystemPath("wsock32.dll").c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  ASSERT_NE(sockets, nullptr);
  auto startup = Function<TStartup>(sockets, "WSAStartup");
  auto cleanup = Function<TCleanup>(sockets, "WSACleanup");
  auto getHostName = Function<TGetHostName>(sockets, "gethostname");
  auto getHostByName = Function<TGetHostByName>(sockets, "gethostbyname");
  auto inetNtoa = Function<TInetNtoa>(sockets, "inet_ntoa");

  WSADATA data;
  ASSERT_EQ(startup(0x0101, &data), 0);
  EXPECT_EQ(data.wVersion, 0x0101);
  EXPECT_GE(data.wHighVersion, 0x0101);

  char name[260];
  ASSERT_EQ(getHostName(name, sizeof name), 0);
  EXPECT_GT(std::strlen(name), 0u);
  char tiny[1];
  EXPECT_EQ(getHostName(tiny, sizeof tiny), SOCKET_ERROR);

  // The local name may or may not resolve; an answer is IPv4 with dotted text.
  if (const HOSTENT* host = getHostByName(name)) {
    EXPECT_EQ(host->h_addrtype, AF_INET);
    EXPECT_EQ(host->h_length, 4);
    ASSERT_NE(host->h_addr_list[0], nullptr);
    IN_ADDR first;
    std::memcpy(&first, host->h_addr_list[0], sizeof first);
    unsigned a, b, c, d;
    EXPECT_EQ(std::sscanf(inetNtoa(first), "%u.%u.%u.%u", &a, &b, &c, &d), 4);
  }
  const BYTE bytes[4] = {192, 168, 0, 5};
  IN_ADDR address;
  std::memcpy(&address, bytes, sizeof address);
  EXPECT_STREQ(inetNtoa(address), "192.168.0.5");

  EXPECT_EQ(cleanup(), 0);
  EXPECT_EQ(cleanup(), SOCKET_ERROR);
  EXPECT_TRUE(FreeLibrary(sockets));
}

}  // namespace
}  // namespace contract
