// The checks, the driver and the file probe on the real registry and file
// system, under Wine. The registry work happens in a throwaway key that
// stands in for HKEY_CURRENT_USER.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "scan/checks.h"
#include "scan/scan_all.h"
#include "scan/win32_file_probe.h"
#include "tests/scan/support/probe_cases.h"
#include "tests/scan/support/scripts_case.h"
#include "tests/support/findings.h"
#include "tests/support/recording_host.h"
#include "tests/support/registry_seed.h"
#include "tests/support/win32_sandbox.h"

namespace veltrane::testing {
namespace {

using ::testing::ElementsAre;

TEST(Win32FileProbe, AnswersAsTheInMemoryFileSystemDoes) {
  FileSandbox files("veltrane-probe");
  for (const ProbeEntry& entry : ProbeLayout()) {
    if (entry.folder) {
      files.Folder(entry.path);
    } else {
      files.File(entry.path);
    }
  }
  Win32FileProbe probe;
  for (const ProbeCase& test : ProbeCases()) {
    SCOPED_TRACE("\"" + files.Root() + test.path + "\"");
    EXPECT_EQ(probe.FileExists(files.Root() + test.path), test.file);
    EXPECT_EQ(probe.FolderExists(files.Root() + test.path), test.folder);
  }
  EXPECT_FALSE(probe.FileExists("C:\\"));
  EXPECT_TRUE(probe.FolderExists("C:\\"));
  EXPECT_FALSE(PathIsMissing(probe, files.Root() + "\\File.txt  "));
  EXPECT_TRUE(PathIsMissing(probe, files.Root() + "\\Gone  "));
}

class ScanOnWine : public ::testing::Test {
 protected:
  FileSandbox files{"veltrane-scan"};
  RegistrySandbox sandbox{"scan"};
  RegistrySeed seed{sandbox.Registry()};
  Win32FileProbe probe;
  RecordingHost host;
  FindingsList lvax, lv2;
  ScanContext context{sandbox.Registry(), probe, host, lvax, lv2, "C:\\"};
};

TEST_F(ScanOnWine, FindsWhatTheSeededRegistryAndDiskCallFor) {
  const std::string root = files.Root();
  files.File("\\app.exe");
  files.Folder("\\Dir");
  const std::string explorer = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";
  seed.Text("SOFTWARE", "top", root + "\\gone");
  seed.Text("SOFTWARE\\L1", "exists", root + "\\app.exe");
  seed.Text("SOFTWARE\\L1", "gone", root + "\\gone.exe");
  seed.Text("SOFTWARE\\L1", "", root + "\\GoneDir\\");  // depth 1: a trailing backslash stays
  seed.Text("SOFTWARE\\L1", "dir", root + "\\Dir\\");
  seed.Text("SOFTWARE\\L1\\L2", "url", "file://" + root + "\\page.htm");
  seed.Text("SOFTWARE\\L1\\L2\\L3", "icon", root + "\\APP.EXE,3");
  seed.Text("SOFTWARE\\L1\\L2\\L3\\L4", "lib", "$(BDS)\\lib;" + root + "\\lib");
  seed.Text("SOFTWARE\\L1\\L2\\L3\\L4\\L5", "cmd", "\"" + root + "\\app.exe\" \"%1\"");
  seed.Text("SOFTWARE\\L1\\L2\\L3\\L4\\L5", "gone", "\"" + root + "\\gone.exe\" \"%1\"");
  seed.Text("SOFTWARE\\L1\\L2\\L3\\L4\\L5", "dir", root + "\\Dir\\");
  seed.Text("SOFTWARE\\L1\\L2\\L3\\Uninstall\\App", "gone", root + "\\gone.exe");
  seed.Text("SOFTWARE\\L1\\L2\\L3\\L4\\L5\\L6", "deep", root + "\\gone");
  seed.Key(explorer + "\\FileExts\\.vlt\\OpenWithList");
  seed.Text(explorer + "\\FileExts\\.full\\OpenWithProgids", "prog", "");
  seed.Text("Software\\Microsoft\\Internet Explorer\\TypedURLs", "url1", "http://a/");
  seed.Text(explorer + "\\RunMRU", "", "default");
  seed.Raw(explorer + "\\RecentDocs", "0", kRegBinary, std::string("d\0o\0c\0\0\0", 8));

  ScanAll(context, {});

  const std::string l1 = "HKCU\\SOFTWARE\\L1";
  EXPECT_THAT(
      lvax.Rows(),
      ElementsAre(Row(kCategoryMissingPath, "(Default)", root + "\\GoneDir\\", l1),
                  Row(kCategoryMissingPath, "gone", root + "\\gone.exe", l1),
                  Row(kCategoryMissingPath, "url", root + "\\page.htm", l1 + "\\L2"),
                  Row(kCategoryMissingPath, "lib", root + "\\lib", l1 + "\\L2\\L3\\L4"),
                  Row(kCategoryMissingPath, "gone", root + "\\gone.exe ", l1 + "\\L2\\L3\\L4\\L5"),
                  Row(kCategoryEmptyExtension, ".vlt", "", "HKCU\\" + explorer + "\\FileExts\\"),
                  Row(kCategoryTypedUrl, "url1", "http://a/",
                      "HKCU\\Software\\Microsoft\\Internet Explorer\\TypedURLs"),
                  Row(kCategoryRunMru, "", "default", "HKCU\\" + explorer + "\\RunMRU"),
                  Row(kCategoryRecentDocs, "0", std::string("d\0o\0c\0\0", 7),
                      "HKCU\\" + explorer + "\\RecentDocs")));
  EXPECT_EQ(host.status, "Scan complete -> 9 items should be remove");
  EXPECT_EQ(lv2.Rows(), lvax.Rows());
}

// Folders and files named in every script on the real disk, found by the
// probes of a process whose code page is UTF-8.
TEST_F(ScanOnWine, FindsExactlyTheMissingFilesInEveryScript) {
  for (const ProbeEntry& entry : ScriptsDisk()) {
    entry.folder ? files.Folder(entry.path) : files.File(entry.path);
  }
  const std::vector<Finding> expected = SeedScripts(seed, files.Root());
  ScanAll(context, {});
  EXPECT_THAT(lvax.Rows(), ::testing::ElementsAreArray(expected));
}

TEST_F(ScanOnWine, SurvivesKeysDeletedMidScan) {
  for (const char* name : {"A", "B", "C"}) {
    seed.Text(std::string("SOFTWARE\\") + name + "\\Sub", "v", files.Root() + "\\" + name);
  }
  seed.Text("Software\\Microsoft\\Internet Explorer\\TypedURLs", "url1", "x");
  seed.Text("Software\\Microsoft\\Internet Explorer\\TypedURLs", "url2", "y");
  host.onPump = [&](int pump) {
    if (pump == 2) seed.DeleteTree("SOFTWARE\\B");  // in the walk, before B's turn
    if (pump == 8) seed.DeleteTree("Software\\Microsoft\\Internet Explorer");
  };
  ScanAll(context, {});
  std::vector<std::string> names;
  for (const Finding& row : lvax.Rows()) names.push_back(row.ValueName + "=" + row.ValueData);
  EXPECT_THAT(names, ElementsAre("v=" + files.Root() + "\\A", "v=" + files.Root() + "\\C",
                                 "url1=", "url2="));
}

TEST_F(ScanOnWine, ReadsLongNamesAndManyValues) {
  std::string path = "SOFTWARE";
  for (char level = 'a'; level < 'a' + 5; ++level) path += "\\" + std::string(254, level) + "=";
  seed.Text(path, " lead", files.Root() + "\\far.exe");
  for (int i = 0; i < 10000; ++i) {
    seed.Text("SOFTWARE\\Many", "v" + std::to_string(10000 + i), files.Root() + "\\m");
  }
  invalid_filepath(context);
  ASSERT_EQ(lvax.Count(), 10001);
  EXPECT_EQ(lvax.Row(0).RegistryLocation, "HKCU\\" + path);
  EXPECT_EQ(lvax.Row(0).ValueName, " lead");
  EXPECT_EQ(lvax.Row(10000).ValueName, "v19999");
}

}  // namespace
}  // namespace veltrane::testing
