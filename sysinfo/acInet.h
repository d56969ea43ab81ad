// The program's view of the network: Windows Sockets 1.1 started once for the whole run, the
// local host's address, and a coarse decision whether the machine is online.
//
// The sockets library (wsock32.dll) is loaded at start-up from the system directory by its full
// path, never imported, so a DLL of that name beside the program is never used. Without it (or
// when one of its functions is missing) every routine here behaves as after a failed WSAStartup:
// no address, offline.
//
// Online decision: on NT, whether the host has an address other than loopback. On Windows 9x the
// dial-up state of the registry wins when it can be read (value "Remote Connection" of the key
// HKLM\System\CurrentControlSet\Services\RemoteAccess, first byte 1 = online); otherwise the
// same address test.
// A host-name lookup may wait as long as the system's resolver takes.
#pragma once

#include <string>

#include "toolkit/core/Modules.h"

// Dotted text of the first address the resolver gives for the local host name; empty when the
// name or its address cannot be found.
std::string GetLocalIPAddress();
// Whether GetLocalIPAddress gives an address other than "127.0.0.1".
bool HasNetworkAddress();
bool IsInternetConnected();

// Start-up: loads the sockets library and calls WSAStartup asking for version 1.1 (its result is
// not examined). Shut-down: WSACleanup, then the library is freed.
void acInetStartUp();
void acInetShutDown();
inline constexpr TModule kacInetModule{"acInet", &acInetStartUp, &acInetShutDown};
