// One copy of a launcher at a time. A user who double-clicks twice, or once more while the window
// is being prepared, gets the window of the copy that runs, brought to the front; the later copy
// ends at once with exit code 0, having written nothing. Two copies would both put the installer
// into TEMP under one name: the later one could not replace the file the first holds, and the
// first to end could not remove the file the other holds.
//
// A named mutex, owned by the running copy for its whole life, tells the copies apart; its name
// says which launcher it is (installer name and CRC-32), so launchers of other products or
// versions run side by side. The running copy marks its main window with a window property of the
// same name, by which a later copy finds it.
#pragma once

#include <string>

#include "platform/platform.h"

class TSingleInstance {
 public:
  // Name: letters, digits and dots; no backslash (it would name a kernel namespace).
  explicit TSingleInstance(std::string Name);
  // Lets the mutex go (after the program has removed its files: the next copy may start then).
  ~TSingleInstance();
  TSingleInstance(const TSingleInstance&) = delete;
  TSingleInstance& operator=(const TSingleInstance&) = delete;

  // True when this is the running copy from now on. Otherwise waits for the running copy's
  // window, brings it to the front and says false; when that copy ends meanwhile, this one takes
  // over and says true. Where Windows offers no named mutex, every copy runs.
  bool Claim();

  // Marks the main window so that a later copy finds it; Unmark takes the mark off again.
  void Mark(HWND Window);
  void Unmark();

 private:
  HWND FindMarkedWindow() const;

  std::string name_;
  HANDLE mutex_ = nullptr;
  bool owned_ = false;
  HWND marked_ = nullptr;
};
