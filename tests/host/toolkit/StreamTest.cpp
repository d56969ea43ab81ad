#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <string>

#include "toolkit/core/TFileStream.h"
#include "toolkit/core/TMemoryStream.h"
#include "toolkit/core/TReadOnlyMemoryStream.h"
#include "toolkit/core/ToolkitErrors.h"

namespace {

TEST(TMemoryStreamTest, GrowsOnWriteAndZeroFillsGaps) {
  TMemoryStream s;
  s.WriteBuffer("ab", 2);
  s.Seek(2, TSeekOrigin::soCurrent);
  s.WriteBuffer("c", 1);
  ASSERT_EQ(s.Size(), 5);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(s.Memory()), 5), std::string("ab\0\0c", 5));
  s.SetSize(3);
  EXPECT_EQ(s.Position(), 3);
  s.SetPosition(1);
  char two[2];
  s.ReadBuffer(two, 2);
  EXPECT_EQ(std::string(two, 2), std::string("b\0", 2));
  EXPECT_EQ(s.Read(two, 2), 0u);
  EXPECT_THROW(s.Seek(-4, TSeekOrigin::soEnd), EStreamError);
  EXPECT_EQ(s.Position(), 3);
}

// Positions and sizes come from callers and data; ones no memory block can reach are refused
// with the stream errors (not with a wrapped size_t or a signed overflow), and nothing changes.
TEST(TMemoryStreamTest, UnreachablePositionsAndSizesRaiseTheStreamErrors) {
  constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
  TMemoryStream s;
  s.WriteBuffer("abc", 3);
  EXPECT_THROW(s.Seek(kMax, TSeekOrigin::soEnd), EStreamError);
  EXPECT_THROW(s.Seek(std::numeric_limits<int64_t>::min(), TSeekOrigin::soEnd), EStreamError);
  EXPECT_EQ(s.Position(), 3);
  s.SetPosition(kMax - 1);
  EXPECT_THROW(s.WriteBuffer("de", 2), EWriteError);
  if constexpr (sizeof(size_t) < sizeof(int64_t)) {
    // A size past 4 GiB on a 32-bit build, which a plain cast would wrap to 3 bytes.
    EXPECT_THROW(s.SetSize((int64_t{1} << 32) + 3), EStreamError);
  }
  EXPECT_EQ(s.Size(), 3);
  s.SetPosition(1);
  s.WriteBuffer("x", 1);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(s.Memory()), 3), "axc");
}

TEST(TMemoryStreamTest, MemoryCanBeFilledDirectlyAfterSetSize) {
  TMemoryStream s;
  s.SetSize(4);
  for (int i = 0; i < 4; ++i) s.Memory()[i] = static_cast<uint8_t>(i + 1);
  uint32_t v = 0;
  s.ReadBuffer(&v, 4);
  EXPECT_EQ(v, 0x04030201u);
}

TEST(TStreamTest, ShortReadsAndWritesRaiseTheStreamErrors) {
  const std::array<uint8_t, 3> data{1, 2, 3};
  TReadOnlyMemoryStream s(data);
  uint8_t buffer[4];
  try {
    s.ReadBuffer(buffer, 4);
    FAIL() << "short read accepted";
  } catch (const EStreamError& e) {
    EXPECT_STREQ(e.what(), "Stream read error");
  }
  try {
    s.WriteBuffer(buffer, 1);
    FAIL() << "write to a read-only stream accepted";
  } catch (const EWriteError& e) {
    EXPECT_STREQ(e.what(), "Stream write error");
  }
  EXPECT_THROW(s.SetSize(1), EStreamError);
  s.SetPosition(1);
  s.ReadBuffer(buffer, 2);
  EXPECT_EQ(buffer[1], 3);
  s.ReadBuffer(buffer, 0);  // nothing asked, nothing missing
}

TEST(TFileStreamTest, WritesReadsAndResizesAFile) {
  auto path =
      std::filesystem::temp_directory_path() /
      ("toolkit_stream_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
  {
    TFileStream out(path.string(), TFileMode::fmCreate);
    out.WriteBuffer("hello world", 11);
    out.SetSize(5);
    EXPECT_EQ(out.Size(), 5);
  }
  {
    TFileStream in(path.string(), TFileMode::fmOpenRead);
    TMemoryStream copy;
    copy.CopyFrom(in, 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(copy.Memory()), 5), "hello");
    char c;
    EXPECT_THROW(in.ReadBuffer(&c, 1), EStreamError);
  }
  {
    // Reading and writing alternate without a seek in between, at the running position.
    TFileStream both(path.string(), TFileMode::fmOpenReadWrite);
    char two[2] = {};
    both.ReadBuffer(two, 2);
    both.WriteBuffer("LL", 2);
    both.ReadBuffer(two, 1);
    EXPECT_EQ(two[0], 'o');
    both.WriteBuffer("!", 1);
    EXPECT_EQ(both.Size(), 6);
    both.SetPosition(0);
    char all[6] = {};
    both.ReadBuffer(all, 6);
    EXPECT_EQ(std::string(all, 6), "heLLo!");
  }
  std::filesystem::remove(path);
  try {
    TFileStream missing(path.string(), TFileMode::fmOpenRead);
    FAIL() << "missing file opened";
  } catch (const EStreamError& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot open file \"" + path.string() + "\"");
  }
}

}  // namespace
