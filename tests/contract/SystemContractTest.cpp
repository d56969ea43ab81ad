// Version, priority and timing calls as the helpers make them, pinned against Windows (Windows
// build, under Wine) and the simulated machine (host build). The two machines report different
// versions (Wine 6.1.7601, the simulation 5.1.2600), so only what every NT system shares is pinned.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "platform/platform.h"
#include "tests/contract/ContractMachine.h"
#include "tests/contract/ContractSupport.h"

namespace contract {
namespace {

class SystemContract : public ::testing::Test {
 protected:
  void SetUp() override { PrepareMachine(); }
  void TearDown() override { ReleaseMachine(); }
};

TEST_F(SystemContract, VersionRecordNeedsItsOwnSize) {
  OSVERSIONINFOA info;
  std::memset(&info, 0, sizeof info);
  info.dwOSVersionInfoSize = sizeof info;
  ASSERT_EQ(148u, sizeof info);
  ASSERT_TRUE(GetVersionExA(&info));
  EXPECT_EQ(Code(VER_PLATFORM_WIN32_NT), info.dwPlatformId);
  EXPECT_GE(info.dwMajorVersion, 5u);
  EXPECT_LT(std::strlen(info.szCSDVersion), sizeof info.szCSDVersion);

  // Any size but the plain and the extended record is refused, and nothing is filled in.
  for (DWORD size : {0u, 147u, 149u, 1000u}) {
    std::memset(&info, 0, sizeof info);
    info.dwOSVersionInfoSize = size;
    SetLastError(0);
    EXPECT_FALSE(GetVersionExA(&info)) << size;
    EXPECT_EQ(Code(ERROR_INSUFFICIENT_BUFFER), GetLastError()) << size;
    EXPECT_EQ(0u, info.dwPlatformId) << size;
  }
}

TEST_F(SystemContract, PrioritiesAreSetReadBackAndRestored) {
  HANDLE process = GetCurrentProcess();
  HANDLE thread = GetCurrentThread();
  const DWORD savedClass = GetPriorityClass(process);
  const int savedPriority = GetThreadPriority(thread);
  EXPECT_EQ(Code(NORMAL_PRIORITY_CLASS), savedClass);
  EXPECT_EQ(THREAD_PRIORITY_NORMAL, savedPriority);

  ASSERT_TRUE(SetPriorityClass(process, REALTIME_PRIORITY_CLASS));
  // Windows grants real-time only with the privilege to raise priorities and gives high
  // otherwise; Wine and the simulation keep real-time.
  const DWORD raised = GetPriorityClass(process);
  EXPECT_TRUE(raised == Code(REALTIME_PRIORITY_CLASS) || raised == Code(HIGH_PRIORITY_CLASS))
      << raised;
  ASSERT_TRUE(SetThreadPriority(thread, THREAD_PRIORITY_TIME_CRITICAL));
  EXPECT_EQ(THREAD_PRIORITY_TIME_CRITICAL, GetThreadPriority(thread));

  // Values outside the tables are refused and change nothing.
  EXPECT_FALSE(SetPriorityClass(process, 0x12345));
  EXPECT_EQ(Code(ERROR_INVALID_PARAMETER), GetLastError());
  EXPECT_EQ(raised, GetPriorityClass(process));
  EXPECT_FALSE(SetThreadPriority(thread, 20));
  EXPECT_EQ(Code(ERROR_INVALID_PARAMETER), GetLastError());
  EXPECT_EQ(THREAD_PRIORITY_TIME_CRITICAL, GetThreadPriority(thread));
  // The real-time class has a wider range of thread priorities (-7 to 6).
  if (raised == Code(REALTIME_PRIORITY_CLASS)) {
    EXPECT_TRUE(SetThreadPriority(thread, 6));
    EXPECT_EQ(6, GetThreadPriority(thread));
  }

  // Restored in the order the clock measurement uses: thread first, then process.
  ASSERT_TRUE(SetThreadPriority(thread, THREAD_PRIORITY_BELOW_NORMAL));
  ASSERT_TRUE(SetPriorityClass(process, BELOW_NORMAL_PRIORITY_CLASS));
  EXPECT_EQ(THREAD_PRIORITY_BELOW_NORMAL, GetThreadPriority(thread));
  EXPECT_EQ(Code(BELOW_NORMAL_PRIORITY_CLASS), GetPriorityClass(process));
  ASSERT_TRUE(SetThreadPriority(thread, savedPriority));
  ASSERT_TRUE(SetPriorityClass(process, savedClass));
  EXPECT_EQ(savedPriority, GetThreadPriority(thread));
  EXPECT_EQ(savedClass, GetPriorityClass(process));
}

TEST_F(SystemContract, TimeStampCounterDoesNotRunBackwardsAcrossSleep) {
  const uint64_t before = ReadTimeStampCounter();
  Sleep(10);
  const uint64_t after = ReadTimeStampCounter();
  EXPECT_GE(after, before);
  Sleep(0);
  EXPECT_GE(ReadTimeStampCounter(), after);
}

}  // namespace
}  // namespace contract
