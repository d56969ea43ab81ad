// Extraction at the end of loading and removal at destruction, against the simulated machine.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/host/StandInFixture.h"
#include "storage/Crc32.h"
#include "storage/acFileStorage.h"
#include "toolkit/core/FormStreaming.h"
#include "toolkit/core/TMemoryStream.h"
#include "toolkit/core/TResourceStream.h"

namespace {

namespace fs = std::filesystem;
using standin::HostPath;
using Strings = std::vector<std::string>;
const std::string kNew = "NEWDATA";

// The content of the file at Path; none when there is no file (a folder is none too).
std::optional<std::string> FileText(const std::string& Path) {
  if (fs::is_directory(HostPath(Path))) return std::nullopt;
  std::ifstream in(HostPath(Path), std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), {});
}
bool DirExists(const std::string& Path) {
  return fs::is_directory(HostPath(Path));
}

// An owner with a storage of one record that extracts into TEMP\Sub; the events log
// "+path size" and "-path ok|failed", with "?" when Sender is not the owner.
struct Rig {
  TComponentPtr<TComponent> owner{new TComponent(nullptr)};
  TacFileStorage* storage = new TacFileStorage(owner.get());
  Strings log;
  std::function<void(bool&)> onExtract = [](bool&) {};

  explicit Rig(const std::string& Name = "f.bin", const std::string& Sub = "") {
    storage->AddFile(Name, std::vector<uint8_t>(kNew.begin(), kNew.end()));
    storage->AutoExtract()->SetEnabled(true);
    storage->AutoExtract()->SetRemoveOnTerminate(true);
    storage->AutoExtract()->ExtractTo()->SetToplevelDir(tdTempDir);
    storage->AutoExtract()->ExtractTo()->SetSubdirectory(Sub);
    storage->SetOnExtract(TOnExtractEvent([this](TObject* S, const std::string& F, int N, bool& A) {
      log.push_back("+" + F + " " + std::to_string(N) + (S == owner.get() ? "" : "?"));
      onExtract(A);
    }));
    storage->SetOnExtracted(
        TOnExtractedEvent([this](TObject* S, const std::string& F, int, bool Ok) {
          log.push_back("-" + F + (Ok ? " ok" : " failed") + (S == owner.get() ? "" : "?"));
        }));
  }
  bool Extract(const std::string& Path, bool CreatePath = true) {
    return storage->StoredFiles(0).ExtractToFile(Path, CreatePath);
  }
};

class ExtractionTest : public standin::StandInTest {};

TEST_F(ExtractionTest, ResolveExtractDirForEveryBase) {
  const std::string shell = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
  standin::SetRegString(HKEY_CURRENT_USER, shell, "Desktop", "C:\\Users\\User\\Desktop");
  standin::SetRegString(HKEY_CURRENT_USER, shell, "Personal", "C:\\Docs\\");
  standin::SetRegString(HKEY_CURRENT_USER, shell, "AppData", "C:\\App Data");
  standin::SetCurrentDirectory("C:\\WINDOWS");  // tdCurrentDir must not follow it
  const struct {
    TacToplevelDir dir;
    const char *sub, *expected;
  } cases[] = {
      {tdCurrentDir, "Sub", "C:\\Program Files\\Installation\\Sub\\"},
      {tdWindowsDir, "\\\\Sub", "C:\\WINDOWS\\Sub\\"},
      {tdTempDir, "", "C:\\TEMP\\"},
      {tdSystemDir, "a\\b\\", "C:\\WINDOWS\\SYSTEM32\\a\\b\\"},
      {tdMediaDir, "", "C:\\WINDOWS\\MEDIA\\"},
      {tdCursorsDir, "", "C:\\WINDOWS\\CURSORS\\"},
      {tdHelpDir, "x", "C:\\WINDOWS\\HELP\\x\\"},
      {tdSamplesDir, "", "C:\\WINDOWS\\SAMPLES\\"},
      {tdDesktop, "", "C:\\Users\\User\\Desktop\\"},
      {tdProgramFiles, "", "C:\\Program Files\\"},
      {tdMyDocuments, "X", "C:\\Docs\\X\\"},
      {tdMyPictures, "Sub", "\\Sub\\"},  // no value: the root of the current drive
      {tdAppData, "\\", "C:\\App Data\\"},
      {tdNone, "D:\\Out", "D:\\Out"},
  };
  TExtractTo to;
  for (const auto& c : cases) {
    to.SetToplevelDir(c.dir);
    to.SetSubdirectory(c.sub);
    EXPECT_EQ(ResolveExtractDir(to), c.expected) << TacToplevelDirInfo().ValueName(c.dir);
  }
  standin::SetEnvVar("TMP", "C:\\");
  to.SetToplevelDir(tdTempDir);
  to.SetSubdirectory("");
  EXPECT_EQ(ResolveExtractDir(to), "C:\\");
}

TEST_F(ExtractionTest, OverwritePoliciesDecideWhatIsWrittenRecordedAndRemoved) {
  const struct {
    TacFileStorageOverwrite policy;
    std::optional<std::string> existing;
    bool written;
  } cases[] = {{owIfSizeDifferent, std::nullopt, true},
               {owIfSizeDifferent, "OLDDATA", true},  // same size, other bytes
               {owIfSizeDifferent, "NEWDATX", true},  // differs in the last byte only
               {owIfSizeDifferent, kNew, false},      // the carried bytes: left alone
               {owIfSizeDifferent, "OLD", true},
               {owNever, std::nullopt, true},
               {owNever, "OLD", false},
               {owAlways, "OLDDATA", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.policy) + " " + c.existing.value_or("-"));
    standin::Reset();
    std::optional<fs::file_time_type> oldTime;
    if (c.existing) {
      standin::WriteHostFile("C:\\TEMP\\f.bin", *c.existing);
      oldTime = fs::file_time_type::clock::now() - std::chrono::hours(24);
      fs::last_write_time(HostPath("C:\\TEMP\\f.bin"), *oldTime);
    }
    Rig rig;
    rig.storage->AutoExtract()->SetOverwrite(c.policy);
    rig.storage->Loaded();
    EXPECT_EQ(FileText("C:\\TEMP\\f.bin"), c.written ? kNew : c.existing);
    // A file left alone keeps its modification time.
    if (oldTime && !c.written)
      EXPECT_EQ(fs::last_write_time(HostPath("C:\\TEMP\\f.bin")), *oldTime);
    EXPECT_EQ(rig.storage->ExtractedFiles().size(), c.written ? 1u : 0u);
    EXPECT_EQ(rig.log.size(), c.written ? 2u : 0u);
    rig.owner.reset();
    EXPECT_EQ(FileText("C:\\TEMP\\f.bin"), c.written ? std::nullopt : c.existing);
  }
  // A handler raising once in the size branch leads to one more, unguarded write.
  standin::WriteHostFile("C:\\TEMP\\f.bin", "OLD");
  Rig rig;
  rig.onExtract = [&rig](bool&) {
    if (rig.log.size() == 1) throw std::runtime_error("once");
  };
  rig.storage->Loaded();
  EXPECT_EQ(rig.log, (Strings{"+C:\\TEMP\\f.bin 7", "+C:\\TEMP\\f.bin 7", "-C:\\TEMP\\f.bin ok"}));
  EXPECT_EQ(FileText("C:\\TEMP\\f.bin"), kNew);
  rig.storage->AutoExtract()->SetOverwrite(owAlways);  // elsewhere it leaves the loading
  rig.log.clear();
  EXPECT_THROW(rig.storage->Loaded(), std::runtime_error);
}

TEST_F(ExtractionTest, EventsTheirSuppressionAndDesignMode) {
  Rig rig;
  EXPECT_TRUE(rig.Extract("C:\\TEMP\\New\\f.bin"));
  EXPECT_FALSE(rig.Extract("C:\\TEMP\\Missing\\f.bin", false));
  rig.onExtract = [](bool& Allow) { Allow = false; };
  EXPECT_TRUE(rig.Extract("C:\\TEMP\\g.bin"));
  EXPECT_EQ(rig.log, (Strings{"+C:\\TEMP\\New\\f.bin 7", "-C:\\TEMP\\New\\f.bin ok",
                              "+C:\\TEMP\\Missing\\f.bin 7", "-C:\\TEMP\\Missing\\f.bin failed",
                              "+C:\\TEMP\\g.bin 7"}));
  EXPECT_FALSE(FileText("C:\\TEMP\\g.bin"));
  EXPECT_EQ(rig.storage->ExtractedFiles(), Strings{"C:\\TEMP\\New\\f.bin"});
  rig.owner->SetDesigning(true);
  rig.log.clear();
  rig.storage->Loaded();
  EXPECT_TRUE(rig.log.empty());
}

TEST_F(ExtractionTest, RemovalTakesOnlyWhatTheStorageWroteAndMade) {
  const auto none = [](Rig&) {};
  const struct {
    const char* sub;
    bool removeAtWrite;
    std::function<void(Rig&)> beforeDestruction;
    bool fileStays, dirStays;
  } cases[] = {
      {"", true, [](Rig& r) { r.storage->AutoExtract()->SetEnabled(false); }, true, true},
      {"", true, none, false, true},  // TEMP emptied, but kept
      {"New\\Deep", true, none, false, false},
      {"Old", true, none, false, true},  // existed (empty) before
      {"New", true, [](Rig&) { standin::LockFile("C:\\TEMP\\New\\f.bin"); }, true, true},
      {"", false, [](Rig& r) { r.storage->AutoExtract()->SetRemoveOnTerminate(true); }, true, true},
  };
  for (const auto& c : cases) {
    const std::string sub = c.sub, dir = "C:\\TEMP\\" + sub + (sub.empty() ? "" : "\\");
    SCOPED_TRACE(dir);
    standin::Reset();
    if (sub == "Old") fs::create_directories(HostPath("C:\\TEMP\\Old"));
    Rig rig("f.bin", sub);
    rig.storage->AutoExtract()->SetRemoveOnTerminate(c.removeAtWrite);
    rig.storage->Loaded();
    ASSERT_EQ(FileText(dir + "f.bin"), kNew);
    c.beforeDestruction(rig);
    rig.owner.reset();
    EXPECT_EQ(FileText(dir + "f.bin").has_value(), c.fileStays);
    EXPECT_EQ(DirExists(dir), c.dirStays);
    // The folders made on the way there go on the way back, each while empty; TEMP was there.
    EXPECT_EQ(DirExists("C:\\TEMP\\New"), sub == "New");
    EXPECT_TRUE(DirExists("C:\\TEMP"));
  }
}

TEST_F(ExtractionTest, NamesThatAreNotBareFileNamesAndShortWritesLeaveNothing) {
  for (const char* name : {"", ".", "..", "..\\up", "a\\b", "a/b", "c:x", "CON", "nul.txt", "Com1",
                           "LPT9.dat", "aux .log", "CONOUT$"}) {
    standin::Reset();
    const std::string path = "C:\\TEMP\\box\\" + std::string(name);
    Rig rig(name, "box");
    rig.storage->Loaded();
    EXPECT_FALSE(rig.Extract(path)) << name;
    EXPECT_EQ(rig.log, Strings(2, "-" + path + " failed")) << name;
    EXPECT_TRUE(rig.storage->ExtractedFiles().empty()) << name;
    EXPECT_TRUE(fs::is_empty(HostPath("C:\\TEMP"))) << name;
  }
  for (uint64_t room : {0u, 3u, 7u}) {  // 7 bytes fit exactly
    standin::Reset();
    Rig rig;
    standin::LimitWriteRoom(room);
    EXPECT_EQ(rig.Extract("C:\\TEMP\\f.bin"), room == 7) << room;
    EXPECT_EQ(rig.log.back(), room == 7 ? "-C:\\TEMP\\f.bin ok" : "-C:\\TEMP\\f.bin failed");
    EXPECT_EQ(FileText("C:\\TEMP\\f.bin").has_value(), room == 7) << room;
    EXPECT_EQ(rig.storage->ExtractedFiles().size(), room == 7 ? 1u : 0u);
    EXPECT_EQ(standin::OpenFileHandleCount(), room == 7 ? 1u : 0u);  // only a whole file is held
  }
}

// With RemoveOnTerminate the storage holds the file it wrote, or found in place with the stored
// bytes, from the extraction to its removal: others may read it, nobody may write, rename or
// delete it. Without RemoveOnTerminate nothing is held.
TEST_F(ExtractionTest, FilesToBeRemovedAreHeldUntilTheEnd) {
  const std::string path = "C:\\TEMP\\f.bin";
  const auto opens = [&path](DWORD Access, DWORD Share) {
    HANDLE h = CreateFileA(path.c_str(), Access, Share, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    return h != INVALID_HANDLE_VALUE;
  };
  const struct {
    bool removeOnTerminate;
    std::optional<std::string> existing;
    bool held, staysAfterEnd;
  } cases[] = {{true, std::nullopt, true, false},
               {true, kNew, true, true},  // accepted in place: held, but not removed
               {true, "OLDDATA", true, false},
               {false, std::nullopt, false, true},
               {false, kNew, false, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.removeOnTerminate) + " " + c.existing.value_or("-"));
    standin::Reset();
    if (c.existing) standin::WriteHostFile(path, *c.existing);
    Rig rig;
    rig.storage->AutoExtract()->SetRemoveOnTerminate(c.removeOnTerminate);
    rig.storage->Loaded();
    ASSERT_EQ(FileText(path), kNew);
    EXPECT_EQ(standin::OpenFileHandleCount(), c.held ? 1u : 0u);
    EXPECT_TRUE(opens(GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE));
    EXPECT_EQ(opens(GENERIC_READ, 0), !c.held);
    EXPECT_EQ(opens(GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE), !c.held);
    EXPECT_EQ(MoveFileA(path.c_str(), "C:\\TEMP\\g.bin") != FALSE, !c.held);
    if (!c.held) ASSERT_TRUE(MoveFileA("C:\\TEMP\\g.bin", path.c_str()));
    EXPECT_EQ(DeleteFileA(path.c_str()) != FALSE, !c.held);
    if (!c.held) standin::WriteHostFile(path, kNew);
    rig.owner.reset();
    EXPECT_EQ(standin::OpenFileHandleCount(), 0u);
    EXPECT_EQ(FileText(path).has_value(), c.staysAfterEnd);
  }
}

// Each way the installer can fail to get into TEMP on a real machine: the record tells which, with
// the system's reason, nothing is written outside TEMP, what another program has is left alone,
// and every handle is closed at the end.
TEST_F(ExtractionTest, ExtractionTellsWhatBecameOfTheFile) {
  const std::string file = "C:\\TEMP\\f.bin";
  const std::function<void()> none = [] {};
  const auto temp = [](const std::string& Dir) {
    return [Dir] {
      standin::SetEnvVar("TMP", std::nullopt);
      standin::SetEnvVar("TEMP", Dir);
    };
  };
  const struct {
    const char* what;
    std::function<void()> prepare;
    TExtractState state;
    DWORD error;
    std::string path;
    std::optional<std::string> during, after;  // the file's content while loaded, after the end
  } cases[] = {
      {"written", none, esHeld, 0, file, kNew, std::nullopt},
      {"same bytes in place", [&] { standin::WriteHostFile(file, kNew); }, esHeld, 0, file, kNew,
       kNew},
      {"stale and held by another program",
       [&] {
         standin::WriteHostFile(file, "OLD");
         standin::LockFile(file);
       },
       esInUse, ERROR_SHARING_VIOLATION, file, std::nullopt, std::nullopt},
      {"stale and read-only",
       [&] {
         standin::WriteHostFile(file, "OLD");
         SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY);
       },
       esHeld, 0, file, kNew, std::nullopt},
      {"a folder of that name", [&] { fs::create_directories(HostPath(file)); }, esFolderInTheWay,
       ERROR_ACCESS_DENIED, file, std::nullopt, std::nullopt},
      {"disk full", [] { standin::LimitWriteRoom(3); }, esWriteFailed, ERROR_DISK_FULL, file,
       std::nullopt, std::nullopt},
      {"TEMP missing", temp("C:\\Gone\\Temp"), esHeld, 0, "C:\\Gone\\Temp\\f.bin", kNew,
       std::nullopt},
      {"TEMP too long", temp("C:\\" + std::string(300, 'a')), esNoFolder, 0, "", std::nullopt,
       std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    standin::Reset();
    c.prepare();
    Rig rig;
    rig.storage->Loaded();
    ASSERT_EQ(rig.storage->FindFile("F.BIN"), &rig.storage->StoredFiles(0));
    const TExtraction& done = rig.storage->StoredFiles(0).Extraction();
    EXPECT_EQ(done.State, c.state);
    EXPECT_EQ(done.Error, c.error);
    if (!c.path.empty()) EXPECT_EQ(done.Path, c.path);
    if (c.state != esInUse) EXPECT_EQ(FileText(done.Path), c.during);
    EXPECT_FALSE(FileText("C:\\f.bin")) << "never the drive's root";
    standin::UnlockFile(file);
    standin::LimitWriteRoom(std::nullopt);
    rig.owner.reset();
    EXPECT_EQ(standin::OpenFileHandleCount(), 0u);
    EXPECT_EQ(FileText(c.path.empty() ? file : c.path),
              c.state == esInUse ? std::optional<std::string>("OLD") : c.after);
    EXPECT_FALSE(DirExists("C:\\Gone")) << "a TEMP the storage made goes with it";
  }
}

// The content goes to the disk in one pass that also takes its CRC-32, and comes back once, held:
// a content without the expected CRC leaves TEMP as it was, a file that changed under the
// storage is not held, and the progress handler sees the bytes go out and come back and can stop
// it all, leaving nothing behind.
TEST_F(ExtractionTest, OnePassWritesChecksAndReadsBack) {
  const std::string file = "C:\\Gone\\Temp\\big.bin";  // in a TEMP the storage makes
  std::vector<uint8_t> content(200000);
  for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<uint8_t>(i * 7 >> 4);
  const uint32_t crc = Crc32(content);
  const uint64_t total = 2 * content.size();
  const struct {
    const char* what;
    uint32_t expected;
    std::optional<std::string> before;
    std::function<bool(uint64_t)> progress;  // given Done; false stops
    TExtractState state;
  } cases[] = {
      {"sound", crc, std::nullopt, [](uint64_t) { return true; }, esHeld},
      {"damaged", crc ^ 1, std::nullopt, [](uint64_t) { return true; }, esDamaged},
      {"damaged, a stale file there", crc ^ 1, "stale", [](uint64_t) { return true; }, esDamaged},
      {"stopped while writing", crc, std::nullopt, [](uint64_t Done) { return Done < 100000; },
       esCancelled},
      {"stopped while reading back", crc, std::nullopt,
       [&](uint64_t Done) { return Done <= content.size(); }, esCancelled},
      {"changed by another program while written", crc, std::nullopt,
       [&](uint64_t Done) {
         if (Done == content.size()) standin::WriteHostFile(file, "other bytes");
         return true;
       },
       esChanged},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    standin::Reset();
    standin::SetEnvVar("TMP", "C:\\Gone\\Temp");
    if (c.before) standin::WriteHostFile(file, *c.before);
    TComponentPtr<TComponent> owner(new TComponent(nullptr));
    auto* storage = new TacFileStorage(owner.get());
    TStoredFile& record = storage->AddFile("big.bin", content);
    record.SetExpectedCrc32(c.expected);
    storage->AutoExtract()->SetEnabled(true);
    storage->AutoExtract()->SetRemoveOnTerminate(true);
    storage->AutoExtract()->ExtractTo()->SetToplevelDir(tdTempDir);
    std::vector<uint64_t> seen;
    storage->SetOnProgress([&](uint64_t Done, uint64_t Total) {
      EXPECT_EQ(Total, total);
      seen.push_back(Done);
      return c.progress(Done);
    });
    storage->Loaded();
    EXPECT_EQ(record.Extraction().State, c.state);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    if (c.state == esHeld) {
      EXPECT_EQ(seen.back(), total);
      EXPECT_EQ(FileText(file), std::string(content.begin(), content.end()));
    } else if (c.state == esChanged) {
      EXPECT_TRUE(FileText(file));  // another program's: not the storage's to remove
    } else {
      EXPECT_EQ(FileText(file), c.before) << "TEMP as it was";
    }
    owner.reset();
    EXPECT_EQ(standin::OpenFileHandleCount(), 0u);
    EXPECT_EQ(DirExists("C:\\Gone"), c.before || c.state == esChanged)
        << "the TEMP it made goes, unless it holds what is not the storage's";
  }
}

TEST_F(ExtractionTest, FormDataLoadExtractsAndOwnerDestructionRemoves) {
  RegisterFileStorageClasses();
  Rig rig("quillmoor_full.exe");
  rig.owner->SetName("Form1");
  rig.storage->SetName("acFileStorage1");
  rig.storage->SetOnExtract({});
  rig.storage->SetOnExtracted({});
  TMemoryStream form;
  WriteComponentRes(form, *rig.owner);
  form.SetPosition(0);
  TComponentPtr<TComponent> loaded(new TComponent(nullptr));
  ReadComponentRes(form, *loaded);
  EXPECT_EQ(FileText("C:\\TEMP\\quillmoor_full.exe"), kNew);
  auto& storage = dynamic_cast<TacFileStorage&>(*loaded->FindComponent("acFileStorage1"));
  const TPropInfo* files = storage.ClassInfo().FindProperty("Files");
  ASSERT_NE(files, nullptr);
  EXPECT_EQ(files->ObjectClass, &TacObjectList::StaticClassInfo());
  EXPECT_EQ(files->GetObjectValue(storage), &storage.Files());
  EXPECT_FALSE(files->IsStored(storage));
  loaded.reset();
  EXPECT_FALSE(FileText("C:\\TEMP\\quillmoor_full.exe"));
  EXPECT_TRUE(DirExists("C:\\TEMP"));
}

// Form data read from the program's resource keeps the packed bytes there: they are written out
// block by block, and unpacked into Data only when it is asked for; the result is the same as from
// any other stream, a short write still leaves nothing, and damage is still found.
TEST_F(ExtractionTest, FromTheProgramsResourceTheBytesStayPackedUntilWanted) {
  RegisterFileStorageClasses();
  std::string content(200000, '\0');  // several blocks: runs and varied bytes
  for (size_t i = 0; i < content.size(); ++i)
    content[i] = static_cast<char>(i % 7000 < 3000 ? 'r' : (i * 131) >> 3);
  TComponentPtr<TComponent> owner(new TComponent(nullptr));
  owner->SetName("Form1");
  auto* storage = new TacFileStorage(owner.get());
  storage->SetName("acFileStorage1");
  storage->AddFile("big.bin", std::vector<uint8_t>(content.begin(), content.end()));
  storage->AutoExtract()->SetEnabled(true);
  storage->AutoExtract()->ExtractTo()->SetToplevelDir(tdTempDir);
  TMemoryStream form;
  WriteComponentRes(form, *owner);
  const std::vector<uint8_t> bytes(form.Memory(), form.Memory() + form.Size());

  for (const std::optional<uint64_t> room : {std::optional<uint64_t>{}, {70000}}) {
    standin::Reset();
    standin::LimitWriteRoom(room);
    TResourceStream resource(bytes.data(), bytes.size());
    TComponentPtr<TComponent> loaded(new TComponent(nullptr));
    ReadComponentRes(resource, *loaded);
    EXPECT_EQ(FileText("C:\\TEMP\\big.bin"), room ? std::nullopt : std::optional(content));
    EXPECT_EQ(standin::OpenFileHandleCount(), 0u);
    standin::LimitWriteRoom(std::nullopt);
    const auto& record =
        dynamic_cast<TacFileStorage&>(*loaded->FindComponent("acFileStorage1")).StoredFiles(0);
    EXPECT_EQ(record.FileSize(), content.size());
    const uint32_t crc = Crc32({reinterpret_cast<const uint8_t*>(content.data()), content.size()});
    EXPECT_EQ(record.ContentCrc32(), crc);  // from the packed bytes
    const TMemoryStream& data = record.Data();
    EXPECT_EQ(record.ContentCrc32(), crc);  // from the unpacked ones
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(data.Memory()), record.FileSize()),
              content);
    TMemoryStream again;
    WriteComponentRes(again, *loaded);
    EXPECT_EQ(std::vector<uint8_t>(again.Memory(), again.Memory() + again.Size()), bytes);
  }

  // Against a file already there the packed bytes are compared block by block: the same bytes
  // stay untouched, one byte changed in a late block or in the last place is written over.
  for (const size_t flip : {std::string::npos, content.size() - 1, size_t{150000}}) {
    SCOPED_TRACE(flip);
    standin::Reset();
    std::string existing = content;
    if (flip != std::string::npos) existing[flip] ^= 1;
    standin::WriteHostFile("C:\\TEMP\\big.bin", existing);
    const auto oldTime = fs::file_time_type::clock::now() - std::chrono::hours(24);
    fs::last_write_time(HostPath("C:\\TEMP\\big.bin"), oldTime);
    TResourceStream resource(bytes.data(), bytes.size());
    TComponentPtr<TComponent> loaded(new TComponent(nullptr));
    ReadComponentRes(resource, *loaded);
    EXPECT_EQ(FileText("C:\\TEMP\\big.bin"), content);
    EXPECT_EQ(fs::last_write_time(HostPath("C:\\TEMP\\big.bin")) == oldTime,
              flip == std::string::npos);
  }

  // A stated length beyond what the blocks can hold is found while reading; one they could hold
  // is found on the first pass over the content: nothing is written, and Data raises.
  const std::string name = "big.bin";
  const auto at = std::search(bytes.begin(), bytes.end(), name.begin(), name.end());
  ASSERT_NE(at, bytes.end());
  const size_t length = static_cast<size_t>(at - bytes.begin()) + name.size() + 4;
  for (const size_t byte : {length + 3, length}) {
    SCOPED_TRACE(byte - length);
    standin::Reset();
    std::vector<uint8_t> damaged = bytes;
    damaged[byte] ^= 1;
    TResourceStream resource(damaged.data(), damaged.size());
    TComponentPtr<TComponent> loaded(new TComponent(nullptr));
    if (byte != length) {
      EXPECT_THROW(ReadComponentRes(resource, *loaded), EReadError);
      continue;
    }
    ReadComponentRes(resource, *loaded);
    const auto& record =
        dynamic_cast<TacFileStorage&>(*loaded->FindComponent("acFileStorage1")).StoredFiles(0);
    EXPECT_EQ(record.Extraction().State, esDamaged);
    EXPECT_FALSE(FileText("C:\\TEMP\\big.bin"));
    EXPECT_THROW(record.Data(), EReadError);
    EXPECT_THROW(record.ContentCrc32(), EReadError);
  }
}

}  // namespace
