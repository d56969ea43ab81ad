// The check of the carried installer against the CRC-32 the build recorded.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "launcher/InstallerCheck.h"
#include "platform/host/StandIn.h"
#include "storage/Crc32.h"
#include "toolkit/core/ToolkitErrors.h"

namespace {

const std::string kInstaller = "MZ installer bytes";

uint32_t CrcOf(const std::string& Text) {
  return Crc32({reinterpret_cast<const uint8_t*>(Text.data()), Text.size()});
}

// Four little-endian bytes; a program without the resource checks nothing, one with a resource of
// any other length is damaged.
TEST(InstallerCheckTest, RecordedCrcIsFourLittleEndianBytes) {
  const std::vector<uint8_t> crc{0x26, 0x39, 0xF4, 0xCB};
  EXPECT_EQ(RecordedCrc(crc), 0xCBF43926u);
  EXPECT_EQ(CrcToCheck(std::span<const uint8_t>(crc)), 0xCBF43926u);
  EXPECT_EQ(CrcToCheck(std::nullopt), std::nullopt);
  for (size_t size : {0u, 3u, 5u}) {
    const std::vector<uint8_t> resource(size);
    EXPECT_EQ(RecordedCrc(resource), std::nullopt);
    try {
      CrcToCheck(std::span<const uint8_t>(resource));
      ADD_FAILURE() << size << " bytes not refused";
    } catch (const EReadError& e) {
      EXPECT_STREQ(e.what(), kDamagedProgramMessage);
    }
  }
}

// Only a recorded CRC that the named record has lets the program go on, and only its bytes reach
// TEMP; without a recorded CRC nothing is checked.
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
    standin::Reset();
    TacFileStorage storage(nullptr);
    storage.AddFile("readme.txt", std::vector<uint8_t>{'x'});
    storage.AddFile(c.name, std::vector<uint8_t>(c.content.begin(), c.content.end()));
    storage.AutoExtract()->SetEnabled(true);
    storage.AutoExtract()->SetRemoveOnTerminate(true);
    storage.AutoExtract()->ExtractTo()->SetToplevelDir(tdTempDir);
    try {
      ExpectCarriedInstaller(storage, "quillmoor_full.exe", c.recorded);
      storage.Loaded();
      CheckCarriedInstaller(storage, "quillmoor_full.exe");
      EXPECT_FALSE(c.refused) << "not refused";
    } catch (const EReadError& e) {
      EXPECT_TRUE(c.refused);
      EXPECT_STREQ(e.what(), kDamagedProgramMessage);
    }
    EXPECT_EQ(std::filesystem::exists(standin::HostPath("C:\\TEMP\\" + c.name)), !c.refused);
  }
  standin::Discard();
}

}  // namespace
