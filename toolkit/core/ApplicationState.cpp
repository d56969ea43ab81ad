#include "toolkit/core/ApplicationState.h"

#include "toolkit/core/TComponent.h"

namespace {
TComponent* application = nullptr;
}  // namespace

void SetApplicationComponent(TComponent* Application) {
  application = Application;
}

TComponent* ApplicationComponent() {
  return application;
}

bool ApplicationDestroying() {
  return application != nullptr && application->InState(csDestroying);
}
