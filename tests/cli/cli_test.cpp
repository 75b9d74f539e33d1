#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

#include "cli/cli.h"
#include "cli/console_host.h"
#include "cli/json_output.h"
#include "cli/row_format.h"
#include "registry/memory_registry.h"
#include "scan/memory_file_system.h"
#include "tests/support/files.h"
#include "tests/support/registry_seed.h"
#include "tests/support/throwaway.h"

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
      {"café € Д 日 😀", "café € Д 日 😀"},  // the text's own bytes
      {"\\t", "\\\\t"},                    // a backslash before t stays telling
  };
  for (const Case& test : cases) EXPECT_EQ(cli::EscapeTsvField(test.text), test.escaped);
  EXPECT_EQ(cli::EscapeControls("C:\\a\tb"), "C:\\a\\tb");
  EXPECT_EQ(cli::TsvRow(Finding{"a", "b\tc", "", "d\\e", true}), "a\tb\\tc\t\td\\\\e\n");
}

TEST(JsonString, WritesEveryByteAsACharacterOrAsItsOwnEscape) {
  // A double-byte code page of the test's own: 0x81 leads a character with
  // a second byte from 0x40 on, 0xF0 and three more bytes make one beyond
  // U+FFFF, 0xFE decodes to a lone surrogate; no other high byte converts.
  const cli::CharacterDecoder doubleByte = [](std::string_view bytes, std::u16string& units) {
    const auto first = static_cast<unsigned char>(bytes[0]);
    if (first < 0x80) {
      units += static_cast<char16_t>(first);
      return std::size_t{1};
    }
    if (first == 0x81 && bytes.size() > 1 && static_cast<unsigned char>(bytes[1]) >= 0x40) {
      units += u'\u3042';
      return std::size_t{2};
    }
    if (first == 0xF0 && bytes.size() >= 4) {
      units += u"\U0001F600";
      return std::size_t{4};
    }
    if (first == 0xFE) {
      units += static_cast<char16_t>(0xD800);
      return std::size_t{1};
    }
    return std::size_t{0};
  };
  struct Case {
    std::string text, json;
  };
  const std::vector<Case> cases = {
      {"", R"("")"},
      {"q\"b\\s\t\n\r\b\f\x1f\x7f", R"("q\"b\\s\t\n\r\b\f\u001f\u007f")"},
      {std::string("a\0b", 3), R"("a\u0000b")"},
      {"a\x81\x41z", "\"a\xe3\x81\x82z\""},          // U+3042 in UTF-8
      {"\x81", R"("\u0081")"},                       // a lead byte with nothing after it
      {"\x81\x01", R"("\u0081\u0001")"},             // one whose second byte is no trail
      {"\xff", R"("\u00ff")"},                       // a byte of no character
      {"\xf0\x9f\x98\x80", "\"\xf0\x9f\x98\x80\""},  // U+1F600 in UTF-8
      {"\xfe", R"("\ud800")"},
  };
  for (const Case& test : cases) EXPECT_EQ(cli::JsonString(test.text, doubleByte), test.json);
  // The program's code page, UTF-8: texts as they are, C1 controls escaped,
  // bytes that are no UTF-8 as their own escapes.
  EXPECT_EQ(cli::JsonString("é€\u0081\u009d Д日😀"), "\"é€\\u0081\\u009d Д日😀\"");
  EXPECT_EQ(cli::JsonString("\xe9\xc3"), R"("\u00e9\u00c3")");
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
  // GNU's attached form.
  parsed = cli::ParseArguments({"--skip=a=b", "--skip="}, {}, {"--skip"}, error);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->options.find("--skip")->second, "a=b");
  EXPECT_EQ(std::next(parsed->options.find("--skip"))->second, "");
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

TEST_F(CliTest, UsageErrorsSayWhatWasWrongAndWhereToLook) {
  const std::string program = "Try 'veltrane-cli --help'.\n";
  const std::string scan = "Try 'veltrane-cli scan --help'.\n";
  const std::string commands = "; the commands are scan, clean, export, import and help\n";
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{}, "no command given\n" + program},
      {{"bogus"}, "unknown command bogus" + commands + program},
      {{"SCAN"}, "unknown command SCAN" + commands + program},
      {{"--bogus"}, "unknown option --bogus\n" + program},
      {{"/s"}, "unknown option /s\n" + program},
      {{"--help", "x"}, "unknown command x" + commands + program},
      {{"help", "scan", "clean"}, "help takes one command name\n" + program},
      {{"--version", "x"}, "--version takes no arguments\n" + program},
      {{"scan", "--csv"}, "scan: unknown option --csv\n" + scan},
      {{"scan", "--tsv=yes"}, "scan: option --tsv takes no value\n" + scan},
      {{"scan", "extra"}, "scan: unexpected argument extra\n" + scan},
      {{"scan", "--", "--help"}, "scan: unexpected argument --help\n" + scan},
  };
  for (const auto& [arguments, message] : cases) {
    SCOPED_TRACE(::testing::PrintToString(arguments));
    EXPECT_EQ(Run(arguments), 2);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), "veltrane-cli: " + message);
  }
}

TEST_F(CliTest, HelpAndVersionInEveryFormOnStdout) {
  for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
           {"--help"}, {"-h"}, {"/?"}, {"help"}, {"help", "help"}, {"help", "-h"}}) {
    SCOPED_TRACE(::testing::PrintToString(arguments));
    EXPECT_EQ(Run(arguments), 0);
    EXPECT_EQ(out.str(), cli::Help());
    EXPECT_EQ(err.str(), "");
  }
  const cli::Command& scanCommand = cli::Commands().front();
  for (const std::vector<std::string>& arguments :
       std::vector<std::vector<std::string>>{{"scan", "--help"},
                                             {"scan", "-h"},
                                             {"scan", "/?"},
                                             {"help", "scan"},
                                             {"--help", "scan"},
                                             {"scan", "--tsv", "--bogus", "-h"}}) {
    SCOPED_TRACE(::testing::PrintToString(arguments));
    EXPECT_EQ(Run(arguments), 0);
    EXPECT_EQ(out.str(), cli::CommandHelp(scanCommand));
    EXPECT_EQ(err.str(), "");
  }
  for (const std::string option : {"--version", "-V"}) {
    EXPECT_EQ(Run({option}), 0);
    EXPECT_EQ(out.str(), "veltrane-cli 1.0\n");
  }
}

// Every help text fits an 80-column console, names each command in the
// overview, and gives each command its options, examples and exit status.
TEST(Help, FitsEightyColumnsAndCoversEveryCommand) {
  const auto expectNarrow = [](const std::string& text) {
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 80u) << line;
  };
  const std::string overview = cli::Help();
  expectNarrow(overview);
  for (const cli::Command& command : cli::Commands()) {
    SCOPED_TRACE(command.name);
    EXPECT_THAT(overview, HasSubstr("\n  " + command.name + " "));
    const std::string help = cli::CommandHelp(command);
    expectNarrow(help);
    EXPECT_EQ(help.rfind("Usage: veltrane-cli " + command.name, 0), 0u);
    for (const char* section : {"\nOptions:\n", "\nExamples:\n", "\nExit status: 0 "}) {
      EXPECT_THAT(help, HasSubstr(section));
    }
  }
  // A synopsis too long for one line goes on under its first option.
  EXPECT_THAT(cli::CommandHelp(cli::Commands()[1]),
              ::testing::StartsWith("Usage: veltrane-cli clean [--skip CHECK]... [--tsv | --json]\n"
                                    "                          [--drive-root PATH]\n\n"));
}

TEST_F(CliTest, RefusesBadOutputAndDriveRootOptionsBeforeItChangesAnything) {
  const std::string runMru = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";
  user.Text(runMru, "a", "cmd");
  struct Case {
    std::vector<std::string> arguments;
    std::string message;
  };
  const std::vector<Case> cases = {
      {{"scan", "--json", "--tsv"}, "scan: --json and --tsv cannot be combined"},
      {{"clean", "--tsv", "--json"}, "clean: --json and --tsv cannot be combined"},
      {{"scan", "--drive-root"}, "scan: option --drive-root needs a value"},
      {{"clean", "--drive-root", ""}, "clean: --drive-root needs a folder, such as C:\\"},
      {{"scan", "--drive-root", "WINDOWS"}, "scan: --drive-root WINDOWS is not an absolute"},
      {{"scan", "--drive-root", "C:"}, "scan: --drive-root C: is not an absolute"},
      {{"scan", "--drive-root", "C:/"}, "scan: --drive-root C:/ is not an absolute"},
      {{"scan", "--drive-root", "\\\\server"}, "scan: --drive-root \\\\server is not an absolute"},
      {{"clean", "--drive-root", "C:\\Gone"}, "clean: --drive-root C:\\Gone: no such folder"},
      {{"scan", "--drive-root", "C:\\", "--drive-root", "C:\\"},
       "scan: --drive-root is given more than once"},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(::testing::PrintToString(test.arguments));
    EXPECT_EQ(Run(test.arguments), 2);
    EXPECT_EQ(out.str(), "");
    EXPECT_THAT(err.str(), HasSubstr("veltrane-cli: " + test.message));
  }
  EXPECT_TRUE(user.Exists(runMru, "a"));
}

#ifndef _WIN32
// The document as Python's json module reads it (strict UTF-8, no raw
// control characters), written back on one line with every character
// beyond ASCII as \uXXXX.
std::string ParsedByPython(const std::string& document) {
  const TempFolder folder("veltrane-json");
  const std::string path = folder.Path() + "out.json";
  WriteFile(path, document);
  const std::string command =
      std::string(VELTRANE_PYTHON) +
      " -c 'import json, sys; print(json.dumps(json.loads(open(sys.argv[1], \"rb\").read()"
      ".decode(\"utf-8\"))))' " +
      path + " 2>&1";
  FILE* const python = popen(command.c_str(), "r");
  if (!python) return "cannot start " + command;
  std::string parsed;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, python)) > 0;)
    parsed.append(buffer, n);
  const int status = pclose(python);
  return status == 0 ? parsed : "python failed: " + parsed;
}

TEST_F(CliTest, JsonHoldsEveryTextOfTheFindingsAndTheStatus) {
  // As in a Wine prefix: the lower-case system root keeps its name, so
  // only --drive-root makes the path check look at drive C:.
  machine.Text("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "SystemRoot", "C:\\windows");
  const std::string runMru = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";
  user.Text("SOFTWARE\\App", "q\"b\\s\t\x01é€", "C:\\Gone\\x\u0081Д😀.exe");
  user.Raw("SOFTWARE\\App", "z", kRegMultiSz, std::string("C:\\Gone\\a\0b\0\0", 13));
  user.Text(runMru, "a", "cmd\r\n");

  ASSERT_EQ(Run({"scan", "--json", "--drive-root", "C:\\"}), 0);
  EXPECT_EQ(
      ParsedByPython(out.str()),
      R"({"Findings": [)"
      R"({"CleanDetails": "Directory or File Path Not Exist", )"
      R"("ValueName": "q\"b\\s\t\u0001\u00e9\u20ac", )"
      R"("ValueData": "C:\\Gone\\x\u0081\u0414\ud83d\ude00.exe", )"
      R"("RegistryLocation": "HKCU\\SOFTWARE\\App", "Ticked": true}, )"
      R"({"CleanDetails": "Directory or File Path Not Exist", )"
      R"("ValueName": "z", "ValueData": "C:\\Gone\\a\u0000b\u0000", )"
      R"("RegistryLocation": "HKCU\\SOFTWARE\\App", "Ticked": true}, )"
      R"({"CleanDetails": "Entry types into Run on the Start Menu", )"
      R"("ValueName": "a", "ValueData": "cmd\r\n", )"
      R"("RegistryLocation": "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU", )"
      R"("Ticked": true}], "Status": "Scan complete -> 3 items should be remove"})"
      "\n");
  EXPECT_THAT(err.str(), ::testing::Not(HasSubstr("Scan complete")));

  ASSERT_EQ(Run({"scan", "--json"}), 0);
  EXPECT_THAT(ParsedByPython(out.str()),
              HasSubstr(R"("Status": "Scan complete -> 1 items should be remove")"));

  // A clean lists what it left, unticked.
  const TempFolder folder("veltrane-json-clean");
  environment.exeFolder = folder.Path();
  ASSERT_EQ(Run({"clean", "--json", "--skip", "runmru", "--drive-root", "C:\\"}), 0) << err.str();
  EXPECT_EQ(
      ParsedByPython(out.str()),
      R"({"Findings": [{"CleanDetails": "Entry types into Run on the Start Menu", )"
      R"("ValueName": "a", "ValueData": "cmd\r\n", )"
      R"("RegistryLocation": "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU", )"
      R"("Ticked": false}], "Status": "1 Error Found"})"
      "\n");
}
#endif

}  // namespace
}  // namespace veltrane::testing
