#include "launcher/SingleInstance.h"

#include <utility>

namespace {

// How long a later copy waits for the running copy's window: preparing a large installer takes a
// while, and its window comes only then.
constexpr DWORD kWaitForWindowMs = 60000;
constexpr DWORD kPollMs = 200;

struct TWindowSearch {
  const char* property;
  HWND found;
};

BOOL CALLBACK FindMarked(HWND Window, LPARAM Search) {
  auto& search = *reinterpret_cast<TWindowSearch*>(Search);
  if (GetPropA(Window, search.property) == nullptr || !IsWindowVisible(Window)) return TRUE;
  search.found = Window;
  return FALSE;
}

void BringForward(HWND Window) {
  if (IsIconic(Window)) ShowWindow(Window, SW_RESTORE);
  SetForegroundWindow(Window);
}

}  // namespace

TSingleInstance::TSingleInstance(std::string Name) : name_(std::move(Name)) {}

TSingleInstance::~TSingleInstance() {
  Unmark();
  if (mutex_ == nullptr) return;
  if (owned_) ReleaseMutex(mutex_);
  CloseHandle(mutex_);
}

bool TSingleInstance::Claim() {
  mutex_ = CreateMutexA(nullptr, FALSE, name_.c_str());
  if (mutex_ == nullptr) return true;
  const DWORD start = GetTickCount();
  for (;;) {
    // An abandoned mutex is a copy that ended without letting go: this one is the running one now.
    const DWORD wait = WaitForSingleObject(mutex_, kPollMs);
    if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED) return owned_ = true;
    if (HWND running = FindMarkedWindow()) {
      BringForward(running);
      return false;
    }
    if (GetTickCount() - start >= kWaitForWindowMs) return false;
  }
}

void TSingleInstance::Mark(HWND Window) {
  if (SetPropA(Window, name_.c_str(), reinterpret_cast<HANDLE>(1))) marked_ = Window;
}

void TSingleInstance::Unmark() {
  if (marked_ != nullptr) RemovePropA(marked_, name_.c_str());
  marked_ = nullptr;
}

HWND TSingleInstance::FindMarkedWindow() const {
  TWindowSearch search{name_.c_str(), nullptr};
  EnumWindows(&FindMarked, reinterpret_cast<LPARAM>(&search));
  return search.found;
}
