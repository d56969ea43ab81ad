// The system-information component against the stand-in: where each folder comes from, the edit
// and notice rules, the system directories, and the published table with the form data.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/host/StandInFixture.h"
#include "platform/platform.h"
#include "sysinfo/acSystemInfo.h"
#include "toolkit/core/FormStreaming.h"
#include "toolkit/core/TMemoryStream.h"
#include "tools/formconv/TextFormToBinary.h"

namespace {

// Shell folders and the current version key.
constexpr const char* kSF = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr const char* kCV = "Software\\Microsoft\\Windows\\CurrentVersion";
const HKEY kCU = HKEY_CURRENT_USER, kLM = HKEY_LOCAL_MACHINE;

struct Source {
  const char* property;
  HKEY root;
  const char* key;
  const char* value;
};
// Two folders a line.
// clang-format off
const Source kSources[] = {
    {"DirAppData", kCU, kSF, "AppData"}, {"DirAppDataAll", kLM, kSF, "Common AppData"},
    {"DirCache", kCU, kSF, "Cache"}, {"DirCookies", kCU, kSF, "Cookies"},
    {"DirCommonFiles", kLM, kCV, "CommonFilesDir"}, {"DirDesktop", kCU, kSF, "Desktop"},
    {"DirFavorites", kCU, kSF, "Favorites"}, {"DirFavoritesAll", kLM, kSF, "Common Favorites"},
    {"DirFonts", kCU, kSF, "Fonts"}, {"DirHistory", kCU, kSF, "History"},
    {"DirMedia", kLM, kCV, "MediaPath"}, {"DirMyPictures", kCU, kSF, "My Pictures"},
    {"DirNetHood", kCU, kSF, "NetHood"}, {"DirPersonal", kCU, kSF, "Personal"},
    {"DirPrintHood", kCU, kSF, "PrintHood"}, {"DirProgramFiles", kLM, kCV, "ProgramFilesDir"},
    {"DirPrograms", kCU, kSF, "Programs"}, {"DirProgramsAll", kLM, kSF, "Common Programs"},
    {"DirRecent", kCU, kSF, "Recent"}, {"DirSendTo", kCU, kSF, "SendTo"},
    {"DirStartMenu", kCU, kSF, "Start Menu"}, {"DirStartMenuAll", kLM, kSF, "Common Start Menu"},
    {"DirStartup", kCU, kSF, "Startup"}, {"DirStartupAll", kLM, kSF, "Common Startup"},
    {"DirTemplates", kCU, kSF, "Templates"}, {"DirTemplatesAll", kLM, kSF, "Common Templates"},
};
// clang-format on

// Reads and writes go through the published table, as the form designer and reader use it.
std::string Get(TacSystemInfo& S, const std::string& Property) {
  return S.ClassInfo().FindProperty(Property)->GetStr(S);
}
void Put(TacSystemInfo& S, const std::string& Property, const std::string& Value) {
  S.ClassInfo().FindProperty(Property)->SetStr(S, Value);
}

class SystemInfoTest : public standin::StandInTest {
 protected:
  TComponentPtr<TacSystemInfo> info{new TacSystemInfo(nullptr)};
};

TEST_F(SystemInfoTest, EachFolderReadsItsOwnValue) {
  for (const Source& s : kSources) EXPECT_EQ(Get(*info, s.property), "") << s.property;
  for (const Source& s : kSources)
    standin::SetRegString(s.root, s.key, s.value, std::string("text of ") + s.property);
  for (const Source& s : kSources)
    EXPECT_EQ(Get(*info, s.property), std::string("text of ") + s.property);
}

TEST_F(SystemInfoTest, WritesFollowTheEditRule) {
  struct Case {
    bool allowEdit, loading;
  };
  for (const Case c : {Case{false, false}, Case{true, true}, Case{true, false}}) {
    standin::Reset();
    info->ALLOW_EDIT = c.allowEdit;
    info->SetLoading(c.loading);
    for (const Source& s : kSources) Put(*info, s.property, std::string("new ") + s.property);
    const bool written = c.allowEdit && !c.loading;
    for (const Source& s : kSources)
      EXPECT_EQ(standin::GetRegString(s.root, s.key, s.value).value_or("(none)"),
                written ? std::string("new ") + s.property : "(none)")
          << s.property << " allow " << c.allowEdit << " loading " << c.loading;
  }
  // The program-files folder writes "ProgramFilesPath" first (the stand-in enumerates values in
  // the order they were first written), then "ProgramFilesDir".
  standin::Reset();
  info->SetDirProgramFiles("D:\\Apps");
  HKEY key;
  char first[32];
  DWORD chars = sizeof first;
  ASSERT_EQ(RegOpenKeyExA(kLM, kCV, 0, KEY_READ, &key), ERROR_SUCCESS);
  EXPECT_EQ(RegEnumValueA(key, 0, first, &chars, nullptr, nullptr, nullptr, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(std::string(first), "ProgramFilesPath");
  EXPECT_EQ(standin::GetRegString(kLM, kCV, "ProgramFilesPath"), "D:\\Apps");
  EXPECT_EQ(info->DirProgramFiles(), "D:\\Apps");
}

TEST_F(SystemInfoTest, ReadOnlyWritesShowTheNoticeOnlyInTheDesigner) {
  struct Case {
    bool designing, loading, allowEdit;
  };
  info->SetName("acSystemInfo1");
  const std::string temp = info->DirTemp();
  for (const Case c : {Case{true, false, true}, Case{false, false, true}, Case{true, true, true},
                       Case{true, false, false}}) {
    standin::ClearCalls();
    info->SetDesigning(c.designing);
    info->SetLoading(c.loading);
    info->ALLOW_EDIT = c.allowEdit;
    for (const char* property : {"DirSystem", "DirTemp", "DirWindows"}) Put(*info, property, "X");
    const auto boxes = standin::CallsOf("MessageBoxA");
    ASSERT_EQ(boxes.size(), c.designing && !c.loading && c.allowEdit ? 3u : 0u);
    for (const auto& box : boxes)
      EXPECT_EQ(box.ToString(),
                "MessageBoxA(0, This property is READ-ONLY.\r\nYou could not change this "
                "value., acSystemInfo1, 64)");
  }
  EXPECT_EQ(info->DirTemp(), temp);
}

TEST_F(SystemInfoTest, SystemDirectories) {
  // DirTemp with and without the system's trailing backslash is tested where the program joins
  // it with the installer's name (InstallActionTest).
  EXPECT_EQ(info->DirWindows(), "C:\\WINDOWS\\");
  EXPECT_EQ(info->DirSystem(), "C:\\WINDOWS\\SYSTEM32");
  // No directory from the system (longer than the 260-character buffer): empty texts.
  const std::string tooLong = "C:\\" + std::string(300, 'x');
  standin::SetEnvVar("TMP", tooLong);
  standin::SetWindowsDirectory(tooLong);
  standin::SetSystemDirectory(tooLong);
  EXPECT_EQ(info->DirTemp() + "|" + info->DirWindows() + "|" + info->DirSystem(), "||");
}

TEST_F(SystemInfoTest, PublishedTableAndFormData) {
  // Every published name in its order is checked on the shipped program (sysinfo.exe prints the
  // table; tests/win/sysinfo/sysinfo_report_test.sh). Of them only Tag and ALLOW_EDIT are stored.
  std::vector<std::string> stored;
  for (const TPropInfo* p : TacSystemInfo::StaticClassInfo().Properties())
    if (!p->NeverStored) stored.push_back(p->Name);
  EXPECT_EQ(stored, (std::vector<std::string>{"Tag", "ALLOW_EDIT"}));

  RegisterSystemInfoClasses();
  TComponentPtr<TComponent> form(new TComponent(nullptr));
  auto* written = new TacSystemInfo(form.get());
  written->SetName("acSystemInfo1");
  const auto formText = [&form] {
    TMemoryStream out;
    WriteComponentRes(out, *form);
    return std::string(out.Bytes().begin(), out.Bytes().end());
  };
  EXPECT_EQ(formText().find("ALLOW_EDIT"), std::string::npos);
  written->ALLOW_EDIT = true;
  EXPECT_NE(formText().find("ALLOW_EDIT"), std::string::npos);
  for (const char* fact : {"Dir", "Computer", "Win", "Screen", "CPU", "Mem", "Disk"})
    EXPECT_EQ(formText().find(fact), std::string::npos) << fact;

  // A write that arrives while loading is refused even after ALLOW_EDIT was read.
  const auto data = formtext::TextFormToBinary(
      "object Form1: TComponent\n object acSystemInfo1: TacSystemInfo\n"
      "  ALLOW_EDIT = True\n  DirDesktop = 'D:\\Elsewhere'\n end\nend\n");
  TMemoryStream in;
  in.WriteBuffer(data.data(), data.size());
  in.SetPosition(0);
  TComponentPtr<TComponent> loaded(new TComponent(nullptr));
  ReadComponentRes(in, *loaded);
  auto* read = dynamic_cast<TacSystemInfo*>(loaded->FindComponent("acSystemInfo1"));
  ASSERT_NE(read, nullptr);
  EXPECT_TRUE(read->ALLOW_EDIT);
  EXPECT_EQ(standin::GetRegString(kCU, kSF, "Desktop"), std::nullopt);
}

}  // namespace
