#include "launcher/ShellOpen.h"

#include "foundation/SystemLibrary.h"

void ShellOpen(HWND Owner, const char* File, const char* Parameters) {
  const TSystemLibrary shell("shell32.dll");
  const auto shellExecute = shell.Function<decltype(&::ShellExecuteA)>("ShellExecuteA");
  if (shellExecute == nullptr) return;
  shellExecute(Owner, "open", File, Parameters, nullptr, SW_SHOW);
}
