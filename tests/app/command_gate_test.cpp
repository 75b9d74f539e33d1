// Which commands the main window lets through while a scan, a clean or a
// restore runs, and when a close asked for meanwhile is carried out.
#include "app/command_gate.h"

#include <gtest/gtest.h>

namespace veltrane {
namespace {

TEST(CommandGate, AScanACleanOrARestoreHoldsOffScanCleanSelectAndRestore) {
  struct Case {
    const char* running;
    bool (CommandGate::*begin)();
    void (CommandGate::*end)();
  };
  const Case cases[] = {
      {"scan", &CommandGate::TryBeginScan, &CommandGate::ScanEnded},
      {"clean", &CommandGate::TryBeginClean, &CommandGate::CleanEnded},
      {"restore", &CommandGate::TryBeginRestore, &CommandGate::RestoreEnded},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.running);
    CommandGate gate;
    ASSERT_TRUE((gate.*c.begin)());
    EXPECT_TRUE(gate.Busy());
    EXPECT_FALSE(gate.TryBeginScan());
    EXPECT_FALSE(gate.TryBeginClean());
    EXPECT_FALSE(gate.TryBeginRestore());
    EXPECT_FALSE(gate.MaySelect());
    (gate.*c.end)();
    EXPECT_FALSE(gate.Busy());
    EXPECT_TRUE(gate.MaySelect());
    EXPECT_TRUE(gate.TryBeginRestore());
  }
}

TEST(CommandGate, ACloseWaitsForTheRunningCommandToEnd) {
  CommandGate gate;
  EXPECT_TRUE(gate.RequestClose()) << "nothing runs: the window closes at once";

  for (bool (CommandGate::*begin)() : {&CommandGate::TryBeginScan, &CommandGate::TryBeginRestore}) {
    CommandGate busy;
    ASSERT_TRUE((busy.*begin)());
    EXPECT_FALSE(busy.RequestClose());
    EXPECT_TRUE(busy.CloseRequested());
    EXPECT_FALSE(busy.CloseDue());
    busy.ScanEnded();
    busy.RestoreEnded();
    EXPECT_TRUE(busy.CloseDue());
  }
}

}  // namespace
}  // namespace veltrane
