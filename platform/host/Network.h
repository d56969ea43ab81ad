#pragma once
// The simulated machine's sockets library: whether wsock32.dll is there, how often it (and
// shell32.dll) is loaded and started, the host's name and the resolver's table, and the buffers
// Windows keeps per thread for the last host entry and the last address text.

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/host/NameCompare.h"
#include "platform/host/Win32Types.h"

namespace standin::detail {

struct NameOrder {
  bool operator()(const std::string& a, const std::string& b) const { return NameLess(a, b); }
};

struct Network {
  Network() { Clear(); }
  void Clear();

  bool libraryPresent;
  int loadCount;
  int shellLoadCount;  // shell32.dll, the other library loaded at run time
  int startupError;    // 0: WSAStartup succeeds
  int startedCount;
  std::string hostName;
  std::map<std::string, std::vector<std::array<uint8_t, 4>>, NameOrder> hosts;

  // The last host entry gethostbyname returned, and what it points into.
  HOSTENT entry;
  std::string entryName;
  std::vector<std::array<uint8_t, 4>> entryAddresses;
  std::vector<char*> entryAddressList;
  char* entryAliases[1];
  char addressText[16];
};

}  // namespace standin::detail
