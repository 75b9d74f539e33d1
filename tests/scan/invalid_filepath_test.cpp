#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "scan/checks.h"
#include "tests/scan/support/scan_fixture.h"

namespace veltrane::testing {
namespace {

using ::testing::ElementsAre;

class InvalidFilepath : public ScanFixture {
 protected:
  // SOFTWARE\D1, SOFTWARE\D1\D2, ... : the key of the given depth.
  static std::string KeyAt(int depth) {
    std::string path = "SOFTWARE";
    for (int level = 1; level <= depth; ++level) path += "\\D" + std::to_string(level);
    return path;
  }
  std::vector<Finding> Run() {
    invalid_filepath(context);
    return lvax.Rows();
  }
};

struct DepthCase {
  int depth;
  std::string data;
  bool reported;
  std::string valueData;  // the row's data when reported
};

TEST_F(InvalidFilepath, AppliesTheRulesOfEachDepth) {
  const std::vector<DepthCase> cases = {
      {1, "C:\\Gone\\app.exe", true, "C:\\Gone\\app.exe"},
      // Depth 1 tests the whole data: the existing file with ",3" is missing.
      {1, "C:\\Tools\\x.dll,3", true, "C:\\Tools\\x.dll,3"},
      {1, "c:\\Gone\\app.exe", false, ""},  // the root prefix is case-sensitive
      {1, "C:\\Windows", false, ""},        // an existing folder
      {1, " C:\\Gone", false, ""},
      {2, "file://C:\\Gone\\page.htm", true, "C:\\Gone\\page.htm"},
      {2, "C:\\Tools\\x.dll,3", false, ""},
      {2, "C:\\Gone\\x.dll,3", true, "C:\\Gone\\x.dll"},
      {3, "file://C:\\Gone", false, ""},  // "file://" goes at depth 2 only
      {3, "C:\\Gone\\x.dll,3,4", true, "C:\\Gone\\x.dll"},
      {3, "C:\\Gone\\a/b", true, "C:\\Gone\\a/b"},  // no "/" split above depth 4
      {4, "$(BDS)\\lib;C:\\Gone\\lib", true, "C:\\Gone\\lib"},
      {4, "C:\\Bin\\dcc.exe -nodefault -nologo", false, ""},
      {4, "C:\\Gone\\a.exe /x,2", true, "C:\\Gone\\a.exe "},
      {4, "C:\\Gone\\\"%1\"", true, "C:\\Gone\\\"%1\""},  // no quote clean-up above depth 5
      {5, "\"C:\\Gone\\app.exe\" \"%1\"", true, "C:\\Gone\\app.exe "},
      {5, "C:\\Gone\\", true, "C:\\Gone"},
      {5, "xxC:\\Gone", false, ""},
      {5, "xC:\\Gone\\a,b", true, "xC:\\Gone\\a"},
      {5, "n;1;C:\\Gone\\n.exe", true, "C:\\Gone\\n.exe"},
      {5, "C:\\Gone\\vlc.exe --one-instance --playlist-enqueue \"%1\"", true, "C:\\Gone\\vlc.exe "},
      {5, "C:\\Gone\\vlc.exe --no-playlist-enqueue \"%1\"", true, "C:\\Gone\\vlc.exe "},
      {5, "C:\\Gone\\a.exe \"%1\" %*", true, "C:\\Gone\\a.exe "},
      {5, "C:\\Gone\\a.exe %1;", true, "C:\\Gone\\a.exe "},
      {5, "C:\\Gone\\dcc.exe -nodefault -nologo", true, "C:\\Gone\\dcc.exe "},
      {5, "C:\\Gone\\\\\\\\x", true, "C:\\Gonex"},                   // runs of four backslashes go
      {5, "\"C:\\Program Files\\App\\app.exe\" \"%1\"", false, ""},  // trailing blank disregarded
      {5, "C:\\Windows\\", false, ""},
      // A comma or slash before the root leaves an empty path: missing.
      {5, ",C:\\Gone", true, ""},
      {5, "/C:\\Gone", true, ""},
      {6, "C:\\Gone", false, ""},
  };
  for (const DepthCase& test : cases) {
    SCOPED_TRACE("depth " + std::to_string(test.depth) + ": " + test.data);
    seed.DeleteTree("SOFTWARE\\D1");
    seed.Text(KeyAt(test.depth), "v", test.data);
    const std::vector<Finding> rows = Run();
    if (!test.reported) {
      EXPECT_TRUE(rows.empty());
      continue;
    }
    std::string location = "HKCU\\" + KeyAt(test.depth);
    EXPECT_THAT(rows, ElementsAre(Row(kCategoryMissingPath, "v", test.valueData, location)));
  }
}

TEST_F(InvalidFilepath, ExaminesNothingAtTheTopOrBelowDepthFive) {
  seed.Text("SOFTWARE", "top", "C:\\Gone");
  seed.Text(KeyAt(6), "deep", "C:\\Gone");
  seed.Text(KeyAt(5) + "\\D6\\D7", "deeper", "C:\\Gone");
  EXPECT_TRUE(Run().empty());
}

TEST_F(InvalidFilepath, LeavesOutEntriesBelowAnUninstallKeyAtDepthFive) {
  seed.Text("SOFTWARE\\A\\B\\C\\Uninstall\\App", "v", "C:\\Gone\\app.exe");
  seed.Text("SOFTWARE\\A\\B\\C\\Uninstall", "v", "C:\\Gone\\app.exe");       // depth 4
  seed.Text("SOFTWARE\\A\\B\\C\\D\\Uninstall", "v", "C:\\Gone\\app.exe");    // L5 so named
  seed.Text("SOFTWARE\\A\\B\\E\\uninstall\\App", "v", "C:\\Gone\\app.exe");  // other case
  std::vector<std::string> locations;
  for (const Finding& row : Run()) locations.push_back(row.RegistryLocation);
  EXPECT_THAT(locations, ElementsAre("HKCU\\SOFTWARE\\A\\B\\C\\D\\Uninstall",
                                     "HKCU\\SOFTWARE\\A\\B\\C\\Uninstall",
                                     "HKCU\\SOFTWARE\\A\\B\\E\\uninstall\\App"));
}

// Both rows read "(Default)"; only the second is about a value so named,
// and says so, so that cleaning it cannot empty the key's unnamed value.
TEST_F(InvalidFilepath, MarksAValueWhoseOwnNameIsDefault) {
  seed.Text("SOFTWARE\\K", "", "C:\\Gone\\a.exe");
  seed.Text("SOFTWARE\\K", "(Default)", "C:\\Gone\\b.exe");
  const std::vector<Finding> rows = Run();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].ValueName, "(Default)");
  EXPECT_FALSE(rows[0].ValueNameIsLiteral);
  EXPECT_EQ(rows[1].ValueName, "(Default)");
  EXPECT_TRUE(rows[1].ValueNameIsLiteral);
}

TEST_F(InvalidFilepath, ReadsDataAsRawBytesThroughA256ByteBuffer) {
  // The unnamed value is shown as "(Default)".
  seed.Text("SOFTWARE\\K", "", "C:\\Gone\\default.exe");
  // 255 characters and the zero fit the buffer; one more does not.
  const std::string fits = "C:\\Gone\\" + std::string(255 - 8, 'f');
  seed.Text("SOFTWARE\\K", "fits", fits);
  seed.Text("SOFTWARE\\K", "long", fits + "g");
  // Binary data loses its last byte and is tested up to its first zero.
  seed.Raw("SOFTWARE\\K", "bin", kRegBinary, std::string("C:\\Gone\\b\0tail!", 15));
  seed.Raw("SOFTWARE\\K", "binExisting", kRegBinary, std::string("C:\\Windows\0xx", 13));
  // A number reads as its first three bytes: "C:\" names the drive root.
  seed.Raw("SOFTWARE\\K", "number", kRegDword, std::string("C:\\\0", 4));
  seed.Raw("SOFTWARE\\K", "multi", kRegMultiSz, std::string("C:\\Gone\\m\0C:\\x\0\0", 16));
  seed.Raw("SOFTWARE\\K", "empty", kRegSz, "");
  EXPECT_THAT(
      Run(), ElementsAre(Row(kCategoryMissingPath, "(Default)", "C:\\Gone\\default.exe",
                             "HKCU\\SOFTWARE\\K"),
                         Row(kCategoryMissingPath, "bin", std::string("C:\\Gone\\b\0tail", 14),
                             "HKCU\\SOFTWARE\\K"),
                         Row(kCategoryMissingPath, "fits", fits, "HKCU\\SOFTWARE\\K"),
                         Row(kCategoryMissingPath, "multi", std::string("C:\\Gone\\m\0C:\\x\0", 15),
                             "HKCU\\SOFTWARE\\K")));
}

TEST_F(InvalidFilepath, SkipsKeysItCannotOpenWithFullAccess) {
  seed.Text("SOFTWARE\\Locked", "v", "C:\\Gone\\locked");
  seed.Text("SOFTWARE\\Locked\\Open", "v", "C:\\Gone\\below-locked");
  seed.Text("SOFTWARE\\Next", "v", "C:\\Gone\\next");
  registry.RestrictAccess(kHkeyCurrentUser, "SOFTWARE\\Locked", kKeyRead);
  EXPECT_THAT(
      Run(), ElementsAre(Row(kCategoryMissingPath, "v", "C:\\Gone\\next", "HKCU\\SOFTWARE\\Next")));
}

TEST_F(InvalidFilepath, ReportsNothingWithAnEmptySystemDriveRoot) {
  context.SystemDriveRoot.clear();
  for (int depth = 1; depth <= 5; ++depth) seed.Text(KeyAt(depth), "v", "C:\\Gone");
  seed.Text(KeyAt(5), "w", "");
  EXPECT_TRUE(Run().empty());
}

TEST_F(InvalidFilepath, WalksValuesBeforeSubkeysDepthFirstInListingOrder) {
  seed.Text("SOFTWARE\\b", "v", "C:\\Gone\\1");
  seed.Text("SOFTWARE\\b\\x", "v", "C:\\Gone\\2");
  seed.Text("SOFTWARE\\b\\x\\deep", "v", "C:\\Gone\\3");
  seed.Text("SOFTWARE\\b\\Y", "v", "C:\\Gone\\4");
  seed.Text("SOFTWARE\\A", "z", "C:\\Gone\\0b");
  seed.Text("SOFTWARE\\A", "Y", "C:\\Gone\\0a");
  seed.Key("SOFTWARE\\c");
  std::vector<std::string> data;
  for (const Finding& row : Run()) data.push_back(row.ValueData);
  EXPECT_THAT(data, ElementsAre("C:\\Gone\\0a", "C:\\Gone\\0b", "C:\\Gone\\1", "C:\\Gone\\2",
                                "C:\\Gone\\3", "C:\\Gone\\4"));
  EXPECT_EQ(context.FindingCount, 6);

  // One status per key visited, in the long form; the pump and the bar
  // move once per depth-1 key; the bar ends at its maximum plus 5.
  EXPECT_THAT(
      host.Statuses(),
      ElementsAre("HKEY_CURRENT_USER\\SOFTWARE\\A", "HKEY_CURRENT_USER\\SOFTWARE\\b",
                  "HKEY_CURRENT_USER\\SOFTWARE\\b\\x", "HKEY_CURRENT_USER\\SOFTWARE\\b\\x\\deep",
                  "HKEY_CURRENT_USER\\SOFTWARE\\b\\Y", "HKEY_CURRENT_USER\\SOFTWARE\\c"));
  EXPECT_THAT(host.Numbers(RecordingHost::kPosition), ElementsAre(0, 0, 1, 2, 8));
  EXPECT_THAT(host.Numbers(RecordingHost::kMax), ElementsAre(3));
  EXPECT_EQ(host.pumps, 3);
  EXPECT_EQ(host.Count(RecordingHost::kPause), 0);
}

TEST_F(InvalidFilepath, EndsAtPositionFiveWithNothingBelowSoftware) {
  Run();
  EXPECT_THAT(host.Numbers(RecordingHost::kMax), ElementsAre(0));
  EXPECT_EQ(host.position, 5);
  EXPECT_TRUE(host.Statuses().empty());
}

TEST_F(InvalidFilepath, StartsFromAnEmptyListWithFreshColumns) {
  lvax.Append(Row("old", "a", "b", "c"));
  lvax.Append(Row("old", "d", "e", "f"));
  lvax.SetChecked(1, false);
  context.FindingCount = 2;
  context.Memo11 = {" stale"};
  context.Memo12 = {" stale"};
  seed.Text("SOFTWARE\\K", "v", "C:\\Gone");
  const auto rows = Run();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].ValueData, "C:\\Gone");
  EXPECT_EQ(context.FindingCount, 1);
  EXPECT_EQ(lvax.Columns().size(), 4u);
  EXPECT_EQ(lvax.Columns()[3].caption, "Registry Location");
  EXPECT_TRUE(context.Memo11.empty());
  EXPECT_TRUE(context.Memo12.empty());
  // The working lists keep the last listings, each name behind one blank.
  EXPECT_THAT(context.Memo1, ElementsAre(" K"));
  EXPECT_THAT(context.Memo2, ElementsAre(" v"));
}

TEST_F(InvalidFilepath, OpensAndReportsNamesWithEqualsSignsAndLeadingBlanks) {
  seed.Text("SOFTWARE\\a=b\\ lead", "x=y", "C:\\Gone\\eq");
  seed.Text("SOFTWARE\\a=b\\ lead", "  two", "C:\\Gone\\blank");
  EXPECT_THAT(
      Run(),
      ElementsAre(
          Row(kCategoryMissingPath, "  two", "C:\\Gone\\blank", "HKCU\\SOFTWARE\\a=b\\ lead"),
          Row(kCategoryMissingPath, "x=y", "C:\\Gone\\eq", "HKCU\\SOFTWARE\\a=b\\ lead")));
}

}  // namespace
}  // namespace veltrane::testing
