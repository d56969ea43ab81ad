// Cursor loading as the screen's cursor table and the extra cursors use it, pinned against Windows
// (Windows build, under Wine, with the resource of ContractResources.rc) and the simulated
// machine (host build, where the contract machine carries the same resource name).

#include <gtest/gtest.h>

#include "platform/platform.h"
#include "tests/contract/ContractMachine.h"

namespace contract {
namespace {

class CursorContract : public ::testing::Test {
 protected:
  void SetUp() override { PrepareMachine(); }
  void TearDown() override { ReleaseMachine(); }
};

TEST_F(CursorContract, ProgramResourcesByNameAreShared) {
  const HMODULE program = GetModuleHandleA(nullptr);
  ASSERT_NE(nullptr, program);
  const HCURSOR cursor = LoadCursorA(program, "ACCONTRACTCURSOR");
  ASSERT_NE(nullptr, cursor);
  // The name matches without regard to case, and loading again gives the same shared handle.
  EXPECT_EQ(cursor, LoadCursorA(program, "AcContractCursor"));
  // A shared cursor survives DestroyCursor: the call succeeds and the handle stays the same.
  EXPECT_TRUE(DestroyCursor(cursor));
  EXPECT_EQ(cursor, LoadCursorA(program, "ACCONTRACTCURSOR"));

  SetLastError(0);
  EXPECT_EQ(nullptr, LoadCursorA(program, "ACNOSUCHCURSOR"));
  EXPECT_NE(0u, GetLastError());
  EXPECT_EQ(nullptr, LoadCursorA(program, MAKEINTRESOURCEA(4711)));
  // The program's names are not Windows' cursors.
  EXPECT_EQ(nullptr, LoadCursorA(nullptr, "ACCONTRACTCURSOR"));
}

TEST_F(CursorContract, SystemCursorsByNumber) {
  const HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
  const HCURSOR hand = LoadCursorA(nullptr, MAKEINTRESOURCEA(32649));
  const HCURSOR pen = LoadCursorA(nullptr, MAKEINTRESOURCEA(32631));
  ASSERT_NE(nullptr, arrow);
  ASSERT_NE(nullptr, hand);
  ASSERT_NE(nullptr, pen);
  EXPECT_EQ(hand, LoadCursorA(nullptr, IDC_HAND));
  EXPECT_NE(arrow, hand);
  EXPECT_NE(hand, pen);
  EXPECT_EQ(pen, LoadCursorA(nullptr, MAKEINTRESOURCEA(32631)));
  EXPECT_EQ(nullptr, LoadCursorA(nullptr, MAKEINTRESOURCEA(4711)));
}

TEST_F(CursorContract, DestroyingAnUnknownHandleFails) {
  EXPECT_FALSE(DestroyCursor(reinterpret_cast<HCURSOR>(static_cast<ULONG_PTR>(0x12344))));
}

}  // namespace
}  // namespace contract
