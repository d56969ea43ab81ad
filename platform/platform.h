#pragma once
// The Win32 surface the library calls. On Windows these are the system's own headers; on the host
// a stand-in declares exactly the subset we use and simulates a machine behind it
// (platform/host/), so one source serves both builds.

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// Windows Sockets 1.1, the version the network status asks for; only its records are used, since
// wsock32.dll is loaded at run time from the system folder rather than imported.
#include <intrin.h>
#include <objbase.h>
#include <shellapi.h>
#include <winsock.h>

#include <cstdint>

// The processor's time-stamp counter; on the host the stand-in's counter, which tests set. The
// x86_64 headers already define ReadTimeStampCounter() (a macro for __rdtsc); the i686 ones do not.
#ifndef ReadTimeStampCounter
inline uint64_t ReadTimeStampCounter() {
  return __rdtsc();
}
#endif
#else
#include "platform/host/Win32StandIn.h"
#endif
