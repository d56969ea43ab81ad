// Extraction at the end of loading and removal at destruction, against the simulated machine.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "platform/host/StandInFixture.h"
#include "storage/acFileStorage.h"
#include "toolkit/ClassRegistry.h"
#include "toolkit/FormStreaming.h"
#include "toolkit/TMemoryStream.h"

namespace {

namespace fs = std::filesystem;
using standin::HostPath;
using Bytes = std::vector<uint8_t>;

const std::string kNew = "NEWDATA";
const std::string kShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

std::optional<std::string> FileText(const std::string& WindowsPath) {
  std::ifstream in(HostPath(WindowsPath), std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), {});
}
bool DirExists(const std::string& WindowsPath) {
  return fs::is_directory(HostPath(WindowsPath));
}
// Every entry on drive C:, to show that nothing appeared anywhere.
std::vector<std::string> DriveEntries() {
  std::vector<std::string> entries;
  for (const auto& e : fs::recursive_directory_iterator(HostPath("C:\\")))
    entries.push_back(e.path());
  std::sort(entries.begin(), entries.end());
  return entries;
}

// An owner with one storage holding one record; the events log into `log`.
struct Rig {
  TComponentPtr<TComponent> owner{new TComponent(nullptr)};
  TacFileStorage* storage = new TacFileStorage(owner.get());
  std::vector<std::string> log;
  std::function<void(bool&)> onExtract = [](bool&) {};

  explicit Rig(const std::string& Name = "f.bin", const std::string& Content = kNew,
               TacToplevelDir Dir = tdTempDir, const std::string& Sub = "") {
    storage->AddFile(Name, Bytes(Content.begin(), Content.end()));
    storage->AutoExtract()->SetEnabled(true);
    storage->AutoExtract()->SetRemoveOnTerminate(true);
    storage->AutoExtract()->ExtractTo()->SetToplevelDir(Dir);
    storage->AutoExtract()->ExtractTo()->SetSubdirectory(Sub);
    storage->SetOnExtract(TOnExtractEvent([this](TObject* S, const std::string& F, int32_t N,
                                                 bool& A) {
      log.push_back("extract " + F + " " + std::to_string(N) + (S == owner.get() ? " owner" : ""));
      onExtract(A);
    }));
    storage->SetOnExtracted(
        TOnExtractedEvent([this](TObject* S, const std::string& F, int32_t, bool Ok) {
          log.push_back("extracted " + F + (Ok ? " ok" : " failed") +
                        (S == owner.get() ? " owner" : ""));
        }));
  }
  TStoredFile& Record() { return storage->StoredFiles(0); }
};

class ExtractionTest : public standin::StandInTest {};

TEST_F(ExtractionTest, ResolveExtractDirForEveryBase) {
  standin::SetRegString(HKEY_CURRENT_USER, kShellFolders, "Desktop", "C:\\Users\\User\\Desktop");
  standin::SetRegString(HKEY_CURRENT_USER, kShellFolders, "Personal", "C:\\Docs\\");
  standin::SetRegString(HKEY_CURRENT_USER, kShellFolders, "AppData", "C:\\App Data");
  standin::SetCurrentDirectory("C:\\WINDOWS");  // tdCurrentDir must not follow it
  const struct {
    TacToplevelDir dir;
    const char* sub;
    const char* expected;
  } cases[] = {
      {tdCurrentDir, "", "C:\\Program Files\\Installation\\"},
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
      {tdMyPictures, "Sub", "\\Sub\\"},  // value missing: the root of the current drive
      {tdAppData, "\\", "C:\\App Data\\"},
      {tdNone, "D:\\Out", "D:\\Out"},
      {tdNone, "", ""},
  };
  TExtractTo to;
  for (const auto& c : cases) {
    to.SetToplevelDir(c.dir);
    to.SetSubdirectory(c.sub);
    EXPECT_EQ(ResolveExtractDir(to), c.expected)
        << TacToplevelDirInfo().ValueName(c.dir) << " " << c.sub;
  }
  standin::SetEnvVar("TMP", "C:\\");
  standin::SetEnvVar("TEMP", "C:\\");
  to.SetToplevelDir(tdTempDir);
  to.SetSubdirectory("");
  EXPECT_EQ(ResolveExtractDir(to), "C:\\");
}

TEST_F(ExtractionTest, OverwritePoliciesDecideWhatIsWrittenAndRecorded) {
  const struct {
    TacFileStorageOverwrite policy;
    std::optional<std::string> existing;
    bool written;
  } cases[] = {
      {owIfSizeDifferent, std::nullopt, true},
      {owIfSizeDifferent, "OLDDATA", false},
      {owIfSizeDifferent, "OLD", true},
      {owNever, std::nullopt, true},
      {owNever, "OLD", false},
      {owAlways, "OLDDATA", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.policy) + " " + c.existing.value_or("(none)"));
    standin::Reset();
    if (c.existing) standin::WriteHostFile("C:\\TEMP\\f.bin", *c.existing);
    Rig rig;
    rig.storage->AutoExtract()->SetOverwrite(c.policy);
    rig.storage->Loaded();
    EXPECT_EQ(FileText("C:\\TEMP\\f.bin"), c.written ? kNew : c.existing);
    EXPECT_EQ(rig.storage->ExtractedFiles().size(), c.written ? 1u : 0u);
    EXPECT_EQ(rig.log.size(), c.written ? 2u : 0u);
    rig.owner.reset();
    EXPECT_EQ(FileText("C:\\TEMP\\f.bin"), c.written ? std::nullopt : c.existing);
  }
}

TEST_F(ExtractionTest, AnExceptionInTheSizeBranchLeadsToOneMoreWrite) {
  standin::WriteHostFile("C:\\TEMP\\f.bin", "OLD");
  Rig rig;
  int calls = 0;
  rig.onExtract = [&calls](bool&) {
    if (++calls == 1) throw std::runtime_error("handler");
  };
  rig.storage->Loaded();
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(FileText("C:\\TEMP\\f.bin"), kNew);
  EXPECT_EQ(rig.storage->ExtractedFiles(), std::vector<std::string>{"C:\\TEMP\\f.bin"});
  // Outside that branch the exception leaves through the end of loading.
  rig.storage->AutoExtract()->SetOverwrite(owAlways);
  calls = 0;
  EXPECT_THROW(rig.storage->Loaded(), std::runtime_error);
}

TEST_F(ExtractionTest, EventsAndTheirSuppression) {
  Rig rig("f.bin", kNew, tdTempDir, "New\\Deep");
  EXPECT_TRUE(rig.Record().ExtractToFile("C:\\TEMP\\New\\Deep\\f.bin", true));
  EXPECT_EQ(rig.log, (std::vector<std::string>{"extract C:\\TEMP\\New\\Deep\\f.bin 7 owner",
                                               "extracted C:\\TEMP\\New\\Deep\\f.bin ok owner"}));
  EXPECT_FALSE(rig.Record().ExtractToFile("C:\\TEMP\\Missing\\f.bin", false));
  EXPECT_EQ(rig.log.back(), "extracted C:\\TEMP\\Missing\\f.bin failed owner");

  rig.log.clear();
  rig.onExtract = [](bool& Allow) { Allow = false; };
  EXPECT_TRUE(rig.Record().ExtractToFile("C:\\TEMP\\g.bin", true));
  EXPECT_EQ(rig.log, std::vector<std::string>{"extract C:\\TEMP\\g.bin 7 owner"});
  EXPECT_FALSE(FileText("C:\\TEMP\\g.bin"));
  EXPECT_EQ(rig.storage->ExtractedFiles().size(), 1u);

  rig.owner->SetDesigning(true);  // design mode: nothing written at the end of loading
  rig.log.clear();
  rig.storage->Loaded();
  EXPECT_TRUE(rig.log.empty());
}

TEST_F(ExtractionTest, RemovalTakesOnlyWhatTheStorageWroteAndMade) {
  const auto none = [](Rig&) {};
  const struct {
    const char* name;
    const char* sub;
    bool removeAtWrite;
    std::function<void(Rig&)> beforeDestruction;
    bool fileStays, dirStays;
  } cases[] = {
      {"disabled at destruction", "", true,
       [](Rig& r) { r.storage->AutoExtract()->SetEnabled(false); }, true, true},
      {"TEMP emptied but kept", "", true, none, false, true},
      {"made subdirectory removed, its parent kept", "New\\Deep", true, none, false, false},
      {"existing empty subdirectory kept", "Old", true, none, false, true},
      {"locked file stays", "New", true, [](Rig&) { standin::LockFile("C:\\TEMP\\New\\f.bin"); },
       true, true},
      {"written while RemoveOnTerminate was off", "", false,
       [](Rig& r) { r.storage->AutoExtract()->SetRemoveOnTerminate(true); }, true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    standin::Reset();
    const std::string sub = c.sub;
    if (sub == "Old") fs::create_directories(HostPath("C:\\TEMP\\Old"));
    const std::string dir = "C:\\TEMP\\" + sub + (sub.empty() ? "" : "\\");
    Rig rig("f.bin", kNew, tdTempDir, sub);
    rig.storage->AutoExtract()->SetRemoveOnTerminate(c.removeAtWrite);
    rig.storage->Loaded();
    ASSERT_EQ(FileText(dir + "f.bin"), kNew);
    c.beforeDestruction(rig);
    rig.owner.reset();
    EXPECT_EQ(FileText(dir + "f.bin").has_value(), c.fileStays);
    EXPECT_EQ(DirExists(dir), c.dirStays);
    EXPECT_TRUE(DirExists(sub.starts_with("New") ? "C:\\TEMP\\New" : "C:\\TEMP"));
  }
}

TEST_F(ExtractionTest, NamesThatAreNotBareFileNamesAreNeverWritten) {
  for (const char* name : {"", ".", "..", "..\\up.bin", "a\\b", "a/b", "c:x", "CON", "nul.txt",
                           "Com1", "LPT9.dat", "aux .log", "CONOUT$"}) {
    SCOPED_TRACE(name);
    standin::Reset();
    const std::vector<std::string> before = DriveEntries();
    Rig rig(name, kNew, tdTempDir, "box");
    rig.storage->Loaded();
    EXPECT_FALSE(rig.Record().ExtractToFile("C:\\TEMP\\box\\" + std::string(name), true));
    const std::string path = "C:\\TEMP\\box\\" + std::string(name);
    EXPECT_EQ(rig.log, (std::vector<std::string>(2, "extracted " + path + " failed owner")));
    EXPECT_TRUE(rig.storage->ExtractedFiles().empty());
    EXPECT_EQ(DriveEntries(), before);
  }
}

TEST_F(ExtractionTest, AWriteThatFallsShortLeavesNoFile) {
  for (uint64_t room : {0u, 3u, 7u}) {
    SCOPED_TRACE(room);
    standin::Reset();
    Rig rig;
    standin::LimitWriteRoom(room);
    const bool complete = room == kNew.size();
    EXPECT_EQ(rig.Record().ExtractToFile("C:\\TEMP\\f.bin", true), complete);
    EXPECT_EQ(rig.log.back(),
              std::string("extracted C:\\TEMP\\f.bin ") + (complete ? "ok" : "failed") + " owner");
    EXPECT_EQ(FileText("C:\\TEMP\\f.bin"), complete ? std::optional(kNew) : std::nullopt);
    EXPECT_EQ(rig.storage->ExtractedFiles().size(), complete ? 1u : 0u);
    EXPECT_EQ(standin::OpenFileHandleCount(), 0u);
  }
}

TEST_F(ExtractionTest, FormDataLoadExtractsAndOwnerDestructionRemoves) {
  RegisterFileStorageClasses();
  Rig rig("quillmoor_full.exe", std::string(5000, 'Q') + "end");
  rig.owner->SetName("Form1");
  rig.storage->SetName("acFileStorage1");
  rig.storage->SetOnExtract({});
  rig.storage->SetOnExtracted({});
  TMemoryStream form;
  WriteComponentRes(form, *rig.owner);
  form.SetPosition(0);

  TComponentPtr<TComponent> loaded(new TComponent(nullptr));
  ReadComponentRes(form, *loaded);
  EXPECT_EQ(FileText("C:\\TEMP\\quillmoor_full.exe"), std::string(5000, 'Q') + "end");
  auto* storage = dynamic_cast<TacFileStorage*>(loaded->FindComponent("acFileStorage1"));
  ASSERT_NE(storage, nullptr);
  const TPropInfo* files = storage->ClassInfo().FindProperty("Files");
  ASSERT_NE(files, nullptr);
  EXPECT_EQ(files->ObjectClass, &TacObjectList::StaticClassInfo());
  EXPECT_EQ(files->GetObject(*storage), &storage->Files());
  EXPECT_FALSE(files->IsStored(*storage));

  loaded.reset();
  EXPECT_FALSE(FileText("C:\\TEMP\\quillmoor_full.exe"));
  EXPECT_TRUE(DirExists("C:\\TEMP"));
}

}  // namespace
