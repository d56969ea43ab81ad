// Shell, message box and COM calls: logged with their arguments, not performed. Screen metrics
// and the screen device context's capabilities come from test-settable tables.

#include "platform/host/Machine.h"
#include "platform/host/Win32StandIn.h"

using standin::detail::Number;
using standin::detail::Pointer;
using standin::detail::Text;
using standin::detail::TheMachine;

HINSTANCE WINAPI ShellExecuteA(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters,
                               LPCSTR directory, INT showCommand) {
  auto& log = TheMachine().calls;
  log.Add({"ShellExecuteA",
           {Pointer(owner), Text(verb), Text(file), Text(parameters), Text(directory),
            Number(showCommand)}});
  return log.shellExecuteResult;
}

INT WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  auto& log = TheMachine().calls;
  log.Add({"MessageBoxA", {Pointer(owner), Text(text), Text(caption), Number(type)}});
  return log.messageBoxResult;
}

HRESULT WINAPI CoInitialize(LPVOID reserved) {
  auto& log = TheMachine().calls;
  log.Add({"CoInitialize", {Pointer(reserved)}});
  // A second initialisation on the same thread succeeds with S_FALSE and must be balanced too.
  return ++log.comInitCount == 1 ? S_OK : S_FALSE;
}

void WINAPI CoUninitialize() {
  auto& log = TheMachine().calls;
  log.Add({"CoUninitialize", {}});
  if (log.comInitCount > 0) --log.comInitCount;
}

INT WINAPI GetSystemMetrics(INT index) {
  const auto& metrics = TheMachine().calls.metrics;
  auto it = metrics.find(index);
  return it == metrics.end() ? 0 : it->second;
}

namespace {
// The one screen device context; any other handle is invalid.
HDC ScreenDC() {
  static char screen;
  return reinterpret_cast<HDC>(&screen);
}
}  // namespace

HDC WINAPI GetDC(HWND window) {
  if (window != nullptr) return nullptr;
  ++TheMachine().calls.openScreenDCs;
  return ScreenDC();
}

INT WINAPI ReleaseDC(HWND window, HDC dc) {
  auto& log = TheMachine().calls;
  if (window != nullptr || dc != ScreenDC() || log.openScreenDCs == 0) return 0;
  --log.openScreenDCs;
  return 1;
}

INT WINAPI GetDeviceCaps(HDC dc, INT index) {
  if (dc != ScreenDC()) return 0;
  const auto& caps = TheMachine().calls.deviceCaps;
  auto it = caps.find(index);
  return it == caps.end() ? 0 : it->second;
}
