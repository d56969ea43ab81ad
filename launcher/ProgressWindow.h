// The small window "Installation" that shows how far the preparation of a large installer has
// come, with a bar and one German line. It appears only when the preparation has taken half a
// second and is not done, so a small installer never shows it. Between the blocks of the
// preparation it lets the thread's messages through, so that it paints, moves and answers while
// the program stays on one thread. Its close box asks to stop the preparation.
#pragma once

#include <cstdint>

#include "platform/platform.h"

class TProgressWindow {
 public:
  TProgressWindow() = default;
  ~TProgressWindow();
  TProgressWindow(const TProgressWindow&) = delete;
  TProgressWindow& operator=(const TProgressWindow&) = delete;

  // Done of Total bytes are through: shows or updates the window and lets waiting messages
  // through. False once the user has closed the window.
  bool Update(uint64_t Done, uint64_t Total);

  // Whether the user has closed the window.
  bool Stopped() const { return stopped_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam);
  void Create();
  void Paint(HWND Window) const;

  HWND window_ = nullptr;
  DWORD started_ = 0;
  bool timing_ = false;
  bool stopped_ = false;
  int permille_ = -1;  // what the bar shows, in thousandths
};
