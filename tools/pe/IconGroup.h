// A Windows icon file (.ico) read with every offset and size checked, and a program's icon group
// replaced by its images: the RT_GROUP_ICON resource gets a new directory (GRPICONDIR) whose
// entries name new RT_ICON resources, one per image, in the old group's language; the old
// group's RT_ICON resources that no other group names are removed.
#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "tools/pe/ResourceTree.h"

inline constexpr uint32_t kRtIcon = 3;
inline constexpr uint32_t kRtGroupIcon = 14;

// An .ico file that is not an icon or is damaged, or a program without the group to replace;
// what() says why.
class IconError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One image of an icon: the directory entry's fields (width and height 0 mean 256) and the
// image's bytes, a DIB (BITMAPINFOHEADER, colours, XOR and AND masks) or a PNG file.
struct IconImage {
  uint8_t width = 0;
  uint8_t height = 0;
  uint8_t colorCount = 0;
  uint16_t planes = 0;
  uint16_t bitCount = 0;
  bool png = false;
  std::vector<uint8_t> bytes;
};

// An icon file holds at most this many images (Windows' own icons hold a dozen or so).
inline constexpr size_t kMaxIconImages = 64;

// The images of an .ico file in directory order; IconError when the file is not an icon (header,
// type), has no images or more than kMaxIconImages, or an entry or image lies outside the file or
// is not a well-formed DIB or PNG.
std::vector<IconImage> ParseIconFile(std::span<const uint8_t> File);

// The bytes of a GRPICONDIR naming Images as RT_ICON resources Ids (one each, in order).
std::vector<uint8_t> GroupIconDirectory(std::span<const IconImage> Images,
                                        std::span<const uint16_t> Ids);

// The RT_ICON ids a GRPICONDIR names; IconError when the bytes are not one.
std::vector<uint16_t> GroupIconIds(std::span<const uint8_t> Group);

// Replaces the icon group GroupName (an RT_GROUP_ICON named entry, ASCII letters without case)
// of Tree by Images as described above, new RT_ICON ids the lowest ones free. IconError when the
// group is absent or damaged, Images is empty or the ids run out.
void ReplaceIconGroup(ResourceTree& Tree, std::string_view GroupName,
                      std::span<const IconImage> Images);
