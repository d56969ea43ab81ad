// Processor record, memory status, time since start, computer and user names, volume serials and
// display-mode changes of the simulated machine.

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstring>

#include "platform/host/Machine.h"
#include "platform/host/Win32StandIn.h"

using standin::DisplayMode;
using standin::detail::Number;
using standin::detail::Text;
using standin::detail::TheMachine;

namespace standin::detail {

void MachineFacts::Clear() {
  std::memset(&systemInfo, 0, sizeof systemInfo);
  systemInfo.wProcessorArchitecture = PROCESSOR_ARCHITECTURE_INTEL;
  systemInfo.dwPageSize = 4096;
  systemInfo.lpMinimumApplicationAddress = reinterpret_cast<LPVOID>(uintptr_t{0x10000});
  systemInfo.lpMaximumApplicationAddress = reinterpret_cast<LPVOID>(uintptr_t{0x7FFEFFFF});
  systemInfo.dwActiveProcessorMask = 1;
  systemInfo.dwNumberOfProcessors = 1;
  systemInfo.dwProcessorType = PROCESSOR_INTEL_PENTIUM;
  systemInfo.dwAllocationGranularity = 65536;
  systemInfo.wProcessorLevel = 6;
  std::memset(&memory, 0, sizeof memory);
  memory.dwMemoryLoad = 25;
  memory.dwTotalPhys = SIZE_T{512} << 20;
  memory.dwAvailPhys = SIZE_T{384} << 20;
  memory.dwTotalPageFile = SIZE_T{1} << 30;
  memory.dwAvailPageFile = SIZE_T{768} << 20;
  memory.dwTotalVirtual = (SIZE_T{2} << 30) - (SIZE_T{128} << 10);
  memory.dwAvailVirtual = SIZE_T{2000} << 20;
  tickCount = 0;
  computerName = "STANDIN-PC";
  userName = "User";
  volumeSerials = {{'C', 0x1234ABCDu}};
  displayModes.clear();
}

}  // namespace standin::detail

namespace {

// Text into a caller's buffer when it fits with its zero; otherwise nothing is written.
bool FitsInto(const std::string& text, LPSTR buffer, DWORD chars) {
  if (buffer == nullptr || text.size() + 1 > chars) return false;
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return true;
}

void ApplyMode(const DisplayMode& mode) {
  auto& log = TheMachine().calls;
  log.deviceCaps[BITSPIXEL] = static_cast<INT>(mode.bitsPerPel);
  for (INT index : {SM_CXSCREEN, SM_CXVIRTUALSCREEN})
    log.metrics[index] = static_cast<INT>(mode.width);
  for (INT index : {SM_CYSCREEN, SM_CYVIRTUALSCREEN})
    log.metrics[index] = static_cast<INT>(mode.height);
}

// The record up to and including dmDisplayFrequency, the shortest a display change can use.
constexpr size_t kShortestDisplayRecord = offsetof(DEVMODEA, dmICMMethod);

}  // namespace

void WINAPI GetSystemInfo(LPSYSTEM_INFO info) {
  *info = TheMachine().facts.systemInfo;
}

void WINAPI GlobalMemoryStatus(LPMEMORYSTATUS status) {
  *status = TheMachine().facts.memory;
  status->dwLength = sizeof(MEMORYSTATUS);
}

DWORD WINAPI GetTickCount() {
  return TheMachine().facts.tickCount;
}

// On success the size is the name's length; when the buffer is too small it is the room needed,
// the zero included.
BOOL WINAPI GetComputerNameA(LPSTR buffer, LPDWORD size) {
  const std::string& name = TheMachine().facts.computerName;
  if (!FitsInto(name, buffer, *size)) {
    *size = static_cast<DWORD>(name.size() + 1);
    SetLastError(ERROR_BUFFER_OVERFLOW);
    return FALSE;
  }
  *size = static_cast<DWORD>(name.size());
  return TRUE;
}

// Unlike the computer name, the size reported on success counts the terminating zero.
BOOL WINAPI GetUserNameA(LPSTR buffer, LPDWORD size) {
  const std::string& name = TheMachine().facts.userName;
  const bool fits = FitsInto(name, buffer, *size);
  *size = static_cast<DWORD>(name.size() + 1);
  if (!fits) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  return TRUE;
}

// Only a drive's root ("C:\"; null for the current drive's) names a volume. The volume has no
// label and an NTFS file system.
BOOL WINAPI GetVolumeInformationA(LPCSTR rootPathName, LPSTR volumeName, DWORD volumeNameChars,
                                  LPDWORD serialNumber, LPDWORD maxComponentLength,
                                  LPDWORD fileSystemFlags, LPSTR fileSystemName,
                                  DWORD fileSystemNameChars) {
  auto& m = TheMachine();
  const std::string root = rootPathName ? rootPathName : m.environment.currentDir.substr(0, 3);
  if (root.size() < 3 || !std::isalpha(static_cast<unsigned char>(root[0])) || root[1] != ':' ||
      (root[2] != '\\' && root[2] != '/')) {
    SetLastError(ERROR_INVALID_NAME);
    return FALSE;
  }
  if (root.size() > 3) {
    SetLastError(ERROR_DIR_NOT_ROOT);
    return FALSE;
  }
  const char drive = static_cast<char>(std::toupper(static_cast<unsigned char>(root[0])));
  if (!m.drives.IsMapped(drive)) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return FALSE;
  }
  auto serial = m.facts.volumeSerials.find(drive);
  if (serial != m.facts.volumeSerials.end() && !serial->second) {
    SetLastError(ERROR_NOT_READY);
    return FALSE;
  }
  if ((volumeName && !FitsInto("", volumeName, volumeNameChars)) ||
      (fileSystemName && !FitsInto("NTFS", fileSystemName, fileSystemNameChars))) {
    SetLastError(ERROR_BAD_LENGTH);
    return FALSE;
  }
  if (serialNumber)
    *serialNumber = serial == m.facts.volumeSerials.end() ? 0 : serial->second.value();
  if (maxComponentLength) *maxComponentLength = 255;
  // Case-sensitive search, case-preserved names, Unicode names on disk.
  if (fileSystemFlags) *fileSystemFlags = 0x7;
  return TRUE;
}

// Fields the record leaves out are taken from the current mode. A test is answered from the
// accepted modes; an accepted change becomes the current mode. Every call is logged with the
// record's size, its fields, the mode it asks for ("16 bpp 1024x768") and the flags.
LONG WINAPI ChangeDisplaySettingsA(LPDEVMODEA mode, DWORD flags) {
  auto& m = TheMachine();
  if (mode == nullptr) {
    // Back to the mode saved in the registry, which the simulation does not keep apart.
    m.calls.Add(
        {"ChangeDisplaySettingsA", {std::nullopt, std::nullopt, std::nullopt, Number(flags)}});
    return DISP_CHANGE_SUCCESSFUL;
  }
  DisplayMode wanted = standin::CurrentDisplayMode();
  if ((mode->dmFields & DM_BITSPERPEL) && mode->dmBitsPerPel)
    wanted.bitsPerPel = mode->dmBitsPerPel;
  if ((mode->dmFields & DM_PELSWIDTH) && mode->dmPelsWidth) wanted.width = mode->dmPelsWidth;
  if ((mode->dmFields & DM_PELSHEIGHT) && mode->dmPelsHeight) wanted.height = mode->dmPelsHeight;
  const std::string text = std::to_string(wanted.bitsPerPel) + " bpp " +
                           std::to_string(wanted.width) + "x" + std::to_string(wanted.height);
  m.calls.Add({"ChangeDisplaySettingsA",
               {Number(mode->dmSize), Number(mode->dmFields), Text(text.c_str()), Number(flags)}});
  if (mode->dmSize < kShortestDisplayRecord) return DISP_CHANGE_BADMODE;
  const auto& accepted = m.facts.displayModes;
  const bool known = wanted == standin::CurrentDisplayMode() ||
                     std::find(accepted.begin(), accepted.end(), wanted) != accepted.end();
  if (!known) return DISP_CHANGE_BADMODE;
  if (!(flags & CDS_TEST)) ApplyMode(wanted);
  return DISP_CHANGE_SUCCESSFUL;
}
