#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

#include "clean/backup.h"
#include "cli/cli.h"
#include "registry/memory_registry.h"
#include "registry/tregistry.h"
#include "scan/memory_file_system.h"
#include "tests/clean/reg_tree.h"
#include "tests/support/run_program.h"

#ifdef _WIN32
#include <windows.h>

#include "registry/win32_registry.h"
#endif

namespace veltrane {
namespace {

using test::Sz;
using test::TreeKey;
using ::testing::EndsWith;
using ::testing::HasSubstr;

constexpr const char* kTyped = "Software\\Microsoft\\Internet Explorer\\TypedURLs";
constexpr const char* kRunMru = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";

class CliCommandsTest : public ::testing::Test {
 protected:
  CliCommandsTest() {
    TreeKey version;
    version.values["SystemRoot"] = Sz("C:\\WINDOWS");
    test::SeedTree(registry_, kHkeyLocalMachine, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion",
                   version);
    files_.AddFolder("C:\\WINDOWS");
  }

  int Run(const std::vector<std::string>& arguments) {
    out_.str("");
    err_.str("");
    return cli::Run(arguments, environment_);
  }

  void SeedFindings() {
    TreeKey typed, run, app;
    typed.values["url1"] = Sz("http://example.com/");
    run.values["a"] = Sz("cmd\\1");
    app.values["path"] = Sz("C:\\Gone\\app.exe");
    test::SeedTree(registry_, kHkeyCurrentUser, kTyped, typed);
    test::SeedTree(registry_, kHkeyCurrentUser, kRunMru, run);
    test::SeedTree(registry_, kHkeyCurrentUser, "SOFTWARE\\App", app);
  }

  TreeKey Tree(const std::string& path) {
    return test::ReadTree(registry_, kHkeyCurrentUser, path);
  }

  MemoryRegistry registry_;
  MemoryFileSystem files_;
  test::TempFolder folder_;
  std::ostringstream out_, err_;
  cli::Environment environment_{registry_, files_, out_, err_, folder_.Path()};
};

TEST_F(CliCommandsTest, CleanBacksUpThenCleansAllButTheSkippedChecks) {
  SeedFindings();
  EXPECT_EQ(Run({"clean", "--skip", "runmru", "--tsv"}), 0);
  EXPECT_TRUE(Tree(kTyped).values.empty());
  EXPECT_TRUE(Tree("SOFTWARE\\App").values.empty());
  EXPECT_EQ(Tree(kRunMru).values.count("a"), 1u);
  EXPECT_EQ(out_.str(),
            "Entry types into Run on the Start Menu\ta\tcmd\\\\1\t"
            "HKCU\\\\Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Explorer\\\\RunMRU\n");
  EXPECT_THAT(err_.str(), HasSubstr("Backup written to " + folder_.Path()));
  EXPECT_THAT(err_.str(), EndsWith("\n1 Error Found\n"));

  // The backup holds the registry as it was before the clean, and stays.
  const std::string backup = test::ReadFile(FindBackupFile(folder_.Path()));
  EXPECT_THAT(backup, HasSubstr("\"url1\"=\"http://example.com/\"\r\n"));
  test::SeedTree(registry_, kHkeyCurrentUser, kTyped, [] {
    TreeKey typed;
    typed.values["url2"] = Sz("http://other/");
    return typed;
  }());
  EXPECT_EQ(Run({"clean", "--skip", "runmru", "--skip", "invalid_filepath"}), 0);
  EXPECT_TRUE(Tree(kTyped).values.empty());
  EXPECT_EQ(test::ReadFile(FindBackupFile(folder_.Path())), backup);
  EXPECT_THAT(out_.str(), EndsWith("\n1 Error Found\n"));
}

TEST_F(CliCommandsTest, CleanWithNothingFoundWritesNoBackup) {
  EXPECT_EQ(Run({"clean"}), 0);
  // An empty list leaves the status line to the scan.
  EXPECT_EQ(out_.str(), "Scan complete -> No Error Found\n");
  EXPECT_EQ(FindBackupFile(folder_.Path()), "");
}

TEST_F(CliCommandsTest, CleanCleansNothingWithoutABackup) {
  SeedFindings();
  environment_.exeFolder = folder_.Path() + "no such folder/";
  EXPECT_EQ(Run({"clean"}), 1);
  EXPECT_THAT(err_.str(), HasSubstr("cannot write the backup"));
  EXPECT_EQ(Tree(kTyped).values.count("url1"), 1u);
}

TEST_F(CliCommandsTest, RefusesBadArguments) {
  for (const auto& arguments :
       std::vector<std::vector<std::string>>{{"clean", "--skip", "bogus"},
                                             {"clean", "extra"},
                                             {"export", "HKEY_CURRENT_USER\\Software"},
                                             {"export", "HKCU\\Software", "out.reg"},
                                             {"import"},
                                             {"import", "a.reg", "b.reg"}}) {
    SCOPED_TRACE(::testing::PrintToString(arguments));
    EXPECT_EQ(Run(arguments), 2);
    EXPECT_THAT(err_.str(), HasSubstr("Usage: veltrane-cli"));
  }
  Run({"clean", "--skip", "bogus"});
  EXPECT_THAT(err_.str(), HasSubstr("unknown check bogus"));
}

TEST_F(CliCommandsTest, ExportThenImportRestoresTheKey) {
  TreeKey tree;
  tree.values["v"] = Sz("w");
  tree.subkeys["sub"].values[""] = test::Dword(5);
  test::SeedTree(registry_, kHkeyCurrentUser, "Software\\Mine", tree);
  const std::string file = folder_.Path() + "mine.reg";
  EXPECT_EQ(Run({"export", "hkey_current_user\\Software\\Mine", file}), 0);
  EXPECT_EQ(out_.str(), "Exported hkey_current_user\\Software\\Mine to " + file + "\n");
  EXPECT_EQ(test::ReadFile(file),
            "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Mine]\r\n\"v\"=\"w\"\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\Mine\\sub]\r\n@=dword:00000005\r\n");

  TRegistry remover(registry_);
  ASSERT_TRUE(remover.RemoveKey("\\Software\\Mine"));
  EXPECT_EQ(Run({"import", file}), 0);
  EXPECT_EQ(out_.str(), "Imported 2 keys and 2 values\n");
  EXPECT_EQ(test::Difference(tree, Tree("Software\\Mine")), "");
}

TEST_F(CliCommandsTest, ExportAndImportFailuresExitWithOne) {
  EXPECT_EQ(Run({"export", "HKEY_CURRENT_USER\\Software\\Missing", folder_.Path() + "x.reg"}), 1);
  EXPECT_EQ(err_.str(), "veltrane-cli: export: no key HKEY_CURRENT_USER\\Software\\Missing\n");
  test::SeedTree(registry_, kHkeyCurrentUser, "Software\\Here", {});
  const std::string unwritable = folder_.Path() + "no folder/x.reg";
  EXPECT_EQ(Run({"export", "HKEY_CURRENT_USER\\Software\\Here", unwritable}), 1);
  EXPECT_EQ(err_.str(), "veltrane-cli: export: cannot create " + unwritable + "\n");

  const std::string bad = folder_.Path() + "bad.reg";
  test::WriteFile(bad, "REGEDIT4\r\n[HKEY_CURRENT_USER\\Software\\New]\r\n\"a\"=hex:1,2,xyz\r\n");
  EXPECT_EQ(Run({"import", bad}), 1);
  EXPECT_EQ(out_.str(), "");
  EXPECT_EQ(err_.str(), "veltrane-cli: import: " + bad + ": line 3: bad hex byte \"xyz\"\n");
  EXPECT_FALSE(test::KeyExists(registry_, kHkeyCurrentUser, "Software\\New"));
}

#ifdef _WIN32
// veltrane-cli.exe itself on the real registry.
TEST(CliProgramTest, ExportAndImportOnTheRealRegistry) {
  Win32Registry api;
  test::ThrowawayKey base(api, "cli");
  test::TempFolder folder;
  TreeKey tree;
  tree.values["quote\"d"] = Sz("line\r\nbreak");
  tree.values["expand"] = test::Typed(kRegExpandSz, std::string("%TEMP%\0", 7));
  tree.subkeys["sub"].values["bin"] = test::Typed(kRegBinary, std::string(100, '\x7f'));
  test::SeedTree(api, kHkeyCurrentUser, base.Path(), tree);
  const std::string file = folder.Path() + "cli.reg";
  const std::string exe = std::string("\"") + VELTRANE_CLI_EXE + "\"";
  ASSERT_EQ(RunProgram(exe + " export \"HKEY_CURRENT_USER\\" + base.Path() + "\" \"" + file + "\""),
            0);
  base.Remove();
  ASSERT_EQ(RunProgram(exe + " import \"" + file + "\""), 0);
  EXPECT_EQ(test::Difference(tree, test::ReadTree(api, kHkeyCurrentUser, base.Path())), "");
  test::WriteFile(file, "REGEDIT4\r\n[HKEY_NOWHERE\\x]\r\n");
  EXPECT_EQ(RunProgram(exe + " import \"" + file + "\""), 1);
}
#endif

}  // namespace
}  // namespace veltrane
