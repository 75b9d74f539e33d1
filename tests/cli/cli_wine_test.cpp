// veltrane-cli.exe scan end to end, under Wine: the real registry, the
// real file system and the real program. The test seeds its own keys and
// files, points the system root at C:\WINDOWS (so that the invalid path
// scan looks for the drive root, C:\, at the start of data), empties the
// history keys, and puts everything back afterwards. Wine's own keys are
// scanned too; only the rows of what the test seeded are compared.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <sstream>

#include "cli/row_format.h"
#include "tests/scan/support/win32_sandbox.h"

namespace veltrane::testing {
namespace {

using ::testing::ElementsAreArray;

struct SavedValue {
  std::string name;
  std::uint32_t type = 0;
  std::string data;
};

// Reads every value of a key (nothing when it does not exist).
std::vector<SavedValue> ReadValues(RegistryApi& api, RegKey root, const std::string& path) {
  std::vector<SavedValue> values;
  RegKey key = 0;
  if (api.OpenKeyEx(root, path, kKeyRead, &key) != kErrorSuccess) return values;
  for (std::uint32_t index = 0;; ++index) {
    char name[16384];
    std::uint32_t nameLength = sizeof name;
    std::uint32_t type = 0, size = 0;
    if (api.EnumValue(key, index, name, &nameLength, &type, nullptr, &size) != kErrorSuccess) break;
    std::string data(size, '\0');
    std::uint32_t read = size;
    const std::string valueName(name, nameLength);
    api.QueryValue(key, valueName, &type, reinterpret_cast<std::uint8_t*>(data.data()), &read);
    values.push_back({valueName, type, data.substr(0, read)});
  }
  api.CloseKey(key);
  return values;
}

// Remembers which keys along a path exist; when it goes, removes the ones
// made since (the shallowest of them, with everything below it).
class MadeKeys {
 public:
  MadeKeys(RegistryApi& api, RegKey root, const std::string& path) : seed_(api, root) {
    for (std::size_t end = 0; end != std::string::npos;) {
      end = path.find('\\', end + 1);
      const std::string prefix = path.substr(0, end);
      RegKey key = 0;
      if (api.OpenKeyEx(root, prefix, kKeyRead, &key) != kErrorSuccess) {
        firstMade_ = prefix;
        break;
      }
      api.CloseKey(key);
    }
  }
  ~MadeKeys() {
    if (!firstMade_.empty()) seed_.DeleteTree(firstMade_);
  }
  MadeKeys(const MadeKeys&) = delete;
  MadeKeys& operator=(const MadeKeys&) = delete;

 private:
  RegistrySeed seed_;
  std::string firstMade_;
};

// Empties a key's values for the test and puts them back afterwards; keys
// the test had to make are removed again.
class ClearedKey {
 public:
  ClearedKey(RegistryApi& api, RegKey root, std::string path)
      : made_(api, root, path), api_(api), root_(root), path_(std::move(path)), seed_(api, root) {
    saved_ = ReadValues(api_, root_, path_);
    Clear();
  }
  ~ClearedKey() {
    Clear();
    for (const SavedValue& value : saved_) seed_.Raw(path_, value.name, value.type, value.data);
  }
  ClearedKey(const ClearedKey&) = delete;
  ClearedKey& operator=(const ClearedKey&) = delete;

 private:
  void Clear() {
    for (const SavedValue& value : ReadValues(api_, root_, path_)) {
      seed_.DeleteValue(path_, value.name);
    }
  }
  MadeKeys made_;  // goes last
  RegistryApi& api_;
  RegKey root_;
  std::string path_;
  RegistrySeed seed_;
  std::vector<SavedValue> saved_;
};

// Sets one value for the test and restores what was there.
class ReplacedValue {
 public:
  ReplacedValue(RegistryApi& api, RegKey root, std::string path, std::string name,
                const std::string& text)
      : api_(api), root_(root), path_(std::move(path)), name_(std::move(name)), seed_(api, root) {
    for (const SavedValue& value : ReadValues(api_, root_, path_)) {
      if (_stricmp(value.name.c_str(), name_.c_str()) == 0) saved_ = value;
    }
    seed_.Text(path_, name_, text);
  }
  ~ReplacedValue() {
    if (saved_) {
      seed_.Raw(path_, saved_->name, saved_->type, saved_->data);
    } else {
      seed_.DeleteValue(path_, name_);
    }
  }
  ReplacedValue(const ReplacedValue&) = delete;
  ReplacedValue& operator=(const ReplacedValue&) = delete;

 private:
  RegistryApi& api_;
  RegKey root_;
  std::string path_, name_;
  RegistrySeed seed_;
  std::optional<SavedValue> saved_;
};

struct Output {
  DWORD exitCode = 0;
  std::string out, err;
};

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

// Runs veltrane-cli.exe with the arguments; stdout and stderr go through
// files so that neither can fill up and stall the program.
Output RunCli(const std::string& arguments) {
  std::string exe = VELTRANE_CLI_EXE;  // a path of the build machine
  if (!exe.empty() && exe[0] == '/') exe = "Z:" + exe;
  for (char& c : exe) c = c == '/' ? '\\' : c;
  char folder[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  const std::string stem = std::string(folder) + UniqueName("veltrane-cli");
  const std::string outPath = stem + ".out", errPath = stem + ".err";
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  const HANDLE out = CreateFileA(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                 CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY, nullptr);
  const HANDLE err = CreateFileA(errPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                 CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY, nullptr);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = out;
  startup.hStdError = err;
  PROCESS_INFORMATION process{};
  std::string commandLine = "\"" + exe + "\" " + arguments;
  Output result;
  const BOOL started = CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                      CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process);
  CloseHandle(out);
  CloseHandle(err);
  if (!started) throw std::runtime_error("cannot start " + exe);
  WaitForSingleObject(process.hProcess, 120000);
  GetExitCodeProcess(process.hProcess, &result.exitCode);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  result.out = ReadFile(outPath);
  result.err = ReadFile(errPath);
  DeleteFileA(outPath.c_str());
  DeleteFileA(errPath.c_str());
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
  ReplacedValue systemRoot(registry, kHkeyLocalMachine,
                           "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "SystemRoot",
                           "C:\\WINDOWS");
  ClearedKey typed(registry, kHkeyCurrentUser, typedUrls);
  ClearedKey runMru(registry, kHkeyCurrentUser, explorer + "\\RunMRU");
  ClearedKey recentDocs(registry, kHkeyCurrentUser, explorer + "\\RecentDocs");

  FileSandbox files("veltrane-e2e");
  files.File("\\app.exe");
  files.Folder("\\Dir");
  const std::string root = files.Root();
  const std::string top = UniqueName("VeltraneE2E");
  const std::string extension = "." + UniqueName("vlt");
  const MadeKeys topKey(registry, kHkeyCurrentUser, "SOFTWARE\\" + top);
  const MadeKeys extensionA(registry, kHkeyCurrentUser,
                            explorer + "\\FileExts\\" + extension + "a");
  const MadeKeys extensionB(registry, kHkeyCurrentUser,
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
  ASSERT_EQ(scan.exitCode, 0u) << scan.err;

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
  ASSERT_EQ(table.exitCode, 0u);
  EXPECT_EQ(Lines(table.out).back(), progress.back());
  EXPECT_NE(table.out.find(root + "\\page.htm"), std::string::npos);

  const Output refused = RunCli("scan --bogus");
  EXPECT_EQ(refused.exitCode, 2u);
  EXPECT_EQ(refused.out, "");
  EXPECT_NE(refused.err.find("Usage: veltrane-cli"), std::string::npos);
}

}  // namespace
}  // namespace veltrane::testing
