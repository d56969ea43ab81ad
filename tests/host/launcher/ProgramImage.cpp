#include "tests/host/launcher/ProgramImage.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>

namespace {

constexpr uint32_t kManifestId = 1;

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// The attribute values in a manifest are compared with either quote style.
std::string NormalisedQuotes(std::string text) {
  std::replace(text.begin(), text.end(), '\'', '"');
  return text;
}

std::string Hex(uint16_t value) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%x", value);
  return text;
}

}  // namespace

bool IsKnownSystemDll(const std::string& name) {
  static const std::array<const char*, 22> known = {
      "advapi32.dll", "comdlg32.dll", "gdi32.dll",   "imagehlp.dll", "imm32.dll",  "kernel32.dll",
      "msvcrt.dll",   "normaliz.dll", "ole32.dll",   "oleaut32.dll", "psapi.dll",  "rpcrt4.dll",
      "sechost.dll",  "setupapi.dll", "shell32.dll", "shlwapi.dll",  "user32.dll", "wldap32.dll",
      "ws2_32.dll",   "nsi.dll",      "combase.dll", "msctf.dll"};
  const std::string lower = Lower(name);
  return std::any_of(known.begin(), known.end(), [&](const char* k) { return lower == k; });
}

std::vector<std::string> ProgramImageProblems(const PeFile& file, uint16_t machine) {
  std::vector<std::string> problems;
  if (file.Machine() != machine) {
    problems.push_back("machine type " + Hex(file.Machine()) + ", expected " + Hex(machine));
  }
  for (const std::string& dll : file.ImportedDlls()) {
    if (!IsKnownSystemDll(dll)) problems.push_back("imports " + dll + ", not a system DLL");
  }
  const auto manifest = file.Resource(kRtManifest, kManifestId);
  if (!manifest) {
    problems.push_back("no manifest resource (type 24, id 1)");
    return problems;
  }
  const std::string text = NormalisedQuotes(std::string(manifest->begin(), manifest->end()));
  if (text.find("requestedExecutionLevel") == std::string::npos ||
      text.find("level=\"asInvoker\"") == std::string::npos) {
    problems.push_back("the manifest does not request asInvoker");
  }
  if (text.find("uiAccess=\"false\"") == std::string::npos) {
    problems.push_back("the manifest does not set uiAccess false");
  }
  return problems;
}
