// The check of the carried installer against the CRC-32 the build recorded.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "launcher/InstallerCheck.h"
#include "storage/Crc32.h"
#include "toolkit/core/ToolkitErrors.h"

namespace {

const std::string kInstaller = "MZ installer bytes";

uint32_t CrcOf(const std::string& Text) {
  return Crc32({reinterpret_cast<const uint8_t*>(Text.data()), Text.size()});
}

TEST(InstallerCheckTest, RecordedCrcIsFourLittleEndianBytes) {
  EXPECT_EQ(RecordedCrc(std::vector<uint8_t>{0x26, 0x39, 0xF4, 0xCB}), 0xCBF43926u);
  for (size_t size : {0u, 3u, 5u}) EXPECT_EQ(RecordedCrc(std::vector<uint8_t>(size)), std::nullopt);
}

// Only a recorded CRC that the named record has lets the loading go on; without a recorded CRC
// nothing is checked.
TEST(InstallerCheckTest, RefusesAnInstallerThatDiffersFromTheRecordedCrc) {
  const struct {
    const char* what;
    std::string name, content;
    std::optional<uint32_t> recorded;
    bool refused;
  } cases[] = {
      {"matches", "quillmoor_full.exe", kInstaller, CrcOf(kInstaller), false},
      {"name in other case", "QUILLMOOR_FULL.EXE", kInstaller, CrcOf(kInstaller), false},
      {"one byte changed", "quillmoor_full.exe", "MZ installer bytez", CrcOf(kInstaller), true},
      {"record missing", "other.exe", kInstaller, CrcOf(kInstaller), true},
      {"nothing recorded", "quillmoor_full.exe", "MZ installer bytez", std::nullopt, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TacFileStorage storage(nullptr);
    storage.AddFile("readme.txt", std::vector<uint8_t>{'x'});
    storage.AddFile(c.name, std::vector<uint8_t>(c.content.begin(), c.content.end()));
    if (c.refused) {
      try {
        CheckCarriedInstaller(storage, "quillmoor_full.exe", c.recorded);
        ADD_FAILURE() << "not refused";
      } catch (const EReadError& e) {
        EXPECT_STREQ(e.what(), kDamagedProgramMessage);
      }
    } else {
      EXPECT_NO_THROW(CheckCarriedInstaller(storage, "quillmoor_full.exe", c.recorded));
    }
  }
}

}  // namespace
