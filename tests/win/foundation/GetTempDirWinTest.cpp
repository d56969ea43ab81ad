// GetTempDir on real Windows (under Wine): this process's TMP and TEMP point at folders whose
// paths GetTempPathA cannot give, made for the test below the real TEMP folder, and the ANSI path
// GetTempDir returns must name the same folder.

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "foundation/acUtils.h"
#include "platform/platform.h"

namespace {

std::wstring Variable(const wchar_t* name) {
  wchar_t buffer[32768];
  const DWORD n = GetEnvironmentVariableW(name, buffer, 32768);
  return std::wstring(buffer, n < 32768 ? n : 0);
}

std::wstring Extended(const std::wstring& path) {
  return L"\\\\?\\" + path;
}

// Makes every folder of `path` below `base`, through the extended-length form that takes paths
// of any length.
bool MakeFolders(const std::wstring& base, const std::wstring& path) {
  for (size_t cut = 0; cut != std::wstring::npos;) {
    cut = path.find(L'\\', cut + 1);
    const std::wstring folder = base + path.substr(0, cut);
    if (!CreateDirectoryW(Extended(folder).c_str(), nullptr) &&
        GetLastError() != ERROR_ALREADY_EXISTS)
      return false;
  }
  return true;
}

void DeleteTree(const std::wstring& folder) {
  WIN32_FIND_DATAW entry;
  HANDLE search = FindFirstFileW(Extended(folder + L"\\*").c_str(), &entry);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = entry.cFileName;
      if (name == L"." || name == L"..") continue;
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        DeleteTree(folder + L"\\" + name);
      else
        DeleteFileW(Extended(folder + L"\\" + name).c_str());
    } while (FindNextFileW(search, &entry));
    FindClose(search);
  }
  RemoveDirectoryW(Extended(folder).c_str());
}

std::string TempPathA() {
  char buffer[MAX_PATH];
  const DWORD n = GetTempPathA(MAX_PATH, buffer);
  return std::string(buffer, n < MAX_PATH ? n : 0);
}

class GetTempDirWin : public ::testing::Test {
 protected:
  void SetUp() override {
    savedTmp_ = Variable(L"TMP");
    savedTemp_ = Variable(L"TEMP");
    wchar_t temp[MAX_PATH + 1];
    const DWORD n = GetTempPathW(MAX_PATH + 1, temp);
    ASSERT_TRUE(n > 0 && n <= MAX_PATH);
    base_ = std::wstring(temp, n) + L"AcTempDirTest";
    DeleteTree(base_);
    ASSERT_TRUE(CreateDirectoryW(base_.c_str(), nullptr)) << GetLastError();
    base_ += L"\\";
  }
  void TearDown() override {
    Point(savedTmp_, savedTemp_);
    DeleteTree(base_.substr(0, base_.size() - 1));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(base_.c_str()));
  }

  static void Point(const std::wstring& tmp, const std::wstring& temp) {
    SetEnvironmentVariableW(L"TMP", tmp.empty() ? nullptr : tmp.c_str());
    SetEnvironmentVariableW(L"TEMP", temp.empty() ? nullptr : temp.c_str());
  }

  std::wstring savedTmp_, savedTemp_, base_;
};

TEST_F(GetTempDirWin, FindsTheFolderThroughItsShortPathOrGivesNothing) {
  std::wstring longPath;  // six folders of 51 characters: the whole path is over 300
  for (wchar_t depth = L'0'; depth < L'6'; ++depth)
    longPath += std::wstring(50, L'a') + depth + L"\\";
  longPath.pop_back();
  const std::wstring journal = L"\u0416\u0443\u0440\u043d\u0430\u043b";
  const struct {
    const char* what;
    std::wstring folder;  // below base_
    bool made;
    bool found;  // GetTempDir names the folder; otherwise it is empty
  } rows[] = {
      {"Cyrillic", journal, true, true},
      {"Chinese", L"\u4E34\u65F6", true, true},
      {"longer than MAX_PATH", longPath, true, true},
      {"longer than MAX_PATH, Cyrillic at the end", longPath + L"\\" + journal, true, true},
      // A missing folder has no short path to find.
      {"missing, Cyrillic", L"\u0416\u0416", false, false},
      {"missing, longer than MAX_PATH", longPath + L"\\missing", false, false},
  };
  for (const auto& row : rows) {
    const std::wstring folder = base_ + row.folder;
    ASSERT_TRUE(!row.made || MakeFolders(base_, row.folder)) << row.what << GetLastError();
    Point(folder, folder);
    const std::string dir = GetTempDir();
    if (!row.found) {
      EXPECT_EQ("", dir) << row.what;
      continue;
    }
    ASSERT_GE(dir.size(), 4u) << row.what;
    EXPECT_LT(dir.size(), MAX_PATH) << row.what;
    EXPECT_EQ('\\', dir.back()) << row.what;
    EXPECT_NE('\\', dir[dir.size() - 2]) << row.what;
    EXPECT_EQ(std::string::npos, dir.find('?')) << row.what;
    const DWORD attributes = GetFileAttributesA(dir.c_str());
    EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        << row.what << " " << dir;
    // The same folder: a file made through the wide path is there through the ANSI one, and
    // gone through it.
    HANDLE marker = CreateFileW(Extended(folder + L"\\marker.txt").c_str(), GENERIC_WRITE, 0,
                                nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, marker) << row.what;
    CloseHandle(marker);
    EXPECT_TRUE(DeleteFileA((dir + "marker.txt").c_str())) << row.what << " " << dir;
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES,
              GetFileAttributesW(Extended(folder + L"\\marker.txt").c_str()))
        << row.what;
  }

  // A path the ANSI code page holds comes as GetTempPathA gives it, also when the folder is
  // missing (the file storage makes it).
  for (const auto& [name, made] : {std::pair{L"K\u00e4se", true}, std::pair{L"Neu", false}}) {
    const std::wstring folder = base_ + name;
    ASSERT_TRUE(!made || CreateDirectoryW(folder.c_str(), nullptr));
    Point(folder, folder);
    const std::string ansi = TempPathA();
    ASSERT_FALSE(ansi.empty());
    EXPECT_EQ(std::string::npos, ansi.find('?'));
    EXPECT_EQ(ansi, GetTempDir());
  }
}

}  // namespace
