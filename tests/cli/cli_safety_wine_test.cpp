// veltrane-cli.exe clean under Wine as a user meets it: killed while it
// writes its backup over a tree of a few thousand keys, and two cleans
// undone newest first with the system's registry editor. The system root
// points into a fresh folder of drive C:, so that only the values the test
// seeds can name a missing path there; the history and extension keys are
// emptied for the run and put back afterwards.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>

#include "clean/backup.h"
#include "clean/reg_export.h"
#include "clean/whole_file.h"
#include "tests/support/files.h"
#include "tests/support/registry_seed.h"
#include "tests/support/run_program.h"
#include "tests/support/saved_registry.h"
#include "tests/support/tree.h"
#include "tests/support/win32_sandbox.h"

namespace veltrane::testing {
namespace {

constexpr const char* kExplorer = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";
constexpr const char* kTypedUrls = "Software\\Microsoft\\Internet Explorer\\TypedURLs";

// An export of HKCU\Software less the one value Wine itself rewrites as
// programs start: Software\Wine\Fonts "Codepages", the code pages of the
// last window program to start, UTF-8 for ours and the legacy ones for
// Wine's own, which other tests start meanwhile.
std::string WithoutFontCodePages(std::string text) {
  const std::size_t at = text.find("\r\n\"Codepages\"=");
  if (at != std::string::npos) text.erase(at, text.find("\r\n", at + 2) - at);
  return text;
}

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

class CleanOnWine : public ::testing::Test {
 protected:
  CleanOnWine() { CopyFileA(WindowsPath(VELTRANE_CLI_EXE).c_str(), Exe().c_str(), FALSE); }

  std::string Exe() const { return program_.Path() + "veltrane-cli.exe"; }
  std::string Drive() const { return drive_.Path(); }

  // Values that name missing files below the drive root, in the program's
  // own key, one level down and at the history keys.
  void SeedFindings(const std::string& tag) {
    user_.Text(own_.Path(), "gone" + tag, Drive() + "gone" + tag + ".exe");
    user_.Text(own_.Path() + "\\Sub", "", Drive() + "gone\\default" + tag + ".exe");
    user_.Text(kTypedUrls, "url" + tag, "http://example.com/" + tag);
    user_.Text(std::string(kExplorer) + "\\RunMRU", "a" + tag, "cmd" + tag);
    user_.Raw(std::string(kExplorer) + "\\RecentDocs", "0" + tag, kRegBinary,
              std::string("d\0o\0c\0\0\0", 8));
    const std::string extension = std::string(kExplorer) + "\\FileExts\\.vtu" + tag;
    user_.Key(extension + "\\OpenWithProgids");
    user_.Text(extension + "\\OpenWithList", "a", "app" + tag + ".exe");
    user_.Raw(extension + "\\UserChoice", "Hash", kRegBinary, "\x01\x02\x03");
  }

  // What the command printed of the undo file it wrote.
  static std::string UndoFileOf(const std::string& err) {
    const std::string lead = "Undo file written to ";
    const std::size_t at = err.find(lead);
    if (at == std::string::npos) return {};
    const std::size_t end = err.find_first_of("\r\n", at);
    return err.substr(at + lead.size(), end - at - lead.size());
  }

  int Clean(std::string& err) {
    std::string out;
    return RunProgram("\"" + Exe() + "\" clean", out, err);
  }

  // The same findings, named and written in every script.
  void SeedScriptFindings() {
    user_.Text(own_.Path(), "Ωμέγα", Drive() + "λείπει.exe");
    user_.Raw(own_.Path() + "\\Иван", "нет", kRegExpandSz, Drive() + "нет\\файл.exe,0" + '\0');
    user_.Text(kTypedUrls, "адрес", "http://пример.рф/страница");
    user_.Text(std::string(kExplorer) + "\\RunMRU", "ж", "日本.exe\\1");
    user_.Raw(std::string(kExplorer) + "\\RecentDocs", "文書", kRegBinary, "\x01\x02");
    const std::string extension = std::string(kExplorer) + "\\FileExts\\.日本😀";
    user_.Key(extension + "\\OpenWithProgids");
    user_.Raw(extension + "\\OpenWithList", "😀", kRegMultiSz,
              std::string("アプリ.exe\0δύο\0\0", 22));
  }

  // Less Wine's own "Codepages" value, as WithoutFontCodePages.
  TreeKey Software() {
    TreeKey software = ReadTree(registry_, kHkeyCurrentUser, "Software");
    software.subkeys["Wine"].subkeys["Fonts"].values.erase("Codepages");
    return software;
  }

  Win32Registry registry_;
  RegistrySeed user_{registry_};
  TempFolder drive_{"VeltraneSafety", "C:\\"};
  TempFolder program_{"veltrane-cli"};
  ThrowawayKey own_{registry_, "Safety"};
  ReplacedValue systemRoot_{registry_, kHkeyLocalMachine,
                            "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "SystemRoot",
                            Drive() + "WINDOWS"};
  SavedKey fileExts_{registry_, kHkeyCurrentUser, std::string(kExplorer) + "\\FileExts"};
  SavedKey typedUrls_{registry_, kHkeyCurrentUser, kTypedUrls};
  SavedKey runMru_{registry_, kHkeyCurrentUser, std::string(kExplorer) + "\\RunMRU"};
  SavedKey recentDocs_{registry_, kHkeyCurrentUser, std::string(kExplorer) + "\\RecentDocs"};
};

// A clean started and not waited for, its output dropped.
class RunningClean {
 public:
  explicit RunningClean(const std::string& exe) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    nul_ = CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = nul_;
    PROCESS_INFORMATION process{};
    std::string line = "\"" + exe + "\" clean";
    if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                       nullptr, &startup, &process)) {
      CloseHandle(process.hThread);
      process_ = process.hProcess;
    }
  }
  ~RunningClean() {
    if (process_) {
      WaitForSingleObject(process_, 120000);
      CloseHandle(process_);
    }
    if (nul_ != INVALID_HANDLE_VALUE) CloseHandle(nul_);
  }
  RunningClean(const RunningClean&) = delete;
  RunningClean& operator=(const RunningClean&) = delete;

  HANDLE Process() const { return process_; }
  bool Running() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }
  // The exit code once it has ended (two minutes at most); -1 if it never started.
  long ExitCode() const {
    DWORD code = static_cast<DWORD>(-1);
    if (process_ && WaitForSingleObject(process_, 120000) == WAIT_OBJECT_0) {
      GetExitCodeProcess(process_, &code);
    }
    return static_cast<long>(code);
  }

 private:
  HANDLE process_ = nullptr;
  HANDLE nul_ = INVALID_HANDLE_VALUE;
};

// Starts the clean and ends it by force the moment `appeared` holds.
// False when the clean ended before.
bool KillCleanWhen(const std::string& exe, const std::function<bool()>& appeared) {
  const RunningClean clean(exe);
  while (clean.Running()) {
    if (appeared()) {
      TerminateProcess(clean.Process(), 9);
      return true;
    }
  }
  return false;
}

// The backup's temporaries of any writer in `folder`.
bool BackupTemporaryIn(const std::string& folder) {
  return !TemporariesIn(folder, kBackupWriteName, true).empty();
}

TEST_F(CleanOnWine, KilledWhileWritingItsBackupLeavesNoneOrAWholeOne) {
  for (int i = 0; i < 3000; ++i) {
    const std::string key =
        own_.Path() + "\\Vendor " + std::to_string(i % 60) + "\\Setting " + std::to_string(i);
    user_.Text(key, "Text", "Some setting text " + std::to_string(i));
    user_.Value(key, "Count", Dword(static_cast<std::uint32_t>(i)));
  }
  SeedFindings("1");
  const std::string reference =
      WithoutFontCodePages(ExportKeyToText(registry_, kHkeyCurrentUser, "Software"));

  // Killed half-way through the backup: no backup at all, so that the next
  // clean writes one, removing the half-written temporary.
  ASSERT_TRUE(KillCleanWhen(Exe(), [&] { return BackupTemporaryIn(program_.Path()); }))
      << "the clean ended first";
  ASSERT_TRUE(BackupTemporaryIn(program_.Path()));
  EXPECT_EQ(FindBackupFile(program_.Path()), "");
  EXPECT_EQ(user_.Read(own_.Path(), "gone1"), Sz(Drive() + "gone1.exe")) << "cleaned unbacked";
  std::string err;
  ASSERT_EQ(Clean(err), 0) << err;
  EXPECT_EQ(WithoutFontCodePages(ReadFile(FindBackupFile(program_.Path()))), reference);
  EXPECT_FALSE(BackupTemporaryIn(program_.Path())) << "the killed clean's temporary stayed";

  // Killed the moment the backup has its name: it is whole.
  DeleteFileA(FindBackupFile(program_.Path()).c_str());
  SeedFindings("2");
  const std::string second =
      WithoutFontCodePages(ExportKeyToText(registry_, kHkeyCurrentUser, "Software"));
  ASSERT_TRUE(KillCleanWhen(Exe(), [&] { return Exists(program_.Path() + kBackupWriteName); }));
  EXPECT_EQ(WithoutFontCodePages(ReadFile(FindBackupFile(program_.Path()))), second);
  ASSERT_EQ(Clean(err), 0) << err;
  EXPECT_EQ(WithoutFontCodePages(ReadFile(FindBackupFile(program_.Path()))), second)
      << "the backup was replaced";
}

// Two cleans started together: the second waits for the first one's backup
// rather than write over it or fail; the backup is whole and holds the
// registry before either clean, and the two undo files between them hold
// every deletion.
TEST_F(CleanOnWine, TwoCleansAtOnceLeaveOneWholeBackupAndEveryDeletionUndoable) {
  for (int i = 0; i < 1500; ++i) {
    user_.Text(
        own_.Path() + "\\Vendor " + std::to_string(i % 30) + "\\Setting " + std::to_string(i),
        "Text", "Some setting text " + std::to_string(i));
  }
  SeedFindings("1");
  const TreeKey expected = Software();
  const std::string reference =
      WithoutFontCodePages(ExportKeyToText(registry_, kHkeyCurrentUser, "Software"));
  {
    const RunningClean first(Exe()), second(Exe());
    EXPECT_EQ(first.ExitCode(), 0);
    EXPECT_EQ(second.ExitCode(), 0);
  }
  EXPECT_EQ(WithoutFontCodePages(ReadFile(FindBackupFile(program_.Path()))), reference);
  EXPECT_FALSE(BackupTemporaryIn(program_.Path()));
  EXPECT_FALSE(user_.Exists(own_.Path(), "gone1"));
  EXPECT_FALSE(user_.Exists(kTypedUrls, "url1"));

  WIN32_FIND_DATAA found;
  const HANDLE search = FindFirstFileA((program_.Path() + "veltrane-undo-*.reg").c_str(), &found);
  ASSERT_NE(search, INVALID_HANDLE_VALUE) << "no undo file";
  std::vector<std::string> undoFiles;
  do {
    undoFiles.push_back(program_.Path() + found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  for (const std::string& undo : undoFiles) {
    ASSERT_EQ(RunProgram("regedit.exe /s \"" + undo + "\""), 0) << undo;
  }
  EXPECT_EQ(Difference(expected, Software()), "");
}

TEST_F(CleanOnWine, TwoCleansUndoneNewestFirstWithTheRegistryEditor) {
  SeedFindings("1");
  TreeKey expected = Software();
  std::string err;
  ASSERT_EQ(Clean(err), 0) << err;
  const std::string first = UndoFileOf(err);
  ASSERT_NE(first, "") << err;
  EXPECT_EQ(first.rfind(program_.Path() + "veltrane-undo-", 0), 0u) << first;
  EXPECT_FALSE(user_.Exists(own_.Path(), "gone1"));

  // Something new to find between the two cleans.
  user_.Text(own_.Path(), "later", Drive() + "later.exe");
  user_.Text(kTypedUrls, "url later", "http://later/");
  const std::string own = own_.Path().substr(std::string("Software\\").size());
  expected.subkeys[own].values["later"] = Sz(Drive() + "later.exe");
  expected.subkeys["Microsoft"]
      .subkeys["Internet Explorer"]
      .subkeys["TypedURLs"]
      .values["url later"] = Sz("http://later/");
  ASSERT_EQ(Clean(err), 0) << err;
  const std::string second = UndoFileOf(err);
  ASSERT_NE(second, "") << err;
  EXPECT_NE(second, first);
  EXPECT_FALSE(user_.Exists(own_.Path(), "later"));

  for (const std::string& undo : {second, first}) {
    ASSERT_EQ(RunProgram("regedit.exe /s \"" + undo + "\""), 0) << undo;
  }
  EXPECT_EQ(Difference(expected, Software()), "");
}

// Names and texts in every script, in every check, with the program in a
// folder named in Cyrillic: the clean deletes each finding, and the system's
// registry editor brings back exactly that from its undo file.
TEST_F(CleanOnWine, ACleanOfEveryScriptUndoneWithTheRegistryEditor) {
  const std::string folder = program_.Path() + "Программа 😀\\";
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  ASSERT_TRUE(CopyFileA(Exe().c_str(), (folder + "veltrane-cli.exe").c_str(), FALSE));
  SeedScriptFindings();
  const TreeKey expected = Software();
  std::string out, err;
  ASSERT_EQ(RunProgram("\"" + folder + "veltrane-cli.exe\" clean", out, err), 0) << err;
  const std::string undo = UndoFileOf(err);
  ASSERT_EQ(undo.rfind(folder + "veltrane-undo-", 0), 0u) << err;
  EXPECT_EQ(ReadFile(undo).substr(0, 2), "\xff\xfe") << "Version 5.00";
  EXPECT_FALSE(FindBackupFile(folder).empty()) << "the backup beside it";
  EXPECT_FALSE(user_.Exists(own_.Path(), "Ωμέγα"));
  EXPECT_FALSE(user_.Exists(own_.Path() + "\\Иван", "нет"));
  EXPECT_FALSE(user_.Exists(kTypedUrls, "адрес"));
  EXPECT_FALSE(user_.Exists(std::string(kExplorer) + "\\FileExts\\.日本😀"));

  ASSERT_EQ(RunProgram("regedit.exe /s \"" + undo + "\""), 0);
  EXPECT_EQ(Difference(expected, Software()), "");
}

}  // namespace
}  // namespace veltrane::testing
