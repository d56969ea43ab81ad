// sfpack wrap on the small launchers of the fuzz corpus (tests/fuzz/corpus/wrap: .text, .rsrc
// with INSTALLERCRC and TFORM1, whose storage carries quillmoor_full.exe and readme.txt, then
// .reloc; laid out as the linker does, breadth first by hand, and signed): what the result
// carries and where things moved, the signature left out, and the refusals. That the result is
// byte for byte the linker's program is shown on the win32 build's launchers.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

#include "storage/Crc32.h"
#include "storage/acFileStorage.h"
#include "toolkit/core/TReadOnlyMemoryStream.h"
#include "tools/fileio/WholeFile.h"
#include "tools/pe/PeFile.h"
#include "tools/sfpack/FormBinaryProperty.h"
#include "tools/sfpack/LauncherWrap.h"

namespace {

using Bytes = std::vector<uint8_t>;
constexpr size_t kOptional = 0x58;
constexpr size_t kDirectories = kOptional + 96;
constexpr size_t kReloc = kOptional + 224 + 2 * 40;  // the third section's header

Bytes Seed(const std::string& Name) {
  std::ifstream in(std::string(AC_WRAP_SEEDS) + "/" + Name, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
uint32_t Get32(const Bytes& B, size_t At) {
  return B[At] | B[At + 1] << 8 | B[At + 2] << 16 | static_cast<uint32_t>(B[At + 3]) << 24;
}
void Set32(Bytes& B, size_t At, uint32_t V) {
  for (int i = 0; i < 4; ++i) B[At + i] = static_cast<uint8_t>(V >> (8 * i));
}
// B with the first From replaced by To (of the same length), Skip bytes into it.
Bytes Patched(Bytes B, const std::string& From, const std::string& To, size_t Skip = 0) {
  const auto at = std::search(B.begin(), B.end(), From.begin(), From.end());
  EXPECT_NE(at, B.end()) << From;
  std::copy(To.begin(), To.end(), at + static_cast<std::ptrdiff_t>(Skip));
  return B;
}
Bytes Program(size_t Size) {
  Bytes b(Size);
  for (size_t i = 0; i < Size; ++i) b[i] = static_cast<uint8_t>(i * 7 + i / 5);
  b[0] = 'M', b[1] = 'Z', b[0x3C] = 0x40, b[0x3D] = b[0x3E] = b[0x3F] = 0;
  b[0x40] = 'P', b[0x41] = 'E', b[0x42] = b[0x43] = 0;
  return b;
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
  const Bytes launcher = Seed("linker_layout.exe");
  const auto before = Carried(launcher);
  const Bytes installer = Program(70000);
  const sfpack::WrapResult r = sfpack::WrapLauncher(launcher, installer);
  const Bytes& out = r.program;
  EXPECT_EQ(r.carriedName, "quillmoor_full.exe");
  EXPECT_EQ(r.replacedSize, before[0].second.size());
  EXPECT_FALSE(r.signatureRemoved);

  // The installer in place of the carried file, the other record as it was, the CRC-32 recorded.
  const auto files = Carried(out);
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(files[0], std::make_pair(std::string("quillmoor_full.exe"), installer));
  EXPECT_EQ(files[1], before[1]);
  const auto crc = PeFile(out).Resource(kRtRcData, "INSTALLERCRC");
  ASSERT_TRUE(r.crcRecorded && crc && crc->size() == 4);
  EXPECT_EQ(Get32(Bytes(crc->begin(), crc->end()), 0), Crc32(installer));

  // The relocations moved behind the grown resources, in memory and in the file, with their
  // directory. (Sizes, layout and checksum are compared with the linker's on the real launchers.)
  const uint32_t relocRva = Get32(out, kReloc + 12), relocRaw = Get32(out, kReloc + 20);
  EXPECT_EQ(relocRva, 0x2000 + ((Get32(out, kReloc - 40 + 8) + 0xFFF) & ~0xFFFu));
  EXPECT_GT(relocRva, Get32(launcher, kReloc + 12));
  EXPECT_EQ(Get32(out, kDirectories + 5 * 8), relocRva);
  EXPECT_TRUE(std::equal(out.begin() + relocRaw, out.end(),
                         launcher.begin() + Get32(launcher, kReloc + 20), launcher.end()));

  // Wrapping the installer it had before gives the launcher back; from the hand-made layout and
  // from the signed copy too (the signature left out).
  const Bytes old = before[0].second;
  EXPECT_EQ(sfpack::WrapLauncher(out, old).program, launcher);
  EXPECT_EQ(sfpack::WrapLauncher(Seed("hand_layout.exe"), old).program, launcher);
  const sfpack::WrapResult unsigned_ = sfpack::WrapLauncher(Seed("signed.exe"), old);
  EXPECT_TRUE(unsigned_.signatureRemoved);
  EXPECT_EQ(unsigned_.program, launcher);
}

TEST(WrapTest, RefusesWhatItCannotWrap) {
  const Bytes launcher = Seed("linker_layout.exe");
  const Bytes installer = Program(100);
  const uint32_t rsrc = Get32(launcher, kReloc - 40 + 20);
  Bytes noRelocations = launcher, certificateInside = launcher, sharedTable = launcher;
  Bytes crcOf3 = launcher;
  Set32(noRelocations, kDirectories + 5 * 8, 0);
  Set32(certificateInside, kDirectories + 4 * 8, 0x400);
  Set32(certificateInside, kDirectories + 4 * 8 + 4, 0x10);
  Set32(sharedTable, rsrc + 0x2C, Get32(launcher, rsrc + 0x34));  // INSTALLERCRC -> TFORM1's table
  Set32(crcOf3, rsrc + 0x94, 3);  // the linker layout puts INSTALLERCRC's data entry at 0x90
  const std::string utf16Form("T\0F\0O\0R\0M\0001", 11);

  struct Case {
    Bytes launcher;
    Bytes installer;
    const char* message;
  };
  const std::vector<Case> cases = {
      {Bytes(600, 'x'), installer, "launcher is not a Windows program"},
      {Patched(launcher, utf16Form, "2", 10), installer, "no form data"},
      {Patched(launcher, "TacFileStorage", "TPanelStorage_"), installer, "no file storage"},
      {Patched(launcher, "Caption", "\x63", 7), installer, "damaged form data"},
      {Patched(launcher, "SFP1", "\x07", 4), installer, "damaged file storage data"},
      {Patched(launcher, "quillmoor_full", "quillmoor_fulx"), installer, "carries no quillmoor"},
      {crcOf3, installer, "INSTALLERCRC is not 4 bytes"},
      {noRelocations, installer, "holds more than the base relocations"},
      {certificateInside, installer, "certificate table is not at the end"},
      {sharedTable, installer, "reached twice"},
      // Crafted launchers of the fuzz corpus (tests/fuzz/make_crafted_seeds.py) and its findings.
      {Seed("crafted_shared_directories.exe"), installer, "reached twice"},
      {Seed("crafted_long_names.exe"), installer, "names overlap or are shared"},
      {Seed("empty_section_after_resources.exe"), installer,
       "section 0 () lies after the resources"},
      {Seed("large_file_alignment.exe"), installer, "larger than Windows allows"},
      {launcher, {}, "installer is empty"},
      {launcher, Bytes(300, 'a'), "installer is not a Windows program"},
  };
  for (const Case& c : cases) {
    try {
      sfpack::WrapLauncher(c.launcher, c.installer);
      ADD_FAILURE() << c.message << ": accepted";
    } catch (const sfpack::WrapError& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
  }
  // Every cut of the launcher is refused, never read past.
  for (size_t n = 0; n < launcher.size(); n += 7) {
    const Bytes cut(launcher.begin(), launcher.begin() + static_cast<std::ptrdiff_t>(n));
    EXPECT_THROW(sfpack::WrapLauncher(cut, installer), sfpack::WrapError) << n;
  }
}

// The installer from memory, handed out in uneven pieces; it may claim another size than it has,
// and its reading may fail once FailAt bytes are read.
class TMemoryInstaller : public sfpack::TInstallerSource {
 public:
  TMemoryInstaller(const Bytes& Data, uint64_t Claimed, size_t FailAt = SIZE_MAX)
      : data_(Data), claimed_(Claimed), failAt_(FailAt) {}
  uint64_t Size() const override { return claimed_; }
  size_t Read(uint8_t* Into, size_t Count) override {
    if (pos_ >= failAt_) throw std::runtime_error("read error");
    const size_t n = std::min({Count, data_.size() - pos_, size_t{70001}});
    std::copy_n(data_.begin() + static_cast<std::ptrdiff_t>(pos_), n, Into);
    pos_ += n;
    read_ += n;
    return n;
  }
  void Rewind() override { pos_ = 0; }
  size_t read_ = 0;

 private:
  const Bytes& data_;
  uint64_t claimed_;
  size_t failAt_;
  size_t pos_ = 0;
};

class TMemoryProgram : public sfpack::TProgramSink {
 public:
  explicit TMemoryProgram(bool Seekable) : seekable_(Seekable) {}
  bool Seekable() override { return seekable_; }
  void Write(std::span<const uint8_t> B) override { bytes.insert(bytes.end(), B.begin(), B.end()); }
  void WriteAt(uint64_t At, std::span<const uint8_t> B) override {
    ASSERT_TRUE(seekable_ && At + B.size() <= bytes.size());
    std::copy(B.begin(), B.end(), bytes.begin() + static_cast<std::ptrdiff_t>(At));
  }
  Bytes bytes;

 private:
  bool seekable_;
};

TEST(WrapTest, StreamedGivesTheProgramOfTheWholeWrap) {
  const Bytes launcher = Seed("linker_layout.exe");
  // Around the block (65,533) and part (16 blocks) boundaries, and a PE header beyond the first
  // part, as written to a file and in order only.
  Bytes farHeader = Program(3'000'000);
  Set32(farHeader, 0x3C, 2'500'001);
  std::copy_n("PE\0\0", 4, farHeader.begin() + 2'500'001);
  std::vector<Bytes> installers = {
      Program(0x44),           Program(65533),          Program(65534), Program(65533 * 16),
      Program(65533 * 16 + 1), Program(65533 * 40 + 7), farHeader};
  for (const Bytes& installer : installers) {
    const sfpack::WrapResult whole = sfpack::WrapLauncher(launcher, installer);
    for (const bool seekable : {true, false}) {
      SCOPED_TRACE(std::to_string(installer.size()) + (seekable ? " seekable" : " in order"));
      TMemoryInstaller in(installer, installer.size());
      TMemoryProgram out(seekable);
      const sfpack::WrapSummary s = sfpack::WrapLauncherStreamed(launcher, in, out);
      EXPECT_TRUE(out.bytes == whole.program);
      EXPECT_EQ(std::tie(s.carriedName, s.replacedSize, s.packSize, s.crc, s.crcRecorded),
                std::tie(whole.carriedName, whole.replacedSize, whole.packSize, whole.crc,
                         whole.crcRecorded));
    }
  }
}

TEST(WrapTest, StreamedRefusesAndReadsNothingBeforeTheSizesPass) {
  const Bytes launcher = Seed("linker_layout.exe");
  const Bytes installer = Program(200'000);
  Bytes farMissing = Program(3'000'000);
  Set32(farMissing, 0x3C, 2'500'001);
  struct Case {
    const Bytes& data;
    uint64_t claimed;
    const char* message;
    bool readsNothing;
  };
  const Bytes none, one(1, 'M');
  const std::vector<Case> cases = {
      {none, 0, "installer is empty", true},
      {one, 1, "not a Windows program", false},
      {farMissing, farMissing.size(), "not a Windows program", false},
      // Claimed sizes of a file that is not there: the result's size decides before any read.
      {installer, 0x7FFDE000, "too large for Windows to load", true},
      {installer, 0x90000000, "resource section would be too large", true},
      {installer, 0x100000000, "larger than the pack format holds", true},
      {installer, installer.size() + 1, "became shorter", false},
      {installer, installer.size() - 1, "grew", false},
  };
  for (const Case& c : cases) {
    for (const bool seekable : {true, false}) {
      TMemoryInstaller in(c.data, c.claimed);
      TMemoryProgram out(seekable);
      try {
        sfpack::WrapLauncherStreamed(launcher, in, out);
        ADD_FAILURE() << c.message << ": accepted";
      } catch (const sfpack::WrapError& e) {
        EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
      }
      if (c.readsNothing) EXPECT_EQ(in.read_ + out.bytes.size(), 0u) << c.message;
    }
  }
}

// Through the partial output file: a read failing part-way, a sparse installer past 2 GiB.
TEST(WrapTest, StreamedFailureLeavesTheOutputAsItWas) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / ("wrap-stream-" + std::to_string(getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  const std::string outPath = (dir / "out.exe").string(), sparse = (dir / "big.exe").string();
  const Bytes old = {'o', 'l', 'd'};
  WriteWholeFile(outPath, old);
  const Bytes launcher = Seed("linker_layout.exe");
  const Bytes installer = Program(5'000'000);
  WriteWholeFile(sparse, Program(0x44));
  fs::resize_file(sparse, 0xA0000000);  // 2.5 GiB, sparse
  class TOut : public sfpack::TProgramSink {
   public:
    explicit TOut(const std::string& Path) : file(Path, ".p") {}
    bool Seekable() override { return file.Seekable(); }
    void Write(std::span<const uint8_t> B) override { file.Write(B); }
    void WriteAt(uint64_t At, std::span<const uint8_t> B) override { file.WriteAt(At, B); }
    TFileReplacement file;
  };
  class TFileSource : public sfpack::TInstallerSource {
   public:
    explicit TFileSource(const std::string& Path) : file(Path) {}
    uint64_t Size() const override { return file.Size(); }
    size_t Read(uint8_t* Into, size_t Count) override { return file.Read(Into, Count); }
    void Rewind() override { file.Rewind(); }
    TFileReader file;
  };
  for (const size_t failAt : {size_t{0}, size_t{2'000'000}, SIZE_MAX}) {
    SCOPED_TRACE(failAt);
    TMemoryInstaller in(installer, installer.size(), failAt);
    TFileSource big(sparse);
    sfpack::TInstallerSource& source =
        failAt == SIZE_MAX ? static_cast<sfpack::TInstallerSource&>(big) : in;
    EXPECT_ANY_THROW({
      TOut out(outPath);
      sfpack::WrapLauncherStreamed(launcher, source, out);
      out.file.Commit();
    });
    EXPECT_EQ(ReadWholeFile(outPath), old);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);
  }
  fs::remove_all(dir);
}

}  // namespace
