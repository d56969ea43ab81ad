// Icon files read with their refusals, and a launcher's MAINICON replaced: the launchers of the
// fuzz corpus get an icon group first (MAINICON and a second group sharing one of its images),
// which is then replaced and read back with PeFile.
#include "tools/pe/IconGroup.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "tools/fileio/WholeFile.h"
#include "tools/pe/PeFile.h"
#include "tools/pe/PeRewriter.h"

namespace {

using Bytes = std::vector<uint8_t>;
constexpr uint32_t kLanguage = 0x409;

void Put16(Bytes& B, uint16_t V) {
  B.insert(B.end(), {uint8_t(V), uint8_t(V >> 8)});
}
void Put32(Bytes& B, uint32_t V) {
  for (int i = 0; i < 4; ++i) B.push_back(uint8_t(V >> (8 * i)));
}
void Set32(Bytes& B, size_t At, uint32_t V) {
  for (int i = 0; i < 4; ++i) B[At + i] = uint8_t(V >> (8 * i));
}

// A 32-bit DIB icon image of Side x Side pixels whose colours depend on Side.
Bytes Dib(uint32_t Side) {
  Bytes b;
  Put32(b, 40);
  Put32(b, Side);
  Put32(b, Side * 2);
  Put16(b, 1);
  Put16(b, 32);
  for (int i = 0; i < 6; ++i) Put32(b, 0);
  for (uint32_t p = 0; p < Side * Side; ++p) Put32(b, 0xFF000000u | (p * Side));
  b.insert(b.end(), (Side + 31) / 32 * 4 * Side, 0);
  return b;
}

// The start of a PNG file of Side x Side pixels: signature and header chunk, as the reader checks.
Bytes Png(uint32_t Side) {
  Bytes b = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
  for (uint32_t v : {Side, Side})
    b.insert(b.end(), {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)});
  b.insert(b.end(), {8, 6, 0, 0, 0, 1, 2, 3, 4});
  return b;
}

struct Image {
  uint8_t side;  // 0 for 256
  Bytes bytes;
};

Bytes Ico(const std::vector<Image>& Images) {
  Bytes b;
  Put16(b, 0);
  Put16(b, 1);
  Put16(b, uint16_t(Images.size()));
  uint32_t offset = uint32_t(6 + 16 * Images.size());
  for (const Image& i : Images) {
    b.insert(b.end(), {i.side, i.side, 0, 0});
    Put16(b, 1);
    Put16(b, 32);
    Put32(b, uint32_t(i.bytes.size()));
    Put32(b, offset);
    offset += uint32_t(i.bytes.size());
  }
  for (const Image& i : Images) b.insert(b.end(), i.bytes.begin(), i.bytes.end());
  return b;
}

TEST(IconFile, ReadsDibAndPngImages) {
  const Bytes ico = Ico({{16, Dib(16)}, {32, Dib(32)}, {0, Png(256)}});
  const std::vector<IconImage> images = ParseIconFile(ico);
  ASSERT_EQ(images.size(), 3u);
  EXPECT_EQ(images[0].bytes, Dib(16));
  EXPECT_EQ(images[1].bytes, Dib(32));
  EXPECT_EQ(images[2].bytes, Png(256));
  EXPECT_EQ(images[1].width, 32);
  EXPECT_EQ(images[1].bitCount, 32);
  EXPECT_FALSE(images[1].png);
  EXPECT_TRUE(images[2].png);
}

TEST(IconFile, ReadsTheProgramsOwnIcon) {
  const Bytes ico = ReadWholeFile(std::string(AC_LAUNCHER_DIR) + "/pictures/mainicon.ico");
  const std::vector<IconImage> images = ParseIconFile(ico);
  ASSERT_EQ(images.size(), 3u);
  for (size_t i = 0; i < images.size(); ++i) {
    const uint32_t offset = ico[6 + 16 * i + 12] | ico[6 + 16 * i + 13] << 8;
    EXPECT_EQ(images[i].width, ico[6 + 16 * i]);
    EXPECT_EQ(images[i].bitCount, 32);
    EXPECT_EQ(images[i].bytes,
              Bytes(ico.begin() + offset, ico.begin() + offset + images[i].bytes.size()));
  }
}

TEST(IconFile, RefusesWhatIsNotAnIcon) {
  const Bytes good = Ico({{16, Dib(16)}});
  struct Case {
    const char* name;
    Bytes bytes;
    const char* reason;
  };
  std::vector<Case> cases;
  cases.push_back({"truncated header", Bytes(good.begin(), good.begin() + 4), "shorter than"});
  Bytes cursor = good;
  cursor[2] = 2;
  cases.push_back({"cursor type", cursor, "type"});
  Bytes reserved = good;
  reserved[0] = 1;
  cases.push_back({"reserved set", reserved, "reserved"});
  Bytes none = good;
  none[4] = 0;
  cases.push_back({"zero entries", none, "no images"});
  Bytes many = good;
  many[4] = 65;
  cases.push_back({"count too large", many, "at most 64"});
  Bytes two = good;
  two[4] = 2;
  two.resize(6 + 16 + 10);
  cases.push_back({"directory past the end", two, "ends inside its image directory"});
  Bytes pastEnd = good;
  Set32(pastEnd, 6 + 12, uint32_t(good.size()));
  cases.push_back({"entry pointing past the end", pastEnd, "outside the file"});
  Bytes tooLong = good;
  Set32(tooLong, 6 + 8, uint32_t(good.size()));
  cases.push_back({"entry size past the end", tooLong, "outside the file"});
  Bytes overDirectory = good;
  Set32(overDirectory, 6 + 12, 2);
  cases.push_back({"image over the directory", overDirectory, "over its directory"});
  Bytes wrongSide = good;
  wrongSide[6] = 32;
  cases.push_back({"size unlike the entry", wrongSide, "differs from its directory entry"});
  Bytes shortPixels = good;
  Set32(shortPixels, 6 + 8, 40 + 16 * 16 * 4);
  shortPixels.resize(shortPixels.size() - 64);
  cases.push_back({"pixels past the image", shortPixels, "run past its end"});
  Bytes badHeader = good;
  Set32(badHeader, 22, 12);
  cases.push_back({"old bitmap header", badHeader, "valid header size"});
  Bytes shared = Ico({{16, Dib(16)}, {16, Dib(16)}});
  Set32(shared, 6 + 16 + 12, 6 + 32);  // the first image again
  cases.push_back({"images sharing bytes", shared, "overlap"});
  Bytes badPng = Ico({{16, Png(16)}});
  badPng[22 + 12] = 'X';
  cases.push_back({"PNG without its header chunk", badPng, "header chunk"});
  for (const Case& c : cases) {
    try {
      ParseIconFile(c.bytes);
      ADD_FAILURE() << c.name << ": accepted";
    } catch (const IconError& e) {
      EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos)
          << c.name << ": " << e.what();
    }
  }
}

Bytes Seed(const std::string& Name) {
  return ReadWholeFile(std::string(AC_WRAP_SEEDS) + "/" + Name);
}

ResourceTree::Entry IdEntry(uint32_t Id) {
  ResourceTree::Entry e;
  e.id = Id;
  e.directory = std::make_unique<ResourceTree::Directory>();
  return e;
}

// A resource Type / Name-or-Id in kLanguage holding Bytes, added to Tree in the format's order.
void Add(ResourceTree& Tree, uint32_t Type, const std::string& Name, uint32_t Id, Bytes Data) {
  auto& root = Tree.Root().entries;
  auto type = std::find_if(root.begin(), root.end(), [&](auto& e) { return e.id == Type; });
  if (type == root.end()) {
    auto at = std::find_if(root.begin(), root.end(), [&](auto& e) { return e.id > Type; });
    type = root.insert(at, IdEntry(Type));
  }
  ResourceTree::Entry entry = IdEntry(Id);
  entry.named = !Name.empty();
  entry.name.assign(Name.begin(), Name.end());
  ResourceTree::Entry language = IdEntry(kLanguage);
  language.directory.reset();
  language.data = std::make_unique<ResourceTree::Data>();
  language.data->bytes = std::move(Data);
  entry.directory->entries.push_back(std::move(language));
  type->directory->entries.push_back(std::move(entry));
}

Bytes Group(const std::vector<uint16_t>& Ids) {
  std::vector<IconImage> images(Ids.size());
  return GroupIconDirectory(images, Ids);
}

// The seed launcher with MAINICON naming icons 1 and 2, a group OTHER naming Shared, and icon 7.
Bytes LauncherWithIcons(const std::vector<uint16_t>& Shared) {
  const Bytes seed = Seed("linker_layout.exe");
  const PeRewriter rewriter(seed);
  ResourceTree tree(rewriter.Resources(), rewriter.ResourceRva());
  for (uint16_t id : {1, 2, 7}) Add(tree, kRtIcon, "", id, Dib(16));
  Add(tree, kRtGroupIcon, "MAINICON", 0, Group({1, 2}));
  Add(tree, kRtGroupIcon, "OTHER", 0, Group(Shared));
  return rewriter.Write(tree.Write(rewriter.ResourceRva()));
}

TEST(IconGroup, ReplacesMainIconOfALauncher) {
  struct Case {
    std::vector<uint16_t> shared;  // what the other group names
    std::vector<uint16_t> newIds;
    std::set<uint16_t> iconsLeft;
  };
  const std::vector<Case> cases = {
      {{7}, {1, 2, 3}, {1, 2, 3, 7}},
      {{2}, {1, 3, 4}, {1, 2, 3, 4, 7}},
      {{1, 2}, {3, 4, 5}, {1, 2, 3, 4, 5, 7}},
  };
  const std::vector<IconImage> images =
      ParseIconFile(Ico({{16, Dib(16)}, {32, Dib(32)}, {0, Png(256)}}));
  for (const Case& c : cases) {
    const Bytes launcher = LauncherWithIcons(c.shared);
    const PeRewriter rewriter(launcher);
    ResourceTree tree(rewriter.Resources(), rewriter.ResourceRva());
    ReplaceIconGroup(tree, "MainIcon", images);
    const Bytes program = rewriter.Write(tree.Write(rewriter.ResourceRva()));

    const PeFile pe(program);
    const auto group = pe.Resource(kRtGroupIcon, "MAINICON");
    ASSERT_TRUE(group);
    EXPECT_EQ(GroupIconIds(*group), c.newIds);
    ASSERT_EQ(group->size(), 6u + 14 * images.size());
    for (size_t i = 0; i < images.size(); ++i) {
      const uint8_t* entry = group->data() + 6 + 14 * i;
      EXPECT_EQ(entry[0], images[i].width);
      EXPECT_EQ(entry[6], 32);
      EXPECT_EQ(entry[8] | entry[9] << 8, int(images[i].bytes.size()));
      const auto icon = pe.Resource(kRtIcon, c.newIds[i]);
      ASSERT_TRUE(icon);
      EXPECT_EQ(Bytes(icon->begin(), icon->end()), images[i].bytes);
    }
    EXPECT_EQ(GroupIconIds(*pe.Resource(kRtGroupIcon, "OTHER")), c.shared);
    // The icons left are the new ones and those another group names; all in the group's language.
    ResourceTree back(PeRewriter(program).Resources(), rewriter.ResourceRva());
    std::set<uint16_t> left;
    for (auto& type : back.Root().entries) {
      if (type.id != kRtIcon && type.id != kRtGroupIcon) continue;
      for (auto& e : type.directory->entries) {
        if (type.id == kRtIcon) left.insert(uint16_t(e.id));
        ASSERT_EQ(e.directory->entries.size(), 1u);
        EXPECT_EQ(e.directory->entries[0].id, kLanguage);
      }
    }
    EXPECT_EQ(left, c.iconsLeft);
  }
}

TEST(IconGroup, RefusesAProgramWithoutTheGroupOrNoImages) {
  const Bytes seed = Seed("linker_layout.exe");
  const PeRewriter rewriter(seed);
  ResourceTree tree(rewriter.Resources(), rewriter.ResourceRva());
  const std::vector<IconImage> images = ParseIconFile(Ico({{16, Dib(16)}}));
  EXPECT_THROW(ReplaceIconGroup(tree, "MAINICON", images), IconError);
  Add(tree, kRtGroupIcon, "MAINICON", 0, Bytes{0, 0, 1, 0, 9, 0});
  EXPECT_THROW(ReplaceIconGroup(tree, "MAINICON", images), IconError);  // a damaged group
  EXPECT_THROW(ReplaceIconGroup(tree, "MAINICON", {}), IconError);
}

}  // namespace
