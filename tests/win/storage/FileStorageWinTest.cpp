// The storage writes into the real TEMP directory at the end of loading and removes its file when
// destroyed; a file another program holds open without delete sharing stays.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/platform.h"
#include "storage/acFileStorage.h"

namespace {

using Bytes = std::vector<uint8_t>;

std::string TempPath() {
  char buffer[MAX_PATH] = {};
  const DWORD length = GetTempPathA(MAX_PATH, buffer);
  return std::string(buffer, length);
}

bool Exists(const std::string& Path) {
  return GetFileAttributesA(Path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

Bytes ReadAll(const std::string& Path) {
  HANDLE file = CreateFileA(Path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  Bytes bytes(GetFileSize(file, nullptr));
  DWORD read = 0;
  if (!bytes.empty())
    ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
  CloseHandle(file);
  bytes.resize(read);
  return bytes;
}

// An owner with a storage that extracts one file into TEMP and removes it at the end.
struct Extracted {
  std::string name = "acfs_win_" + std::to_string(GetCurrentProcessId()) + ".bin";
  std::string path = TempPath() + name;
  Bytes content;
  TComponentPtr<TComponent> owner{new TComponent(nullptr)};

  Extracted() {
    for (uint32_t i = 0; i < 70000; ++i) content.push_back(static_cast<uint8_t>(i * 31 / 7));
    DeleteFileA(path.c_str());
    auto* storage = new TacFileStorage(owner.get());
    storage->AddFile(name, content);
    storage->AutoExtract()->SetEnabled(true);
    storage->AutoExtract()->SetRemoveOnTerminate(true);
    storage->AutoExtract()->ExtractTo()->SetToplevelDir(tdTempDir);
    storage->Loaded();
  }
};

TEST(FileStorageWin, ExtractsIntoTempAndRemovesTheFileButNotTemp) {
  Extracted x;
  EXPECT_EQ(ReadAll(x.path), x.content);
  x.owner.reset();
  EXPECT_FALSE(Exists(x.path));
  EXPECT_TRUE(Exists(TempPath()));
}

TEST(FileStorageWin, AFileHeldOpenWithoutDeleteSharingStays) {
  Extracted x;
  HANDLE held = CreateFileA(x.path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  x.owner.reset();
  CloseHandle(held);
  EXPECT_EQ(ReadAll(x.path), x.content);
  EXPECT_TRUE(DeleteFileA(x.path.c_str()));
}

}  // namespace
