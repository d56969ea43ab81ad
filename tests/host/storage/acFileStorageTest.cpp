#include "storage/acFileStorage.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "storage/acSFPack.h"
#include "toolkit/core/FormStreaming.h"
#include "toolkit/core/TFiler.h"
#include "toolkit/core/TMemoryStream.h"
#include "toolkit/core/TReadOnlyMemoryStream.h"
#include "toolkit/core/ToolkitErrors.h"

namespace {

using Bytes = std::vector<uint8_t>;

void Put32(Bytes& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void PutText(Bytes& b, const std::string& s) {
  b.insert(b.end(), s.begin(), s.end());
}
Bytes Pack(const Bytes& data) {
  Bytes out(PackedSizeMax(data.size()));
  out.resize(PackData(data.data(), out.data(), data.size(), out.size()));
  return out;
}
// One record of the "SFP1" form with the given packed area.
void PutPackedRecord(Bytes& b, const std::string& name, const Bytes& area) {
  Put32(b, static_cast<uint32_t>(name.size()));
  PutText(b, name);
  Put32(b, static_cast<uint32_t>(area.size()));
  b.insert(b.end(), area.begin(), area.end());
}
Bytes PackHeader(uint32_t count) {
  Bytes b;
  PutText(b, "SFP1");
  Put32(b, count);
  return b;
}
Bytes Content(size_t n, uint32_t seed) {
  Bytes b(n);
  for (size_t i = 0; i < n; ++i) {
    seed = seed * 1103515245u + 12345u;
    b[i] = (i / 300) % 3 == 0 ? 0x20 : static_cast<uint8_t>(seed >> 16);  // runs and noise
  }
  return b;
}
Bytes DataOf(const TStoredFile& f) {
  return f.Data().Bytes();
}
void Read(TacFileStorage& s, const Bytes& pack) {
  TReadOnlyMemoryStream stream(pack);
  s.ReadStoredData(stream);
}
Bytes Written(const TacFileStorage& s) {
  TMemoryStream m;
  s.WriteStoredData(m);
  return m.Bytes();
}

TEST(FileStorageTest, ConstructionDefaultsAndDisplayOnlyProperties) {
  TacFileStorage s(nullptr);
  EXPECT_EQ(s.Count(), 0u);
  EXPECT_EQ(s.DataSize(), 0u);
  EXPECT_FALSE(s.PackedFormat());
  EXPECT_EQ(s.Files().Count(), 0);
  EXPECT_TRUE(s.Files().OwnsObjects());
  EXPECT_TRUE(s.ExtractedFiles().empty());
  ASSERT_NE(s.AutoExtract(), nullptr);
  EXPECT_EQ(s.AutoExtract()->Owner(), &s);
  EXPECT_FALSE(s.AutoExtract()->Enabled());
  EXPECT_FALSE(s.AutoExtract()->RemoveOnTerminate());
  EXPECT_EQ(s.AutoExtract()->Overwrite(), owIfSizeDifferent);
  EXPECT_TRUE(s.AutoExtract()->ExtractTo()->CreatePath());
  EXPECT_EQ(s.AutoExtract()->ExtractTo()->ToplevelDir(), tdCurrentDir);

  const Bytes a = {1, 2, 3}, b(70000, 9);
  s.AddFile("a", a);
  s.AddFile("b", b);
  const TClassInfo& info = s.ClassInfo();
  for (const char* name : {"Count", "DataSize"}) {
    const TPropInfo* p = info.FindProperty(name);
    ASSERT_NE(p, nullptr) << name;
    EXPECT_FALSE(p->IsStored(s)) << name;
    ASSERT_TRUE(p->SetOrd) << name;
    p->SetOrd(s, 12345);  // ignored
  }
  EXPECT_EQ(info.FindProperty("Count")->GetOrd(s), 2);
  EXPECT_EQ(info.FindProperty("DataSize")->GetOrd(s), 70003);
  for (const char* name : {"About", "AutoExtract", "OnExtract", "OnExtracted", "Name", "Tag"})
    EXPECT_NE(info.FindProperty(name), nullptr) << name;
}

// Records which extra properties an object declares, and writes the binary ones.
class TRecordingFiler : public TFiler {
 public:
  std::vector<std::string> names;
  std::vector<bool> hasData;
  Bytes data;
  void DefineBinaryProperty(const std::string& Name, const std::function<void(TStream&)>&,
                            const std::function<void(TStream&)>& WriteData, bool HasData) override {
    names.push_back(Name);
    hasData.push_back(HasData);
    if (HasData) {
      TMemoryStream m;
      WriteData(m);
      data = m.Bytes();
    }
  }
  void DefineIntegerProperty(const std::string&, const std::function<void(int32_t)>&,
                             const std::function<int32_t()>&, bool) override {}
};

TEST(FileStorageTest, StoredDataHasAValueExactlyWhenThereAreRecords) {
  TacFileStorage s(nullptr);
  TRecordingFiler empty;
  s.DefineProperties(empty);
  ASSERT_EQ(empty.names, (std::vector<std::string>{"StoredData"}));
  EXPECT_FALSE(empty.hasData[0]);

  s.AddFile("x", Bytes{7});
  TRecordingFiler one;
  s.DefineProperties(one);
  EXPECT_TRUE(one.hasData[0]);
  EXPECT_EQ(one.data, Written(s));
}

TEST(FileStorageTest, EmptyFileIsPackedLengthFourWithFourZeroBytes) {
  TacFileStorage s(nullptr);
  s.AddFile("e", {});
  Bytes expected = PackHeader(1);
  Put32(expected, 1);
  PutText(expected, "e");
  Put32(expected, 4);
  Put32(expected, 0);
  EXPECT_EQ(Written(s), expected);

  TacFileStorage r(nullptr);
  Read(r, expected);
  EXPECT_TRUE(r.PackedFormat());
  ASSERT_EQ(r.Files().Count(), 1);
  EXPECT_EQ(r.StoredFiles(0).FileName(), "e");
  EXPECT_EQ(r.StoredFiles(0).FileSize(), 0u);
  EXPECT_TRUE(r.StoredFiles(0).Data().Bytes().empty());
}

TEST(FileStorageTest, OldFormIsReadRawAfterTheSkippedField) {
  Bytes pack;
  Put32(pack, 1);
  Put32(pack, 0xDEADBEEF);  // skipped
  Put32(pack, 3);
  PutText(pack, "abc");
  Put32(pack, 2);
  PutText(pack, "hi");
  TacFileStorage s(nullptr);
  Read(s, pack);
  EXPECT_FALSE(s.PackedFormat());
  EXPECT_EQ(s.Count(), 1u);
  ASSERT_EQ(s.Files().Count(), 1);
  EXPECT_EQ(s.StoredFiles(0).FileName(), "abc");
  EXPECT_EQ(DataOf(s.StoredFiles(0)), (Bytes{'h', 'i'}));
  EXPECT_EQ(s.DataSize(), 2u);
  // Written again, it is the packed form.
  Bytes expected = PackHeader(1);
  PutPackedRecord(expected, "abc", Pack({'h', 'i'}));
  EXPECT_EQ(Written(s), expected);
}

TEST(FileStorageTest, RecordWithoutOwnerReadsPacked) {
  const Bytes content = Content(1000, 3);
  Bytes record;
  PutPackedRecord(record, "free.bin", Pack(content));
  TStoredFile f(nullptr);
  TReadOnlyMemoryStream stream(record);
  f.ReadFromStream(stream);
  EXPECT_EQ(f.FileName(), "free.bin");
  EXPECT_EQ(f.FileSize(), 1000u);
  EXPECT_EQ(DataOf(f), content);
  EXPECT_EQ(stream.Position(), stream.Size());
  TMemoryStream again;
  f.WriteToStream(again);
  EXPECT_EQ(again.Bytes(), record);
}

TEST(FileStorageTest, PackRoundTripAppendsAndReproducesTheBytes) {
  TacFileStorage s(nullptr);
  const Bytes big = Content(200000, 1);  // four blocks
  const Bytes small = Content(10, 2);
  s.AddFile("big.bin", big);
  s.AddFile("small.txt", small);
  const Bytes pack = Written(s);

  TacFileStorage r(nullptr);
  Read(r, pack);
  ASSERT_EQ(r.Files().Count(), 2);
  EXPECT_EQ(r.Count(), 2u);
  EXPECT_EQ(r.DataSize(), 200010u);
  EXPECT_EQ(DataOf(r.StoredFiles(0)), big);
  EXPECT_EQ(DataOf(r.StoredFiles(1)), small);
  EXPECT_EQ(r.StoredFiles(0).Storage(), &r);
  EXPECT_EQ(Written(r), pack);

  // A second pack is appended; Count is that of the last pack read.
  Bytes second = PackHeader(1);
  PutPackedRecord(second, "third", Pack({1, 2, 3}));
  Read(r, second);
  ASSERT_EQ(r.Files().Count(), 3);
  EXPECT_EQ(r.StoredFiles(2).FileName(), "third");
  EXPECT_EQ(r.Count(), 1u);
  EXPECT_EQ(r.DataSize(), 200000u);  // the first Count records
}

struct DamageCase {
  const char* what;
  Bytes pack;
  const char* message;  // a part of the error text
};

std::vector<DamageCase> DamageCases() {
  std::vector<DamageCase> cases;
  const Bytes good = Pack(Content(100, 5));
  {
    cases.push_back({"empty", {}, "record count is cut short"});
    cases.push_back({"magic only", {'S', 'F', 'P', '1'}, "record count is cut short"});
  }
  {
    Bytes b = PackHeader(1000);
    PutPackedRecord(b, "a", good);
    cases.push_back({"count beyond the bytes", b, "1000 records claimed"});
  }
  {
    Bytes b = PackHeader(2);
    PutPackedRecord(b, "first", good);
    PutPackedRecord(b, "x", good);
    b.resize(b.size() - 3);
    cases.push_back({"truncated second record", b, "record 2 of 2"});
  }
  {
    Bytes b = PackHeader(1);
    Put32(b, 500);
    PutText(b, "short name");
    Put32(b, 0);
    cases.push_back({"name past the end", b, "name length 500 runs past the end"});
  }
  {
    Bytes b = PackHeader(1);
    Put32(b, 1);
    PutText(b, "n");
    Put32(b, 3);
    Put32(b, 0);
    cases.push_back({"packed length below 4", b, "packed length 3 is below 4"});
  }
  {
    Bytes b = PackHeader(1);
    Put32(b, 1);
    PutText(b, "n");
    Put32(b, 4000);
    b.insert(b.end(), good.begin(), good.end());
    cases.push_back({"packed length past the end", b, "packed length 4000 runs past the end"});
  }
  {
    Bytes area = good;
    area[0] += 1;  // claims one byte more than the blocks give
    Bytes b = PackHeader(1);
    PutPackedRecord(b, "more", area);
    cases.push_back({"blocks give too little", b, "(100 of 101 bytes unpacked)"});
  }
  {
    Bytes area = good;
    area[0] -= 1;  // the blocks give more than FileSize
    Bytes b = PackHeader(1);
    PutPackedRecord(b, "less", area);
    cases.push_back({"blocks give too much", b, "file \"less\": packed data damaged"});
  }
  {
    Bytes area = good;
    area[4] = 0xFF;  // first block length runs past the area
    Bytes b = PackHeader(1);
    PutPackedRecord(b, "len", area);
    cases.push_back({"block past the area", b, "a block runs past the packed area"});
  }
  {
    Bytes area;  // a tiny pack that claims a 4 GB file
    Put32(area, 0xFFFFFFFF);
    for (uint8_t v : {5, 0, 0, 0, 0, 0, 0}) area.push_back(v);
    Bytes b = PackHeader(1);
    PutPackedRecord(b, "huge", area);
    cases.push_back({"4 GB claim", b, "unpacked length 4294967295 exceeds"});
  }
  {
    Bytes b;
    Put32(b, 1);
    Put32(b, 0);
    Put32(b, 1);
    PutText(b, "r");
    Put32(b, 0x7FFFFFFF);
    PutText(b, "tiny");
    cases.push_back({"raw size past the end", b, "size 2147483647 runs past the end"});
  }
  return cases;
}

TEST(FileStorageTest, DamagedPacksFailWithAReadErrorAndLeaveTheStorageAsItWas) {
  for (const DamageCase& c : DamageCases()) {
    SCOPED_TRACE(c.what);
    TacFileStorage s(nullptr);
    s.AddFile("kept", Bytes{1, 2});
    try {
      Read(s, c.pack);
      ADD_FAILURE() << "no error";
    } catch (const EReadError& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
      EXPECT_EQ(std::string(e.what()).rfind("Stored data", 0), 0u) << e.what();
    }
    ASSERT_EQ(s.Files().Count(), 1);
    EXPECT_EQ(s.StoredFiles(0).FileName(), "kept");
    EXPECT_EQ(s.Count(), 1u);
    EXPECT_FALSE(s.PackedFormat());
  }
}

}  // namespace
