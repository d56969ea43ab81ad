// Program entry of Project1.exe: the installation launcher.
//
// Before anything else the DLL search is narrowed to the system folder, so no DLL planted beside
// the program (in a download folder, say) can be loaded in place of a system one. Then the
// modules start in their fixed order, the application creates the main window from its form data
// and runs until the window is closed, and the modules shut down in reverse order. Form data that
// cannot be read (a damaged resource) is reported in the error box, and the program ends with
// exit code 1 instead of letting the exception leave WinMain.

#include "launcher/Unit1.h"
#include "platform/platform.h"
#include "storage/acFileStorage.h"
#include "toolkit/Modules.h"
#include "toolkit/TApplication.h"
#include "toolkit/UIModules.h"

namespace {

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

// The modules with work to do, in start-up order; shut-down runs backwards. Of the library
// modules (acUtils, acClasses, acSFPack, acFileStorage, acGraphics, acInet, acSystemInfo, in
// that order) only acFileStorage has start-up work here: its classes must be registered before
// the form data names them.
constexpr TModule kModules[] = {
    kToolkitModule,
    {"acFileStorage", &RegisterFileStorageClasses, nullptr},
    kComSupportModule,
    {"Unit1", nullptr, &Unit1ShutDown},
};

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  RestrictDllSearchToSystemFolder();
  TModuleTable modules(kModules);
  modules.StartUp();
  Application->Initialize();
  Application->SetTitle("Installation");
  int exitCode = 0;
  try {
    Application->CreateForm(Form1);
  } catch (...) {
    Application->HandleException(nullptr);
    exitCode = 1;
  }
  if (exitCode == 0) Application->Run();
  // The window and its components go first (the file storage removes what it wrote), then the
  // modules, last started first.
  DoneApplication();
  modules.ShutDown();
  return exitCode;
}
