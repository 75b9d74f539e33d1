// Nothing a registry can hold, and nothing that changes it while a check
// runs, may crash a check or leave a key open.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "scan/checks.h"
#include "scan/scan_all.h"
#include "tests/scan/support/scan_fixture.h"

namespace veltrane::testing {
namespace {

using ::testing::ElementsAre;

using Robustness = ScanFixture;

TEST_F(Robustness, KeysDeletedBetweenDepthOneKeysAreSkipped) {
  for (const char* name : {"A", "B", "C", "D"}) {
    seed.Text(std::string("SOFTWARE\\") + name + "\\Sub", "v", std::string("C:\\Gone\\") + name);
  }
  host.onPump = [&](int pump) {
    if (pump == 1) seed.DeleteTree("SOFTWARE\\B");             // listed, gone before its turn
    if (pump == 2) seed.DeleteValue("SOFTWARE\\C\\Sub", "v");  // value gone
    if (pump == 3) seed.DeleteTree("SOFTWARE");                // everything, mid-walk
  };
  invalid_filepath(context);
  EXPECT_THAT(lvax.Rows(),
              ElementsAre(Row(kCategoryMissingPath, "v", "C:\\Gone\\A", "HKCU\\SOFTWARE\\A\\Sub")));
  EXPECT_EQ(host.position, 4 + 5);
}

TEST_F(Robustness, AKeyDeletedWhileItsValuesAreExaminedIsLeftQuietly) {
  seed.Text("SOFTWARE\\A\\B", "1", "C:\\Gone\\1");
  seed.Text("SOFTWARE\\A\\B", "2", "C:\\Gone\\2");
  seed.Text("SOFTWARE\\A\\B\\C", "3", "C:\\Gone\\3");
  seed.Text("SOFTWARE\\A\\Z", "4", "C:\\Gone\\4");
  files.OnProbe = [&](const std::string& path) {
    if (path == "C:\\Gone\\1") seed.DeleteTree("SOFTWARE\\A\\B");
  };
  invalid_filepath(context);
  EXPECT_THAT(lvax.Rows(),
              ElementsAre(Row(kCategoryMissingPath, "1", "C:\\Gone\\1", "HKCU\\SOFTWARE\\A\\B"),
                          Row(kCategoryMissingPath, "4", "C:\\Gone\\4", "HKCU\\SOFTWARE\\A\\Z")));
}

TEST_F(Robustness, HistoryAndExtensionEntriesDeletedMidScanStillGetTheirRows) {
  const std::string typed = "Software\\Microsoft\\Internet Explorer\\TypedURLs";
  const std::string fileExts = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts";
  seed.Text(typed, "url1", "a");
  seed.Text(typed, "url2", "b");
  seed.Text(fileExts + "\\.a\\OpenWithProgids", "p", "");
  seed.Text(fileExts + "\\.b\\OpenWithProgids", "p", "");
  // Pumps 1 and 2 are the extensions', 3 and 4 the typed addresses'.
  host.onPump = [&](int pump) {
    if (pump == 1) seed.DeleteTree(fileExts + "\\.b");
    if (pump == 3) seed.DeleteTree(typed);
  };
  hkcuext(context);
  typeurl(context);
  EXPECT_THAT(lvax.Rows(),
              ElementsAre(Row(kCategoryEmptyExtension, ".b", "", "HKCU\\" + fileExts + "\\"),
                          Row(kCategoryTypedUrl, "url1", "", "HKCU\\" + typed),
                          Row(kCategoryTypedUrl, "url2", "", "HKCU\\" + typed)));
}

TEST_F(Robustness, AWorkingListEmptiedDuringThePumpEndsTheLoop) {
  // A window that ran something else on the working lists while the check
  // let messages through: the check stops instead of reading past the end.
  seed.Text("SOFTWARE\\A", "v", "C:\\Gone\\a");
  seed.Text("SOFTWARE\\B", "v", "C:\\Gone\\b");
  seed.Text("Software\\Microsoft\\Internet Explorer\\TypedURLs", "u1", "a");
  seed.Text("Software\\Microsoft\\Internet Explorer\\TypedURLs", "u2", "b");
  host.onPump = [&](int pump) {
    if (pump == 2 || pump == 4) context.Memo1.clear();
  };
  invalid_filepath(context);
  typeurl(context);
  EXPECT_EQ(lvax.Count(), 2);  // SOFTWARE\A and u1
}

TEST_F(Robustness, HandlesLongestNamesAtEveryDepth) {
  std::string path = "SOFTWARE";
  std::string location = "HKCU\\SOFTWARE";
  for (char level = 'a'; level < 'a' + 5; ++level) {
    const std::string name = std::string(254, level) + "=";  // 255 characters
    path += "\\" + name;
    location += "\\" + name;
  }
  const std::string longValue(16383, 'v');
  seed.Text(path, longValue, "\"C:\\Gone\\far.exe\" \"%1\"");
  invalid_filepath(context);
  EXPECT_THAT(lvax.Rows(),
              ElementsAre(Row(kCategoryMissingPath, longValue, "C:\\Gone\\far.exe ", location)));
}

TEST_F(Robustness, ExaminesTenThousandValuesInOneKey) {
  const std::string typed = "Software\\Microsoft\\Internet Explorer\\TypedURLs";
  for (int i = 0; i < 10000; ++i) {
    const std::string name = "v" + std::to_string(100000 + i);
    seed.Text("SOFTWARE\\Many", name, i % 2 ? "C:\\Windows" : "C:\\Gone\\" + name);
    seed.Text(typed, name, "x");
  }
  ScanAll(context, {});
  ASSERT_EQ(lvax.Count(), 15000);
  EXPECT_EQ(lvax.Row(4999).ValueData, "C:\\Gone\\v109998");
  EXPECT_EQ(lvax.Row(5000).ValueName, "v100000");
  EXPECT_EQ(lvax.Row(14999).ValueName, "v109999");
  EXPECT_EQ(host.status, "Scan complete -> 15000 items should be remove");
}

}  // namespace
}  // namespace veltrane::testing
