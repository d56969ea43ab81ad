// closewindow.exe TITLE [SECONDS]: asks the top-level window titled TITLE to close, as its close
// box does (WM_CLOSE), and waits until it is gone. Waits up to SECONDS (default 30) for the window
// to appear first. Exit code 0 when the window appeared and went, 1 when it never appeared, 2 when
// it stayed. The scripts use it to end a program under Wine as a user would; Wine's taskkill /im
// cannot name the processes of the emulated 32-bit Wine.

#include <cstdio>
#include <cstdlib>

#include "platform/platform.h"

namespace {

constexpr DWORD kStepMilliseconds = 100;

// The window titled `title`, waiting up to `milliseconds` for it; nullptr when none came.
HWND WaitForWindow(const char* title, DWORD milliseconds) {
  for (DWORD waited = 0;; waited += kStepMilliseconds) {
    if (HWND window = FindWindowA(nullptr, title)) return window;
    if (waited >= milliseconds) return nullptr;
    Sleep(kStepMilliseconds);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: closewindow TITLE [SECONDS]\n");
    return 1;
  }
  const DWORD milliseconds = (argc == 3 ? std::strtoul(argv[2], nullptr, 10) : 30) * 1000;
  HWND window = WaitForWindow(argv[1], milliseconds);
  if (!window) {
    std::fprintf(stderr, "closewindow: no window \"%s\"\n", argv[1]);
    return 1;
  }
  PostMessageA(window, WM_CLOSE, 0, 0);
  for (DWORD waited = 0; IsWindow(window); waited += kStepMilliseconds) {
    if (waited >= milliseconds) {
      std::fprintf(stderr, "closewindow: \"%s\" is still there\n", argv[1]);
      return 2;
    }
    Sleep(kStepMilliseconds);
  }
  return 0;
}
