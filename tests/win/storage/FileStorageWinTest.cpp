// The storage writes into the real TEMP directory at the end of loading and removes its file when
// destroyed; a file another handle holds open without delete sharing stays.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/platform.h"
#include "storage/acFileStorage.h"

namespace {

std::vector<uint8_t> ReadAll(const std::string& Path) {
  HANDLE file = CreateFileA(Path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::vector<uint8_t> bytes(GetFileSize(file, nullptr));
  DWORD read = 0;
  ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
  CloseHandle(file);
  bytes.resize(read);
  return bytes;
}

TEST(FileStorageWin, ExtractsIntoTempAndRemovesOnlyWhatItMay) {
  char temp[MAX_PATH] = {};
  const std::string dir(temp, GetTempPathA(MAX_PATH, temp));
  const std::string name = "acfs_win_" + std::to_string(GetCurrentProcessId()) + ".bin";
  std::vector<uint8_t> content;
  for (uint32_t i = 0; i < 70000; ++i) content.push_back(static_cast<uint8_t>(i * 31 / 7));

  for (bool held : {false, true}) {
    TComponentPtr<TComponent> owner(new TComponent(nullptr));
    auto* storage = new TacFileStorage(owner.get());
    storage->AddFile(name, content);
    storage->AutoExtract()->SetEnabled(true);
    storage->AutoExtract()->SetRemoveOnTerminate(true);
    storage->AutoExtract()->ExtractTo()->SetToplevelDir(tdTempDir);
    storage->Loaded();
    EXPECT_EQ(ReadAll(dir + name), content);
    HANDLE other = held ? CreateFileA((dir + name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)
                        : INVALID_HANDLE_VALUE;
    owner.reset();
    if (other != INVALID_HANDLE_VALUE) CloseHandle(other);
    EXPECT_EQ(GetFileAttributesA((dir + name).c_str()) != INVALID_FILE_ATTRIBUTES, held);
    EXPECT_NE(GetFileAttributesA(dir.c_str()), INVALID_FILE_ATTRIBUTES);  // TEMP stays
  }
  EXPECT_TRUE(DeleteFileA((dir + name).c_str()));
}

}  // namespace
