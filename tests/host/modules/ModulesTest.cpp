#include "toolkit/core/Modules.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

// Routines are plain functions, as in a real module table; they record into one calls.
std::vector<std::string> calls;
bool failC = false;
bool failShutDownB = false;

void StartA() {
  calls.push_back("+A");
}
void StopA() {
  calls.push_back("-A");
}
void StartB() {
  calls.push_back("+B");
}
void StopB() {
  calls.push_back("-B");
  if (failShutDownB) throw std::runtime_error("B cannot stop");
}
void StartC() {
  if (failC) throw std::runtime_error("C cannot start");
  calls.push_back("+C");
}
void StopC() {
  calls.push_back("-C");
}
void StopD() {
  calls.push_back("-D");
}
void StartE() {
  calls.push_back("+E");
}

// D has no start-up routine, E no shut-down routine.
constexpr TModule kModules[] = {
    {"A", StartA, StopA},  {"B", StartB, StopB},   {"C", StartC, StopC},
    {"D", nullptr, StopD}, {"E", StartE, nullptr},
};

class ModulesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    calls.clear();
    failC = false;
    failShutDownB = false;
  }
};

TEST_F(ModulesTest, StartsInTableOrderAndStopsInReverse) {
  TModuleTable table(kModules);
  table.StartUp();
  EXPECT_EQ(calls, (std::vector<std::string>{"+A", "+B", "+C", "+E"}));
  EXPECT_EQ(table.StartedCount(), 5u);
  calls.clear();
  table.ShutDown();
  EXPECT_EQ(calls, (std::vector<std::string>{"-D", "-C", "-B", "-A"}));
  EXPECT_EQ(table.StartedCount(), 0u);
}

TEST_F(ModulesTest, ShutDownIsIdempotentAndStartUpRunsOnce) {
  TModuleTable table(kModules);
  table.StartUp();
  table.StartUp();
  EXPECT_EQ(calls.size(), 4u);
  table.ShutDown();
  table.ShutDown();
  EXPECT_EQ(calls.size(), 8u);
}

TEST_F(ModulesTest, FailedStartUpStopsOnlyTheModulesStartedBefore) {
  failC = true;
  TModuleTable table(kModules);
  EXPECT_THROW(table.StartUp(), std::runtime_error);
  EXPECT_EQ(calls, (std::vector<std::string>{"+A", "+B", "-B", "-A"}));
  EXPECT_EQ(table.StartedCount(), 0u);
  table.ShutDown();
  EXPECT_EQ(calls.size(), 4u);
}

TEST_F(ModulesTest, ThrowingShutDownStillStopsTheRestAndReports) {
  failShutDownB = true;
  TModuleTable table(kModules);
  table.StartUp();
  calls.clear();
  EXPECT_THROW(table.ShutDown(), std::runtime_error);
  EXPECT_EQ(calls, (std::vector<std::string>{"-D", "-C", "-B", "-A"}));
  table.ShutDown();
  EXPECT_EQ(calls.size(), 4u);
}

TEST_F(ModulesTest, DestructionShutsDownWhatIsStarted) {
  {
    TModuleTable table(kModules);
    table.StartUp();
    calls.clear();
  }
  EXPECT_EQ(calls, (std::vector<std::string>{"-D", "-C", "-B", "-A"}));
}

TEST_F(ModulesTest, NothingRunsBeforeStartUp) {
  { TModuleTable table(kModules); }
  EXPECT_TRUE(calls.empty());
}

}  // namespace
