// Which commands the main window lets through while a scan, a clean or a
// restore runs, and when a close asked for meanwhile is carried out.
#include "app/command_gate.h"

#include <gtest/gtest.h>

namespace veltrane {
namespace {

TEST(CommandGate, AScanOrACleanHoldsTheListAgainstScanCleanAndSelect) {
  struct Case {
    const char* running;
    bool (CommandGate::*begin)();
    void (CommandGate::*end)();
  };
  const Case cases[] = {
      {"scan", &CommandGate::TryBeginScan, &CommandGate::ScanEnded},
      {"clean", &CommandGate::TryBeginClean, &CommandGate::CleanEnded},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.running);
    CommandGate gate;
    ASSERT_TRUE((gate.*c.begin)());
    EXPECT_TRUE(gate.ListBusy());
    EXPECT_FALSE(gate.TryBeginScan());
    EXPECT_FALSE(gate.TryBeginClean());
    EXPECT_FALSE(gate.MaySelect());
    (gate.*c.end)();
    EXPECT_FALSE(gate.ListBusy());
    EXPECT_TRUE(gate.MaySelect());
    EXPECT_TRUE(gate.TryBeginScan());
  }
}

TEST(CommandGate, ARestoreLeavesTheListFreeButHoldsTheClose) {
  CommandGate gate;
  gate.RestoreBegan();
  gate.RestoreBegan();  // a second Apply from inside the first one's box
  EXPECT_TRUE(gate.MaySelect());
  EXPECT_FALSE(gate.RequestClose());
  gate.RestoreEnded();
  EXPECT_FALSE(gate.CloseDue());
  gate.RestoreEnded();
  EXPECT_TRUE(gate.CloseDue());
}

TEST(CommandGate, ACloseDuringAScanWaitsForEverythingToEnd) {
  CommandGate gate;
  EXPECT_TRUE(gate.RequestClose()) << "nothing runs: the window closes at once";

  CommandGate busy;
  ASSERT_TRUE(busy.TryBeginScan());
  busy.RestoreBegan();
  EXPECT_FALSE(busy.RequestClose());
  EXPECT_TRUE(busy.CloseRequested());
  busy.ScanEnded();
  EXPECT_FALSE(busy.CloseDue()) << "the restore still runs";
  busy.RestoreEnded();
  EXPECT_TRUE(busy.CloseDue());
}

}  // namespace
}  // namespace veltrane
