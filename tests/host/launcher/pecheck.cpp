// pecheck i386|amd64 PROGRAM.exe: lists the DLLs a program imports and fails (exit 1) when the
// program is built for another machine, imports a DLL that is not a system DLL, or its manifest
// does not ask to run as the invoker; exit 2 for wrong arguments or an unreadable file.

#include <cstdio>
#include <fstream>
#include <iterator>

#include "tests/host/launcher/ProgramImage.h"

int main(int argc, char** argv) {
  const std::string machineName = argc == 3 ? argv[1] : "";
  if (machineName != "i386" && machineName != "amd64") {
    std::fprintf(stderr, "usage: pecheck i386|amd64 PROGRAM.exe\n");
    return 2;
  }
  const uint16_t machine = machineName == "i386" ? kMachineI386 : kMachineAmd64;
  const char* path = argv[2];
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "pecheck: cannot open %s\n", path);
    return 2;
  }
  std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  try {
    const PeFile file(bytes);
    for (const std::string& dll : file.ImportedDlls()) std::printf("imports %s\n", dll.c_str());
    const auto problems = ProgramImageProblems(file, machine);
    for (const std::string& problem : problems) std::printf("FAIL: %s\n", problem.c_str());
    if (problems.empty())
      std::printf("ok: %s program, system DLLs only, manifest asks for asInvoker\n",
                  machineName.c_str());
    return problems.empty() ? 0 : 1;
  } catch (const PeError& error) {
    std::fprintf(stderr, "pecheck: %s: %s\n", path, error.what());
    return 2;
  }
}
