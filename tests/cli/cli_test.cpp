#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

#include "cli/cli.h"
#include "cli/console_host.h"
#include "cli/row_format.h"
#include "registry/memory_registry.h"
#include "scan/memory_file_system.h"
#include "tests/support/registry_seed.h"

namespace veltrane::testing {
namespace {

using ::testing::HasSubstr;

TEST(TsvField, EscapesBackslashesAndEveryControlByte) {
  struct Case {
    std::string text, escaped;
  };
  const std::vector<Case> cases = {
      {"", ""},
      {"C:\\Gone\\a b", "C:\\\\Gone\\\\a b"},
      {"a\tb\nc\rd", "a\\tb\\nc\\rd"},
      {std::string("\0\x01\x1f\x7f", 4), "\\x00\\x01\\x1f\x7f"},
      {"\x1b[31m", "\\x1b[31m"},
      {"caf\xe9 \x80\xff", "caf\xe9 \x80\xff"},  // 8-bit text stays as it is
      {"\\t", "\\\\t"},                          // a backslash before t stays telling
  };
  for (const Case& test : cases) EXPECT_EQ(cli::EscapeTsvField(test.text), test.escaped);
  EXPECT_EQ(cli::EscapeControls("C:\\a\tb"), "C:\\a\\tb");
  EXPECT_EQ(cli::TsvRow(Finding{"a", "b\tc", "", "d\\e", true}), "a\tb\\tc\t\td\\\\e\n");
}

TEST(Arguments, SplitFlagsOptionsAndPositionals) {
  std::string error;
  auto parsed = cli::ParseArguments({"--tsv", "--skip", "typeurl", "KEY", "--", "--skip"},
                                    {"--tsv"}, {"--skip"}, error);
  ASSERT_TRUE(parsed);
  EXPECT_TRUE(parsed->Has("--tsv"));
  EXPECT_EQ(parsed->options.count("--skip"), 1u);
  EXPECT_EQ(parsed->positionals, (std::vector<std::string>{"KEY", "--skip"}));
  EXPECT_FALSE(cli::ParseArguments({"--skip"}, {}, {"--skip"}, error));
  EXPECT_EQ(error, "option --skip needs a value");
  EXPECT_FALSE(cli::ParseArguments({"--TSV"}, {"--tsv"}, {}, error));
  EXPECT_EQ(error, "unknown option --TSV");
  // A lone "-" is an argument (a file name, say), not an option.
  EXPECT_EQ(cli::ParseArguments({"-"}, {}, {}, error)->positionals.size(), 1u);
}

TEST(ConsoleHost, WritesOneLineEachTimeTheBarMoves) {
  std::ostringstream progress;
  cli::ConsoleHost host(progress);
  host.SetProgressPosition(0);
  host.SetProgressMax(2);
  host.ProcessMessages();
  host.Pause(200);
  host.SetProgressPosition(0);
  host.SetStatus("HKEY_CURRENT_USER\\SOFTWARE\\A");
  host.SetStatus("HKEY_CURRENT_USER\\SOFTWARE\\A\\deeper");  // same position: no line
  host.SetProgressPosition(1);
  host.SetStatus("HKEY_CURRENT_USER\\SOFTWARE\\B\nC");
  host.SetProgressPosition(host.ProgressMax() + 5);
  host.SetStatus("Scan complete -> No Error Found");  // the driver's text is not progress
  EXPECT_EQ(progress.str(),
            "[1/2] HKEY_CURRENT_USER\\SOFTWARE\\A\n[2/2] HKEY_CURRENT_USER\\SOFTWARE\\B\\nC\n");
  EXPECT_EQ(host.Status(), "Scan complete -> No Error Found");
  host.SetProgressMax(-1);
  EXPECT_EQ(host.ProgressMax(), 2);
}

class CliTest : public ::testing::Test {
 protected:
  CliTest() {
    machine.Text("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "SystemRoot", "C:\\WINDOWS");
    files.AddFolder("C:\\WINDOWS");
  }
  int Run(const std::vector<std::string>& arguments) {
    out.str("");
    err.str("");
    return cli::Run(arguments, environment);
  }

  MemoryRegistry registry;
  MemoryFileSystem files;
  RegistrySeed machine{registry, kHkeyLocalMachine};
  RegistrySeed user{registry};
  std::ostringstream out, err;
  cli::Environment environment{registry, files, out, err, "C:\\Veltrane\\"};
};

TEST_F(CliTest, ScanTsvWritesRowsOnStdoutAndTheStatusLastOnStderr) {
  user.Text("SOFTWARE\\App", "path", "C:\\Gone\\a\tb.exe");
  user.Text("SOFTWARE\\App", "fine", "C:\\WINDOWS");
  user.Text("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU", "a", "cmd\r\n");
  EXPECT_EQ(Run({"scan", "--tsv"}), 0);
  EXPECT_EQ(
      out.str(),
      "Directory or File Path Not Exist\tpath\tC:\\\\Gone\\\\a\\tb.exe\tHKCU\\\\SOFTWARE\\\\App\n"
      "Entry types into Run on the Start Menu\ta\tcmd\\r\\n\t"
      "HKCU\\\\Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Explorer\\\\RunMRU\n");
  EXPECT_THAT(err.str(), HasSubstr("[1/2] HKEY_CURRENT_USER\\SOFTWARE\\App\n"));
  EXPECT_THAT(err.str(), ::testing::EndsWith("\nScan complete -> 2 items should be remove\n"));
}

TEST_F(CliTest, ScanWritesATableAndTheStatusOnStdout) {
  user.Text("SOFTWARE\\App", "path", "C:\\Gone\\app.exe");
  EXPECT_EQ(Run({"scan"}), 0);
  EXPECT_EQ(out.str(),
            "Clean Details                     Value Name  Value Data       Registry Location\n"
            "Directory or File Path Not Exist  path        C:\\Gone\\app.exe  HKCU\\SOFTWARE\\App\n"
            "\n"
            "Scan complete -> 1 items should be remove\n");
  EXPECT_THAT(err.str(), ::testing::Not(HasSubstr("Scan complete")));
}

TEST_F(CliTest, ScanReadsTheSystemDriveRootAsStartUpDoes) {
  user.Text("SOFTWARE\\App", "path", "C:\\Gone\\app.exe");
  machine.Text("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "SystemRoot", "C:\\Windows");
  EXPECT_EQ(Run({"scan", "--tsv"}), 0);  // "C:\Windows" keeps its "Windows": no path matches
  EXPECT_EQ(out.str(), "");
  EXPECT_THAT(err.str(), ::testing::EndsWith("Scan complete -> No Error Found\n"));
}

TEST_F(CliTest, RefusesUnknownCommandsAndOptionsWithTheUsage) {
  const std::vector<std::vector<std::string>> refused = {
      {}, {"bogus"}, {"--bogus"}, {"scan", "--csv"}, {"scan", "extra"}, {"SCAN"}, {"--help", "x"}};
  for (const auto& arguments : refused) {
    SCOPED_TRACE(::testing::PrintToString(arguments));
    EXPECT_EQ(Run(arguments), 2);
    EXPECT_EQ(out.str(), "");
    EXPECT_THAT(err.str(), HasSubstr("Usage: veltrane-cli COMMAND [OPTIONS]\n"));
    EXPECT_THAT(err.str(), HasSubstr("veltrane-cli scan [--tsv]\n"));
  }
}

TEST_F(CliTest, HelpExplainsTheCommandsOnStdout) {
  for (const auto& arguments :
       std::vector<std::vector<std::string>>{{"--help"}, {"scan", "--help"}}) {
    EXPECT_EQ(Run(arguments), 0);
    EXPECT_THAT(out.str(), HasSubstr("scan [--tsv]"));
    EXPECT_THAT(out.str(), HasSubstr("separated by tabs"));
    EXPECT_EQ(err.str(), "");
  }
}

}  // namespace
}  // namespace veltrane::testing
