#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "tests/host/launcher/ProgramImage.h"
#include "tools/pe/PeFile.h"

namespace {

constexpr uint32_t kSectionRva = 0x1000;
constexpr uint32_t kSectionRaw = 0x200;
constexpr uint32_t kResourceAt = 0x400;  // within the section

// A minimal 32-bit PE image with one section holding an import table and a resource tree with
// one manifest, laid out the way linkers do.
class ImageBuilder {
 public:
  std::vector<std::string> dlls = {"KERNEL32.dll", "user32.dll"};
  std::string manifest =
      "<assembly><trustInfo><security><requestedPrivileges>"
      "<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>"
      "</requestedPrivileges></security></trustInfo></assembly>";
  bool withManifest = true;

  std::vector<uint8_t> Build() const {
    std::vector<uint8_t> section(0x800, 0);
    uint32_t names = 20 * static_cast<uint32_t>(dlls.size() + 1);
    for (size_t i = 0; i < dlls.size(); ++i) {
      Put32(section, 20 * i + 0, kSectionRva + 0x300);  // lookup table (unused here)
      Put32(section, 20 * i + 12, kSectionRva + names);
      Put32(section, 20 * i + 16, kSectionRva + 0x300);
      std::memcpy(section.data() + names, dlls[i].c_str(), dlls[i].size() + 1);
      names += static_cast<uint32_t>(dlls[i].size()) + 1;
    }
    if (withManifest) {
      const uint32_t r = kResourceAt;
      Put16(section, r + 14, 1);
      Put32(section, r + 16, 24);
      Put32(section, r + 20, 0x80000000u | 0x18);
      Put16(section, r + 0x18 + 14, 1);
      Put32(section, r + 0x18 + 16, 1);
      Put32(section, r + 0x18 + 20, 0x80000000u | 0x30);
      Put16(section, r + 0x30 + 14, 1);
      Put32(section, r + 0x30 + 16, 0x409);
      Put32(section, r + 0x30 + 20, 0x48);
      Put32(section, r + 0x48, kSectionRva + r + 0x60);
      Put32(section, r + 0x4C, static_cast<uint32_t>(manifest.size()));
      std::memcpy(section.data() + r + 0x60, manifest.data(), manifest.size());
    }

    std::vector<uint8_t> image(kSectionRaw, 0);
    image[0] = 'M';
    image[1] = 'Z';
    Put32(image, 0x3C, 0x80);
    Put32(image, 0x80, 0x00004550u);
    Put16(image, 0x84, 0x14C);
    Put16(image, 0x86, 1);     // sections
    Put16(image, 0x94, 0xE0);  // optional header size
    const uint32_t opt = 0x98;
    Put16(image, opt, 0x10B);
    Put32(image, opt + 92, 16);
    Put32(image, opt + 96 + 8, kSectionRva);  // imports
    Put32(image, opt + 96 + 12, 20 * static_cast<uint32_t>(dlls.size() + 1));
    if (withManifest) {
      Put32(image, opt + 96 + 16, kSectionRva + kResourceAt);
      Put32(image, opt + 96 + 20, 0x100);
    }
    const uint32_t table = opt + 0xE0;
    std::memcpy(image.data() + table, ".data\0\0\0", 8);
    Put32(image, table + 8, static_cast<uint32_t>(section.size()));
    Put32(image, table + 12, kSectionRva);
    Put32(image, table + 16, static_cast<uint32_t>(section.size()));
    Put32(image, table + 20, kSectionRaw);
    image.insert(image.end(), section.begin(), section.end());
    return image;
  }

 private:
  static void Put16(std::vector<uint8_t>& b, size_t at, uint16_t v) {
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
  }
  static void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    Put16(b, at, static_cast<uint16_t>(v));
    Put16(b, at + 2, static_cast<uint16_t>(v >> 16));
  }
};

// A one-section image whose section (at kSectionRva) is Section, Directory (2 resources, 1
// imports) pointing at its start.
std::vector<uint8_t> ImageOf(const std::vector<uint8_t>& Section, int Directory) {
  std::vector<uint8_t> image = ImageBuilder{.withManifest = false}.Build();
  image.resize(kSectionRaw);
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) image[at + i] = static_cast<uint8_t>(v >> (8 * i));
  };
  put32(0x98 + 96 + 8, 0);
  put32(0x98 + 96 + 8 * Directory, kSectionRva);
  put32(0x98 + 0xE0 + 8, static_cast<uint32_t>(Section.size()));
  put32(0x98 + 0xE0 + 16, static_cast<uint32_t>(Section.size()));
  image.insert(image.end(), Section.begin(), Section.end());
  return image;
}

// Section bytes with 32-bit fields and resource tables written into them.
struct SectionBytes {
  std::vector<uint8_t> b;
  void Put32(size_t At, uint32_t V) {
    if (b.size() < At + 4) b.resize(At + 4);
    for (int i = 0; i < 4; ++i) b[At + i] = static_cast<uint8_t>(V >> (8 * i));
  }
  // A resource table at At of Count entries, all (Name, Target); Named entries come first.
  void Table(size_t At, uint32_t Count, uint32_t Name, uint32_t Target, bool Named) {
    Put32(At + 12, Named ? Count : Count << 16);
    for (uint32_t i = 0; i < Count; ++i)
      Put32(At + 16 + 8 * i, Name), Put32(At + 20 + 8 * i, Target);
  }
};

// Runs every reading operation; a damaged image may only end in PeError. True when read whole.
bool ReadEverything(const std::vector<uint8_t>& bytes) {
  try {
    const PeFile file(bytes);
    (void)file.ImportedDlls();
    (void)file.Resource(24, 1);
    (void)ProgramImageProblems(file, kMachineI386);
    return true;
  } catch (const PeError&) {
    return false;
  }
}

TEST(PeFile, ReadsImportsAndManifestOfAWellFormedImage) {
  ImageBuilder builder;
  const std::vector<uint8_t> image = builder.Build();
  const PeFile file(image);
  EXPECT_EQ(file.ImportedDlls(), (std::vector<std::string>{"KERNEL32.dll", "user32.dll"}));
  const auto manifest = file.Resource(24, 1);
  ASSERT_TRUE(manifest.has_value());
  EXPECT_EQ(std::string(manifest->begin(), manifest->end()), builder.manifest);
  EXPECT_FALSE(file.Resource(24, 2).has_value());
  EXPECT_FALSE(file.Resource(10, 1).has_value());
  EXPECT_TRUE(ProgramImageProblems(file, kMachineI386).empty());
}

TEST(PeFile, ProblemsNameForeignDllsAndManifestFaults) {
  ImageBuilder foreign;
  foreign.dlls = {"kernel32.dll", "libstdc++-6.dll", "quillmoor.dll"};
  auto problems = ProgramImageProblems(PeFile(foreign.Build()), kMachineI386);
  ASSERT_EQ(problems.size(), 2u);
  EXPECT_NE(problems[0].find("libstdc++-6.dll"), std::string::npos);
  EXPECT_NE(problems[1].find("quillmoor.dll"), std::string::npos);

  ImageBuilder bare;
  bare.withManifest = false;
  problems = ProgramImageProblems(PeFile(bare.Build()), kMachineI386);
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_NE(problems[0].find("no manifest"), std::string::npos);

  ImageBuilder elevated;
  elevated.manifest = "<requestedExecutionLevel level='requireAdministrator' uiAccess='true'/>";
  problems = ProgramImageProblems(PeFile(elevated.Build()), kMachineI386);
  EXPECT_EQ(problems.size(), 2u);

  ImageBuilder singleQuoted;
  singleQuoted.manifest = "<requestedExecutionLevel level='asInvoker' uiAccess='false'/>";
  EXPECT_TRUE(ProgramImageProblems(PeFile(singleQuoted.Build()), kMachineI386).empty());

  // The same image checked as a 64-bit program: only the machine type is wrong.
  problems = ProgramImageProblems(PeFile(singleQuoted.Build()), kMachineAmd64);
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_EQ(problems[0], "machine type 0x14c, expected 0x8664");
}

TEST(PeFile, KnownSystemDllsMatchWholeNamesWithoutCase) {
  EXPECT_TRUE(IsKnownSystemDll("KERNEL32.DLL"));
  EXPECT_TRUE(IsKnownSystemDll("msvcrt.dll"));
  EXPECT_TRUE(IsKnownSystemDll("WS2_32.dll"));
  EXPECT_FALSE(IsKnownSystemDll("kernel32"));
  EXPECT_FALSE(IsKnownSystemDll("kernel32.dll.evil"));
  EXPECT_FALSE(IsKnownSystemDll("comctl32.dll"));  // side-by-side, looked up beside the program
  EXPECT_FALSE(IsKnownSystemDll(""));
}

TEST(PeFile, RefusesFilesThatAreNoProgramImages) {
  EXPECT_THROW(PeFile(std::vector<uint8_t>{}), PeError);
  EXPECT_THROW(PeFile(std::vector<uint8_t>(0x40, 'M')), PeError);
  auto image = ImageBuilder().Build();
  image[0x80] = 'X';
  EXPECT_THROW(PeFile{image}, PeError);
  image = ImageBuilder().Build();
  image[0x98] = 0x55;  // optional header magic
  EXPECT_THROW(PeFile{image}, PeError);
}

TEST(PeFile, TablesPointingOutsideTheFileAreErrors) {
  // An import table without its closing entry runs to the end of the section.
  ImageBuilder builder;
  auto image = builder.Build();
  std::vector<uint8_t> filled = image;
  for (size_t i = kSectionRaw; i < filled.size(); ++i) filled[i] = 0x11;
  const PeFile file(filled);
  EXPECT_THROW(file.ImportedDlls(), PeError);

  // A name address outside every section.
  image[kSectionRaw + 12 + 3] = 0x7F;
  EXPECT_THROW(PeFile(image).ImportedDlls(), PeError);
}

TEST(PeFile, DamagedImagesNeverReadOutOfBounds) {
  // Run under AddressSanitizer: a stray read fails the test even when no exception says so.
  const auto good = ImageBuilder().Build();
  for (size_t length = 0; length < good.size(); length += 7) {
    EXPECT_FALSE(ReadEverything(std::vector<uint8_t>(good.begin(), good.begin() + length)))
        << "truncated to " << length;
  }
  int read = 0;
  int refused = 0;
  for (size_t at = 0; at < good.size(); ++at) {
    for (uint8_t value : {uint8_t{0x00}, uint8_t{0x80}, uint8_t{0xFF}}) {
      auto damaged = good;
      damaged[at] = value;
      ReadEverything(std::move(damaged)) ? ++read : ++refused;
    }
  }
  EXPECT_GT(read, 0);
  EXPECT_GT(refused, 0);
}

TEST(PeFile, SharedTablesAndNamesCostTheirReadsAgainAndEndInAnError) {
  // Each image reads many times more than its size if every entry's target or name is read
  // again; the reader refuses it once what it read exceeds the file.
  constexpr uint32_t kHigh = 0x80000000u, kMany = 2000, kNames = 16 + 8 * kMany;
  SectionBytes sharedTable;  // kMany RCDATA types, all leading to one table of kMany names
  sharedTable.Table(0, kMany, kRtRcData, kHigh | kNames, false);
  sharedTable.Table(kNames, kMany, kHigh | (2 * kNames), kHigh | 0x0, true);
  sharedTable.Put32(2 * kNames, 5 | 'T' << 16);  // of another length: only its length is read

  SectionBytes sharedName;  // one RCDATA type whose 30,000 names are one name
  constexpr uint32_t kLong = 30000, kLongAt = 0x18 + 16 + 8 * kLong;
  sharedName.Table(0, 1, kRtRcData, kHigh | 0x18, false);
  sharedName.Table(0x18, kLong, kHigh | kLongAt, kHigh | 0x18, true);
  sharedName.Put32(kLongAt, 6 | 'T' << 16), sharedName.Put32(kLongAt + 10, 0);  // "T\0\0\0\0\0"

  SectionBytes sharedImport;  // 3,000 import entries naming one 3,000-letter DLL
  constexpr uint32_t kImports = 3000, kDll = 20 * (kImports + 1);
  for (uint32_t i = 0; i < kImports; ++i) sharedImport.Put32(20 * i + 12, kSectionRva + kDll);
  for (uint32_t i = 0; i < kImports; i += 4) sharedImport.Put32(kDll + i, 0x6C6C6C6Cu);
  sharedImport.Put32(kDll + kImports, 0);

  struct Case {
    const char* what;
    std::vector<uint8_t> image;
    std::function<void(const PeFile&)> read;
    const char* message;
  };
  const std::vector<Case> cases = {
      {"shared name table", ImageOf(sharedTable.b, 2),
       [](const PeFile& f) { f.Resource(kRtRcData, "TFORM1"); }, "the resource"},
      {"shared name table, by id", ImageOf(sharedTable.b, 2),
       [](const PeFile& f) { f.Resource(kRtRcData, 7); }, "resource directory tables"},
      {"shared name", ImageOf(sharedName.b, 2),
       [](const PeFile& f) { f.Resource(kRtRcData, "TFORM1"); }, "resource names"},
      {"shared import name", ImageOf(sharedImport.b, 1), [](const PeFile& f) { f.ImportedDlls(); },
       "import names"},
  };
  for (const Case& c : cases) {
    try {
      c.read(PeFile(c.image));
      ADD_FAILURE() << c.what << ": read whole";
    } catch (const PeError& e) {
      const std::string message = e.what();
      EXPECT_TRUE(message.find(c.message) < message.find("read come to more than the file holds"))
          << c.what << ": " << message;
    }
  }
}

}  // namespace
