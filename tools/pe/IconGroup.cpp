#include "tools/pe/IconGroup.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>

namespace {

using Directory = ResourceTree::Directory;
using Entry = ResourceTree::Entry;

constexpr size_t kIconDirSize = 6;
constexpr size_t kIconEntrySize = 16;
constexpr size_t kGroupEntrySize = 14;
constexpr size_t kDibHeaderSize = 40;
constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

uint16_t U16(std::span<const uint8_t> B, size_t At) {
  return static_cast<uint16_t>(B[At] | B[At + 1] << 8);
}
uint32_t U32(std::span<const uint8_t> B, size_t At) {
  return B[At] | B[At + 1] << 8 | B[At + 2] << 16 | static_cast<uint32_t>(B[At + 3]) << 24;
}
uint32_t U32Be(std::span<const uint8_t> B, size_t At) {
  return static_cast<uint32_t>(B[At]) << 24 | B[At + 1] << 16 | B[At + 2] << 8 | B[At + 3];
}
void Put16(std::vector<uint8_t>& Out, uint16_t V) {
  Out.push_back(static_cast<uint8_t>(V));
  Out.push_back(static_cast<uint8_t>(V >> 8));
}
void Put32(std::vector<uint8_t>& Out, uint32_t V) {
  for (int i = 0; i < 4; ++i) Out.push_back(static_cast<uint8_t>(V >> (8 * i)));
}

[[noreturn]] void Refuse(size_t Image, const std::string& Why) {
  throw IconError("not a usable icon: image " + std::to_string(Image + 1) + " " + Why);
}

// A directory entry's size field: 0 stands for 256.
uint32_t EntrySide(uint8_t Side) {
  return Side == 0 ? 256 : Side;
}

// Checks a PNG image's signature and header chunk against the entry's size.
void CheckPng(size_t Index, std::span<const uint8_t> Png, const IconImage& Image) {
  if (Png.size() < sizeof kPngSignature + 8 + 13)
    Refuse(Index, "is a PNG too short for its header");
  if (U32Be(Png, 8) != 13 || !std::equal(Png.begin() + 12, Png.begin() + 16, "IHDR"))
    Refuse(Index, "is a PNG that does not start with its header chunk");
  if (U32Be(Png, 16) != EntrySide(Image.width) || U32Be(Png, 20) != EntrySide(Image.height))
    Refuse(Index, "is a PNG whose size differs from its directory entry");
}

// Checks a DIB image: its header, that its colours and both masks lie inside it, and that its
// width and (halved) height are the entry's. Returns its bit count.
uint16_t CheckDib(size_t Index, std::span<const uint8_t> Dib, const IconImage& Image) {
  if (Dib.size() < kDibHeaderSize) Refuse(Index, "is shorter than a bitmap header");
  const uint32_t headerSize = U32(Dib, 0);
  if (headerSize < kDibHeaderSize || headerSize > Dib.size())
    Refuse(Index, "is neither a PNG nor a bitmap with a valid header size");
  const int32_t width = static_cast<int32_t>(U32(Dib, 4));
  const int32_t height = static_cast<int32_t>(U32(Dib, 8));
  const uint16_t planes = U16(Dib, 12);
  const uint16_t bits = U16(Dib, 14);
  const uint32_t compression = U32(Dib, 16);
  const uint32_t colorsUsed = U32(Dib, 32);
  if (width <= 0 || width > 256 || height <= 0 || height > 512 || height % 2 != 0)
    Refuse(Index, "has a bitmap size an icon cannot have");
  if (static_cast<uint32_t>(width) != EntrySide(Image.width) ||
      static_cast<uint32_t>(height / 2) != EntrySide(Image.height))
    Refuse(Index, "is a bitmap whose size differs from its directory entry");
  if (planes != 1) Refuse(Index, "is a bitmap with other than one plane");
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
    Refuse(Index, "is a bitmap with an unknown bit count");
  if (compression != 0) Refuse(Index, "is a compressed bitmap");
  uint64_t colors = 0;
  if (bits <= 8) {
    if (colorsUsed > (1u << bits)) Refuse(Index, "is a bitmap with too many colours");
    colors = colorsUsed != 0 ? colorsUsed : (1u << bits);
  }
  const uint64_t xorStride = (static_cast<uint64_t>(width) * bits + 31) / 32 * 4;
  const uint64_t andStride = (static_cast<uint64_t>(width) + 31) / 32 * 4;
  const uint64_t needed = headerSize + colors * 4 + (xorStride + andStride) * (height / 2);
  if (needed > Dib.size()) Refuse(Index, "is a bitmap whose pixels run past its end");
  return bits;
}

// Images that share bytes are damage (no icon writer does that), and refusing them keeps what is
// read no larger than the file, whatever the entries say.
void CheckApart(std::vector<std::pair<uint64_t, uint64_t>>& Ranges) {
  std::sort(Ranges.begin(), Ranges.end());
  for (size_t i = 1; i < Ranges.size(); ++i)
    if (Ranges[i].first < Ranges[i - 1].second)
      throw IconError("not a usable icon: two of its images overlap");
}

// The entry of Directory with numeric id Id, or null.
Entry* FindId(Directory& Dir, uint32_t Id) {
  for (Entry& e : Dir.entries)
    if (!e.named && e.id == Id) return &e;
  return nullptr;
}

// Puts an id entry where the format wants it: after the named ones, ids ascending.
Entry& InsertById(Directory& Dir, Entry New) {
  auto at = std::find_if(Dir.entries.begin(), Dir.entries.end(),
                         [&](const Entry& e) { return !e.named && e.id > New.id; });
  return *Dir.entries.insert(at, std::move(New));
}

Entry MakeDirectoryEntry(uint32_t Id) {
  Entry e;
  e.id = Id;
  e.directory = std::make_unique<Directory>();
  return e;
}

bool NameIs(const Entry& E, std::string_view Name) {
  if (!E.named || E.name.size() != Name.size()) return false;
  for (size_t i = 0; i < Name.size(); ++i) {
    const uint16_t a = E.name[i];
    const unsigned char b = static_cast<unsigned char>(Name[i]);
    const auto lower = [](uint32_t c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
    if (lower(a) != lower(b)) return false;
  }
  return true;
}

// The RT_ICON ids named by every group but Skip, in every language; none when one of them is
// damaged (unknown is what it names, so all must stay).
std::optional<std::set<uint16_t>> IdsOfOtherGroups(const Directory& Groups, const Entry* Skip) {
  std::set<uint16_t> ids;
  for (const Entry& group : Groups.entries) {
    if (&group == Skip || !group.directory) continue;
    for (const Entry& language : group.directory->entries) {
      if (!language.data) continue;
      try {
        for (uint16_t id : GroupIconIds(language.data->bytes)) ids.insert(id);
      } catch (const IconError&) {
        return std::nullopt;
      }
    }
  }
  return ids;
}

// The group entry GroupName, with a language entry holding data.
Entry& FindGroup(ResourceTree& Tree, std::string_view GroupName) {
  Entry* groups = FindId(Tree.Root(), kRtGroupIcon);
  if (groups && groups->directory) {
    for (Entry& e : groups->directory->entries) {
      if (!NameIs(e, GroupName)) continue;
      if (!e.directory || e.directory->entries.empty() || !e.directory->entries[0].data) break;
      return e;
    }
  }
  throw IconError("the program has no icon group " + std::string(GroupName));
}

// Count free ids of Icons, lowest first.
std::vector<uint16_t> FreeIds(const Directory& Icons, size_t Count) {
  std::set<uint32_t> used;
  for (const Entry& e : Icons.entries)
    if (!e.named) used.insert(e.id);
  std::vector<uint16_t> ids;
  for (uint32_t id = 1; id <= 0xFFFF && ids.size() < Count; ++id)
    if (!used.count(id)) ids.push_back(static_cast<uint16_t>(id));
  if (ids.size() < Count) throw IconError("the program has no free icon ids left");
  return ids;
}

}  // namespace

std::vector<IconImage> ParseIconFile(std::span<const uint8_t> File) {
  if (File.size() < kIconDirSize)
    throw IconError("not an icon: the file is shorter than its header");
  if (U16(File, 0) != 0 || U16(File, 2) != 1)
    throw IconError("not an icon: the header's reserved and type fields are not 0 and 1");
  const size_t count = U16(File, 4);
  if (count == 0) throw IconError("not a usable icon: it holds no images");
  if (count > kMaxIconImages)
    throw IconError("not a usable icon: " + std::to_string(count) + " images, at most " +
                    std::to_string(kMaxIconImages));
  const size_t directoryEnd = kIconDirSize + count * kIconEntrySize;
  if (directoryEnd > File.size())
    throw IconError("not an icon: the file ends inside its image directory");
  std::vector<IconImage> images(count);
  std::vector<std::pair<uint64_t, uint64_t>> ranges;
  for (size_t i = 0; i < count; ++i) {
    const size_t at = kIconDirSize + i * kIconEntrySize;
    IconImage& image = images[i];
    image.width = File[at];
    image.height = File[at + 1];
    image.colorCount = File[at + 2];
    image.planes = U16(File, at + 4);
    image.bitCount = U16(File, at + 6);
    const uint64_t size = U32(File, at + 8);
    const uint64_t offset = U32(File, at + 12);
    if (size == 0 || offset < directoryEnd || offset + size > File.size())
      Refuse(i, "lies outside the file or over its directory");
    const std::span<const uint8_t> bytes = File.subspan(offset, size);
    image.png = size >= sizeof kPngSignature &&
                std::equal(bytes.begin(), bytes.begin() + sizeof kPngSignature, kPngSignature);
    if (image.png) {
      CheckPng(i, bytes, image);
    } else {
      const uint16_t bits = CheckDib(i, bytes, image);
      // Windows picks a group's image by these fields; some writers leave them 0.
      if (image.planes == 0) image.planes = 1;
      if (image.bitCount == 0) image.bitCount = bits;
    }
    image.bytes.assign(bytes.begin(), bytes.end());
    ranges.push_back({offset, offset + size});
  }
  CheckApart(ranges);
  return images;
}

std::vector<uint8_t> GroupIconDirectory(std::span<const IconImage> Images,
                                        std::span<const uint16_t> Ids) {
  std::vector<uint8_t> out;
  Put16(out, 0);
  Put16(out, 1);
  Put16(out, static_cast<uint16_t>(Images.size()));
  for (size_t i = 0; i < Images.size(); ++i) {
    const IconImage& image = Images[i];
    out.insert(out.end(), {image.width, image.height, image.colorCount, 0});
    Put16(out, image.planes);
    Put16(out, image.bitCount);
    Put32(out, static_cast<uint32_t>(image.bytes.size()));
    Put16(out, Ids[i]);
  }
  return out;
}

std::vector<uint16_t> GroupIconIds(std::span<const uint8_t> Group) {
  if (Group.size() < kIconDirSize || U16(Group, 0) != 0 || U16(Group, 2) != 1)
    throw IconError("damaged icon group: not a group icon directory");
  const size_t count = U16(Group, 4);
  if (kIconDirSize + count * kGroupEntrySize > Group.size())
    throw IconError("damaged icon group: its entries run past its end");
  std::vector<uint16_t> ids(count);
  for (size_t i = 0; i < count; ++i) ids[i] = U16(Group, kIconDirSize + i * kGroupEntrySize + 12);
  return ids;
}

void ReplaceIconGroup(ResourceTree& Tree, std::string_view GroupName,
                      std::span<const IconImage> Images) {
  if (Images.empty()) throw IconError("an icon group needs at least one image");
  Entry& group = FindGroup(Tree, GroupName);
  std::set<uint16_t> oldIds;
  for (const Entry& language : group.directory->entries)
    if (language.data)
      for (uint16_t id : GroupIconIds(language.data->bytes)) oldIds.insert(id);
  // The group keeps its first language alone: it is the one Windows finds for the program icon.
  group.directory->entries.resize(1);
  Entry& language = group.directory->entries[0];

  const std::optional<std::set<uint16_t>> shared =
      IdsOfOtherGroups(*FindId(Tree.Root(), kRtGroupIcon)->directory, &group);
  Entry* iconType = FindId(Tree.Root(), kRtIcon);
  if (!iconType) iconType = &InsertById(Tree.Root(), MakeDirectoryEntry(kRtIcon));
  if (!iconType->directory) throw IconError("damaged resources: the icons are not a directory");
  Directory& icons = *iconType->directory;
  if (shared) {
    std::erase_if(icons.entries, [&](const Entry& e) {
      return !e.named && e.id <= 0xFFFF && oldIds.count(static_cast<uint16_t>(e.id)) &&
             !shared->count(static_cast<uint16_t>(e.id));
    });
  }

  const std::vector<uint16_t> ids = FreeIds(icons, Images.size());
  for (size_t i = 0; i < Images.size(); ++i) {
    Entry icon = MakeDirectoryEntry(ids[i]);
    Entry inLanguage;
    inLanguage.id = language.id;
    inLanguage.data = std::make_unique<ResourceTree::Data>();
    inLanguage.data->bytes = Images[i].bytes;
    icon.directory->entries.push_back(std::move(inLanguage));
    InsertById(icons, std::move(icon));
  }
  language.data->bytes = GroupIconDirectory(Images, ids);
}
