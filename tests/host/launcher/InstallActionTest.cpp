// The install action against the simulated machine: it starts exactly the file the storage holds,
// wherever TEMP is, and otherwise shows one error box that says why and starts nothing.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "launcher/InstallAction.h"
#include "launcher/ShellOpen.h"
#include "platform/host/StandIn.h"
#include "toolkit/core/TComponent.h"

namespace {

constexpr char kName[] = "quillmoor_full.exe";
const HWND kShellOwner = reinterpret_cast<HWND>(uintptr_t{0x1234});
const HWND kBoxOwner = reinterpret_cast<HWND>(uintptr_t{0x5678});

class InstallActionTest : public ::testing::Test {
 protected:
  void SetUp() override { standin::Reset(); }
  void TearDown() override {
    ReleaseShell();
    standin::Discard();
  }

  // A storage that extracts the installer into TEMP and holds it, as the program's form has it.
  static TComponentPtr<TComponent> Window(TacFileStorage*& Storage) {
    TComponentPtr<TComponent> owner(new TComponent(nullptr));
    Storage = new TacFileStorage(owner.get());
    Storage->AddFile(kName, std::vector<uint8_t>{'M', 'Z', 0, 1, 2});
    Storage->AutoExtract()->SetEnabled(true);
    Storage->AutoExtract()->SetRemoveOnTerminate(true);
    Storage->AutoExtract()->ExtractTo()->SetCreatePath(false);
    Storage->AutoExtract()->ExtractTo()->SetToplevelDir(tdTempDir);
    Storage->Loaded();
    return owner;
  }
};

// Each press is a shell call of its own on the held file, with the application window as owner, no
// parameters, no directory and SW_SHOW; the path has a single backslash at a drive root and keeps
// its blanks.
TEST_F(InstallActionTest, StartsTheHeldFileWhereverTempIs) {
  const struct {
    const char *temp, *expected;
  } cases[] = {
      {"C:\\TEMP", "C:\\TEMP\\quillmoor_full.exe"},
      {"C:\\TEMP\\", "C:\\TEMP\\quillmoor_full.exe"},
      {"C:\\", "C:\\quillmoor_full.exe"},
      {"C:\\Users\\Jo Doe\\Local Temp", "C:\\Users\\Jo Doe\\Local Temp\\quillmoor_full.exe"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.temp);
    standin::Reset();
    standin::SetEnvVar("TMP", c.temp);
    TacFileStorage* storage = nullptr;
    const auto window = Window(storage);
    StartInstaller(*storage, kName, kShellOwner, kBoxOwner);
    StartInstaller(*storage, "QUILLMOOR_FULL.EXE", kShellOwner, kBoxOwner);
    const std::string call =
        "ShellExecuteA(4660, open, " + std::string(c.expected) + ", null, null, 5)";
    const auto calls = standin::CallsOf("ShellExecuteA");
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].ToString(), call);
    EXPECT_EQ(calls[1].ToString(), call);
    EXPECT_TRUE(standin::CallsOf("MessageBoxA").empty());
    ReleaseShell();
  }
}

// Whatever kept the installer from being held, or the shell from starting it, the user gets one
// box per press, captioned "Installation", owned by the window, naming the file or folder and the
// reason; nothing else is started.
TEST_F(InstallActionTest, WithoutAHeldFileOrAStartTheBoxSaysWhy) {
  const std::string file = "C:\\TEMP\\quillmoor_full.exe";
  const struct {
    const char* what;
    std::function<void()> prepare;
    std::vector<std::string> says;
    bool shellAsked;
  } cases[] = {
      {"held by another program",
       [&] {
         standin::WriteHostFile(file, "stale");
         standin::LockFile(file);
       },
       {"Die Datei " + file + " wird von einem anderen Programm verwendet.",
        "Bitte schlie\xDF"
        "en Sie dieses Programm"},
       false},
      {"a folder of that name",
       [&] { standin::WriteHostFile(file + "\\x", ""); },
       {"An der Stelle der Datei " + file + " steht ein Ordner."},
       false},
      {"disk full",
       [] { standin::LimitWriteRoom(2); },
       {"Die Datei " + file + " konnte nicht geschrieben werden.",
        "Grund: Auf dem Datentr\xE4ger ist nicht gen\xFCgend Speicherplatz frei."},
       false},
      {"TEMP too long",
       [] { standin::SetEnvVar("TMP", "C:\\" + std::string(280, 'x')); },
       {"(TEMP)"},
       false},
      {"TEMP on a drive that is not there",
       [] { standin::SetEnvVar("TMP", "Q:\\Temp"); },
       {"Der Ordner Q:\\Temp\\ fehlt und konnte nicht angelegt werden."},
       false},
      {"the shell fails",
       [] { standin::SetShellExecuteResult(reinterpret_cast<HINSTANCE>(2)); },
       {"Das Installationsprogramm " + file + " konnte nicht gestartet werden.",
        "Grund: Der Pfad wurde nicht gefunden."},
       true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    standin::Reset();
    c.prepare();
    TacFileStorage* storage = nullptr;
    const auto window = Window(storage);
    standin::LimitWriteRoom(std::nullopt);
    StartInstaller(*storage, kName, kShellOwner, kBoxOwner);
    EXPECT_EQ(standin::CallsOf("ShellExecuteA").size(), c.shellAsked ? 1u : 0u);
    const auto boxes = standin::CallsOf("MessageBoxA");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].args.at(0), "22136");
    EXPECT_EQ(boxes[0].args.at(2), "Installation");
    EXPECT_EQ(boxes[0].args.at(3), std::to_string(MB_ICONERROR));
    const std::string text = boxes[0].args.at(1).value_or("");
    if (!c.shellAsked)
      EXPECT_TRUE(text.starts_with("Die Installation konnte nicht vorbereitet werden.\r\n"))
          << text;
    for (const std::string& part : c.says) EXPECT_NE(text.find(part), std::string::npos) << text;
    ReleaseShell();
  }
}

// A storage without the record, or one that never extracted it, has nothing to start.
TEST_F(InstallActionTest, NothingExtractedNothingStarted) {
  TacFileStorage storage(nullptr);
  StartInstaller(storage, kName, kShellOwner, kBoxOwner);
  storage.AddFile(kName, std::vector<uint8_t>{'M', 'Z'});
  StartInstaller(storage, kName, kShellOwner, kBoxOwner);
  EXPECT_TRUE(standin::CallsOf("ShellExecuteA").empty());
  EXPECT_EQ(standin::CallsOf("MessageBoxA").size(), 2u);
}

}  // namespace
