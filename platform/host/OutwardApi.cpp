// Shell, message box and COM calls: logged with their arguments, not performed. Screen metrics
// come from the test-settable table.

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
