// The simulated drives' test-side features: path translation, locked files, handle bookkeeping
// and a fresh drive after Reset.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/host/StandInFixture.h"
#include "platform/platform.h"

namespace {

namespace fs = std::filesystem;

class StandInFiles : public standin::StandInTest {};

std::string ReadHost(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST_F(StandInFiles, WindowsPathsTranslateToTheScratchDrive) {
  fs::path temp = standin::HostPath("C:\\TEMP");
  ASSERT_FALSE(temp.empty());
  EXPECT_TRUE(fs::is_directory(temp));
  // Existing parts are found whatever their case; slashes, "." and ".." work as on Windows.
  EXPECT_EQ(temp / "new.txt", standin::HostPath("c:/temp/./sub/../new.txt"));
  EXPECT_EQ(standin::HostPath("C:\\"), standin::HostPath("C:\\..\\.."));
  // Relative paths start from the current directory.
  standin::SetCurrentDirectory("C:\\TEMP");
  EXPECT_EQ(temp / "rel.txt", standin::HostPath("rel.txt"));
  EXPECT_EQ(standin::HostPath("C:\\WINDOWS"), standin::HostPath("\\windows"));
  // What cannot be translated gives an empty path.
  EXPECT_TRUE(standin::HostPath("\\\\server\\share\\x").empty());
  EXPECT_TRUE(standin::HostPath("D:\\x").empty());
  EXPECT_TRUE(standin::HostPath("C:\\bad|name").empty());
  EXPECT_TRUE(standin::HostPath("").empty());
}

TEST_F(StandInFiles, FilesWrittenByCodeAreVisibleToTheTestAndBack) {
  standin::WriteHostFile("C:\\Data\\in.txt", "from the test");
  HANDLE file = CreateFileA("C:\\data\\IN.TXT", GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  char buffer[32] = {};
  DWORD read = 0;
  ASSERT_TRUE(ReadFile(file, buffer, sizeof buffer, &read, nullptr));
  EXPECT_EQ("from the test", std::string(buffer, read));
  CloseHandle(file);

  file = CreateFileA("C:\\TEMP\\out.bin", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(file, "\0\1\2", 3, &written, nullptr));
  CloseHandle(file);
  EXPECT_EQ(std::string("\0\1\2", 3), ReadHost(standin::HostPath("C:\\TEMP\\out.bin")));
}

TEST_F(StandInFiles, LockedFileCannotBeOpenedForDataOrDeleted) {
  standin::WriteHostFile("C:\\TEMP\\setup.exe", "MZ");
  EXPECT_FALSE(standin::LockFile("C:\\TEMP\\missing.exe"));
  ASSERT_TRUE(standin::LockFile("c:\\temp\\SETUP.EXE"));

  for (DWORD access : {GENERIC_READ, GENERIC_WRITE}) {
    HANDLE file = CreateFileA("C:\\TEMP\\setup.exe", access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_EQ(INVALID_HANDLE_VALUE, file);
    EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), GetLastError());
  }
  // Rewriting it in place, as extraction would, fails the same way.
  EXPECT_EQ(INVALID_HANDLE_VALUE,
            CreateFileA("C:\\TEMP\\setup.exe", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                        nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), GetLastError());
  EXPECT_FALSE(DeleteFileA("C:\\TEMP\\setup.exe"));
  EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), GetLastError());
  EXPECT_FALSE(MoveFileA("C:\\TEMP\\setup.exe", "C:\\TEMP\\other.exe"));

  // The size can still be asked for: that open requests no data access.
  HANDLE query = CreateFileA("C:\\TEMP\\setup.exe", 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, query);
  EXPECT_EQ(2u, GetFileSize(query, nullptr));
  CloseHandle(query);

  standin::UnlockFile("C:\\TEMP\\setup.exe");
  EXPECT_TRUE(DeleteFileA("C:\\TEMP\\setup.exe"));
}

TEST_F(StandInFiles, HandlesAreCountedAndStaleOnesRefused) {
  HANDLE file = CreateFileA("C:\\TEMP\\f", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA("C:\\TEMP\\*", &data);
  EXPECT_EQ(2u, standin::OpenFileHandleCount());
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_FALSE(CloseHandle(file));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
  DWORD done = 0;
  EXPECT_FALSE(WriteFile(file, "x", 1, &done, nullptr));
  EXPECT_EQ(INVALID_FILE_SIZE, GetFileSize(file, nullptr));
  // A search handle is closed with FindClose, not CloseHandle.
  EXPECT_FALSE(CloseHandle(find));
  EXPECT_TRUE(FindClose(find));
  EXPECT_FALSE(FindClose(find));
  EXPECT_EQ(0u, standin::OpenFileHandleCount());
}

TEST_F(StandInFiles, DriveRootListsNoDotEntriesAndCannotBeRemoved) {
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA("C:\\*", &data);
  ASSERT_NE(INVALID_HANDLE_VALUE, find);
  std::vector<std::string> names;
  do names.emplace_back(data.cFileName);
  while (FindNextFileA(find, &data));
  FindClose(find);
  EXPECT_EQ((std::vector<std::string>{"Program Files", "TEMP", "Users", "WINDOWS"}), names);
  EXPECT_FALSE(RemoveDirectoryA("C:\\"));
  EXPECT_FALSE(CreateDirectoryA("C:\\", nullptr));
  EXPECT_EQ(INVALID_HANDLE_VALUE, FindFirstFileA("C:\\TEMP\\", &data));
}

TEST_F(StandInFiles, ReadOnlyFilesRefuseWriting) {
  standin::WriteHostFile("C:\\TEMP\\ro.txt", "x");
  ASSERT_TRUE(SetFileAttributesA("C:\\TEMP\\ro.txt", FILE_ATTRIBUTE_READONLY));
  for (DWORD disposition : {OPEN_EXISTING, OPEN_ALWAYS, CREATE_ALWAYS, TRUNCATE_EXISTING}) {
    EXPECT_EQ(INVALID_HANDLE_VALUE, CreateFileA("C:\\TEMP\\ro.txt", GENERIC_WRITE, 0, nullptr,
                                                disposition, FILE_ATTRIBUTE_NORMAL, nullptr))
        << disposition;
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
  }
  EXPECT_EQ(1u, std::filesystem::file_size(standin::HostPath("C:\\TEMP\\ro.txt")));
}

TEST_F(StandInFiles, OtherDrivesCanBeMapped) {
  fs::path folder = standin::HostPath("C:\\TEMP\\drive-d");
  fs::create_directories(folder);
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("D:\\"));
  standin::MapDrive('d', folder);
  EXPECT_TRUE(CreateDirectoryA("D:\\Out", nullptr));
  EXPECT_TRUE(fs::is_directory(folder / "Out"));
}

TEST_F(StandInFiles, ResetGivesAFreshDriveAndDiscardRemovesIt) {
  standin::WriteHostFile("C:\\TEMP\\left.txt", "x");
  fs::path old = standin::HostPath("C:\\");
  HANDLE file = CreateFileA("C:\\TEMP\\left.txt", GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  standin::Reset();
  EXPECT_FALSE(fs::exists(old));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("C:\\TEMP\\left.txt"));
  EXPECT_EQ(0u, standin::OpenFileHandleCount());
  fs::path fresh = standin::HostPath("C:\\");
  standin::Discard();
  EXPECT_FALSE(fs::exists(fresh));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("C:\\TEMP"));
  EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError());
}

}  // namespace
