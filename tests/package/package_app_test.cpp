// veltrane.exe as the release zip holds it, stripped: it starts, runs a
// scan of the build's throwaway prefix to its end and closes cleanly.
// check_package.py has unpacked the zip.
#include <gtest/gtest.h>
#include <windows.h>

#include "app/control_ids.h"
#include "tests/app/support/app_process.h"
#include "tests/app/support/remote_ui.h"
#include "tests/support/screen.h"

namespace veltrane::testing {
namespace {

TEST(PackagedApp, StartsScansAndCloses) {
  AppProcess app(VELTRANE_PACKAGED_EXE);
  ASSERT_TRUE(app.Start()) << app.Failure();
  Click(app.Control(ids::kLscan));
  EXPECT_TRUE(WaitUntil([&] { return app.Status().rfind("Scan complete -> ", 0) == 0; }, 120000))
      << "the status line reads: " << app.Status();
  PostMessageA(app.Main(), WM_CLOSE, 0, 0);
  ASSERT_TRUE(app.WaitForExit(30000));
  EXPECT_EQ(app.ExitCode(), 0u);
}

}  // namespace
}  // namespace veltrane::testing
