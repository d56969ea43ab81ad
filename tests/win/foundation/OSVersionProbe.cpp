// Prints what GetOSVersion and IsWinNT make of the version this process is told, e.g. "osXP 1".
// The version test runs renamed copies of it, each with its own Wine version setting.

#include <cstdio>
#include <string>

#include "foundation/acUtils.h"

int main() {
  const std::string name(TacOSVersionInfo().ValueName(GetOSVersion()));
  std::printf("%s %d\n", name.c_str(), IsWinNT() ? 1 : 0);
  return 0;
}
