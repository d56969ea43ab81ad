#include "toolkit/ui/UIModules.h"

#include <memory>

#include "platform/platform.h"
#include "toolkit/core/ClassRegistry.h"
#include "toolkit/core/GraphicsNames.h"
#include "toolkit/ui/TApplication.h"
#include "toolkit/ui/TBitBtn.h"
#include "toolkit/ui/TForm.h"
#include "toolkit/ui/TImage.h"
#include "toolkit/ui/TJPEGImage.h"
#include "toolkit/ui/TLabel.h"
#include "toolkit/ui/TPicture.h"
#include "toolkit/ui/TScreen.h"

namespace {

bool comInitialized = false;

void InitializeCom() {
  // S_FALSE (already initialised on this thread) also needs its CoUninitialize.
  comInitialized = SUCCEEDED(CoInitialize(nullptr));
}

}  // namespace

void ToolkitStartUp() {
  RegisterClass<TForm>();
  RegisterClass<TImage>();
  RegisterClass<TLabel>();
  RegisterClass<TBitBtn>();
  RegisterGraphicsNames();
  TPicture::RegisterFileFormat("TJPEGImage", [] { return std::make_unique<TJPEGImage>(); });
  if (!Screen) Screen = new TScreen(nullptr);
  if (!Application) Application = new TApplication(nullptr);
}

void ToolkitShutDown() {
  DoneApplication();
  if (Application) {
    Application->Free();
    Application = nullptr;
  }
  if (Screen) {
    Screen->Free();
    Screen = nullptr;
  }
}

void ComSupportStartUp() {
  TApplication::SetInitProc(&InitializeCom);
}

void ComSupportShutDown() {
  TApplication::SetInitProc(nullptr);
  if (comInitialized) {
    comInitialized = false;
    CoUninitialize();
  }
}

bool ComInitialized() {
  return comInitialized;
}

void FinishProgram(TModuleTable& Modules) {
  DoneApplication();
  Modules.ShutDown();
}
