// sfpack wrap on hand-built launcher programs: what the result carries and where things moved,
// the signature left out, and the refusals of damaged or unexpected inputs. (That the result is
// byte for byte the linker's program is shown on the real launchers of the win32 build.)
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "storage/Crc32.h"
#include "storage/acFileStorage.h"
#include "toolkit/core/FormBinaryWriter.h"
#include "toolkit/core/TMemoryStream.h"
#include "toolkit/core/TReadOnlyMemoryStream.h"
#include "tools/pe/PeFile.h"
#include "tools/sfpack/FormBinaryProperty.h"
#include "tools/sfpack/LauncherWrap.h"

namespace {

using Bytes = std::vector<uint8_t>;

uint32_t Get32(const Bytes& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}
void Set32(Bytes& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
void Set16(Bytes& b, size_t at, uint32_t v) {
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}
void Put32(Bytes& b, uint32_t v) {
  b.resize(b.size() + 4);
  Set32(b, b.size() - 4, v);
}

Bytes Pattern(size_t n, uint32_t seed) {
  Bytes b(n);
  for (size_t i = 0; i < n; ++i) b[i] = static_cast<uint8_t>(i * seed + i / 5);
  return b;
}

// A small Windows program: "MZ", the PE header, and Extra bytes of its own.
Bytes Program(size_t Extra) {
  Bytes b = {'M', 'Z'};
  b.resize(0x40, 0);
  Set32(b, 0x3C, 0x40);
  Put32(b, 0x00004550);
  Bytes tail = Pattern(Extra, 7);
  b.insert(b.end(), tail.begin(), tail.end());
  return b;
}

Bytes Pack(const std::vector<std::pair<std::string, Bytes>>& Files) {
  TacFileStorage storage(nullptr);
  for (const auto& [name, bytes] : Files) storage.AddFile(name, bytes);
  TMemoryStream out;
  storage.WriteStoredData(out);
  return out.Bytes();
}

// Form data: a window with a picture, then a component of StorageClass holding the pack, then a
// last property after it.
Bytes Form(const Bytes& PackBytes, const std::string& StorageClass = "TacFileStorage") {
  TFormBinaryWriter w;
  w.WriteSignature();
  w.WriteName("TForm1");
  w.WriteName("Form1");
  w.WriteName("Caption");
  w.WriteString("Installation");
  w.WriteName("Picture.Data");
  w.WriteBinary(Pattern(40, 3));
  w.WriteEnd();
  w.WriteName(StorageClass);
  w.WriteName("acFileStorage1");
  w.WriteName("StoredData");
  w.WriteBinary(PackBytes);
  w.WriteName("Left");
  w.WriteInteger(168);
  w.WriteEnd();
  w.WriteEnd();
  w.WriteEnd();
  return w.Bytes();
}

// A resource: numbered when Name is empty.
struct Res {
  uint32_t type;
  std::string name;
  uint32_t id;
  Bytes data;
};

// A resource section at Rva laid out breadth first (unlike the linker), so that a wrap visibly
// writes it anew: root, type tables, language tables, data entries, names, data.
Bytes ResourceSection(const std::vector<Res>& Resources, uint32_t Rva) {
  std::map<uint32_t, std::vector<const Res*>> types;
  for (const Res& r : Resources) types[r.type].push_back(&r);
  const uint32_t typeTables = 16 + 8 * static_cast<uint32_t>(types.size());
  uint32_t at = typeTables;
  std::map<uint32_t, uint32_t> typeAt;
  for (const auto& [type, list] : types) {
    typeAt[type] = at;
    at += 16 + 8 * static_cast<uint32_t>(list.size());
  }
  const uint32_t langTables = at, entries = at + 24 * static_cast<uint32_t>(Resources.size());
  uint32_t strings = entries + 16 * static_cast<uint32_t>(Resources.size());
  uint32_t data = strings;
  for (const Res& r : Resources) data += r.name.empty() ? 0 : 2 + 2 * r.name.size();
  data = (data + 3) & ~3u;
  Bytes s(data);
  auto table = [&](uint32_t at, uint32_t named, uint32_t ids) {
    Set16(s, at + 12, named);
    Set16(s, at + 14, ids);
  };
  table(0, 0, static_cast<uint32_t>(types.size()));
  uint32_t i = 0, n = 0;
  for (const auto& [type, list] : types) {
    Set32(s, 16 + 8 * i, type);
    Set32(s, 16 + 8 * i + 4, 0x80000000u | typeAt[type]);
    uint32_t named = 0;
    for (const Res* r : list) named += r->name.empty() ? 0 : 1;
    table(typeAt[type], named, static_cast<uint32_t>(list.size()) - named);
    for (uint32_t k = 0; k < list.size(); ++k, ++n) {
      const Res& r = *list[k];
      const uint32_t entry = typeAt[type] + 16 + 8 * k, lang = langTables + 24 * n;
      if (r.name.empty()) {
        Set32(s, entry, r.id);
      } else {
        Set32(s, entry, 0x80000000u | strings);
        Set16(s, strings, static_cast<uint32_t>(r.name.size()));
        for (size_t c = 0; c < r.name.size(); ++c) Set16(s, strings + 2 + 2 * c, r.name[c]);
        strings += 2 + 2 * static_cast<uint32_t>(r.name.size());
      }
      Set32(s, entry + 4, 0x80000000u | lang);
      table(lang, 0, 1);
      Set32(s, lang + 16, 0x409);
      Set32(s, lang + 20, entries + 16 * n);
      Set32(s, entries + 16 * n, Rva + static_cast<uint32_t>(s.size()));
      Set32(s, entries + 16 * n + 4, static_cast<uint32_t>(r.data.size()));
      s.insert(s.end(), r.data.begin(), r.data.end());
      while (s.size() % 4) s.push_back(0);
    }
    ++i;
  }
  return s;
}

constexpr size_t kOptional = 0x40 + 24;
constexpr size_t kSectionTable = kOptional + 224;
const Bytes kRelocations = {0x00, 0x10, 0, 0, 12, 0, 0, 0, 0x04, 0x30, 0, 0};

// A launcher: .text, .rsrc with Resources, optionally another section, then .reloc (the base
// relocations), with the sizes and directories the linker would set.
Bytes Launcher(const std::vector<Res>& Resources, bool SectionAfterResources = false) {
  std::vector<std::pair<std::string, Bytes>> sections = {{".text", Pattern(0x300, 11)},
                                                         {".rsrc", {}}};
  if (SectionAfterResources) sections.push_back({".data", Pattern(0x80, 5)});
  sections.push_back({".reloc", kRelocations});
  sections[1].second = ResourceSection(Resources, 0x2000);
  Bytes pe(0x400, 0);
  pe[0] = 'M';
  pe[1] = 'Z';
  Set32(pe, 0x3C, 0x40);
  Set32(pe, 0x40, 0x00004550);
  Set16(pe, 0x44, 0x14C);
  Set16(pe, 0x46, static_cast<uint32_t>(sections.size()));
  Set16(pe, 0x54, 224);
  Set16(pe, 0x56, 0x102);
  Set16(pe, kOptional, 0x10B);
  Set32(pe, kOptional + 32, 0x1000);
  Set32(pe, kOptional + 36, 0x200);
  Set32(pe, kOptional + 60, 0x400);
  Set32(pe, kOptional + 92, 16);
  uint32_t rva = 0x1000;
  for (size_t i = 0; i < sections.size(); ++i) {
    const auto& [name, bytes] = sections[i];
    const size_t header = kSectionTable + 40 * i;
    std::copy(name.begin(), name.end(), pe.begin() + static_cast<std::ptrdiff_t>(header));
    const uint32_t raw = (static_cast<uint32_t>(bytes.size()) + 0x1FF) & ~0x1FFu;
    Set32(pe, header + 8, static_cast<uint32_t>(bytes.size()));
    Set32(pe, header + 12, rva);
    Set32(pe, header + 16, raw);
    Set32(pe, header + 20, static_cast<uint32_t>(pe.size()));
    Set32(pe, header + 36, 0x40000040);
    if (name == ".rsrc") Set32(pe, kOptional + 96 + 16, rva), Set32(pe, kOptional + 100 + 16, raw);
    if (name == ".reloc") Set32(pe, kOptional + 96 + 40, rva), Set32(pe, kOptional + 100 + 40, 12);
    pe.insert(pe.end(), bytes.begin(), bytes.end());
    pe.resize(pe.size() + raw - bytes.size(), 0);
    rva += (static_cast<uint32_t>(bytes.size()) + 0xFFF) & ~0xFFFu;
  }
  Set32(pe, kOptional + 56, rva);
  return pe;
}

const Bytes kOldInstaller = Program(90000);
const Bytes kReadme(300, 'a');
const Bytes kIcon = Pattern(0x2E8, 17);

std::vector<Res> LauncherResources(const Bytes& FormBytes, const Bytes& Crc = {1, 2, 3, 4}) {
  return {{3, "", 1, kIcon},
          {10, "INSTALLERCRC", 0, Crc},
          {10, "TFORM1", 0, FormBytes},
          {14, "MAINICON", 0, Pattern(20, 19)}};
}

Bytes StandardLauncher() {
  return Launcher(LauncherResources(
      Form(Pack({{"quillmoor_full.exe", kOldInstaller}, {"readme.txt", kReadme}}))));
}

struct SectionInfo {
  uint32_t rva, virtualSize, rawOffset, rawSize;
};
SectionInfo Section(const Bytes& Pe, size_t Index) {
  const size_t h = kSectionTable + 40 * Index;
  return {Get32(Pe, h + 12), Get32(Pe, h + 8), Get32(Pe, h + 20), Get32(Pe, h + 16)};
}

std::vector<std::pair<std::string, Bytes>> Carried(const Bytes& Pe) {
  const auto form = PeFile(Pe).Resource(kRtRcData, "TFORM1");
  const auto pack = sfpack::FindFormBinaryProperty(*form, "StoredData");
  TacFileStorage storage(nullptr);
  TReadOnlyMemoryStream in(*pack);
  storage.ReadStoredData(in);
  std::vector<std::pair<std::string, Bytes>> files;
  for (int32_t i = 0; i < storage.Files().Count(); ++i)
    files.emplace_back(storage.StoredFiles(i).FileName(), storage.StoredFiles(i).Data().Bytes());
  return files;
}

TEST(WrapTest, CarriesTheInstallerAndMovesWhatFollowsTheResources) {
  const Bytes launcher = StandardLauncher();
  const Bytes installer = Program(70000);
  const sfpack::WrapResult r = sfpack::WrapLauncher(launcher, installer);
  const Bytes& out = r.program;
  EXPECT_EQ(r.carriedName, "quillmoor_full.exe");
  EXPECT_EQ(r.replacedSize, kOldInstaller.size());
  EXPECT_TRUE(r.crcRecorded);
  EXPECT_FALSE(r.signatureRemoved);

  // The storage's records: the installer in place of the old one, the other record unchanged.
  const auto files = Carried(out);
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(files[0], std::make_pair(std::string("quillmoor_full.exe"), installer));
  EXPECT_EQ(files[1], std::make_pair(std::string("readme.txt"), kReadme));
  const PeFile pe(out);
  const auto crc = pe.Resource(kRtRcData, "INSTALLERCRC");
  ASSERT_TRUE(crc.has_value());
  EXPECT_EQ(Bytes(crc->begin(), crc->end()),
            (Bytes{static_cast<uint8_t>(r.crc), static_cast<uint8_t>(r.crc >> 8),
                   static_cast<uint8_t>(r.crc >> 16), static_cast<uint8_t>(r.crc >> 24)}));
  EXPECT_EQ(r.crc, Crc32(installer));
  EXPECT_EQ(Bytes(pe.Resource(3, 1)->begin(), pe.Resource(3, 1)->end()), kIcon);
  EXPECT_TRUE(pe.Resource(14, "MAINICON").has_value());

  // The form around StoredData is as it was.
  const Bytes oldForm =
      Form(Pack({{"quillmoor_full.exe", kOldInstaller}, {"readme.txt", kReadme}}));
  const auto oldAt = sfpack::LocateFormBinaryProperty(oldForm, "StoredData");
  const auto newForm = pe.Resource(kRtRcData, "TFORM1");
  const auto newAt = sfpack::LocateFormBinaryProperty(*newForm, "StoredData");
  EXPECT_TRUE(std::equal(oldForm.begin(), oldForm.begin() + oldAt->offset - 4, newForm->begin()));
  EXPECT_TRUE(std::equal(oldForm.begin() + oldAt->offset + oldAt->size, oldForm.end(),
                         newForm->begin() + newAt->offset + newAt->size, newForm->end()));

  // Sizes, the relocations' new place in memory and in the file, their directory, the image.
  const SectionInfo text = Section(out, 0), rsrc = Section(out, 1), reloc = Section(out, 2);
  EXPECT_EQ(text.rawOffset, Section(launcher, 0).rawOffset);
  EXPECT_EQ(rsrc.rawSize, (rsrc.virtualSize + 0x1FF) & ~0x1FFu);
  EXPECT_LT(rsrc.rawSize, Section(launcher, 1).rawSize);
  EXPECT_EQ(Get32(out, kOptional + 100 + 16), rsrc.virtualSize);
  EXPECT_EQ(reloc.rva, 0x2000 + ((rsrc.virtualSize + 0xFFF) & ~0xFFFu));
  EXPECT_EQ(reloc.rawOffset, rsrc.rawOffset + rsrc.rawSize);
  EXPECT_EQ(Get32(out, kOptional + 96 + 40), reloc.rva);
  EXPECT_EQ(Bytes(out.begin() + reloc.rawOffset, out.begin() + reloc.rawOffset + 12), kRelocations);
  EXPECT_EQ(Get32(out, kOptional + 56), reloc.rva + 0x1000);
  EXPECT_EQ(out.size(), reloc.rawOffset + reloc.rawSize);
  EXPECT_NE(Get32(out, kOptional + 64), 0u);

  // What comes out depends on the launcher's content alone, not on what it carried before.
  const Bytes again = sfpack::WrapLauncher(out, kOldInstaller).program;
  EXPECT_EQ(sfpack::WrapLauncher(again, installer).program, out);
}

TEST(WrapTest, LeavesTheSignatureOut) {
  const Bytes launcher = StandardLauncher();
  Bytes signed_ = launcher;
  signed_.resize(signed_.size() + 5, 0);  // the signing tool's padding to a multiple of 8
  Set32(signed_, kOptional + 96 + 32, static_cast<uint32_t>(signed_.size()));
  Set32(signed_, kOptional + 100 + 32, 0x48);
  const Bytes certificate = Pattern(0x48, 23);
  signed_.insert(signed_.end(), certificate.begin(), certificate.end());
  const Bytes installer = Program(5000);
  const sfpack::WrapResult r = sfpack::WrapLauncher(signed_, installer);
  EXPECT_TRUE(r.signatureRemoved);
  EXPECT_EQ(Get32(r.program, kOptional + 96 + 32), 0u);
  EXPECT_EQ(Get32(r.program, kOptional + 100 + 32), 0u);
  EXPECT_EQ(r.program, sfpack::WrapLauncher(launcher, installer).program);
}

TEST(WrapTest, RefusesWhatItCannotWrap) {
  const Bytes good = Pack({{"quillmoor_full.exe", kOldInstaller}});
  Bytes damagedPack = good;
  Set32(damagedPack, 4, 7);  // more records than the pack holds
  Bytes damagedForm = Form(good);
  damagedForm[4 + 7 + 6 + 8] = 99;  // the Caption's value type
  Bytes signedInTheMiddle = StandardLauncher();
  Set32(signedInTheMiddle, kOptional + 96 + 32, 0x400);
  Set32(signedInTheMiddle, kOptional + 100 + 32, 0x10);
  Bytes sharedTable = StandardLauncher();
  // The root's third type (14) points at the first type's table as well.
  const uint32_t rsrc = Section(sharedTable, 1).rawOffset;
  Set32(sharedTable, rsrc + 16 + 8 * 2 + 4, Get32(sharedTable, rsrc + 16 + 4));

  struct Case {
    const char* what;
    Bytes launcher;
    Bytes installer;
    const char* message;
  };
  const Bytes installer = Program(100);
  const std::vector<Case> cases = {
      {"not a program", Bytes(600, 'x'), installer, "launcher is not a Windows program"},
      {"no form data", Launcher({{10, "TFORM2", 0, Form(good)}}), installer, "no form data"},
      {"no storage", Launcher(LauncherResources(Form(good, "TPanel"))), installer,
       "no file storage"},
      {"damaged form", Launcher(LauncherResources(damagedForm)), installer, "damaged form data"},
      {"damaged pack", Launcher(LauncherResources(Form(damagedPack))), installer,
       "damaged file storage data"},
      {"other name", Launcher(LauncherResources(Form(Pack({{"setup.exe", kReadme}})))), installer,
       "carries no quillmoor_full.exe"},
      {"crc size", Launcher(LauncherResources(Form(good), {1, 2, 3})), installer, "not 4 bytes"},
      {"section after", Launcher(LauncherResources(Form(good)), true), installer,
       "holds more than the base relocations"},
      {"certificate", signedInTheMiddle, installer, "certificate table is not at the end"},
      {"shared table", sharedTable, installer, "reached twice"},
      {"empty installer", StandardLauncher(), {}, "installer is empty"},
      {"installer no program", StandardLauncher(), kReadme, "installer is not a Windows program"},
  };
  for (const Case& c : cases) {
    try {
      sfpack::WrapLauncher(c.launcher, c.installer);
      ADD_FAILURE() << c.what << ": accepted";
    } catch (const sfpack::WrapError& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos)
          << c.what << ": " << e.what();
    }
  }

  // Every cut of the launcher is refused, never read past.
  const Bytes launcher = StandardLauncher();
  for (size_t n = 0; n < launcher.size(); n += 37) {
    const Bytes cut(launcher.begin(), launcher.begin() + static_cast<std::ptrdiff_t>(n));
    EXPECT_THROW(sfpack::WrapLauncher(cut, installer), sfpack::WrapError) << n;
  }
}

}  // namespace
