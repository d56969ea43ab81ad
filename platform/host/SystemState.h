#pragma once
// The simulated system's version record, the priorities of the one process and thread, and the
// time-stamp counter, which advances only when the program sleeps, by a rate the test sets.

#include <cstdint>

#include "platform/host/Win32Types.h"

namespace standin::detail {

struct SystemState {
  SystemState() { Clear(); }
  // A fresh machine: Windows XP SP3 (5.1.2600, NT platform), normal priorities, counter at 0
  // advancing by nothing.
  void Clear();

  OSVERSIONINFOA version;
  bool versionQueryFails;
  DWORD priorityClass;
  INT threadPriority;
  uint64_t timeStampCounter;
  uint64_t ticksPerMillisecond;
};

}  // namespace standin::detail
