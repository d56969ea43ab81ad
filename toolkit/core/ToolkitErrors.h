// The exceptions the toolkit raises. Operating-system failures are values, never exceptions;
// these cover memory, streams, lists, assignment and form-data reading and writing.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

// Base of every toolkit error: carries the message shown to the user.
class EToolkitError : public std::exception {
 public:
  explicit EToolkitError(std::string Message) : message_(std::move(Message)) {}
  const char* what() const noexcept override { return message_.c_str(); }
  const std::string& Message() const { return message_; }

 private:
  std::string message_;
};

// A stream could not deliver or take the bytes asked for ("Stream read error").
class EStreamError : public EToolkitError {
 public:
  using EToolkitError::EToolkitError;
};

// Form data could not be read: names what was wrong and, where it applies, the byte offset.
class EReadError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};

// A stream refused bytes, or form data could not be written.
class EWriteError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};

// A list index or capacity outside its range: "List index out of bounds (5)".
class EListError : public EToolkitError {
 public:
  using EToolkitError::EToolkitError;
};

// Assignment between unrelated classes: "Cannot assign a TFoo to a TBar".
class EConvertError : public EToolkitError {
 public:
  using EToolkitError::EToolkitError;
};

// A class name that no registration knows.
class EClassNotFound : public EToolkitError {
 public:
  using EToolkitError::EToolkitError;
};

// Component naming and ownership problems (duplicate names).
class EComponentError : public EToolkitError {
 public:
  using EToolkitError::EToolkitError;
};

// The silent abort: unwinds like any error, but the application's error box ignores it.
class EAbort : public EToolkitError {
 public:
  EAbort() : EToolkitError("Operation aborted") {}
};

// Raises EAbort.
[[noreturn]] void Abort();

// The standard messages, so every caller words them the same way.
std::string ListIndexErrorText(int64_t Index);                      // List index out of bounds (5)
std::string AssignErrorText(const char* Source, const char* Dest);  // Cannot assign a X to a Y
inline constexpr const char* kStreamReadError = "Stream read error";
inline constexpr const char* kStreamWriteError = "Stream write error";
