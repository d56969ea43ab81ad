// Arbitrary bytes as an icon file for the icon-group replacement: ParseIconFile either gives
// images that lie inside the file and whose group directory names them back, or refuses with
// IconError; never a read out of bounds. The same bytes as a group directory are read too.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "tools/pe/IconGroup.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> file(data, size);
  try {
    const std::vector<uint16_t> ids = GroupIconIds(file);
    if (6 + ids.size() * 14 > size) std::abort();
  } catch (const IconError&) {
  }
  try {
    const std::vector<IconImage> images = ParseIconFile(file);
    if (images.empty() || images.size() > kMaxIconImages) std::abort();
    size_t total = 0;
    std::vector<uint16_t> ids;
    for (const IconImage& image : images) {
      total += image.bytes.size();
      ids.push_back(static_cast<uint16_t>(ids.size() + 1));
    }
    if (total > size) std::abort();
    if (GroupIconIds(GroupIconDirectory(images, ids)) != ids) std::abort();
  } catch (const IconError&) {
  }
  return 0;
}
