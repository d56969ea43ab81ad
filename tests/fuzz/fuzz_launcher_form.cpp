// The window text that sfpack wrap --form reads: arbitrary bytes as the edited text form, turned
// into form data (the installer marker filled in, the text converted), checked for what the
// launcher needs and loaded by the program's form reader into the window's classes. Either step may
// refuse, with WrapError; nothing else may leave, and no input may crash or read out of bounds.
// Inputs with an "@" other than the marker's are skipped: they could name a file to splice, and the
// fuzzer never reads files of the machine.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tools/sfpack/LauncherForm.h"
#include "tools/sfpack/LauncherFormCheck.h"
#include "tools/sfpack/LauncherWrap.h"

namespace {

bool OnlyMarkers(std::string_view Text) {
  const std::string_view marker = sfpack::kInstallerMarker;
  for (size_t at = Text.find('@'); at != std::string_view::npos; at = Text.find('@', at + 1)) {
    if (at == 0 || Text.substr(at - 1, marker.size()) != marker) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (!OnlyMarkers(text)) return 0;
  try {
    std::vector<formtext::SourceLine> lines;
    const std::vector<uint8_t> form = sfpack::BuildLauncherForm(text, {}, &lines);
    sfpack::CheckLauncherForm(form, text, lines);
  } catch (const sfpack::WrapError&) {
  }
  return 0;
}
