// ReplaceFileWhole, which sfpack wrap and formconv write their output with: what lies at the
// output's name before (nothing, a file, a link, stale partial files) and what a failure leaves;
// a device or a pipe at the output's name is written through.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <future>
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

// A device or a pipe at the output's name takes the bytes in order and stays what it was; a device
// that refuses them (/dev/full, whose refusal may show only when the last buffered bytes go out)
// gives the error.
TEST(WholeFile, WritesThroughADeviceOrAPipe) {
  const fs::path dir = fs::temp_directory_path() / ("wholefile-dev-" + std::to_string(getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  const std::string fifo = (dir / "pipe").string();
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  // The pipe's other end, read to its end on another thread; what it received.
  auto readPipe = [&] {
    return std::async(std::launch::async, [&] {
      std::vector<uint8_t> got;
      const int fd = open(fifo.c_str(), O_RDONLY);
      uint8_t buffer[4096];
      for (ssize_t n; fd >= 0 && (n = read(fd, buffer, sizeof buffer)) > 0;)
        got.insert(got.end(), buffer, buffer + n);
      if (fd >= 0) close(fd);
      return got;
    });
  };
  const std::vector<uint8_t> head = {'h', 'e', 'a', 'd'};
  std::vector<uint8_t> both = head;
  both.insert(both.end(), kNew.begin(), kNew.end());
  struct Case {
    const char* what;
    std::string path;
    std::function<void(const std::string&)> write;
    std::vector<uint8_t> expected;  // what the pipe receives (a pipe only)
  };
  const std::vector<Case> cases = {
      {"ReplaceFileWhole into a pipe", fifo,
       [](const std::string& P) { ReplaceFileWhole(P, kNew, ".p"); }, kNew},
      {"WriteWholeFile into a pipe", fifo, [](const std::string& P) { WriteWholeFile(P, kNew); },
       kNew},
      {"TFileReplacement into a pipe, in order", fifo,
       [&](const std::string& P) {
         TFileReplacement out(P, ".p");
         EXPECT_FALSE(out.Seekable());
         out.Write(head);
         EXPECT_THROW(out.WriteAt(0, head), std::logic_error);
         out.Write(kNew);
         out.Commit();
       },
       both},
      {"ReplaceFileWhole into /dev/null",
       "/dev/null",
       [](const std::string& P) { ReplaceFileWhole(P, kNew, ".p"); },
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const bool pipe = c.path == fifo;
    auto received = pipe ? readPipe() : std::future<std::vector<uint8_t>>();
    try {
      c.write(c.path);
    } catch (const std::exception& e) {
      ADD_FAILURE() << e.what();
      if (pipe) close(open(fifo.c_str(), O_WRONLY));  // lets the reader come to the end
    }
    if (pipe) EXPECT_EQ(received.get(), c.expected);
    struct stat after {};
    ASSERT_EQ(lstat(c.path.c_str(), &after), 0);
    EXPECT_TRUE(pipe ? S_ISFIFO(after.st_mode) : S_ISCHR(after.st_mode));
  }
  EXPECT_EQ(std::set<fs::path>(fs::directory_iterator(dir), fs::directory_iterator()),
            std::set<fs::path>{dir / "pipe"});  // nothing left beside it

  if (fs::exists("/dev/full")) {
    const std::vector<std::pair<const char*, std::function<void()>>> refused = {
        {"ReplaceFileWhole", [] { ReplaceFileWhole("/dev/full", kNew, ".p"); }},
        {"WriteWholeFile",
         [] {
           WriteWholeFile("/dev/full", {kNew.data(), 10});
         }},
    };
    for (const auto& [what, write] : refused) {
      try {
        write();
        ADD_FAILURE() << what << ": /dev/full took the bytes";
      } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()), "cannot write /dev/full") << what;
      }
    }
  }
  fs::remove_all(dir);
}

}  // namespace
