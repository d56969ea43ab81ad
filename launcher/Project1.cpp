// Program entry of Project1.exe: the installation launcher.
//
// Before anything else the DLL search is narrowed to the system folder, so no DLL planted beside
// the program (in a download folder, say) can be loaded in place of a system one, and a second
// copy of the same launcher hands over to the running one (SingleInstance.h). Then the
// modules start in their fixed order, the application creates the main window from its form data
// and runs until the window is closed, and the program finishes: the window and its components
// go first (the file storage removes what it wrote), then the modules shut down in reverse order.
// The end of the Windows session finishes the program the same way. A module that cannot start,
// or form data that cannot be read (a damaged resource), is reported in the error box, and the
// program ends with exit code 1 instead of letting the exception leave WinMain.

#include <cstdlib>
#include <exception>
#include <optional>

#include "launcher/SingleInstance.h"
#include "launcher/Unit1.h"
#include "platform/platform.h"
#include "runtime/LibraryModules.h"
#include "toolkit/core/Modules.h"
#include "toolkit/ui/TApplication.h"
#include "toolkit/ui/UIModules.h"
#ifdef AC_EXTRACTION_TIMING
#include "tests/bench/ExtractionTiming.h"
#endif

namespace {

constexpr char kTitle[] = "Installation";
constexpr int kFailed = 1;

// LOAD_LIBRARY_SEARCH_SYSTEM32, spelled out: older headers lack it.
constexpr DWORD kSearchSystem32 = 0x00000800;

// SetDefaultDllDirectories exists from Windows 8 on (and on 7 with an update); it is looked up at
// run time so that the program still starts where it is missing, Wine included.
void RestrictDllSearchToSystemFolder() {
  using TSetDefaultDllDirectories = BOOL(WINAPI*)(DWORD);
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  if (kernel == nullptr) return;
  const FARPROC found = GetProcAddress(kernel, "SetDefaultDllDirectories");
  if (found == nullptr) return;
  const auto setDefault =
      reinterpret_cast<TSetDefaultDllDirectories>(reinterpret_cast<void (*)()>(found));
  setDefault(kSearchSystem32);
}

// The modules in start-up order: the toolkit, the component library, the COM support, Unit1.
// Shut-down runs backwards.
constexpr TModule kBeforeLibrary[] = {kToolkitModule};
constexpr TModule kAfterLibrary[] = {
#ifdef AC_EXTRACTION_TIMING
    kExtractionTimingModule,  // the instrumented copy only (tests/bench/ExtractionTiming.h)
#endif
    kComSupportModule,
    kUnit1Module,
};
constexpr auto kModules = WithLibraryModules(kBeforeLibrary, kAfterLibrary);

TModuleTable Modules(kModules);

// Windows may end the process as soon as the end-of-session message has been handled: the
// program finishes before that (the window and its components first, so the file storage removes
// what it wrote, then the modules) and leaves as a closed window would. Nothing may unwind into
// the application's window procedure, whose object is gone by then; with the session ending
// there is no one to show an error to.
void EndSession() {
  int exitCode = 0;
  try {
    FinishProgram(Modules);
  } catch (...) {
    exitCode = kFailed;
  }
  std::exit(exitCode);
}

// A module whose start-up raised has been undone with those started before it, the application
// object included, so the error box is shown here, as the application shows its errors.
bool StartModules() {
  try {
    Modules.StartUp();
    return true;
  } catch (const std::exception& e) {
    MessageBoxA(nullptr, e.what(), kTitle, MB_ICONERROR);
  } catch (...) {
    MessageBoxA(nullptr, "Unknown error", kTitle, MB_ICONERROR);
  }
  return false;
}

// Creates the main window, which prepares the installer on its way. Form data that cannot be
// read, or an installer that proves damaged, leaves no window to run: the error goes to the
// application's box and the exit code is 1. When the user stopped the preparation, the program
// ends with exit code 0. Nothing: the window is ready to run.
std::optional<int> CreateMainForm() {
  try {
    Application->CreateForm(Form1);
    if (!Form1->InstallerPrepared()) return 0;
    return std::nullopt;
  } catch (...) {
    Application->HandleException(nullptr);
    return kFailed;
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  RestrictDllSearchToSystemFolder();
  TSingleInstance instance(LauncherIdentity());
  if (!instance.Claim()) return 0;
  if (!StartModules()) return kFailed;
  Application->Initialize();
  Application->SetTitle(kTitle);
  const std::optional<int> ended = CreateMainForm();
  if (!ended) {
    TApplication::SetEndSessionProc(&EndSession);
    instance.Mark(Form1->Handle());
    Application->Run();
    instance.Unmark();
  }
  FinishProgram(Modules);
  return ended.value_or(0);
}
