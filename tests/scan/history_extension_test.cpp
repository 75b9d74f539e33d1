#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "scan/checks.h"
#include "tests/scan/support/scan_fixture.h"

namespace veltrane::testing {
namespace {

using ::testing::ElementsAre;

struct HistoryCheck {
  void (*run)(ScanContext&);
  std::string key;  // below HKEY_CURRENT_USER
  std::string category;
};

const std::vector<HistoryCheck>& HistoryChecks() {
  static const std::vector<HistoryCheck> checks = {
      {typeurl, "Software\\Microsoft\\Internet Explorer\\TypedURLs", kCategoryTypedUrl},
      {runmru, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU", kCategoryRunMru},
      {recentdocs, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RecentDocs",
       kCategoryRecentDocs},
  };
  return checks;
}

using HistoryScans = ScanFixture;

TEST_F(HistoryScans, ReportEveryValueOfTheirKeyWithItsRawData) {
  for (const HistoryCheck& check : HistoryChecks()) {
    SCOPED_TRACE(check.category);
    seed.DeleteTree("Software");
    lvax.Clear();
    host = RecordingHost();
    context.FindingCount = 0;
    seed.Text(check.key, "url2", "http://b.example/");
    seed.Text(check.key, "url1", "http://a.example/");
    seed.Text(check.key, "", "default data");
    seed.Text(check.key, "  spaced", "s");
    seed.Text(check.key, "full", std::string(255, 'f'));  // 256 bytes with the zero: 255 come back
    seed.Text(check.key, "over", std::string(256, 'o'));  // 257 bytes: nothing
    seed.Raw(check.key, "none", kRegSz, "");
    seed.Raw(check.key, "raw", kRegBinary, std::string("ab\0cd", 5));
    seed.Raw(check.key, "MRUList", kRegSz, std::string("ba", 2));  // no zero: last byte lost
    seed.Text(check.key + "\\Sub", "ignored", "subkeys are not visited");

    check.run(context);

    const std::string location = "HKCU\\" + check.key;
    EXPECT_THAT(lvax.Rows(),
                ElementsAre(Row(check.category, "", "default data", location),
                            Row(check.category, "  spaced", "s", location),
                            Row(check.category, "full", std::string(255, 'f'), location),
                            Row(check.category, "MRUList", "b", location),
                            Row(check.category, "none", "", location),
                            Row(check.category, "over", "", location),
                            Row(check.category, "raw", std::string("ab\0c", 4), location),
                            Row(check.category, "url1", "http://a.example/", location),
                            Row(check.category, "url2", "http://b.example/", location)));
    EXPECT_EQ(context.FindingCount, 9);

    // Pump and 200 ms before every value; the bar runs 0 .. N-1 of N.
    EXPECT_THAT(host.Numbers(RecordingHost::kMax), ElementsAre(9));
    EXPECT_THAT(host.Numbers(RecordingHost::kPosition), ElementsAre(0, 0, 1, 2, 3, 4, 5, 6, 7, 8));
    EXPECT_EQ(host.pumps, 9);
    EXPECT_THAT(host.Numbers(RecordingHost::kPause), ::testing::Each(200));
    EXPECT_EQ(host.Count(RecordingHost::kPause), 9);
    ASSERT_EQ(host.Statuses().size(), 9u);
    EXPECT_EQ(host.Statuses()[0], "HKEY_CURRENT_USER\\" + check.key + "\\");
    EXPECT_EQ(host.Statuses()[1], "HKEY_CURRENT_USER\\" + check.key + "\\  spaced");
    EXPECT_THAT(context.Memo1[1], " " + std::string("  spaced"));
  }
}

TEST_F(HistoryScans, LeaveTheBarAndStatusAloneWhenTheKeyIsMissingOrEmpty) {
  seed.Key("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU");
  seed.Key("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RecentDocs\\Sub");
  context.Memo1 = {" stale"};
  for (const HistoryCheck& check : HistoryChecks()) check.run(context);
  EXPECT_TRUE(host.events.empty());
  EXPECT_TRUE(lvax.Rows().empty());
  EXPECT_TRUE(context.Memo1.empty());
}

TEST_F(HistoryScans, AppendToTheRowsAlreadyThere) {
  lvax.Append(Row("earlier", "a", "b", "c"));
  context.FindingCount = 1;
  seed.Text("Software\\Microsoft\\Internet Explorer\\TypedURLs", "url1", "x");
  typeurl(context);
  ASSERT_EQ(lvax.Count(), 2);
  EXPECT_EQ(lvax.Row(1).ValueName, "url1");
  EXPECT_EQ(context.FindingCount, 2);
}

class ExtensionScan : public ScanFixture {
 protected:
  const std::string fileExts = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts";
  const std::string location = "HKCU\\" + fileExts + "\\";
};

TEST_F(ExtensionScan, ReportsExtensionsWhoseOpenWithProgidsListsNoValue) {
  seed.Key(fileExts + "\\.bare");                                          // no subkeys at all
  seed.Key(fileExts + "\\.other\\OpenWithList");                           // no OpenWithProgids
  seed.Raw(fileExts + "\\.one\\OpenWithProgids", "prog.1", kRegNone, "");  // a value, empty data
  seed.Text(fileExts + "\\.dflt\\OpenWithProgids", "", "prog");            // only a default value
  seed.Key(fileExts + "\\.empty\\OpenWithProgids\\Sub");                   // empty, with a subkey
  seed.Text(fileExts + "\\.empty", "value", "x");
  seed.Key(fileExts + "\\.empty\\UserChoice");
  seed.Text(fileExts + "\\.locked\\OpenWithProgids", "prog.2", "");
  seed.Text(fileExts + "\\ lead=eq", "x", "");
  registry.RestrictAccess(kHkeyCurrentUser, fileExts + "\\.locked\\OpenWithProgids", kKeyRead);

  hkcuext(context);

  EXPECT_THAT(lvax.Rows(), ElementsAre(Row(kCategoryEmptyExtension, " lead=eq", "", location),
                                       Row(kCategoryEmptyExtension, ".bare", "", location),
                                       Row(kCategoryEmptyExtension, ".empty", "", location),
                                       Row(kCategoryEmptyExtension, ".locked", "", location),
                                       Row(kCategoryEmptyExtension, ".other", "", location)));
  EXPECT_EQ(lvax.Selected(), 4);  // the last reported row
  EXPECT_EQ(context.FindingCount, 5);
  EXPECT_THAT(host.Numbers(RecordingHost::kMax), ElementsAre(7));
  EXPECT_THAT(host.Numbers(RecordingHost::kPosition), ElementsAre(0, 0, 1, 2, 3, 4, 5, 6));
  EXPECT_THAT(host.Numbers(RecordingHost::kPause), ElementsAre(100, 100, 100, 100, 100, 100, 100));
  EXPECT_EQ(host.pumps, 7);
  ASSERT_EQ(host.Statuses().size(), 7u);
  EXPECT_EQ(host.Statuses()[1], "HKEY_CURRENT_USER\\" + fileExts + "\\.bare");
}

TEST_F(ExtensionScan, SetsAnEmptyBarWhenThereAreNoExtensions) {
  host.maximum = 40;
  hkcuext(context);
  EXPECT_TRUE(lvax.Rows().empty());
  EXPECT_EQ(host.position, 0);
  EXPECT_EQ(host.maximum, 0);
  EXPECT_TRUE(host.Statuses().empty());
}

TEST_F(ExtensionScan, FillsTheNewRowEvenWhenTheCounterIsOff) {
  // Something else changed the list since the counter was set: the new row
  // still gets its texts, and it is the one selected.
  lvax.Append(Row("kept", "a", "b", "c"));
  lvax.Append(Row("kept", "d", "e", "f"));
  context.FindingCount = 0;
  seed.Key(fileExts + "\\.bare");
  hkcuext(context);
  ASSERT_EQ(lvax.Count(), 3);
  EXPECT_EQ(lvax.Row(0), Row("kept", "a", "b", "c"));
  EXPECT_EQ(lvax.Row(2), Row(kCategoryEmptyExtension, ".bare", "", location));
  EXPECT_EQ(lvax.Selected(), 2);
}

}  // namespace
}  // namespace veltrane::testing
