// The fixtures of the end-to-end tests: a fresh copy of veltrane.exe
// started for each test (AppTest), with the seed of SeededRegistry in place
// around its run (SeededAppTest).
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "app/control_ids.h"
#include "tests/app/support/app_process.h"
#include "tests/app/support/remote_ui.h"
#include "tests/app/support/seeded_registry.h"
#include "tests/support/saved_registry.h"

namespace veltrane::testing {

inline std::string ScanComplete(std::size_t rows) {
  return "Scan complete -> " + std::to_string(rows) + " items should be remove";
}

// Wine waits up to two seconds for a window manager to confirm that a
// hidden window is gone; the test display has none. Unmanaged windows look
// and behave the same there, without the wait. A test program registers it
// once: ::testing::AddGlobalTestEnvironment(new UnmanagedWindows).
class UnmanagedWindows : public ::testing::Environment {
 public:
  void SetUp() override {
    managed_ = std::make_unique<ReplacedValue>(registry_, kHkeyCurrentUser,
                                               "Software\\Wine\\X11 Driver", "Managed", "N");
  }
  void TearDown() override { managed_.reset(); }

 private:
  Win32Registry registry_;
  std::unique_ptr<ReplacedValue> managed_;
};

class AppTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app_ = std::make_unique<AppProcess>(VELTRANE_EXE);
    ASSERT_TRUE(app_->Start()) << app_->Failure();
  }
  void TearDown() override {
    app_.reset();
    MovePointer(0, 0);
  }

  HWND Control(int id) const { return app_->Control(id); }
  RemoteListView List(int id) const { return RemoteListView(app_->Process(), Control(id)); }
  void Scan(std::size_t expectedRows) {
    Click(Control(ids::kLscan));
    ASSERT_TRUE(app_->WaitForStatus(ScanComplete(expectedRows)))
        << "the status line reads: " << app_->Status();
  }
  // Keeps the pointer off the controls, so nothing shows its hover look.
  void PointerAway() { MovePointer(2, 2); }

  std::unique_ptr<AppProcess> app_;
};

// The seed stays in place for the whole test, around the program's run.
class SeededAppTest : public AppTest {
 protected:
  void SetUp() override {
    seed_ = std::make_unique<SeededRegistry>(typedUrls_);
    AppTest::SetUp();
  }
  void TearDown() override {
    AppTest::TearDown();
    seed_.reset();
  }

  int typedUrls_ = 2;
  std::unique_ptr<SeededRegistry> seed_;
};

}  // namespace veltrane::testing
