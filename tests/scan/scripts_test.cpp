// Names and texts in every script: the scan reports exactly the missing
// files, with their texts as they are; and what the program's code page
// cannot carry exactly is passed over, never reported by a stand-in.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "base/text.h"
#include "scan/checks.h"
#include "scan/scan_all.h"
#include "tests/scan/support/scan_fixture.h"
#include "tests/scan/support/scripts_case.h"

namespace veltrane::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

class ScriptsScan : public ScanFixture {
 protected:
  ScriptsScan() {
    for (const ProbeEntry& entry : ScriptsDisk()) {
      const std::string path = std::string("C:\\Disk") + entry.path;
      entry.folder ? files.AddFolder(path) : files.AddFile(path);
    }
  }
};

TEST_F(ScriptsScan, FindsExactlyTheMissingFilesInEveryScript) {
  const std::vector<Finding> expected = SeedScripts(seed, "C:\\Disk");
  ScanAll(context, {});
  EXPECT_THAT(lvax.Rows(), ElementsAreArray(expected));
}

TEST_F(ScriptsScan, PassesOverWhatTheProgramsCodePageCannotCarry) {
  SeedScripts(seed, "C:\\Disk");
  const std::string explorer = kScriptsExplorer;
  seed.Text("SOFTWARE\\Plain", "gone", "C:\\Disk\\gone.txt");
  seed.Text(explorer + "\\FileExts\\.named\\OpenWithProgids", "Программа", "");
  seed.Text("Software\\Microsoft\\Internet Explorer\\TypedURLs", "url2", "http://plain/");
  // As a process whose code page is Windows-1252 sees the same registry.
  registry.SetCodePage(kWesternCodePage);
  ScanAll(context, {});
  EXPECT_THAT(
      lvax.Rows(),
      ElementsAre(Row(kCategoryMissingPath, "gone", "C:\\Disk\\gone.txt", "HKCU\\SOFTWARE\\Plain"),
                  Row(kCategoryTypedUrl, "url2", "http://plain/",
                      "HKCU\\Software\\Microsoft\\Internet Explorer\\TypedURLs")));
}

TEST_F(ScriptsScan, PassesOverAnUnpairedSurrogate) {
  const std::string runMru = std::string(kScriptsExplorer) + "\\RunMRU";
  seed.Text(runMru, "a", "ok");
  RegKey key = 0;
  ASSERT_EQ(registry.OpenKeyEx(kHkeyCurrentUser, runMru, kKeyAllAccess, &key), 0);
  registry.SetValueUtf16(key, u"b", kRegSz, u"\xD800 alone\0");
  registry.SetValueUtf16(key, u"\xDC00", kRegSz, u"named alone\0");
  registry.CloseKey(key);
  runmru(context);
  EXPECT_THAT(lvax.Rows(), ElementsAre(Row(kCategoryRunMru, "a", "ok", "HKCU\\" + runMru)));
}

}  // namespace
}  // namespace veltrane::testing
