// The install action against the simulated machine: the one shell call it makes for each TEMP
// directory the system may report, the drive root and a path with blanks among them.

#include <gtest/gtest.h>

#include "launcher/InstallAction.h"
#include "launcher/ShellOpen.h"
#include "platform/host/StandIn.h"

namespace {

struct TempCase {
  const char* temp;      // TMP as the environment holds it
  const char* expected;  // the file the shell is asked to open
};

class InstallActionTest : public ::testing::TestWithParam<TempCase> {
 protected:
  void SetUp() override { standin::Reset(); }
  void TearDown() override {
    ReleaseShell();
    standin::Discard();
  }
};

TEST_P(InstallActionTest, OpensTheInstallerInTempThroughTheShell) {
  standin::SetEnvVar("TMP", GetParam().temp);
  TacSystemInfo info(nullptr);
  const HWND owner = reinterpret_cast<HWND>(uintptr_t{0x1234});

  StartInstaller(info, "quillmoor_full.exe", owner);
  StartInstaller(info, "quillmoor_full.exe", owner);

  // Each press is a call of its own, with the application window as owner, no parameters, no
  // directory and SW_SHOW.
  const std::string call =
      "ShellExecuteA(4660, open, " + std::string(GetParam().expected) + ", null, null, 5)";
  const auto calls = standin::CallsOf("ShellExecuteA");
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].ToString(), call);
  EXPECT_EQ(calls[1].ToString(), call);
}

INSTANTIATE_TEST_SUITE_P(
    Temps, InstallActionTest,
    ::testing::Values(TempCase{"C:\\TEMP", "C:\\TEMP\\quillmoor_full.exe"},
                      TempCase{"C:\\TEMP\\", "C:\\TEMP\\quillmoor_full.exe"},
                      TempCase{"C:\\", "C:\\quillmoor_full.exe"},
                      TempCase{"C:\\Users\\Jo Doe\\Local Temp",
                               "C:\\Users\\Jo Doe\\Local Temp\\quillmoor_full.exe"}));

}  // namespace
