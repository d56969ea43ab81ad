// padinstaller IMAGE OUTPUT: writes the stand-in installer image padded to the installer's fixed
// size and packed figures (see InstallerPadding.h). Fails with a message and no output file when
// the figures cannot be met exactly.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "installer/pad/InstallerPadding.h"

namespace {

bool ReadFile(const char* path, std::vector<uint8_t>& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

// Writes beside the target first, so that a failed write never leaves a file the build would take
// for finished.
bool WriteFile(const std::filesystem::path& path, const std::vector<uint8_t>& data) {
  std::filesystem::path part = path;
  part += ".part";
  {
    std::ofstream out(part, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data.data()),
              static_cast<std::streamsize>(data.size()));
    if (!out.flush()) return false;
  }
  std::error_code ec;
  std::filesystem::rename(part, path, ec);
  return !ec;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: padinstaller IMAGE OUTPUT\n");
    return 2;
  }
  std::error_code ignored;
  std::filesystem::remove(argv[2], ignored);
  std::vector<uint8_t> image;
  if (!ReadFile(argv[1], image)) {
    std::fprintf(stderr, "padinstaller: cannot read %s\n", argv[1]);
    return 1;
  }
  const PaddingResult result = PadInstaller(image, kInstallerTargets);
  if (!result.ok) {
    std::fprintf(stderr, "padinstaller: %s: %s\n", argv[1], result.error.c_str());
    return 1;
  }
  if (!WriteFile(argv[2], result.file)) {
    std::fprintf(stderr, "padinstaller: cannot write %s\n", argv[2]);
    return 1;
  }
  std::printf("padinstaller: %s: %zu image bytes -> %zu bytes, %zu packed in %zu table blocks\n",
              argv[2], image.size(), result.file.size(), result.figures.packedSize,
              result.figures.tableBlocks);
  return 0;
}
