#pragma once
// The simulated machine's hardware and identity: the processor record, the memory status, the
// computer and user names, the volume serials, and the display modes the driver accepts.

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/host/StandIn.h"
#include "platform/host/Win32MachineTypes.h"

namespace standin::detail {

struct MachineFacts {
  MachineFacts() { Clear(); }
  // A fresh machine: one Intel Pentium (architecture 0, type 586), 512 MB of memory at 25 % load
  // and 2 GB of address space, computer STANDIN-PC, user User, drive C: with serial 0x1234ABCD,
  // and the display accepting only its current mode.
  void Clear();

  SYSTEM_INFO systemInfo;
  MEMORYSTATUS memory;
  DWORD tickCount;
  std::string computerName;
  std::string userName;
  std::map<char, std::optional<DWORD>> volumeSerials;
  // Empty: only the current mode is accepted.
  std::vector<DisplayMode> displayModes;
};

}  // namespace standin::detail
