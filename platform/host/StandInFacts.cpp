// The test side of the machine facts: processors, memory, time since start, names, volumes and
// display modes.

#include "platform/host/Machine.h"
#include "platform/host/StandIn.h"

namespace standin {
using detail::TheMachine;

void SetProcessors(WORD architecture, DWORD processorType, DWORD count) {
  auto& info = TheMachine().facts.systemInfo;
  info.wProcessorArchitecture = architecture;
  info.dwProcessorType = processorType;
  info.dwNumberOfProcessors = count;
}

void SetMemoryStatus(const MEMORYSTATUS& status) {
  TheMachine().facts.memory = status;
}

void SetTickCount(DWORD milliseconds) {
  TheMachine().facts.tickCount = milliseconds;
}

void SetComputerName(std::string_view name) {
  TheMachine().facts.computerName = name;
}

void SetUserName(std::string_view name) {
  TheMachine().facts.userName = name;
}

void SetVolumeSerial(char drive, std::optional<DWORD> serial) {
  TheMachine().facts.volumeSerials[drive] = serial;
}

void SetDisplayModes(std::vector<DisplayMode> accepted) {
  TheMachine().facts.displayModes = std::move(accepted);
}

DisplayMode CurrentDisplayMode() {
  auto& log = TheMachine().calls;
  return DisplayMode{static_cast<DWORD>(log.deviceCaps[BITSPIXEL]),
                     static_cast<DWORD>(log.metrics[SM_CXSCREEN]),
                     static_cast<DWORD>(log.metrics[SM_CYSCREEN])};
}

}  // namespace standin
