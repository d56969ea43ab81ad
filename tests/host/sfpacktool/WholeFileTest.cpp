// ReplaceFileWhole, which sfpack wrap and formconv write their output with: what lies at the
// output's name before (nothing, a file, a link, stale partial files of this process's name) and
// what a failure leaves.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "tools/fileio/WholeFile.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

// A scratch folder of its own per test, removed afterwards.
class WholeFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("wholefile-" + std::to_string(getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string At(const std::string& Name) const { return (dir_ / Name).string(); }
  std::set<std::string> Names() const {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_)) names.insert(e.path().filename().string());
    return names;
  }
  // The name of this process's partial file number N for "out".
  std::string OwnPartial(int N) const {
    return "out." + std::to_string(getpid()) + "." + std::to_string(N) + ".partial";
  }

  fs::path dir_;
};

const Bytes kNew(5000, 'n');
const Bytes kOld = {'o', 'l', 'd'};

TEST_F(WholeFileTest, ReplacesWhatTheNameHoldsAndWritesThroughNothing) {
  struct Case {
    const char* what;
    std::function<void()> before;  // prepares the folder; "victim" must stay as it is
  };
  const std::vector<Case> cases = {
      {"nothing there", [] {}},
      {"an older file", [&] { WriteWholeFile(At("out"), kOld); }},
      {"a link to another file", [&] { fs::create_symlink(At("victim"), At("out")); }},
      {"a link to nowhere", [&] { fs::create_symlink(At("nowhere"), At("out")); }},
      {"stale partial files, linked to another file",
       [&] {
         fs::create_symlink(At("victim"), At("out.partial"));
         fs::create_symlink(At("victim"), At(OwnPartial(0)));
         WriteWholeFile(At(OwnPartial(1)), kOld);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (const auto& e : fs::directory_iterator(dir_)) fs::remove(e.path());
    WriteWholeFile(At("victim"), kOld);
    c.before();
    std::set<std::string> expected = Names();
    expected.insert("out");

    ReplaceFileWhole(At("out"), kNew, ".partial");
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(At("out"))));
    EXPECT_EQ(ReadWholeFile(At("out")), kNew);
    EXPECT_EQ(ReadWholeFile(At("victim")), kOld);
    EXPECT_EQ(Names(), expected);  // no partial file of its own left, stale ones untouched
  }
  // Every name of this process's own taken: refused, nothing written.
  for (int n = 0; n < 100; ++n) WriteWholeFile(At(OwnPartial(n)), kOld);
  EXPECT_THROW(ReplaceFileWhole(At("out"), kOld, ".partial"), std::runtime_error);
  EXPECT_EQ(ReadWholeFile(At("out")), kNew);
}

TEST_F(WholeFileTest, AFailedWriteLeavesTheOutputAsItWasAndNoPartialFile) {
  WriteWholeFile(At("out"), kOld);
  fs::create_directory(At("folder"));
  const std::set<std::string> before = Names();
  auto refused = [&](const std::string& Path) {
    try {
      ReplaceFileWhole(Path, kNew, ".partial");
      ADD_FAILURE() << Path << " written";
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find("nothing was written"), std::string::npos) << e.what();
    }
  };
  // The rename fails: a folder has the name.
  refused(At("folder"));
  EXPECT_TRUE(fs::is_directory(At("folder")));
  // The write fails half-way: files may grow to 1,000 bytes only.
  rlimit old{};
  getrlimit(RLIMIT_FSIZE, &old);
  const auto handler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = old;
  small.rlim_cur = 1000;
  setrlimit(RLIMIT_FSIZE, &small);
  refused(At("out"));
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, handler);
  // The folder is missing.
  refused(At("missing/out"));

  EXPECT_EQ(ReadWholeFile(At("out")), kOld);
  EXPECT_EQ(Names(), before);
}

}  // namespace
