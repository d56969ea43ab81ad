// cursorcheck PROGRAM.exe: checks that a program carries the graphics module's 41 extra cursors:
// for each identifier a cursor group named by it in upper case, holding one 32 x 32 image whose
// cursor resource exists, with its hot spot inside the image and the colour depth the name asks
// for in the image's header (4 bits per pixel for the cr3d names, 1 for the others). Exit 1 when
// one is missing or wrong, 2 for wrong arguments or an unreadable file.

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "foundation/acGraphics.h"
#include "tools/pe/PeFile.h"

namespace {

constexpr uint32_t kRtCursor = 1;
constexpr uint32_t kRtGroupCursor = 12;
constexpr size_t kGroupHeader = 6;
constexpr size_t kGroupEntry = 14;
constexpr size_t kHotSpot = 4;
constexpr size_t kInfoHeader = 40;

uint16_t U16(std::span<const uint8_t> b, size_t at) {
  return static_cast<uint16_t>(b[at] | b[at + 1] << 8);
}
int32_t I32(std::span<const uint8_t> b, size_t at) {
  return static_cast<int32_t>(U16(b, at) | static_cast<uint32_t>(U16(b, at + 2)) << 16);
}

// What is wrong with one cursor group, or empty.
std::string CursorProblem(const PeFile& file, const std::string& identifier) {
  std::string name = identifier;
  for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  const auto group = file.Resource(kRtGroupCursor, name);
  if (!group) return "no cursor group " + name;
  const auto g = *group;
  if (g.size() < kGroupHeader + kGroupEntry || U16(g, 2) != 2 || U16(g, 4) != 1)
    return name + ": not a group of one cursor";
  const size_t e = kGroupHeader;
  // The group entry's height counts both masks; its bit count is not relied on (the resource
  // compiler writes 1 for every cursor), the image's own header gives the depth.
  if (U16(g, e) != 32 || U16(g, e + 2) != 64) return name + ": not 32 x 32";
  const auto image = file.Resource(kRtCursor, U16(g, e + 12));
  if (!image || image->size() < kHotSpot + kInfoHeader) return name + ": cursor image missing";
  const auto c = *image;
  if (U16(c, 0) >= 32 || U16(c, 2) >= 32) return name + ": hot spot outside the image";
  if (I32(c, kHotSpot) != 40 || I32(c, kHotSpot + 4) != 32 || I32(c, kHotSpot + 8) != 64)
    return name + ": image header does not match the group";
  const uint16_t bits = U16(c, kHotSpot + 14);
  const uint16_t wantBits = identifier.rfind("cr3d", 0) == 0 ? 4 : 1;
  if (bits != wantBits) return name + ": " + std::to_string(bits) + " bits per pixel";
  return "";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: cursorcheck PROGRAM.exe\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cursorcheck: cannot open %s\n", argv[1]);
    return 2;
  }
  std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  try {
    const PeFile file(bytes);
    int good = 0, bad = 0;
    for (TCursor n = kFirstResourceCursor; n <= kLastResourceCursor; ++n) {
      std::string identifier;
      CursorToName(n, identifier);
      const std::string problem = CursorProblem(file, identifier);
      if (problem.empty()) {
        ++good;
      } else {
        ++bad;
        std::printf("FAIL: %s\n", problem.c_str());
      }
    }
    std::printf("%d of %d cursors carried as expected\n", good, good + bad);
    return bad == 0 ? 0 : 1;
  } catch (const PeError& error) {
    std::fprintf(stderr, "cursorcheck: %s: %s\n", argv[1], error.what());
    return 2;
  }
}
