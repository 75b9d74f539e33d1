// veltrane.exe in a folder that takes no file, as one under Program Files
// does for a standard user: the backup and the undo file go to the user's
// own folder (%LOCALAPPDATA%\Veltrane, here a fresh folder of the test) and
// the window says so; with no place at all, nothing is cleaned.
#include <gtest/gtest.h>
#include <windows.h>

#include "clean/backup.h"
#include "tests/app/support/app_test.h"
#include "tests/support/files.h"
#include "tests/support/refusing_folder.h"

namespace veltrane::testing {
namespace {

class PlacesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    seed_ = std::make_unique<SeededRegistry>();
    app_ = std::make_unique<AppProcess>(VELTRANE_EXE);
  }
  void TearDown() override {
    app_->Close();
    refusing_.reset();  // before the program's folder goes
    app_.reset();
    localAppData_.reset();
    seed_.reset();
    MovePointer(0, 0);
  }

  // Starts the program with its folder refusing files and LOCALAPPDATA at
  // `localAppData`. False when this machine cannot make a folder refuse.
  bool StartRefused(const std::string& localAppData) {
    localAppData_ = std::make_unique<ReplacedVariable>("LOCALAPPDATA", localAppData);
    const bool started =
        app_->Start([&] { refusing_ = std::make_unique<RefusingFolder>(app_->Folder()); });
    EXPECT_TRUE(started) << app_->Failure();
    return started && refusing_->Refusing();
  }

  HWND Control(int id) const { return app_->Control(id); }

  // The text of the message box the program shows next, closed with OK.
  std::string NextBoxText() {
    const HWND box = WaitForWindow(app_->Pid(), "#32770", "Veltrane");
    if (!box) return "(no message box)";
    const std::string text = TextOf(GetDlgItem(box, 0xFFFF));
    Click(GetDlgItem(box, IDOK));
    WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); });
    return text;
  }

  std::unique_ptr<SeededRegistry> seed_;
  std::unique_ptr<AppProcess> app_;
  std::unique_ptr<RefusingFolder> refusing_;
  std::unique_ptr<ReplacedVariable> localAppData_;
  TempFolder user_{"veltrane-user"};
};

TEST_F(PlacesTest, AReadOnlyFolderSendsTheBackupAndTheUndoFileToTheUserFolderAndSaysSo) {
  const std::string localAppData = user_.Path().substr(0, user_.Path().size() - 1);
  if (!StartRefused(localAppData)) GTEST_SKIP() << "no folder here can be made to refuse files";
  const std::string own = localAppData + "\\Veltrane\\";
  Click(Control(ids::kLscan));
  ASSERT_TRUE(app_->WaitForStatus(ScanComplete(seed_->ExpectedRows().size()))) << app_->Status();
  // The scan wrote the backup there, quietly as ever.
  EXPECT_EQ(ReadFile(own + kBackupWriteName).rfind("REGEDIT4\r\n", 0), 0u);

  Click(Control(ids::kGradientButton3));
  EXPECT_EQ(NextBoxText(),
            "The backup and the undo file of this clean could not be written beside the program, "
            "in " +
                app_->Folder() + ", and went to " + own + " instead.");
  ASSERT_TRUE(app_->WaitForStatus("No Error Found")) << app_->Status();
  EXPECT_FALSE(seed_->User().Exists(SeededRegistry::kTypedUrls, "url1"));
  EXPECT_EQ(FindBackupFile(app_->Folder()), "");

  WIN32_FIND_DATAA found;
  const HANDLE search = FindFirstFileA((own + "veltrane-undo-*.reg").c_str(), &found);
  ASSERT_NE(search, INVALID_HANDLE_VALUE) << "no undo file in " << own;
  FindClose(search);
  EXPECT_NE(ReadFile(own + found.cFileName).find("\"url1\"="), std::string::npos);

  // Said once: the next clean's undo file goes there without a word.
  seed_->User().Text(SeededRegistry::kTypedUrls, "url9", "http://nine/");
  Click(Control(ids::kLscan));
  ASSERT_TRUE(app_->WaitForStatus(ScanComplete(1))) << app_->Status();
  Click(Control(ids::kGradientButton3));
  ASSERT_TRUE(app_->WaitForStatus("No Error Found")) << app_->Status();
  EXPECT_FALSE(seed_->User().Exists(SeededRegistry::kTypedUrls, "url9"));
  // A box would hold the window: a scan could not start.
  Click(Control(ids::kLscan));
  EXPECT_TRUE(app_->WaitForStatus("Scan complete -> No Error Found")) << app_->Status();
  EXPECT_EQ(FindTopLevel(app_->Pid(), "#32770", "Veltrane"), nullptr);
}

TEST_F(PlacesTest, WithNoPlaceToWriteNothingIsCleanedAndTheBoxSaysWhy) {
  // The user's folder would be made inside the refusing one.
  if (!StartRefused(app_->Folder() + "user")) {
    GTEST_SKIP() << "no folder here can be made to refuse files";
  }
  const std::string scanned = ScanComplete(seed_->ExpectedRows().size());
  Click(Control(ids::kLscan));
  ASSERT_TRUE(app_->WaitForStatus(scanned)) << app_->Status();

  Click(Control(ids::kGradientButton3));
  const std::string text = NextBoxText();
  EXPECT_EQ(text.rfind("Nothing was cleaned: the backup could not be written to " + app_->Folder() +
                           " or " + app_->Folder() + "user\\Veltrane\\ (",
                       0),
            0u)
      << text;
  EXPECT_TRUE(app_->WaitForStatus(scanned)) << "the status line reads " << app_->Status();
  EXPECT_TRUE(seed_->User().Exists(SeededRegistry::kTypedUrls, "url1"));
  EXPECT_TRUE(seed_->User().Exists(seed_->OwnKey(), "Gone"));
  EXPECT_EQ(RemoteListView(app_->Process(), Control(ids::kLvax)).Count(),
            static_cast<int>(seed_->ExpectedRows().size()));
}

}  // namespace
}  // namespace veltrane::testing
