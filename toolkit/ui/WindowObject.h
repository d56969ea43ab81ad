// The object behind a window of ours: handed to CreateWindowExA as its creation parameter, kept
// in the window's GWLP_USERDATA from WM_NCCREATE (the window's first message) on, and read back
// by the window procedure on every message.
#pragma once

#include "platform/platform.h"

// The object of Window: on WM_NCCREATE taken from the creation parameter and stored, otherwise
// the one stored; null before WM_NCCREATE and for a window created without one.
template <typename T>
T* WindowObject(HWND Window, UINT Message, LPARAM LParam) {
  if (Message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(LParam);
    SetWindowLongPtrA(Window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  return reinterpret_cast<T*>(GetWindowLongPtrA(Window, GWLP_USERDATA));
}
