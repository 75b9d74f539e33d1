// veltrane-cli.exe scan end to end, under Wine: the real registry, the
// real file system and the real program. The test seeds its own keys and
// files, points the system root at C:\WINDOWS (so that the invalid path
// scan looks for the drive root, C:\, at the start of data), empties the
// history keys, and puts everything back afterwards. Wine's own keys are
// scanned too; only the rows of what the test seeded are compared.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <sstream>

#include "base/text.h"
#include "cli/row_format.h"
#include "tests/support/registry_seed.h"
#include "tests/support/run_program.h"
#include "tests/support/saved_registry.h"
#include "tests/support/system_words.h"
#include "tests/support/text.h"
#include "tests/support/win32_sandbox.h"

namespace veltrane::testing {
namespace {

using ::testing::ElementsAreArray;

struct Output {
  int exitCode = -1;
  std::string out, err;
};

Output RunCli(const std::string& arguments) {
  Output result;
  result.exitCode =
      RunProgram("\"" + WindowsPath(VELTRANE_CLI_EXE) + "\" " + arguments, result.out, result.err);
  return result;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

std::string Tsv(const std::string& category, const std::string& name, const std::string& data,
                const std::string& location) {
  std::string line = cli::TsvRow(Finding{category, name, data, location, true});
  line.pop_back();  // the line feed
  return line;
}

TEST(CliOnWine, ScanListsWhatTheSeededPrefixCallsFor) {
  Win32Registry registry;
  RegistrySeed user(registry);
  const std::string explorer = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";
  const std::string typedUrls = "Software\\Microsoft\\Internet Explorer\\TypedURLs";
  const ReplacedValue systemRoot(registry, kHkeyLocalMachine,
                                 "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "SystemRoot",
                                 "C:\\WINDOWS");
  const SavedKey typed(registry, kHkeyCurrentUser, typedUrls);
  const SavedKey runMru(registry, kHkeyCurrentUser, explorer + "\\RunMRU");
  const SavedKey recentDocs(registry, kHkeyCurrentUser, explorer + "\\RecentDocs");

  FileSandbox files("veltrane-e2e");
  files.File("\\app.exe");
  files.Folder("\\Dir");
  const std::string root = files.Root();
  const std::string top = UniqueName("VeltraneE2E");
  const std::string extension = "." + UniqueName("vlt");
  const SavedKey topKey(registry, kHkeyCurrentUser, "SOFTWARE\\" + top);
  const SavedKey extensionA(registry, kHkeyCurrentUser,
                            explorer + "\\FileExts\\" + extension + "a");
  const SavedKey extensionB(registry, kHkeyCurrentUser,
                            explorer + "\\FileExts\\" + extension + "b");

  const std::string k = "SOFTWARE\\" + top;
  user.Text(k, "gone", root + "\\gone.exe");
  user.Text(k, "exists", root + "\\app.exe");
  user.Text(k, "", root + "\\GoneDir\\");
  user.Text(k, "tab\tname", root + "\\gone");
  user.Text(k + "\\L2", "url", "file://" + root + "\\page.htm");
  user.Text(k + "\\L2\\L3", "icon", root + "\\APP.EXE,3");
  user.Text(k + "\\L2\\L3", "icon2", root + "\\gone.dll,1");
  user.Text(k + "\\L2\\L3\\L4", "lib", "$(BDS)\\lib;" + root + "\\lib");
  user.Text(k + "\\L2\\L3\\L4\\L5", "cmd", "\"" + root + "\\app.exe\" \"%1\"");
  user.Text(k + "\\L2\\L3\\L4\\L5", "gone", "\"" + root + "\\gone.exe\" \"%1\"");
  user.Text(k + "\\L2\\L3\\L4\\L5", "dir", root + "\\Dir\\");
  user.Text(k + "\\L2\\L3\\Uninstall\\App", "gone", root + "\\gone.exe");
  user.Text(k + "\\L2\\L3\\L4\\L5\\L6", "deep", root + "\\gone.exe");
  user.Key(explorer + "\\FileExts\\" + extension + "a\\OpenWithList");
  user.Text(explorer + "\\FileExts\\" + extension + "b\\OpenWithProgids", "prog", "");
  user.Text(typedUrls, "url1", "http://a/");
  user.Text(explorer + "\\RunMRU", "a", "cmd\\1");
  user.Text(explorer + "\\RunMRU", "MRUList", "a");
  user.Raw(explorer + "\\RecentDocs", "0", kRegBinary, std::string("d\0o\0c\0\0\0", 8));

  const Output scan = RunCli("scan --tsv");
  ASSERT_EQ(scan.exitCode, 0) << scan.err;

  const std::string location = "HKCU\\" + k;
  const std::vector<std::string> expected = {
      Tsv(kCategoryMissingPath, "(Default)", root + "\\GoneDir\\", location),
      Tsv(kCategoryMissingPath, "gone", root + "\\gone.exe", location),
      Tsv(kCategoryMissingPath, "tab\tname", root + "\\gone", location),
      Tsv(kCategoryMissingPath, "url", root + "\\page.htm", location + "\\L2"),
      Tsv(kCategoryMissingPath, "icon2", root + "\\gone.dll", location + "\\L2\\L3"),
      Tsv(kCategoryMissingPath, "lib", root + "\\lib", location + "\\L2\\L3\\L4"),
      Tsv(kCategoryMissingPath, "gone", root + "\\gone.exe ", location + "\\L2\\L3\\L4\\L5"),
      Tsv(kCategoryEmptyExtension, extension + "a", "", "HKCU\\" + explorer + "\\FileExts\\"),
      Tsv(kCategoryTypedUrl, "url1", "http://a/", "HKCU\\" + typedUrls),
      Tsv(kCategoryRunMru, "a", "cmd\\1", "HKCU\\" + explorer + "\\RunMRU"),
      Tsv(kCategoryRunMru, "MRUList", "a", "HKCU\\" + explorer + "\\RunMRU"),
      Tsv(kCategoryRecentDocs, "0", std::string("d\0o\0c\0\0", 7),
          "HKCU\\" + explorer + "\\RecentDocs"),
  };
  const std::vector<std::string> lines = Lines(scan.out);
  std::vector<std::string> ours;
  const std::string ourLocation = cli::EscapeTsvField(location);
  const std::string ourExtension = cli::EscapeTsvField(extension);
  for (const std::string& line : lines) {
    EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 3) << line;
    const bool mine =
        line.find("\t" + ourLocation) != std::string::npos ||
        line.rfind(std::string(kCategoryEmptyExtension) + "\t" + ourExtension, 0) == 0 ||
        line.rfind(kCategoryTypedUrl, 0) == 0 || line.rfind(kCategoryRunMru, 0) == 0 ||
        line.rfind(kCategoryRecentDocs, 0) == 0;
    if (mine) ours.push_back(line);
  }
  EXPECT_THAT(ours, ElementsAreArray(expected));
  // Every row printed is counted, Wine's own included.
  const std::vector<std::string> progress = Lines(scan.err);
  ASSERT_FALSE(progress.empty());
  EXPECT_EQ(progress.back(),
            "Scan complete -> " + std::to_string(lines.size()) + " items should be remove");

  // The readable form says the same, status included, on stdout.
  const Output table = RunCli("scan");
  ASSERT_EQ(table.exitCode, 0);
  EXPECT_EQ(Lines(table.out).back(), progress.back());
  EXPECT_NE(table.out.find(root + "\\page.htm"), std::string::npos);
}

// A Wine prefix's system root is C:\windows: the path check only looks at
// data beginning with that, unless --drive-root names the drive.
TEST(CliOnWine, DriveRootLetsTheDefaultPrefixCheckTheWholeDrive) {
  Win32Registry registry;
  RegistrySeed user(registry);
  const std::string top = UniqueName("VeltraneDriveRoot");
  const SavedKey topKey(registry, kHkeyCurrentUser, "SOFTWARE\\" + top);
  user.Text("SOFTWARE\\" + top, "gone", "C:\\Gone\\x.exe");
  const std::string row =
      Tsv(kCategoryMissingPath, "gone", "C:\\Gone\\x.exe", "HKCU\\SOFTWARE\\" + top);

  const Output plain = RunCli("scan --tsv");
  ASSERT_EQ(plain.exitCode, 0) << plain.err;
  EXPECT_THAT(Lines(plain.out), ::testing::Not(::testing::Contains(row)));
  const Output rooted = RunCli("scan --tsv --drive-root C:\\");
  ASSERT_EQ(rooted.exitCode, 0) << rooted.err;
  EXPECT_THAT(Lines(rooted.out), ::testing::Contains(row));
}

// A drive root, names and texts in any script: on the command line, in the
// rows, as TSV bytes, as JSON text and in a table whose columns line up.
TEST(CliOnWine, TakesAndWritesEveryScript) {
  Win32Registry registry;
  RegistrySeed user(registry);
  FileSandbox files("veltrane-scripts");
  files.Folder("\\Диск 😀");
  files.File("\\Диск 😀\\есть.txt");
  const std::string root = files.Root() + "\\Диск 😀";
  const std::string top = UniqueName("VeltraneScripts");
  const SavedKey topKey(registry, kHkeyCurrentUser, "SOFTWARE\\" + top);
  const std::string key = "SOFTWARE\\" + top + "\\日本";
  user.Text(key, "нет", root + "\\нет.txt");
  user.Text(key, "есть", root + "\\есть.txt");
  user.Text(key, "ω", root + "\\ωμέγα.exe");

  const std::string location = "HKCU\\" + key;
  const Output tsv = RunCli("scan --tsv --drive-root \"" + root + "\"");
  ASSERT_EQ(tsv.exitCode, 0) << tsv.err;
  EXPECT_THAT(
      Lines(tsv.out),
      ::testing::IsSupersetOf({Tsv(kCategoryMissingPath, "нет", root + "\\нет.txt", location),
                               Tsv(kCategoryMissingPath, "ω", root + "\\ωμέγα.exe", location)}));
  EXPECT_EQ(tsv.out.find("есть"), std::string::npos) << "the file is there";

  const Output json = RunCli("scan --json --drive-root \"" + root + "\"");
  ASSERT_EQ(json.exitCode, 0) << json.err;
  EXPECT_NE(json.out.find("\"ValueName\": \"нет\", \"ValueData\": \"" +
                          Replaced(root, "\\", "\\\\") + "\\\\нет.txt\""),
            std::string::npos)
      << json.out;

  // The table's columns line up where the texts take one column a
  // character: the location column starts at the same place on each line.
  const Output table = RunCli("scan --drive-root \"" + root + "\"");
  ASSERT_EQ(table.exitCode, 0) << table.err;
  std::vector<std::size_t> columns;
  for (const std::string& line : Lines(table.out)) {
    const std::size_t at = line.find(location);
    if (at != std::string::npos) columns.push_back(DisplayWidth(line.substr(0, at)));
  }
  ASSERT_EQ(columns.size(), 2u) << table.out;
  EXPECT_EQ(columns[0], columns[1]);
}

// The help forms of GNU and Windows, the version and a usage error, as a
// console user sees them.
TEST(CliOnWine, HelpVersionAndUsageErrors) {
  const Output overview = RunCli("--help");
  ASSERT_EQ(overview.exitCode, 0);
  EXPECT_EQ(overview.out.rfind("Usage: veltrane-cli COMMAND [OPTIONS]\n", 0), 0u);
  EXPECT_EQ(overview.err, "");
  for (const char* form : {"-h", "/?", "help"}) EXPECT_EQ(RunCli(form).out, overview.out) << form;
  const Output exportHelp = RunCli("export /?");
  EXPECT_EQ(exportHelp.exitCode, 0);
  EXPECT_EQ(exportHelp.out.rfind("Usage: veltrane-cli export KEY FILE\n", 0), 0u);
  EXPECT_EQ(RunCli("help export").out, exportHelp.out);
  for (const char* form : {"--version", "-V"}) {
    const Output version = RunCli(form);
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "veltrane-cli 1.0\n");
  }
  const Output refused = RunCli("scan --bogus");
  EXPECT_EQ(refused.exitCode, 2);
  EXPECT_EQ(refused.out, "");
  EXPECT_EQ(refused.err,
            "veltrane-cli: scan: unknown option --bogus\nTry 'veltrane-cli scan --help'.\n");
}

// Each of reg.exe's short root names exports the key its full name does.
TEST(CliOnWine, ExportTakesTheShortRootNames) {
  const TempFolder folder;
  const std::vector<std::pair<std::string, std::string>> keys = {
      {"HKCU\\Environment", "HKEY_CURRENT_USER\\Environment"},
      {"hklm\\Software\\Classes\\txtfile", "HKEY_LOCAL_MACHINE\\Software\\Classes\\txtfile"},
      {"HKCR\\txtfile", "HKEY_CLASSES_ROOT\\txtfile"},
      {"HKU\\.DEFAULT\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
       "HKEY_USERS\\.DEFAULT\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell "
       "Folders"},
      {"HKCC\\Software\\Fonts", "HKEY_CURRENT_CONFIG\\Software\\Fonts"},
  };
  for (const auto& [shortName, fullName] : keys) {
    SCOPED_TRACE(shortName);
    const std::string byShort = folder.Path() + "short.reg", byFull = folder.Path() + "full.reg";
    const Output exported = RunCli("export \"" + shortName + "\" \"" + byShort + "\"");
    ASSERT_EQ(exported.exitCode, 0) << exported.err;
    ASSERT_EQ(RunCli("export \"" + fullName + "\" \"" + byFull + "\"").exitCode, 0);
    const std::string text = ReadFile(byShort);
    EXPECT_EQ(text.rfind("REGEDIT4\r\n\r\n[" + fullName + "]\r\n", 0), 0u);
    EXPECT_EQ(text, ReadFile(byFull));
  }
}

// A failed file operation names the file and gives the system's reason.
TEST(CliOnWine, FileErrorsSayWhy) {
  const TempFolder folder;
  const std::string missing = folder.Path() + "missing.reg";
  const Output imported = RunCli("import \"" + missing + "\"");
  EXPECT_EQ(imported.exitCode, 1);
  EXPECT_EQ(imported.err,
            "veltrane-cli: import: cannot open " + missing + ": " + NoSuchFileWords() + "\n");

  const std::string nowhere = folder.Path() + "nonexistent\\x.reg";
  const Output exported = RunCli("export HKCU\\Environment \"" + nowhere + "\"");
  EXPECT_EQ(exported.exitCode, 1);
  EXPECT_EQ(exported.err,
            "veltrane-cli: export: cannot create " + nowhere + ": " + NoSuchFolderWords() + "\n");

  const std::string inside = folder.Path() + "out";
  CreateDirectoryA(inside.c_str(), nullptr);
  const Output toFolder = RunCli("export HKCU\\Environment \"" + inside + "\"");
  EXPECT_EQ(toFolder.exitCode, 1);
  EXPECT_EQ(toFolder.err,
            "veltrane-cli: export: cannot create " + inside + ": it is a folder, not a file.\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 1);
}

}  // namespace
}  // namespace veltrane::testing
