#pragma once
// A GoogleTest base for tests that run against the simulated machine: a fresh machine before each
// test, its scratch folders removed after it.

#include <gtest/gtest.h>

#include "platform/host/StandIn.h"

namespace standin {

class StandInTest : public ::testing::Test {
 protected:
  void SetUp() override { Reset(); }
  void TearDown() override { Discard(); }
};

}  // namespace standin
