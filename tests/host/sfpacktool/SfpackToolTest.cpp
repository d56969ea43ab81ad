// The pack tool's readers: the pack listing, the form-data walker and the program-file
// resource finder, on hand-built inputs, sound and damaged.
#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "storage/acFileStorage.h"
#include "toolkit/core/TMemoryStream.h"
#include "toolkit/core/ToolkitErrors.h"
#include "tools/pe/PeFile.h"
#include "tools/sfpack/FormBinaryProperty.h"
#include "tools/sfpack/PackListing.h"

namespace {

using Bytes = std::vector<uint8_t>;

void Put16(Bytes& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(Bytes& b, uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}
void Set32(Bytes& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
void PutShort(Bytes& b, const std::string& s) {
  b.push_back(static_cast<uint8_t>(s.size()));
  b.insert(b.end(), s.begin(), s.end());
}

Bytes MakePack() {
  TacFileStorage s(nullptr);
  Bytes noise(70000);
  for (size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<uint8_t>(i * 131 + i / 7);
  s.AddFile("quillmoor_full.exe", noise);    // every byte value: table blocks
  s.AddFile("readme.txt", Bytes(300, 'a'));  // a marker block
  TMemoryStream m;
  s.WriteStoredData(m);
  return m.Bytes();
}

// A form with a nested storage record whose StoredData follows values of several types.
Bytes MakeForm(const Bytes& pack) {
  Bytes f = {'T', 'P', 'F', '0'};
  PutShort(f, "TForm1");
  PutShort(f, "Form1");
  PutShort(f, "Caption");
  f.push_back(6);
  PutShort(f, "Installation");
  PutShort(f, "Font.Style");
  f.push_back(11);
  PutShort(f, "fsBold");
  f.push_back(0);
  PutShort(f, "ClientWidth");
  f.push_back(3);
  Put16(f, 600);
  PutShort(f, "Picture.Data");
  f.push_back(10);
  Put32(f, 3);
  f.insert(f.end(), {1, 2, 3});
  f.push_back(0);  // end of properties
  PutShort(f, "TacFileStorage");
  PutShort(f, "acFileStorage1");
  PutShort(f, "AutoExtract.Enabled");
  f.push_back(9);
  PutShort(f, "StoredData");
  f.push_back(10);
  Put32(f, static_cast<uint32_t>(pack.size()));
  f.insert(f.end(), pack.begin(), pack.end());
  f.push_back(0);  // end of properties
  f.push_back(0);  // no children
  f.push_back(0);  // end of the root's children
  return f;
}

// A PE32 file with one section holding a resource tree: RCDATA / Name / one language.
Bytes MakePe(const Bytes& resource, const std::string& name = "TFORM1") {
  Bytes pe(0x40, 0);
  pe[0] = 'M';
  pe[1] = 'Z';
  Set32(pe, 0x3C, 0x40);
  Put32(pe, 0x00004550);
  Put16(pe, 0x14C);  // i386
  Put16(pe, 1);      // sections
  Put32(pe, 0);
  Put32(pe, 0);
  Put32(pe, 0);
  Put16(pe, 224);  // optional header size
  Put16(pe, 0x102);
  const size_t optional = pe.size();
  pe.resize(optional + 224, 0);
  pe[optional] = 0x0B;
  pe[optional + 1] = 0x01;
  Set32(pe, optional + 92, 16);           // data directories
  Set32(pe, optional + 96 + 16, 0x1000);  // resource directory RVA
  // Section table.
  const size_t section = pe.size();
  pe.resize(section + 40, 0);
  std::memcpy(&pe[section], ".rsrc", 5);
  pe.resize(0x200, 0);

  Bytes r;  // the section, RVA 0x1000
  auto dir = [&](uint32_t named, uint32_t ids) {
    Put32(r, 0);
    Put32(r, 0);
    Put32(r, 0);
    Put16(r, named);
    Put16(r, ids);
  };
  dir(0, 1);  // root at 0
  Put32(r, 10);
  Put32(r, 0x80000000u | 24);
  dir(1, 0);  // names at 24
  const size_t nameEntry = r.size();
  Put32(r, 0);  // patched: string offset
  Put32(r, 0x80000000u | 48);
  dir(0, 1);  // languages at 48
  Put32(r, 0x409);
  Put32(r, 72);
  Put32(r, 0x1000 + 88);  // data entry at 72
  Put32(r, static_cast<uint32_t>(resource.size()));
  Put32(r, 0);
  Put32(r, 0);
  const size_t string = r.size();  // 88 + ... the name string follows the data
  r.insert(r.end(), resource.begin(), resource.end());
  Set32(r, string - 16, 0x1000 + static_cast<uint32_t>(string));
  while (r.size() % 2) r.push_back(0);
  Set32(r, nameEntry, 0x80000000u | static_cast<uint32_t>(r.size()));
  Put16(r, static_cast<uint32_t>(name.size()));
  for (char c : name) Put16(r, static_cast<uint8_t>(c));

  Set32(pe, section + 8, static_cast<uint32_t>(r.size()));
  Set32(pe, section + 12, 0x1000);
  Set32(pe, section + 16, static_cast<uint32_t>(r.size()));
  Set32(pe, section + 20, 0x200);
  pe.insert(pe.end(), r.begin(), r.end());
  return pe;
}

TEST(SfpackToolTest, ListShowsSizesAndBlockKinds) {
  const Bytes pack = MakePack();
  const sfpack::PackListing l = sfpack::ListPack(pack);
  EXPECT_TRUE(l.packedForm);
  ASSERT_EQ(l.records.size(), 2u);
  EXPECT_EQ(l.records[0].name, "quillmoor_full.exe");
  EXPECT_EQ(l.records[0].size, 70000u);
  EXPECT_EQ(l.records[0].tableBlocks, 2u);
  EXPECT_EQ(l.records[0].markerBlocks, 0u);
  EXPECT_EQ(l.records[1].name, "readme.txt");
  EXPECT_EQ(l.records[1].size, 300u);
  EXPECT_EQ(l.records[1].packedSize, 4u + 2 + 2 + 5);  // one marker block, one long run
  EXPECT_EQ(l.records[1].markerBlocks, 1u);

  Bytes old = {1, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 'x', 2, 0, 0, 0, 'h', 'i'};
  const sfpack::PackListing o = sfpack::ListPack(old);
  EXPECT_FALSE(o.packedForm);
  ASSERT_EQ(o.records.size(), 1u);
  EXPECT_EQ(o.records[0].size, 2u);

  Bytes cut(pack.begin(), pack.end() - 1);
  EXPECT_THROW(sfpack::ListPack(cut), EReadError);
}

TEST(SfpackToolTest, FormWalkerFindsStoredDataInANestedRecord) {
  const Bytes pack = MakePack();
  const Bytes form = MakeForm(pack);
  auto found = sfpack::FindFormBinaryProperty(form, "storeddata");
  ASSERT_TRUE(found.has_value());
  EXPECT_EQ(Bytes(found->begin(), found->end()), pack);
  auto picture = sfpack::FindFormBinaryProperty(form, "Picture.Data");
  ASSERT_TRUE(picture.has_value());
  EXPECT_EQ(picture->size(), 3u);
  EXPECT_FALSE(sfpack::FindFormBinaryProperty(form, "Missing").has_value());

  // Every truncation, a bad signature and an unknown value type are errors, not crashes.
  for (size_t n = 0; n < form.size(); n += 97) {
    Bytes cut(form.begin(), form.begin() + static_cast<std::ptrdiff_t>(n));
    EXPECT_THROW(sfpack::FindFormBinaryProperty(cut, "StoredData"), std::runtime_error) << n;
  }
  Bytes bad = form;
  bad[4 + 7 + 6 + 8] = 99;  // the Caption's value type
  EXPECT_THROW(sfpack::FindFormBinaryProperty(bad, "StoredData"), std::runtime_error);
}

TEST(SfpackToolTest, ResourceFinderReadsTheProgramFile) {
  const Bytes form = MakeForm(MakePack());
  const Bytes pe = MakePe(form);
  ASSERT_TRUE(PeFile::IsPeFile(pe));
  auto found = PeFile(pe).Resource(kRtRcData, "TFORM1");
  ASSERT_TRUE(found.has_value());
  EXPECT_EQ(Bytes(found->begin(), found->end()), form);
  EXPECT_FALSE(PeFile(pe).Resource(kRtRcData, "OTHER").has_value());
  EXPECT_FALSE(PeFile(pe).Resource(3, "TFORM1").has_value());
  EXPECT_FALSE(PeFile::IsPeFile(form));

  // A size running past the section, and every truncation, are errors.
  Bytes big = pe;
  const size_t sizeField = 0x200 + 72 + 4;
  Set32(big, sizeField, 0x7FFFFFFF);
  EXPECT_THROW(PeFile(big).Resource(kRtRcData, "TFORM1"), std::runtime_error);
  Bytes loop = pe;
  Set32(loop, 0x200 + 16 + 4, 0x80000000u | 0x7FFFFFF0u);  // subdirectory far outside
  EXPECT_THROW(PeFile(loop).Resource(kRtRcData, "TFORM1"), std::runtime_error);
  for (size_t n = 0x40; n < pe.size(); n += 61) {
    Bytes cut(pe.begin(), pe.begin() + static_cast<std::ptrdiff_t>(n));
    EXPECT_THROW(PeFile(cut).Resource(kRtRcData, "TFORM1"), std::runtime_error) << n;
  }
}

}  // namespace
