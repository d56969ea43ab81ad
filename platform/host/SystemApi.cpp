// Version, priority and time calls of the simulated system. Priority changes and sleeps are
// logged: a test checks what was changed and that it was restored.

#include <cstring>

#include "platform/host/Machine.h"
#include "platform/host/Win32StandIn.h"

using standin::detail::Number;
using standin::detail::Pointer;
using standin::detail::TheMachine;

namespace {

// The pseudo-handles Windows gives for the calling process and thread.
const HANDLE kCurrentProcess = reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1));
const HANDLE kCurrentThread = reinterpret_cast<HANDLE>(static_cast<intptr_t>(-2));

constexpr DWORD kVersionInfoExSize = sizeof(OSVERSIONINFOA) + 8;

bool IsPriorityClass(DWORD value) {
  switch (value) {
    case NORMAL_PRIORITY_CLASS:
    case IDLE_PRIORITY_CLASS:
    case HIGH_PRIORITY_CLASS:
    case REALTIME_PRIORITY_CLASS:
    case BELOW_NORMAL_PRIORITY_CLASS:
    case ABOVE_NORMAL_PRIORITY_CLASS:
      return true;
    default:
      return false;
  }
}

// Idle and time-critical always; otherwise lowest to highest, and in the real-time class the
// wider range -7 to 6 as well.
bool IsThreadPriority(INT value, DWORD priorityClass) {
  if (value == THREAD_PRIORITY_IDLE || value == THREAD_PRIORITY_TIME_CRITICAL) return true;
  const bool realtime = priorityClass == REALTIME_PRIORITY_CLASS;
  return value >= (realtime ? -7 : THREAD_PRIORITY_LOWEST) &&
         value <= (realtime ? 6 : THREAD_PRIORITY_HIGHEST);
}

}  // namespace

namespace standin::detail {

void SystemState::Clear() {
  std::memset(&version, 0, sizeof version);
  version.dwOSVersionInfoSize = sizeof version;
  version.dwMajorVersion = 5;
  version.dwMinorVersion = 1;
  version.dwBuildNumber = 2600;
  version.dwPlatformId = VER_PLATFORM_WIN32_NT;
  std::strcpy(version.szCSDVersion, "Service Pack 3");
  versionQueryFails = false;
  priorityClass = NORMAL_PRIORITY_CLASS;
  threadPriority = THREAD_PRIORITY_NORMAL;
  timeStampCounter = 0;
  ticksPerMillisecond = 0;
}

}  // namespace standin::detail

BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA info) {
  const auto& system = TheMachine().system;
  if (info == nullptr) {
    SetLastError(ERROR_NOACCESS);
    return FALSE;
  }
  const DWORD size = info->dwOSVersionInfoSize;
  if ((size != sizeof(OSVERSIONINFOA) && size != kVersionInfoExSize) || system.versionQueryFails) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  // Only the basic record is simulated; the extended fields stay as the caller set them.
  std::memcpy(info, &system.version, sizeof(OSVERSIONINFOA));
  info->dwOSVersionInfoSize = size;
  return TRUE;
}

HANDLE WINAPI GetCurrentProcess() {
  return kCurrentProcess;
}

HANDLE WINAPI GetCurrentThread() {
  return kCurrentThread;
}

DWORD WINAPI GetPriorityClass(HANDLE process) {
  if (process != kCurrentProcess) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  return TheMachine().system.priorityClass;
}

BOOL WINAPI SetPriorityClass(HANDLE process, DWORD priorityClass) {
  auto& m = TheMachine();
  m.calls.Add({"SetPriorityClass", {Pointer(process), Number(priorityClass)}});
  if (process != kCurrentProcess) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (!IsPriorityClass(priorityClass)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  m.system.priorityClass = priorityClass;
  return TRUE;
}

INT WINAPI GetThreadPriority(HANDLE thread) {
  if (thread != kCurrentThread) {
    SetLastError(ERROR_INVALID_HANDLE);
    return THREAD_PRIORITY_ERROR_RETURN;
  }
  return TheMachine().system.threadPriority;
}

BOOL WINAPI SetThreadPriority(HANDLE thread, INT priority) {
  auto& m = TheMachine();
  m.calls.Add({"SetThreadPriority", {Pointer(thread), Number(priority)}});
  if (thread != kCurrentThread) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (!IsThreadPriority(priority, m.system.priorityClass)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  m.system.threadPriority = priority;
  return TRUE;
}

void WINAPI Sleep(DWORD milliseconds) {
  auto& m = TheMachine();
  m.calls.Add({"Sleep", {Number(milliseconds)}});
  m.system.timeStampCounter += m.system.ticksPerMillisecond * milliseconds;
  m.facts.tickCount += milliseconds;
}

uint64_t ReadTimeStampCounter() {
  return TheMachine().system.timeStampCounter;
}
