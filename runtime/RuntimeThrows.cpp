// The shipped programs' own versions of the C++ runtime's throw helpers (std::__throw_length_error
// and its kin), which the standard containers and strings call when a size or index is out of
// range.
//
// The runtime's versions throw std::length_error, std::out_of_range and the rest of the
// std::logic_error family, whose constructors take both kinds of std::string the runtime carries;
// linking them pulls in the runtime's copy-on-write string, its current string and the random
// device that shares their object file, a large share of the launcher. These throw the
// standard bad_* types where the runtime does, and for the logic and runtime errors an exception
// of our own that is a std::exception, which is all the programs catch (the application's error
// box, WinMain, sysinfo's main). Being defined here, in an object of the program, they keep the
// runtime's object out of the link; one that is missing here would bring it back and fail the
// link with duplicate definitions, so the set cannot silently drift.

#include <bits/functexcept.h>

#include <exception>
#include <new>
#include <typeinfo>

namespace {

// A logic or runtime error raised inside the standard library. Its message is the text the
// library passes, a string literal; for out-of-range indexes that is a printf format whose
// numbers are left unfilled.
class TStandardLibraryError : public std::exception {
 public:
  explicit TStandardLibraryError(const char* Message) noexcept : message_(Message) {}
  const char* what() const noexcept override { return message_ != nullptr ? message_ : "error"; }

 private:
  const char* message_;
};

[[noreturn]] void Raise(const char* Message) {
  throw TStandardLibraryError(Message);
}

}  // namespace

namespace std {

void __throw_bad_exception() {
  throw bad_exception();
}
void __throw_bad_alloc() {
  throw bad_alloc();
}
void __throw_bad_array_new_length() {
  throw bad_array_new_length();
}
void __throw_bad_cast() {
  throw bad_cast();
}
void __throw_bad_typeid() {
  throw bad_typeid();
}
void __throw_logic_error(const char* Message) {
  Raise(Message);
}
void __throw_domain_error(const char* Message) {
  Raise(Message);
}
void __throw_invalid_argument(const char* Message) {
  Raise(Message);
}
void __throw_length_error(const char* Message) {
  Raise(Message);
}
void __throw_out_of_range(const char* Message) {
  Raise(Message);
}
void __throw_out_of_range_fmt(const char* Format, ...) {
  Raise(Format);
}
void __throw_runtime_error(const char* Message) {
  Raise(Message);
}
void __throw_range_error(const char* Message) {
  Raise(Message);
}
void __throw_overflow_error(const char* Message) {
  Raise(Message);
}
void __throw_underflow_error(const char* Message) {
  Raise(Message);
}

}  // namespace std
