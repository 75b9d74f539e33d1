#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>

#include "scan/checks.h"
#include "scan/scan_all.h"
#include "tests/scan/support/scan_fixture.h"

namespace veltrane::testing {
namespace {

using ::testing::ElementsAre;

class ScanAllTest : public ScanFixture {
 protected:
  const std::string explorer = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";

  // One finding for each check.
  void SeedOneOfEach() {
    seed.Text("SOFTWARE\\App", "path", "C:\\Gone\\app.exe");
    seed.Key(explorer + "\\FileExts\\.xyz");
    seed.Text("Software\\Microsoft\\Internet Explorer\\TypedURLs", "url1", "http://a/");
    seed.Text(explorer + "\\RunMRU", "a", "cmd\\1");
    seed.Text(explorer + "\\RecentDocs", "0", "doc");
  }

  int backups = 0;
  std::string statusAtBackup;
  std::function<void()> backup = [this] {
    ++backups;
    statusAtBackup = host.status;
  };
};

TEST_F(ScanAllTest, RunsTheChecksInOrderCopiesTheRowsAndCallsTheBackupStep) {
  SeedOneOfEach();
  ScanAll(context, backup);

  EXPECT_THAT(
      lvax.Rows(),
      ElementsAre(Row(kCategoryMissingPath, "path", "C:\\Gone\\app.exe", "HKCU\\SOFTWARE\\App"),
                  Row(kCategoryEmptyExtension, ".xyz", "", "HKCU\\" + explorer + "\\FileExts\\"),
                  Row(kCategoryTypedUrl, "url1", "http://a/",
                      "HKCU\\Software\\Microsoft\\Internet Explorer\\TypedURLs"),
                  Row(kCategoryRunMru, "a", "cmd\\1", "HKCU\\" + explorer + "\\RunMRU"),
                  Row(kCategoryRecentDocs, "0", "doc", "HKCU\\" + explorer + "\\RecentDocs")));
  EXPECT_EQ(lv2.Rows(), lvax.Rows());
  EXPECT_EQ(context.FindingCount, 5);
  EXPECT_EQ(host.status, "Scan complete -> 5 items should be remove");
  EXPECT_EQ(backups, 1);
  EXPECT_EQ(statusAtBackup, host.status);
  EXPECT_EQ(host.position, 100);
  // Hide the copy, blink the status line, pump; then a pump between checks.
  ASSERT_GE(host.events.size(), 3u);
  EXPECT_EQ(host.events[0].kind, RecordingHost::kHideCopyList);
  EXPECT_EQ(host.events[1].kind, RecordingHost::kRefreshStatusLine);
  EXPECT_EQ(host.events[2].kind, RecordingHost::kPump);
  // 5 driver pumps, 1 per depth-1 key (App, Microsoft), 1 per extension,
  // 1 per history value.
  EXPECT_EQ(host.pumps, 5 + 2 + 1 + 3);
  EXPECT_EQ(host.events.back(), (RecordingHost::Event{RecordingHost::kPosition, {}, 100}));
}

TEST_F(ScanAllTest, SaysNoErrorFoundAndSkipsTheBackupWhenNothingIsFound) {
  seed.Text("SOFTWARE\\App", "path", "C:\\Windows");
  lv2.Append(Row("old", "a", "b", "c"));
  ScanAll(context, backup);
  EXPECT_TRUE(lvax.Rows().empty());
  EXPECT_TRUE(lv2.Rows().empty());
  EXPECT_EQ(context.FindingCount, 0);
  EXPECT_EQ(host.status, "Scan complete -> No Error Found");
  EXPECT_EQ(backups, 0);
  EXPECT_EQ(host.position, 100);
}

TEST_F(ScanAllTest, CountsOneFindingWithoutMakingTheTextSingular) {
  seed.Text("Software\\Microsoft\\Internet Explorer\\TypedURLs", "url1", "x");
  ScanAll(context, {});  // no backup step given
  EXPECT_EQ(host.status, "Scan complete -> 1 items should be remove");
  EXPECT_EQ(ScanCompleteText(12), "Scan complete -> 12 items should be remove");
}

TEST_F(ScanAllTest, ASecondRunStartsFromAnEmptyList) {
  SeedOneOfEach();
  ScanAll(context, backup);
  lvax.SetChecked(0, false);
  seed.DeleteTree("Software\\Microsoft");
  ScanAll(context, backup);
  EXPECT_THAT(lvax.Rows(), ElementsAre(Row(kCategoryMissingPath, "path", "C:\\Gone\\app.exe",
                                           "HKCU\\SOFTWARE\\App")));
  EXPECT_EQ(context.FindingCount, 1);
  EXPECT_EQ(lv2.Rows(), lvax.Rows());
}

TEST_F(ScanAllTest, AnErrorEndsTheScanAtItsStepAndKeepsTheRowsSoFar) {
  SeedOneOfEach();
  // The pump before typeurl: after 2 driver pumps, 2 depth-1 keys (App,
  // Microsoft) and 1 extension.
  host.onPump = [](int pump) {
    if (pump == 6) throw std::runtime_error("window gone");
  };
  EXPECT_THROW(ScanAll(context, backup), std::runtime_error);
  EXPECT_EQ(lvax.Count(), 2);
  EXPECT_TRUE(lv2.Rows().empty());
  EXPECT_EQ(backups, 0);
  EXPECT_EQ(host.status, "HKEY_CURRENT_USER\\" + explorer + "\\FileExts\\.xyz");
  EXPECT_NE(host.position, 100);
}

}  // namespace
}  // namespace veltrane::testing
