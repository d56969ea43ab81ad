#include "launcher/ShellOpen.h"

#include <memory>

#include "foundation/SystemLibrary.h"

namespace {

// shell32 from the first action on; empty before it and after ReleaseShell.
std::unique_ptr<TSystemLibrary> shell;

}  // namespace

intptr_t ShellOpen(HWND Owner, const char* File, const char* Parameters) {
  if (!shell) shell = std::make_unique<TSystemLibrary>("shell32.dll");
  const auto shellExecute = shell->Function<decltype(&::ShellExecuteA)>("ShellExecuteA");
  if (shellExecute == nullptr) return 0;
  return reinterpret_cast<intptr_t>(
      shellExecute(Owner, "open", File, Parameters, nullptr, SW_SHOW));
}

void ReleaseShell() {
  shell.reset();
}
