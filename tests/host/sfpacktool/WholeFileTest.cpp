// ReplaceFileWhole, which sfpack wrap and formconv write their output with: what lies at the
// output's name before (nothing, a file, a link, stale partial files) and what a failure leaves.
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
const std::vector<uint8_t> kNew(5000, 'n'), kOld = {'o', 'l', 'd'};

TEST(WholeFile, ReplacesOnlyTheOutputAndLeavesItAsItWasOnFailure) {
  const fs::path dir = fs::temp_directory_path() / ("wholefile-" + std::to_string(getpid()));
  auto at = [&](const std::string& Name) { return (dir / Name).string(); };
  auto names = [&] {
    std::set<std::string> found;
    for (const auto& e : fs::directory_iterator(dir)) found.insert(e.path().filename().string());
    return found;
  };
  // This process's partial file number N for "out".
  auto own = [](int N) {
    return "out." + std::to_string(getpid()) + "." + std::to_string(N) + ".p";
  };
  const std::vector<std::pair<const char*, std::function<void()>>> before = {
      {"nothing", [] {}},
      {"an older file", [&] { WriteWholeFile(at("out"), kOld); }},
      {"a link to another file", [&] { fs::create_symlink(at("victim"), at("out")); }},
      {"a link to nowhere", [&] { fs::create_symlink(at("nowhere"), at("out")); }},
      {"stale partial files, links among them", [&] {
         fs::create_symlink(at("victim"), at("out.p"));
         fs::create_symlink(at("victim"), at(own(0)));
         WriteWholeFile(at(own(1)), kOld);
       }}};
  for (const auto& [what, prepare] : before) {
    SCOPED_TRACE(what);
    fs::remove_all(dir);
    fs::create_directories(dir);
    WriteWholeFile(at("victim"), kOld);
    prepare();
    std::set<std::string> expected = names();
    expected.insert("out");
    ReplaceFileWhole(at("out"), kNew, ".p");
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(at("out"))));
    EXPECT_EQ(ReadWholeFile(at("out")), kNew);
    EXPECT_EQ(ReadWholeFile(at("victim")), kOld);  // nothing written through a link
    EXPECT_EQ(names(), expected);                  // no partial file left, stale ones untouched
  }

  // Failures: the rename (a folder has the name), the write half-way (files may grow to 1,000
  // bytes only), the creation (no such folder), every partial name taken.
  rlimit old{};
  getrlimit(RLIMIT_FSIZE, &old);
  rlimit small = old;
  small.rlim_cur = 1000;
  const auto handler = std::signal(SIGXFSZ, SIG_IGN);
  auto takeNames = [&](bool Take) {
    for (int n = 0; n < 100; ++n) {
      if (Take)
        WriteWholeFile(at(own(n)), kOld);
      else
        fs::remove(at(own(n)));
    }
  };
  struct Failure {
    const char* path;
    std::function<void()> setUp, undo;
  };
  const std::vector<Failure> failures = {
      {"folder", [&] { fs::create_directory(at("folder")); }, [] {}},
      {"out", [&] { setrlimit(RLIMIT_FSIZE, &small); }, [&] { setrlimit(RLIMIT_FSIZE, &old); }},
      {"missing/out", [] {}, [] {}},
      {"out", [&] { takeNames(true); }, [&] { takeNames(false); }}};
  for (const Failure& f : failures) {
    f.setUp();
    const std::set<std::string> present = names();
    try {
      ReplaceFileWhole(at(f.path), std::vector<uint8_t>(5000, 'f'), ".p");
      ADD_FAILURE() << f.path << " written";
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find("nothing was written"), std::string::npos) << e.what();
    }
    EXPECT_EQ(names(), present) << f.path;
    f.undo();
  }
  std::signal(SIGXFSZ, handler);
  EXPECT_EQ(ReadWholeFile(at("out")), kNew);
  EXPECT_TRUE(fs::is_directory(at("folder")));
  fs::remove_all(dir);
}

}  // namespace
