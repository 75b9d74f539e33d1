// veltrane.exe while long work runs, end to end: a scan whose walk goes
// through a large key, the backup export after it, a restore and a clean.
// Commands given in the middle of the work reach the program as posted
// clicks, handled one after another the next time it handles messages.
// About, the last of them, opens while the work still runs (the work waits
// until it closes); the window answers meanwhile; the scan, clean, select
// and Apply given before it are refused; and the rows and texts at the end
// are those of a run left alone.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <initializer_list>

#include "tests/app/support/app_test.h"
#include "tests/support/files.h"
#include "tests/support/findings.h"

namespace veltrane::testing {
namespace {

using ::testing::ElementsAreArray;

constexpr int kBulkKeys = 6000;
constexpr const char* kRestoreComplete = "     Restore Complete       ";

// A press and a release of the left button over the middle of each
// control, posted in this order.
void PostClicks(std::initializer_list<HWND> controls) {
  for (const HWND control : controls) {
    const SIZE size = ClientSize(control);
    const LPARAM middle = MAKELPARAM(size.cx / 2, size.cy / 2);
    PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, middle);
    PostMessageA(control, WM_LBUTTONUP, 0, middle);
  }
}

// The text a window shows, read without a message, so also while its
// program does not answer.
std::string ShownText(HWND window) {
  char text[1024] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

// A backup the program has finished writing: there, and no longer open.
bool BackupDone(const std::string& path) {
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

class BusyTest : public SeededAppTest {
 protected:
  void SetUp() override {
    SeededAppTest::SetUp();
    if (HasFatalFailure()) return;
    seed_->AddBulk(kBulkKeys);
    Click(Control(ids::kLoptions));
    options_ = WaitForWindow(app_->Pid(), nullptr, "Options");
    ASSERT_NE(options_, nullptr);
  }

  std::string Status() const { return ShownText(Control(ids::kSt)); }
  HWND RestoreBox() const { return FindTopLevel(app_->Pid(), "#32770", "Veltrane"); }

  // Gives scan (label and button), clean, select and Apply, then About, in
  // the middle of the running work; checks that the window answers, runs
  // `whileAbout` while About shows, and closes About again.
  void GiveCommandsInTheMiddle(const std::function<void()>& whileAbout) {
    PostClicks({Control(ids::kLscan), Control(ids::kGradientButton1), Control(ids::kLclean),
                Control(ids::kLselect), ChildById(options_, ids::kApplybtn),
                Control(ids::kLabout)});
    DWORD_PTR ignored = 0;
    EXPECT_NE(SendMessageTimeoutA(app_->Main(), WM_NULL, 0, 0, SMTO_NORMAL, 60000, &ignored), 0)
        << "the window did not answer";
    const HWND about = WaitForWindow(app_->Pid(), nullptr, "About");
    ASSERT_NE(about, nullptr);
    whileAbout();
    Click(ChildById(ChildById(about, ids::kAboutPanel), ids::kClsbtn));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(about); }));
  }

  HWND options_ = nullptr;
};

TEST_F(BusyTest, AScanAndItsBackupExportTakeCommandsInTheMiddle) {
  const std::vector<Finding> expected = seed_->ExpectedRows();
  Click(Control(ids::kLscan));
  ASSERT_TRUE(WaitUntil([&] { return Status().find("\\Bulk\\") != std::string::npos; }))
      << "the walk did not reach the bulk: " << Status();
  GiveCommandsInTheMiddle([&] {
    EXPECT_NE(Status().find("\\Bulk\\"), std::string::npos) << "the walk had ended: " << Status();
    EXPECT_LT(List(ids::kLvax).Count(), static_cast<int>(expected.size()));
  });

  ASSERT_TRUE(WaitUntil([&] { return Status() == ScanComplete(expected.size()); })) << Status();
  ASSERT_FALSE(BackupDone(app_->BackupPath())) << "the export ended before it could be seen";
  GiveCommandsInTheMiddle(
      [&] { EXPECT_FALSE(BackupDone(app_->BackupPath())) << "the export had ended"; });
  ASSERT_TRUE(WaitUntil([&] { return BackupDone(app_->BackupPath()); }));

  const std::string lastKey = "[HKEY_CURRENT_USER\\" + seed_->BulkKey() + "\\Group 59\\Key 99]\r\n";
  EXPECT_NE(ReadFile(app_->BackupPath()).find(lastKey), std::string::npos);
  EXPECT_EQ(app_->Status(), ScanComplete(expected.size()));
  EXPECT_THAT(List(ids::kLvax).Rows(), ElementsAreArray(expected));
  EXPECT_THAT(List(ids::kLv2).Rows(), ElementsAreArray(expected));
  EXPECT_EQ(TextOf(Control(ids::kLselect)), "select none");
  EXPECT_TRUE(seed_->User().Exists(seed_->OwnKey(), "Gone")) << "a clean ran";
  EXPECT_EQ(RestoreBox(), nullptr) << "a restore ran";
}

TEST_F(BusyTest, ARestoreAndACleanTakeCommandsInTheMiddle) {
  const std::vector<Finding> expected = seed_->ExpectedRows();
  Scan(expected.size());
  ASSERT_TRUE(WaitUntil([&] { return BackupDone(app_->BackupPath()); }));

  // The restore brings the bulk back: it has begun when the first of it is
  // there again, and ended when its message box shows.
  RegistrySeed& user = seed_->User();
  ASSERT_TRUE(user.DeleteTree(seed_->BulkKey()));
  Click(Control(ids::kLoptions));  // to the front, over the main window
  Click(ChildById(options_, ids::kApplybtn));
  ASSERT_TRUE(WaitUntil([&] { return user.Exists(seed_->BulkKey()); }, 20000, [] { Sleep(1); }));
  GiveCommandsInTheMiddle([&] { EXPECT_EQ(RestoreBox(), nullptr) << "the import had ended"; });
  const HWND box = WaitForWindow(app_->Pid(), "#32770", "Veltrane");
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(TextOf(GetDlgItem(box, 0xFFFF)).rfind(kRestoreComplete, 0), 0u);
  Click(GetDlgItem(box, IDOK));
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); }));
  Settle(app_->Main());
  EXPECT_EQ(RestoreBox(), nullptr) << "a second restore ran";
  EXPECT_TRUE(user.Exists(seed_->BulkKey() + "\\Group 59\\Key 99"));
  EXPECT_EQ(app_->Status(), ScanComplete(expected.size()));
  EXPECT_THAT(List(ids::kLvax).Rows(), ElementsAreArray(expected));
  EXPECT_EQ(TextOf(Control(ids::kLselect)), "select none");

  // The clean, with one row unticked.
  const int kept = 3;
  const RemoteListView lvax = List(ids::kLvax);
  lvax.SetChecked(kept, false);
  Click(Control(ids::kGradientButton3));
  ASSERT_TRUE(WaitUntil([&] { return Status() == "Cleaning Registry"; }, 20000, [] { Sleep(1); }))
      << Status();
  GiveCommandsInTheMiddle(
      [&] { EXPECT_EQ(Status(), "Cleaning Registry") << "the clean had ended"; });
  ASSERT_TRUE(app_->WaitForStatus("1 Error Found")) << app_->Status();
  Finding left = expected[kept];
  left.Checked = false;
  EXPECT_THAT(lvax.Rows(), ElementsAreArray({left}));
  EXPECT_THAT(List(ids::kLv2).Rows(), ElementsAreArray({left}));
  EXPECT_EQ(TextOf(Control(ids::kLselect)), "select none");
  EXPECT_FALSE(user.Exists(seed_->OwnKey(), "Gone"));
  EXPECT_EQ(RestoreBox(), nullptr) << "a restore ran";
}

}  // namespace
}  // namespace veltrane::testing
