// The one owner of a Windows file handle: closed when the owner goes, on every path out of a
// function, exceptions included. A failed CreateFileA (INVALID_HANDLE_VALUE) makes an empty owner.
#pragma once

#include <utility>

#include "platform/platform.h"

class TFileHandle {
 public:
  TFileHandle() = default;
  explicit TFileHandle(HANDLE Handle) : handle_(Handle) {}
  ~TFileHandle() { Close(); }
  TFileHandle(TFileHandle&& Other) noexcept
      : handle_(std::exchange(Other.handle_, INVALID_HANDLE_VALUE)) {}
  TFileHandle& operator=(TFileHandle&& Other) noexcept {
    if (this != &Other) {
      Close();
      handle_ = std::exchange(Other.handle_, INVALID_HANDLE_VALUE);
    }
    return *this;
  }
  TFileHandle(const TFileHandle&) = delete;
  TFileHandle& operator=(const TFileHandle&) = delete;

  explicit operator bool() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
  HANDLE Get() const { return handle_; }

  void Close() {
    if (*this) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
};
