// A program without the UTF-8 manifest, as on a Windows older than 10
// version 1903: its code page is the prefix's legacy one, Windows-1252.
// What that cannot carry (Cyrillic, here) is never reported, deleted,
// compared by a stand-in or written wrongly: the checks pass it over, the
// export fails and names its key, the clean refuses, the importer refuses.
// Another program made those names, through the UTF-16 functions.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "base/text.h"
#include "clean/cleaner.h"
#include "clean/reg_export.h"
#include "clean/reg_import.h"
#include "clean/whole_file.h"
#include "scan/scan_all.h"
#include "scan/win32_file_probe.h"
#include "tests/support/files.h"
#include "tests/support/findings.h"
#include "tests/support/recording_desktop.h"
#include "tests/support/recording_host.h"
#include "tests/support/registry_seed.h"
#include "tests/support/text.h"
#include "tests/support/tree.h"
#include "tests/support/wide_seed.h"
#include "tests/support/win32_sandbox.h"

namespace veltrane::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

class LegacyCodePage : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(ProcessCodePage(), kWesternCodePage) << "no manifest"; }
  // What this program cannot list, it cannot delete either.
  void TearDown() override { WideDeleteTree(sandbox.Path()); }

  // `path` below the sandbox that stands in for HKEY_CURRENT_USER.
  std::string Real(const std::string& path) const { return sandbox.Path() + "\\" + path; }

  FileSandbox files{"veltrane-legacy"};
  RegistrySandbox sandbox{"legacy"};
  RegistrySeed seed{sandbox.Registry()};
};

TEST_F(LegacyCodePage, TheChecksPassOverWhatTheyCannotReadExactly) {
  const std::string root = files.Root();
  WideFolder(root + "\\Иван");
  WideFile(root + "\\Иван\\here.txt");
  const std::string explorer = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";
  WideText(Real("SOFTWARE\\Иван"), "gone", root + "\\gone-too.txt");
  WideText(Real("SOFTWARE\\Plain"), "нет", root + "\\gone.txt");
  WideText(Real("SOFTWARE\\Plain"), "exists", root + "\\Иван\\here.txt");
  WideText(Real("SOFTWARE\\Plain"), "missing", root + "\\Иван\\нет.txt");
  seed.Text("SOFTWARE\\Plain", "ascii", root + "\\gone.txt");
  WideKey(Real(explorer + "\\FileExts\\.日本\\OpenWithList"));
  WideText(Real(explorer + "\\FileExts\\.named\\OpenWithProgids"), "Программа", "");
  seed.Key(explorer + "\\FileExts\\.empty");
  WideText(Real("Software\\Microsoft\\Internet Explorer\\TypedURLs"), "url1",
           "http://пример.рф/страница");
  seed.Text("Software\\Microsoft\\Internet Explorer\\TypedURLs", "url2", "http://plain/");

  Win32FileProbe probe;
  RecordingHost host;
  FindingsList lvax, lv2;
  ScanContext context{sandbox.Registry(), probe, host, lvax, lv2, "C:\\"};
  ScanAll(context, {});
  EXPECT_THAT(
      lvax.Rows(),
      ElementsAre(Row(kCategoryMissingPath, "ascii", root + "\\gone.txt", "HKCU\\SOFTWARE\\Plain"),
                  Row(kCategoryEmptyExtension, ".empty", "", "HKCU\\" + explorer + "\\FileExts\\"),
                  Row(kCategoryTypedUrl, "url2", "http://plain/",
                      "HKCU\\Software\\Microsoft\\Internet Explorer\\TypedURLs")));
}

TEST_F(LegacyCodePage, TheExportFailsAndNamesTheKeyRatherThanWriteAStandIn) {
  seed.Text("Software\\Vendor", "v", "w");
  WideText(Real("Software\\Vendor\\Иван"), "v", "w");
  const TempFolder folder("veltrane-legacy-export");
  const std::string file = folder.Path() + "backup.reg";
  EXPECT_THAT([&] { ExportKeyToFile(sandbox.Registry(), kHkeyCurrentUser, "Software", file); },
              ::testing::ThrowsMessage<ERegistryException>(
                  HasSubstr("'HKEY_CURRENT_USER\\Software\\Vendor': a name or text there has no "
                            "exact form in the program's code page")));
  EXPECT_EQ(ReadFile(file), "") << "no backup at all";
  EXPECT_TRUE(TemporariesIn(folder.Path(), "backup.reg", true).empty());
}

TEST_F(LegacyCodePage, TheCleanDeletesNothingItsUndoFileCannotHold) {
  const std::string exts = "Software\\Exts";
  seed.Key(exts + "\\.txt\\OpenWithProgids");
  WideText(Real(exts + "\\.txt\\OpenWithList\\Программа"), "a", "b");
  seed.Text("Software\\Paths", "gone", "C:\\gone.exe");
  WideText(Real("Software\\Paths"), "data", "C:\\нет.exe");
  const auto untouched = [&] {
    return seed.Exists("Software\\Paths", "gone") &&
           seed.Exists(exts + "\\.txt\\OpenWithProgids") &&
           WideValueExists(Real(exts + "\\.txt\\OpenWithList\\Программа"), "a") &&
           WideValueExists(Real("Software\\Paths"), "data");
  };
  const TempFolder undo("veltrane-legacy-undo");
  FindingsList lvax, lv2;
  RecordingHost host;
  RecordingDesktop desktop;
  const auto clean = [&](std::vector<Finding> rows) {
    lvax.Assign(rows);
    desktop = RecordingDesktop();
    CleanContext context{lvax, lv2, host, sandbox.Registry(), desktop, 0, {undo.Path()}};
    return CleanCommand(context);
  };
  for (const Finding& refused :
       {Finding{kCategoryEmptyExtension, ".txt", "", "HKCU\\" + exts + "\\", true},
        Finding{kCategoryMissingPath, "data", "", "HKCU\\Software\\Paths", true}}) {
    EXPECT_FALSE(
        clean({Finding{kCategoryMissingPath, "gone", "", "HKCU\\Software\\Paths", true}, refused}));
    ASSERT_EQ(desktop.calls.size(), 1u);
    EXPECT_THAT(desktop.calls[0].text, HasSubstr("Nothing was cleaned"));
    EXPECT_THAT(desktop.calls[0].text, HasSubstr("no exact form in the program's code page"));
    EXPECT_TRUE(untouched());
    EXPECT_EQ(lvax.Count(), 2);
  }
  // What it can hold exactly it cleans, with an undo file in the backup's
  // form.
  ASSERT_TRUE(clean({Finding{kCategoryMissingPath, "gone", "", "HKCU\\Software\\Paths", true}}));
  EXPECT_FALSE(seed.Exists("Software\\Paths", "gone"));
}

TEST_F(LegacyCodePage, TheImporterRefusesWhatItCannotWriteExactly) {
  // The sandbox stands in for HKEY_CURRENT_USER.
  const std::u16string text =
      u"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\x]\r\n"
      u"\"plain\"=\"ok\"\r\n\"name\"=\"Иван\"\r\n";
  const std::string bytes = Utf16File(text);
  ImportSummary summary;
  RegImportError error;
  EXPECT_FALSE(ImportRegText(sandbox.Registry(), bytes, summary, error));
  EXPECT_EQ(error.line, 5);
  EXPECT_THAT(error.message, HasSubstr("U+0418 has no form in the program's code page"));
  EXPECT_FALSE(seed.Exists("x"));
  // REGEDIT4 in the system's code page, the program's own here, reads
  // exactly.
  ASSERT_TRUE(ImportRegText(sandbox.Registry(),
                            "REGEDIT4\r\n[HKEY_CURRENT_USER\\x]\r\n\"caf\xe9\"=\"\x80\"\r\n",
                            summary, error))
      << error.Text();
  EXPECT_EQ(seed.Read("x", "caf\xe9"), Sz("\x80"));
}

}  // namespace
}  // namespace veltrane::testing
