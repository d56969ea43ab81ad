// The network status against the stand-in: the online decision in every branch, read through the
// published InternetStatus as a form designer would, the sockets' start-up and shut-down, where
// the sockets library is loaded from, and the library's module order.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/host/StandInFixture.h"
#include "platform/platform.h"
#include "runtime/LibraryModules.h"
#include "sysinfo/acInet.h"
#include "sysinfo/acSystemInfo.h"
#include "toolkit/core/ClassRegistry.h"

namespace {

constexpr const char* kRemoteAccess = "System\\CurrentControlSet\\Services\\RemoteAccess";
constexpr const char* kSocketsPath = "C:\\WINDOWS\\SYSTEM32\\wsock32.dll";
using Bytes = std::vector<BYTE>;
const Bytes kDialUp{1, 0, 0, 0}, kNoDialUp{0, 0, 0, 0};

enum class Sockets { Work, Missing, StartupFails };

struct Case {
  const char* what;
  bool nt;
  bool remoteKey;                      // the RemoteAccess key exists
  std::optional<Bytes> value;          // its "Remote Connection" value, when present
  std::vector<std::string> addresses;  // the host name's; empty: it does not resolve
  Sockets sockets;
  TacInternetStatus want;
  const char* wantAddress;
};

const std::vector<std::string> kLan{"192.168.0.5"}, kLoop{"127.0.0.1"}, kNone{};
// clang-format off
const Case kCases[] = {
    {"9x dial-up on wins over loopback", false, true, kDialUp, kLoop, Sockets::Work, iOnline, "127.0.0.1"},
    {"9x dial-up off wins over a LAN address", false, true, kNoDialUp, kLan, Sockets::Work, iOffline, "192.168.0.5"},
    {"9x short value: only the first byte counts", false, true, Bytes{1}, kNone, Sockets::Work, iOnline, ""},
    {"9x no key, LAN", false, false, std::nullopt, kLan, Sockets::Work, iOnline, "192.168.0.5"},
    {"9x no key, loopback", false, false, std::nullopt, kLoop, Sockets::Work, iOffline, "127.0.0.1"},
    {"9x no value, LAN", false, true, std::nullopt, kLan, Sockets::Work, iOnline, "192.168.0.5"},
    {"9x value of 5 bytes, loopback", false, true, Bytes{1, 0, 0, 0, 0}, kLoop, Sockets::Work, iOffline, "127.0.0.1"},
    {"9x value of 5 bytes, LAN", false, true, Bytes{0, 0, 0, 0, 0}, kLan, Sockets::Work, iOnline, "192.168.0.5"},
    {"NT ignores dial-up off", true, true, kNoDialUp, kLan, Sockets::Work, iOnline, "192.168.0.5"},
    {"NT ignores dial-up on", true, true, kDialUp, kLoop, Sockets::Work, iOffline, "127.0.0.1"},
    {"NT unresolvable name", true, false, std::nullopt, kNone, Sockets::Work, iOffline, ""},
    {"NT first address counts", true, false, std::nullopt, {"10.0.0.7", "127.0.0.1"}, Sockets::Work, iOnline, "10.0.0.7"},
    {"NT loopback first", true, false, std::nullopt, {"127.0.0.1", "10.0.0.7"}, Sockets::Work, iOffline, "127.0.0.1"},
    {"NT no sockets library", true, false, std::nullopt, kLan, Sockets::Missing, iOffline, ""},
    {"9x no sockets library, no key", false, false, std::nullopt, kLan, Sockets::Missing, iOffline, ""},
    {"NT start-up failed", true, false, std::nullopt, kLan, Sockets::StartupFails, iOffline, ""},
};
// clang-format on

void Prepare(const Case& c) {
  standin::Reset();
  if (!c.nt) standin::SetVersion(4, 10, 2222, 1, " A ");  // Windows 98 SE
  if (c.remoteKey) standin::CreateRegKey(HKEY_LOCAL_MACHINE, kRemoteAccess);
  if (c.value)
    standin::SetRegValue(HKEY_LOCAL_MACHINE, kRemoteAccess, "Remote Connection", REG_BINARY,
                         *c.value);
  standin::SetHostName("box");
  if (!c.addresses.empty()) standin::SetHostAddresses("BOX", c.addresses);
  if (c.sockets == Sockets::Missing) standin::RemoveSocketsLibrary();
  if (c.sockets == Sockets::StartupFails) standin::FailSocketsStartup(WSASYSNOTREADY);
}

class InetTest : public standin::StandInTest {};

TEST_F(InetTest, OnlineDecisionInEveryBranch) {
  for (const Case& c : kCases) {
    Prepare(c);
    acInetStartUp();
    TComponentPtr<TacSystemInfo> info(new TacSystemInfo(nullptr));
    info->SetName("Info");
    info->ALLOW_EDIT = true;
    info->SetDesigning(true);
    const TPropInfo* prop = info->ClassInfo().FindProperty("InternetStatus");
    ASSERT_NE(prop, nullptr);
    EXPECT_EQ(prop->GetOrd(*info), c.want) << c.what;
    EXPECT_EQ(GetLocalIPAddress(), c.wantAddress) << c.what;
    // A write is the read-only notice and changes nothing; every key is closed again.
    prop->SetOrd(*info, c.want == iOnline ? iOffline : iOnline);
    EXPECT_EQ(standin::CallsOf("MessageBoxA").size(), 1u) << c.what;
    EXPECT_EQ(prop->GetOrd(*info), c.want) << c.what;
    EXPECT_EQ(standin::OpenRegHandleCount(), 0u) << c.what;
    acInetShutDown();
    EXPECT_EQ(standin::SocketsStartedCount(), 0) << c.what;
    EXPECT_EQ(standin::LoadedLibraryCount(), 0) << c.what;
  }
  EXPECT_EQ(TacInternetStatusInfo().ValueName(iOnline), "iOnline");
  EXPECT_EQ(TacInternetStatusInfo().ValueName(iOffline), "iOffline");
}

std::vector<std::string> Functions() {
  std::vector<std::string> log;
  for (const auto& call : standin::Calls()) log.push_back(call.function);
  return log;
}

// The library is asked for by the system directory's full path, whatever lies beside the program
// or in the current directory; once loaded, WSAStartup is asked for 1.1 once, and shut-down
// cleans up once before the library goes.
TEST_F(InetTest, StartUpAndShutDownLoadTheSystemLibraryOnce) {
  standin::WriteHostFile("C:\\Program Files\\Installation\\wsock32.dll", "planted");
  standin::WriteHostFile("C:\\wsock32.dll", "planted");
  acInetStartUp();
  EXPECT_EQ(standin::SocketsStartedCount(), 1);
  acInetShutDown();
  acInetShutDown();
  EXPECT_EQ(Functions(), (std::vector<std::string>{"LoadLibraryExA", "WSAStartup", "WSACleanup",
                                                   "FreeLibrary"}));
  EXPECT_EQ(standin::Calls()[0].ToString(),
            std::string("LoadLibraryExA(") + kSocketsPath + ", 0, 8)");
  EXPECT_EQ(standin::Calls()[1].ToString(), "WSAStartup(257)");
  EXPECT_EQ(standin::LoadedLibraryCount(), 0);

  // Another system directory gives another path; a missing library starts nothing.
  for (bool present : {true, false}) {
    standin::Reset();
    standin::SetSystemDirectory("D:\\OS\\System");
    if (!present) standin::RemoveSocketsLibrary();
    acInetStartUp();
    acInetShutDown();
    EXPECT_EQ(standin::Calls()[0].ToString(), "LoadLibraryExA(D:\\OS\\System\\wsock32.dll, 0, 8)");
    EXPECT_EQ(Functions().size(), present ? 4u : 1u);
  }
}

TEST_F(InetTest, LibraryModulesStartInOrderAndStopBackwards) {
  std::vector<std::string> names;
  for (const TModule& m : kLibraryModules) names.emplace_back(m.Name);
  EXPECT_EQ(names, (std::vector<std::string>{"acUtils", "acClasses", "acSFPack", "acFileStorage",
                                             "acGraphics", "acInet", "acSystemInfo"}));

  // The whole table as a program builds it: the sockets are started after the modules before
  // acInet and cleaned up after acSystemInfo has shut down.
  static std::vector<std::string> order;
  order.clear();
  const TModule before[] = {
      {"Forms", [] { order.push_back("+Forms"); },
       [] { order.push_back("-Forms " + std::to_string(standin::SocketsStartedCount())); }}};
  const TModule after[] = {
      {"Unit1", [] { order.push_back("+Unit1 " + std::to_string(standin::SocketsStartedCount())); },
       [] { order.push_back("-Unit1"); }}};
  const auto table = WithLibraryModules(before, after);
  ASSERT_EQ(table.size(), kLibraryModules.size() + 2);
  {
    TModuleTable modules(table);
    modules.StartUp();
    EXPECT_NE(GetClass("TacSystemInfo"), nullptr);
    EXPECT_NE(GetClass("TacFileStorage"), nullptr);
  }
  EXPECT_EQ(order, (std::vector<std::string>{"+Forms", "+Unit1 1", "-Unit1", "-Forms 0"}));
  EXPECT_EQ(standin::CallsOf("WSAStartup").size(), 1u);
  EXPECT_EQ(standin::CallsOf("WSACleanup").size(), 1u);
}

}  // namespace
