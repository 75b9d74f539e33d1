#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <tuple>

#include "clean/backup.h"
#include "cli/cli.h"
#include "registry/memory_registry.h"
#include "registry/tregistry.h"
#include "scan/memory_file_system.h"
#include "tests/support/files.h"
#include "tests/support/registry_seed.h"
#include "tests/support/run_program.h"
#include "tests/support/system_words.h"
#include "tests/support/throwaway.h"
#include "tests/support/tree.h"

#ifdef _WIN32
#include <windows.h>

#include "registry/win32_registry.h"
#endif

namespace veltrane::testing {
namespace {

using ::testing::EndsWith;
using ::testing::HasSubstr;

constexpr const char* kTyped = "Software\\Microsoft\\Internet Explorer\\TypedURLs";
constexpr const char* kRunMru = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";

class CliCommandsTest : public ::testing::Test {
 protected:
  CliCommandsTest() {
    RegistrySeed(registry_, kHkeyLocalMachine)
        .Text("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "SystemRoot", "C:\\WINDOWS");
    files_.AddFolder("C:\\WINDOWS");
  }

  int Run(const std::vector<std::string>& arguments) {
    out_.str("");
    err_.str("");
    return cli::Run(arguments, environment_);
  }

  void SeedFindings() {
    user_.Text(kTyped, "url1", "http://example.com/");
    user_.Text(kRunMru, "a", "cmd\\1");
    user_.Text("SOFTWARE\\App", "path", "C:\\Gone\\app.exe");
  }

  TreeKey Tree(const std::string& path) { return ReadTree(registry_, kHkeyCurrentUser, path); }

  MemoryRegistry registry_;
  RegistrySeed user_{registry_};
  MemoryFileSystem files_;
  TempFolder folder_, userFolder_;
  std::ostringstream out_, err_;
  cli::Environment environment_{registry_, files_,         out_,
                                err_,      folder_.Path(), userFolder_.Path() + "Veltrane/"};
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
  const std::string backup = ReadFile(FindBackupFile(folder_.Path()));
  EXPECT_THAT(backup, HasSubstr("\"url1\"=\"http://example.com/\"\r\n"));
  user_.Text(kTyped, "url2", "http://other/");
  EXPECT_EQ(Run({"clean", "--skip", "runmru", "--skip", "invalid_filepath"}), 0);
  EXPECT_TRUE(Tree(kTyped).values.empty());
  EXPECT_EQ(ReadFile(FindBackupFile(folder_.Path())), backup);
  EXPECT_THAT(out_.str(), EndsWith("\n1 Error Found\n"));
}

TEST_F(CliCommandsTest, CleanWithNothingFoundWritesNoBackup) {
  EXPECT_EQ(Run({"clean"}), 0);
  // An empty list leaves the status line to the scan.
  EXPECT_EQ(out_.str(), "Scan complete -> No Error Found\n");
  EXPECT_EQ(FindBackupFile(folder_.Path()), "");
}

TEST_F(CliCommandsTest, CleanBacksUpToTheUserFolderOrCleansNothing) {
  SeedFindings();
  // Folders that cannot be made: their parent is a file.
  WriteFile(folder_.Path() + "file", "");
  environment_.exeFolder = folder_.Path() + "file/program/";
  const std::string user = environment_.userFolder;
  environment_.userFolder = folder_.Path() + "file/Veltrane/";
  EXPECT_EQ(Run({"clean"}), 1);
  EXPECT_THAT(err_.str(),
              HasSubstr("veltrane-cli: clean: Nothing was cleaned: the backup could "
                        "not be written to " +
                        environment_.exeFolder + " or " + environment_.userFolder +
                        " (cannot create " + environment_.exeFolder + "backuphkcu.REG: "));
  EXPECT_EQ(Tree(kTyped).values.count("url1"), 1u);

  environment_.userFolder = user;
  EXPECT_EQ(Run({"clean"}), 0);
  EXPECT_THAT(err_.str(), HasSubstr("Backup written to " + user + "backuphkcu.REG\n"));
  EXPECT_THAT(err_.str(), HasSubstr("Undo file written to " + user + "veltrane-undo-"));
  EXPECT_THAT(ReadFile(user + "backuphkcu.REG"), HasSubstr("\"url1\"=\"http://example.com/\""));
  EXPECT_EQ(Tree(kTyped).values.count("url1"), 0u);
}

TEST_F(CliCommandsTest, RefusesBadArgumentsPointingToTheCommandsHelp) {
  const std::string unknownRoot =
      "unknown root key HKXX; use HKCU, HKLM, HKCR, HKU or HKCC, or the full name, as "
      "HKEY_CURRENT_USER";
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"clean", "--skip", "bogus"},
       "clean: unknown check bogus (one of invalid_filepath, hkcuext, typeurl, runmru, "
       "recentdocs)\nTry 'veltrane-cli clean --help'."},
      {{"clean", "extra"}, "clean: unexpected argument extra\nTry 'veltrane-cli clean --help'."},
      {{"export", "HKCU\\Software"},
       "export: needs a key and a file name\nTry 'veltrane-cli export --help'."},
      {{"export", "HKXX\\Software", "out.reg"},
       "export: " + unknownRoot + "\nTry 'veltrane-cli export --help'."},
      {{"import"}, "import: needs a file name\nTry 'veltrane-cli import --help'."},
      {{"import", "a.reg", "b.reg"},
       "import: needs a file name\nTry 'veltrane-cli import --help'."},
  };
  for (const auto& [arguments, message] : cases) {
    SCOPED_TRACE(::testing::PrintToString(arguments));
    EXPECT_EQ(Run(arguments), 2);
    EXPECT_EQ(err_.str(), "veltrane-cli: " + message + "\n");
  }
}

// reg.exe's short names and the full ones, in any letter case.
TEST_F(CliCommandsTest, ExportTakesEveryRootByShortAndFullName) {
  const std::vector<std::tuple<std::string, RegKey, std::string>> roots = {
      {"HKCU", kHkeyCurrentUser, "HKEY_CURRENT_USER"},
      {"hklm", kHkeyLocalMachine, "HKEY_LOCAL_MACHINE"},
      {"HkCr", kHkeyClassesRoot, "HKEY_CLASSES_ROOT"},
      {"HKU", kHkeyUsers, "HKEY_USERS"},
      {"HKCC", kHkeyCurrentConfig, "HKEY_CURRENT_CONFIG"},
      {"hkey_users", kHkeyUsers, "HKEY_USERS"},
  };
  const std::string file = folder_.Path() + "root.reg";
  for (const auto& [name, root, full] : roots) {
    SCOPED_TRACE(name);
    RegistrySeed(registry_, root).Text("Veltrane Root", "v", "w");
    EXPECT_EQ(Run({"export", name + "\\Veltrane Root", file}), 0) << err_.str();
    EXPECT_EQ(ReadFile(file), "REGEDIT4\r\n\r\n[" + full + "\\Veltrane Root]\r\n\"v\"=\"w\"\r\n");
  }
}

TEST_F(CliCommandsTest, ExportThenImportRestoresTheKey) {
  TreeKey tree;
  tree.values["v"] = Sz("w");
  tree.subkeys["sub"].values[""] = Dword(5);
  user_.Tree("Software\\Mine", tree);
  const std::string file = folder_.Path() + "mine.reg";
  EXPECT_EQ(Run({"export", "hkey_current_user\\Software\\Mine", file}), 0);
  EXPECT_EQ(out_.str(), "Exported hkey_current_user\\Software\\Mine to " + file + "\n");
  EXPECT_EQ(ReadFile(file),
            "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Mine]\r\n\"v\"=\"w\"\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\Mine\\sub]\r\n@=dword:00000005\r\n");

  TRegistry remover(registry_);
  ASSERT_TRUE(remover.RemoveKey("\\Software\\Mine"));
  EXPECT_EQ(Run({"import", file}), 0);
  EXPECT_EQ(out_.str(), "Imported 2 keys and 2 values\n");
  EXPECT_EQ(Difference(tree, Tree("Software\\Mine")), "");
  // Its undo file, named before the import began, takes the key away again.
  const std::string lead = "Undo file written to ";
  ASSERT_EQ(err_.str().rfind(lead + folder_.Path() + "veltrane-undo-import-", 0), 0u) << err_.str();
  EXPECT_EQ(Run({"import", err_.str().substr(lead.size(), err_.str().size() - lead.size() - 1)}),
            0);
  EXPECT_FALSE(user_.Exists("Software\\Mine"));
}

TEST_F(CliCommandsTest, ExportAndImportFailuresExitWithOne) {
  EXPECT_EQ(Run({"export", "HKEY_CURRENT_USER\\Software\\Missing", folder_.Path() + "x.reg"}), 1);
  EXPECT_EQ(err_.str(), "veltrane-cli: export: no key HKEY_CURRENT_USER\\Software\\Missing\n");
  user_.Key("Software\\Here");
  const std::string unwritable = folder_.Path() + "no folder/x.reg";
  EXPECT_EQ(Run({"export", "HKEY_CURRENT_USER\\Software\\Here", unwritable}), 1);
  EXPECT_EQ(err_.str(), "veltrane-cli: export: cannot create " + unwritable + ": " +
                            NoSuchFolderWords() + "\n");
  // A folder named as the file: said so before anything is written.
  EXPECT_EQ(Run({"export", "HKCU\\Software\\Here", folder_.Path()}), 1);
  EXPECT_EQ(err_.str(), "veltrane-cli: export: cannot create " + folder_.Path() +
                            ": it is a folder, not a file.\n");
  const std::string missing = folder_.Path() + "missing.reg";
  EXPECT_EQ(Run({"import", missing}), 1);
  EXPECT_EQ(err_.str(),
            "veltrane-cli: import: cannot open " + missing + ": " + NoSuchFileWords() + "\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_.Path()), {}), 0);

  const std::string bad = folder_.Path() + "bad.reg";
  WriteFile(bad, "REGEDIT4\r\n[HKEY_CURRENT_USER\\Software\\New]\r\n\"a\"=hex:1,2,xyz\r\n");
  EXPECT_EQ(Run({"import", bad}), 1);
  EXPECT_EQ(out_.str(), "");
  EXPECT_EQ(err_.str(), "veltrane-cli: import: " + bad +
                            ": line 3: bad hex byte \"xyz\". Nothing was changed.\n");
  EXPECT_FALSE(user_.Exists("Software\\New"));
}

#ifdef _WIN32
// veltrane-cli.exe itself on the real registry.
TEST(CliProgramTest, ExportAndImportOnTheRealRegistry) {
  Win32Registry api;
  ThrowawayKey base(api, "cli");
  TempFolder folder;
  TreeKey tree;
  tree.values["quote\"d"] = Sz("line\r\nbreak");
  tree.values["expand"] = Typed(kRegExpandSz, std::string("%TEMP%\0", 7));
  tree.subkeys["sub"].values["bin"] = Typed(kRegBinary, std::string(100, '\x7f'));
  RegistrySeed(api).Tree(base.Path(), tree);
  const std::string file = folder.Path() + "cli.reg";
  const std::string exe = "\"" + WindowsPath(VELTRANE_CLI_EXE) + "\"";
  ASSERT_EQ(RunProgram(exe + " export \"HKEY_CURRENT_USER\\" + base.Path() + "\" \"" + file + "\""),
            0);
  base.Remove();
  ASSERT_EQ(RunProgram(exe + " import \"" + file + "\""), 0);
  EXPECT_EQ(Difference(tree, ReadTree(api, kHkeyCurrentUser, base.Path())), "");
  WriteFile(file, "REGEDIT4\r\n[HKEY_NOWHERE\\x]\r\n");
  EXPECT_EQ(RunProgram(exe + " import \"" + file + "\""), 1);
}
#endif

}  // namespace
}  // namespace veltrane::testing
