// The calling thread's last-error code, as GetLastError reports it.

#include "platform/host/Win32StandIn.h"

namespace {
thread_local DWORD lastError = 0;
}

DWORD WINAPI GetLastError() {
  return lastError;
}

void WINAPI SetLastError(DWORD code) {
  lastError = code;
}
