// The program's own version of the C++ runtime's default terminate handler.
//
// The runtime's handler writes the type of an uncaught exception, demangled, to stderr before it
// aborts; it links the runtime's whole name demangler (about 50 KB, a sixth of the program). A
// window program has no stderr anyone reads, and WinMain catches every exception anyway, so this
// handler only aborts, as the runtime's does after its message. Being defined here, in an object
// of the program, it keeps the runtime's version and the demangler out of the link.

#include <cstdlib>
#include <exception>

namespace __gnu_cxx {
void __verbose_terminate_handler() {
  std::abort();
}
}  // namespace __gnu_cxx
