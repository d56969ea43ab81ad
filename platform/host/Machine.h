#pragma once
// The one simulated machine behind the host's Win32 functions. Tests run on one thread; the
// machine takes no locks.

#include <filesystem>

#include "platform/host/CallLog.h"
#include "platform/host/CursorSet.h"
#include "platform/host/DriveMap.h"
#include "platform/host/Environment.h"
#include "platform/host/FileTable.h"
#include "platform/host/MachineFacts.h"
#include "platform/host/Network.h"
#include "platform/host/RegistryTree.h"
#include "platform/host/SystemState.h"

namespace standin::detail {

struct Machine {
  Machine() = default;
  Machine(const Machine&) = delete;
  Machine& operator=(const Machine&) = delete;
  // Removes the scratch folders left by the last Reset when the test program ends.
  ~Machine();

  RegistryTree registry;
  DriveMap drives;
  FileTable files;
  Environment environment;
  CallLog calls;
  CursorSet cursors;
  SystemState system;
  Network network;
  MachineFacts facts;
  std::filesystem::path scratch;  // the host folder holding the drives; empty when discarded
};

Machine& TheMachine();

// A machine set to the 9x platform has most wide (...W) calls only as stubs, which fail with
// ERROR_CALL_NOT_IMPLEMENTED, as Windows 95, 98 and ME do.
bool WideCallsAreStubs();

// Makes a Windows path full (against the current directory) and translates it to the host.
LONG ResolvePath(const char* windowsPath, bool allowWildcards, WindowsPath& full,
                 std::filesystem::path& host);

}  // namespace standin::detail
