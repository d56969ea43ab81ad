// pecheck PROGRAM.exe: lists the DLLs a program imports and fails (exit 1) when one of them is not
// a system DLL or its manifest does not ask to run as the invoker; exit 2 for an unreadable file.

#include <cstdio>
#include <fstream>
#include <iterator>

#include "tests/host/launcher/ProgramImage.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: pecheck PROGRAM.exe\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "pecheck: cannot open %s\n", argv[1]);
    return 2;
  }
  std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  try {
    const PeFile file(bytes);
    for (const std::string& dll : file.ImportedDlls()) std::printf("imports %s\n", dll.c_str());
    const auto problems = ProgramImageProblems(file);
    for (const std::string& problem : problems) std::printf("FAIL: %s\n", problem.c_str());
    if (problems.empty()) std::printf("ok: system DLLs only, manifest asks for asInvoker\n");
    return problems.empty() ? 0 : 1;
  } catch (const PeError& error) {
    std::fprintf(stderr, "pecheck: %s: %s\n", argv[1], error.what());
    return 2;
  }
}
