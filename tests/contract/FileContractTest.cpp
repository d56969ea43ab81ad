// File and directory calls as extraction and removal make them, pinned against the real file
// system (Windows build) and the scratch drive (host build), in a scratch folder of TEMP.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "platform/platform.h"
#include "tests/contract/ContractMachine.h"
#include "tests/contract/ContractSupport.h"

namespace contract {
namespace {

class FileContract : public ::testing::Test {
 protected:
  void SetUp() override {
    PrepareMachine();
    temp_ = TempPath();
    ASSERT_FALSE(temp_.empty());
    dir_ = temp_ + kScratchFolderName;
    DeleteFolderTree(dir_);
    ASSERT_TRUE(CreateDirectoryA(dir_.c_str(), nullptr)) << GetLastError();
  }
  void TearDown() override {
    DeleteFolderTree(dir_);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(dir_.c_str()));
    ReleaseMachine();
  }

  std::string In(const std::string& name) const { return dir_ + "\\" + name; }

  HANDLE Open(const std::string& path, DWORD access, DWORD share, DWORD disposition) {
    return CreateFileA(path.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
  }

  // Writes a file with the calls extraction uses.
  void Write(const std::string& path, const std::string& content) {
    HANDLE file = Open(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, CREATE_ALWAYS);
    ASSERT_NE(INVALID_HANDLE_VALUE, file) << path << " " << GetLastError();
    DWORD written = 0;
    ASSERT_TRUE(
        WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr));
    EXPECT_EQ(content.size(), written);
    ASSERT_TRUE(CloseHandle(file));
  }

  std::multiset<std::string> List(const std::string& pattern) {
    std::multiset<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(pattern.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do names.insert(data.cFileName);
    while (FindNextFileA(find, &data));
    EXPECT_EQ(Code(ERROR_NO_MORE_FILES), GetLastError());
    EXPECT_TRUE(FindClose(find));
    return names;
  }

  std::string temp_;
  std::string dir_;
};

TEST_F(FileContract, TempPathEndsWithOneBackslashAndIsAFolder) {
  ASSERT_GE(temp_.size(), 3u);
  EXPECT_EQ('\\', temp_.back());
  EXPECT_NE('\\', temp_[temp_.size() - 2]);
  EXPECT_EQ(':', temp_[1]);
  DWORD attributes = GetFileAttributesA(temp_.c_str());
  ASSERT_NE(INVALID_FILE_ATTRIBUTES, attributes);
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);

  // Too small a buffer: the result is the size needed, the terminating zero included.
  char small[2];
  EXPECT_EQ(temp_.size() + 1, GetTempPathA(sizeof small, small));
  EXPECT_EQ(temp_.size() + 1, GetTempPathA(0, nullptr));
}

TEST_F(FileContract, WriteReadAndSizeRoundTrip) {
  const std::string path = In("data.bin");
  HANDLE file = Open(path, GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  const std::string content = "0123456789abcdef";
  DWORD done = 0;
  ASSERT_TRUE(WriteFile(file, content.data(), 16, &done, nullptr));
  EXPECT_EQ(16u, done);
  DWORD high = 7;
  EXPECT_EQ(16u, GetFileSize(file, &high));
  EXPECT_EQ(0u, high);
  LARGE_INTEGER size{};
  ASSERT_TRUE(GetFileSizeEx(file, &size));
  EXPECT_EQ(16, size.QuadPart);

  EXPECT_EQ(4u, SetFilePointer(file, 4, nullptr, FILE_BEGIN));
  char buffer[32] = {};
  ASSERT_TRUE(ReadFile(file, buffer, 6, &done, nullptr));
  EXPECT_EQ(6u, done);
  EXPECT_EQ("456789", std::string(buffer, done));
  EXPECT_EQ(12u, SetFilePointer(file, -4, nullptr, FILE_END));
  EXPECT_EQ(14u, SetFilePointer(file, 2, nullptr, FILE_CURRENT));
  // Reading at or past the end succeeds with nothing read.
  ASSERT_TRUE(ReadFile(file, buffer, sizeof buffer, &done, nullptr));
  EXPECT_EQ(2u, done);
  ASSERT_TRUE(ReadFile(file, buffer, sizeof buffer, &done, nullptr));
  EXPECT_EQ(0u, done);
  // A position before the start is refused.
  EXPECT_EQ(INVALID_SET_FILE_POINTER, SetFilePointer(file, -100, nullptr, FILE_CURRENT));
  EXPECT_EQ(Code(ERROR_NEGATIVE_SEEK), GetLastError());
  ASSERT_TRUE(CloseHandle(file));
}

TEST_F(FileContract, CreationDispositions) {
  const std::string path = In("file.txt");
  // Opening a missing file fails; so does anything in a missing folder.
  EXPECT_EQ(INVALID_HANDLE_VALUE, Open(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING));
  EXPECT_EQ(Code(ERROR_FILE_NOT_FOUND), GetLastError());
  EXPECT_EQ(INVALID_HANDLE_VALUE, Open(In("nodir\\file.txt"), GENERIC_WRITE, 0, CREATE_ALWAYS));
  EXPECT_EQ(Code(ERROR_PATH_NOT_FOUND), GetLastError());

  HANDLE file = Open(path, GENERIC_WRITE, 0, CREATE_NEW);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  CloseHandle(file);
  Write(path, "some content");

  EXPECT_EQ(INVALID_HANDLE_VALUE, Open(path, GENERIC_WRITE, 0, CREATE_NEW));
  EXPECT_EQ(Code(ERROR_FILE_EXISTS), GetLastError());

  // CREATE_ALWAYS on an existing file truncates it and says so through the last error.
  SetLastError(0);
  file = Open(path, GENERIC_WRITE, 0, CREATE_ALWAYS);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  EXPECT_EQ(Code(ERROR_ALREADY_EXISTS), GetLastError());
  EXPECT_EQ(0u, GetFileSize(file, nullptr));
  CloseHandle(file);

  file = Open(path, GENERIC_READ, FILE_SHARE_READ, OPEN_ALWAYS);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  EXPECT_EQ(Code(ERROR_ALREADY_EXISTS), GetLastError());
  CloseHandle(file);

  // A newly created file clears the last error.
  SetLastError(ERROR_ACCESS_DENIED);
  file = Open(In("new.txt"), GENERIC_WRITE, 0, CREATE_ALWAYS);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  EXPECT_EQ(0u, GetLastError());
  CloseHandle(file);
}

TEST_F(FileContract, HandleAllowsOnlyItsAccess) {
  Write(In("f"), "abc");
  char buffer[4];
  DWORD done = 0;
  HANDLE writer = Open(In("f"), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
  ASSERT_NE(INVALID_HANDLE_VALUE, writer);
  EXPECT_FALSE(ReadFile(writer, buffer, 3, &done, nullptr));
  EXPECT_EQ(Code(ERROR_ACCESS_DENIED), GetLastError());
  HANDLE reader = Open(In("f"), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
  ASSERT_NE(INVALID_HANDLE_VALUE, reader);
  EXPECT_FALSE(WriteFile(reader, "x", 1, &done, nullptr));
  EXPECT_EQ(Code(ERROR_ACCESS_DENIED), GetLastError());
  CloseHandle(writer);
  CloseHandle(reader);
  // A directory is no file to open.
  EXPECT_EQ(INVALID_HANDLE_VALUE, Open(dir_, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING));
  EXPECT_EQ(Code(ERROR_ACCESS_DENIED), GetLastError());
}

TEST_F(FileContract, SharingModesBetweenHandles) {
  Write(In("shared"), "12345");
  HANDLE exclusive = Open(In("shared"), GENERIC_WRITE, 0, OPEN_EXISTING);
  ASSERT_NE(INVALID_HANDLE_VALUE, exclusive);
  EXPECT_EQ(INVALID_HANDLE_VALUE,
            Open(In("shared"), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING));
  EXPECT_EQ(Code(ERROR_SHARING_VIOLATION), GetLastError());
  EXPECT_FALSE(DeleteFileA(In("shared").c_str()));
  EXPECT_EQ(Code(ERROR_SHARING_VIOLATION), GetLastError());
  // An open that asks for no data access (as the size query does) is not stopped by sharing.
  HANDLE query = Open(In("shared"), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
  ASSERT_NE(INVALID_HANDLE_VALUE, query) << GetLastError();
  EXPECT_EQ(5u, GetFileSize(query, nullptr));
  CloseHandle(query);
  CloseHandle(exclusive);

  // Handles that share reading and writing with each other coexist.
  HANDLE a = Open(In("shared"), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
  HANDLE b = Open(In("shared"), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
  EXPECT_NE(INVALID_HANDLE_VALUE, a);
  EXPECT_NE(INVALID_HANDLE_VALUE, b);
  // A new handle that refuses to share writing meets an existing writer.
  EXPECT_EQ(INVALID_HANDLE_VALUE, Open(In("shared"), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING));
  EXPECT_EQ(Code(ERROR_SHARING_VIOLATION), GetLastError());
  CloseHandle(a);
  CloseHandle(b);
  EXPECT_TRUE(DeleteFileA(In("shared").c_str()));
}

// Removal of an extracted file that is still open elsewhere (the installer running), and the
// query-only open the size check makes.
TEST_F(FileContract, DeleteWaitsForAHandleThatDoesNotShareDeletion) {
  Write(In("held.exe"), "12345");
  HANDLE reader =
      Open(In("held.exe"), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
  ASSERT_NE(INVALID_HANDLE_VALUE, reader);
  EXPECT_FALSE(DeleteFileA(In("held.exe").c_str()));
  EXPECT_EQ(Code(ERROR_SHARING_VIOLATION), GetLastError());
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(In("held.exe").c_str()));

  HANDLE query = Open(In("held.exe"), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
  ASSERT_NE(INVALID_HANDLE_VALUE, query) << GetLastError();
  DWORD high = 99;
  EXPECT_EQ(5u, GetFileSize(query, &high));
  EXPECT_EQ(0u, high);
  CloseHandle(query);

  CloseHandle(reader);
  EXPECT_TRUE(DeleteFileA(In("held.exe").c_str())) << GetLastError();
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(In("held.exe").c_str()));
  EXPECT_EQ(INVALID_HANDLE_VALUE,
            Open(In("held.exe"), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING));
  EXPECT_EQ(Code(ERROR_FILE_NOT_FOUND), GetLastError());
}

TEST_F(FileContract, AttributesAndReadOnly) {
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(In("missing").c_str()));
  EXPECT_EQ(Code(ERROR_FILE_NOT_FOUND), GetLastError());
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(In("missing\\deeper").c_str()));
  EXPECT_EQ(Code(ERROR_PATH_NOT_FOUND), GetLastError());

  DWORD folder = GetFileAttributesA(dir_.c_str());
  ASSERT_NE(INVALID_FILE_ATTRIBUTES, folder);
  EXPECT_TRUE(folder & FILE_ATTRIBUTE_DIRECTORY);
  // With a trailing backslash the folder is found as well.
  EXPECT_EQ(folder, GetFileAttributesA((dir_ + "\\").c_str()));

  Write(In("ro.txt"), "x");
  DWORD file = GetFileAttributesA(In("ro.txt").c_str());
  ASSERT_NE(INVALID_FILE_ATTRIBUTES, file);
  EXPECT_FALSE(file & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY));

  // Opening a read-only file for writing is refused by Windows but not by Wine running as root
  // (it leaves that to the host's permissions); the host-only tests pin it for the stand-in.
  ASSERT_TRUE(SetFileAttributesA(In("ro.txt").c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_TRUE(GetFileAttributesA(In("ro.txt").c_str()) & FILE_ATTRIBUTE_READONLY);
  HANDLE reader = Open(In("ro.txt"), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  EXPECT_NE(INVALID_HANDLE_VALUE, reader);
  CloseHandle(reader);
  EXPECT_FALSE(DeleteFileA(In("ro.txt").c_str()));
  EXPECT_EQ(Code(ERROR_ACCESS_DENIED), GetLastError());

  ASSERT_TRUE(SetFileAttributesA(In("ro.txt").c_str(), FILE_ATTRIBUTE_NORMAL));
  EXPECT_FALSE(GetFileAttributesA(In("ro.txt").c_str()) & FILE_ATTRIBUTE_READONLY);
  EXPECT_TRUE(DeleteFileA(In("ro.txt").c_str()));
}

TEST_F(FileContract, ListingShowsDotEntriesFilesAndFolders) {
  // An empty folder lists only "." and "..".
  EXPECT_EQ((std::multiset<std::string>{".", ".."}), List(In("*.*")));
  Write(In("b.txt"), "bb");
  Write(In("A.dat"), "aaaa");
  ASSERT_TRUE(CreateDirectoryA(In("sub").c_str(), nullptr));

  std::multiset<std::string> all{".", "..", "A.dat", "b.txt", "sub"};
  EXPECT_EQ(all, List(In("*")));
  EXPECT_EQ(all, List(In("*.*")));
  EXPECT_EQ((std::multiset<std::string>{"b.txt"}), List(In("*.txt")));
  EXPECT_EQ((std::multiset<std::string>{"A.dat"}), List(In("?.DAT")));

  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA(In("*").c_str(), &data);
  ASSERT_NE(INVALID_HANDLE_VALUE, find);
  int seen = 0;
  do {
    std::string name = data.cFileName;
    bool folder = name == "." || name == ".." || name == "sub";
    EXPECT_EQ(folder, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) << name;
    if (name == "A.dat") {
      EXPECT_EQ(4u, data.nFileSizeLow);
    }
    if (name == "b.txt") {
      EXPECT_EQ(2u, data.nFileSizeLow);
    }
    ++seen;
  } while (FindNextFileA(find, &data));
  EXPECT_EQ(5, seen);
  FindClose(find);

  // Nothing matching, and a missing folder.
  EXPECT_EQ(INVALID_HANDLE_VALUE, FindFirstFileA(In("*.none").c_str(), &data));
  EXPECT_EQ(Code(ERROR_FILE_NOT_FOUND), GetLastError());
  EXPECT_EQ(INVALID_HANDLE_VALUE, FindFirstFileA(In("nodir\\*.*").c_str(), &data));
  EXPECT_EQ(Code(ERROR_PATH_NOT_FOUND), GetLastError());
}

TEST_F(FileContract, NamesIgnoreCaseAndKeepTheirSpelling) {
  Write(In("MixedCase.Txt"), "12");
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(In("mixedcase.txt").c_str()));
  HANDLE file = Open(In("MIXEDCASE.TXT"), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  EXPECT_EQ(2u, GetFileSize(file, nullptr));
  CloseHandle(file);
  EXPECT_EQ((std::multiset<std::string>{"MixedCase.Txt"}), List(In("MIXEDCASE.TXT")));
  // Writing under another spelling replaces the file rather than adding one.
  Write(In("mixedcase.txt"), "1234");
  EXPECT_EQ((std::multiset<std::string>{"MixedCase.Txt"}), List(In("m*")));
}

TEST_F(FileContract, FoldersAreMadeAndRemovedOnlyWhenEmpty) {
  const std::string sub = In("sub");
  ASSERT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));
  EXPECT_FALSE(CreateDirectoryA(sub.c_str(), nullptr));
  EXPECT_EQ(Code(ERROR_ALREADY_EXISTS), GetLastError());
  EXPECT_FALSE(CreateDirectoryA(In("a\\b").c_str(), nullptr));
  EXPECT_EQ(Code(ERROR_PATH_NOT_FOUND), GetLastError());

  Write(sub + "\\inside.txt", "x");
  EXPECT_FALSE(RemoveDirectoryA(sub.c_str()));
  EXPECT_EQ(Code(ERROR_DIR_NOT_EMPTY), GetLastError());
  EXPECT_FALSE(RemoveDirectoryA((sub + "\\inside.txt").c_str()));
  EXPECT_EQ(Code(ERROR_DIRECTORY), GetLastError());
  EXPECT_FALSE(RemoveDirectoryA(In("missing").c_str()));
  EXPECT_EQ(Code(ERROR_FILE_NOT_FOUND), GetLastError());

  EXPECT_FALSE(DeleteFileA(sub.c_str()));
  EXPECT_EQ(Code(ERROR_ACCESS_DENIED), GetLastError());
  EXPECT_FALSE(DeleteFileA(In("missing").c_str()));
  EXPECT_EQ(Code(ERROR_FILE_NOT_FOUND), GetLastError());
  EXPECT_FALSE(DeleteFileA(In("missing\\x").c_str()));
  EXPECT_EQ(Code(ERROR_PATH_NOT_FOUND), GetLastError());

  ASSERT_TRUE(DeleteFileA((sub + "\\inside.txt").c_str()));
  EXPECT_TRUE(RemoveDirectoryA(sub.c_str()));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(sub.c_str()));
}

TEST_F(FileContract, MoveRenamesAndRefusesToReplace) {
  Write(In("from"), "abc");
  Write(In("taken"), "z");
  EXPECT_FALSE(MoveFileA(In("from").c_str(), In("taken").c_str()));
  EXPECT_EQ(Code(ERROR_ALREADY_EXISTS), GetLastError());
  ASSERT_TRUE(MoveFileA(In("from").c_str(), In("to").c_str()));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(In("from").c_str()));
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(In("to").c_str()));
  EXPECT_FALSE(MoveFileA(In("from").c_str(), In("again").c_str()));
  EXPECT_EQ(Code(ERROR_FILE_NOT_FOUND), GetLastError());
}

TEST_F(FileContract, PathEdgesAsWindowsTakesThem) {
  Write(In("f.txt"), "x");
  std::string root = temp_.substr(0, 3);
  EXPECT_FALSE(CreateDirectoryA(root.c_str(), nullptr));
  EXPECT_EQ(Code(ERROR_ALREADY_EXISTS), GetLastError());

  // A trailing backslash asks for a folder.
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(In("f.txt\\").c_str()));
  EXPECT_EQ(Code(ERROR_PATH_NOT_FOUND), GetLastError());
  EXPECT_EQ(INVALID_HANDLE_VALUE, Open(In("f.txt\\"), GENERIC_READ, 0, OPEN_EXISTING));
  EXPECT_EQ(Code(ERROR_INVALID_NAME), GetLastError());
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(In("f.txt\\x").c_str()));
  EXPECT_EQ(Code(ERROR_PATH_NOT_FOUND), GetLastError());
  EXPECT_EQ(INVALID_HANDLE_VALUE, Open(In("bad|name"), GENERIC_WRITE, 0, CREATE_ALWAYS));
  EXPECT_EQ(Code(ERROR_INVALID_NAME), GetLastError());

  WIN32_FIND_DATAA data;
  EXPECT_EQ(INVALID_HANDLE_VALUE, FindFirstFileA(In("f.txt\\*.*").c_str(), &data));
  EXPECT_EQ(Code(ERROR_INVALID_NAME), GetLastError());
  EXPECT_EQ(INVALID_HANDLE_VALUE, FindFirstFileA((dir_ + "\\").c_str(), &data));
  EXPECT_EQ(Code(ERROR_FILE_NOT_FOUND), GetLastError());
  // Folders are made and removed with a trailing backslash as well, the way the folder-chain and
  // removal helpers name them.
  ASSERT_TRUE(CreateDirectoryA(In("slashed\\").c_str(), nullptr));
  EXPECT_FALSE(CreateDirectoryA(In("slashed\\").c_str(), nullptr));
  EXPECT_EQ(Code(ERROR_ALREADY_EXISTS), GetLastError());
  // Even a query-only open does not open a folder.
  EXPECT_EQ(INVALID_HANDLE_VALUE,
            Open(In("slashed"), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING));
  EXPECT_EQ(Code(ERROR_ACCESS_DENIED), GetLastError());
  EXPECT_TRUE(RemoveDirectoryA(In("slashed\\").c_str()));

  // A name without wildcards finds that entry itself.
  HANDLE find = FindFirstFileA(dir_.c_str(), &data);
  ASSERT_NE(INVALID_HANDLE_VALUE, find);
  EXPECT_STREQ(kScratchFolderName, data.cFileName);
  EXPECT_TRUE(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
  FindClose(find);
}

TEST_F(FileContract, SharingThatAllowsTheOperation) {
  Write(In("f"), "abc");
  // Deleting a file whose open handle shares deletion succeeds.
  HANDLE reader = Open(In("f"), GENERIC_READ,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING);
  ASSERT_NE(INVALID_HANDLE_VALUE, reader);
  EXPECT_TRUE(DeleteFileA(In("f").c_str()));
  CloseHandle(reader);
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(In("f").c_str()));

  // Rewriting a file that another handle reads while sharing reading and writing succeeds, as
  // extraction's open does.
  Write(In("g"), "abc");
  reader = Open(In("g"), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
  ASSERT_NE(INVALID_HANDLE_VALUE, reader);
  HANDLE writer = Open(In("g"), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, CREATE_ALWAYS);
  ASSERT_NE(INVALID_HANDLE_VALUE, writer);
  EXPECT_EQ(Code(ERROR_ALREADY_EXISTS), GetLastError());
  EXPECT_EQ(0u, GetFileSize(reader, nullptr));
  CloseHandle(writer);
  CloseHandle(reader);
}

}  // namespace
}  // namespace contract
