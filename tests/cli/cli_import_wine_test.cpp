// veltrane-cli.exe import and export under Wine as a user meets them: a
// pipe fed without end, a device and a file past the bound are refused
// with little memory; an import killed at several moments is put back by
// its undo file, with the program itself or the system's editor; and a
// tree far deeper than Windows allows exports whole.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h.
#include <psapi.h>

#include <fstream>
#include <vector>

#include "tests/support/registry_seed.h"
#include "tests/support/run_program.h"
#include "tests/support/tree.h"
#include "tests/support/win32_sandbox.h"

namespace veltrane::testing {
namespace {

class ImportOnWine : public ::testing::Test {
 protected:
  ImportOnWine() { CopyFileA(WindowsPath(VELTRANE_CLI_EXE).c_str(), Exe().c_str(), FALSE); }

  std::string Exe() const { return program_.Path() + "veltrane-cli.exe"; }
  std::string Own() const { return "HKEY_CURRENT_USER\\" + own_.Path(); }

  // Starts the command line with `arguments`, its output going to files.
  PROCESS_INFORMATION Start(const std::string& arguments) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    output_ = program_.Path() + "output-" + std::to_string(++runs_) + ".txt";
    const HANDLE err = CreateFileA(output_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                   CREATE_ALWAYS, 0, nullptr);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = err;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    std::string line = "\"" + Exe() + "\" " + arguments;
    CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                   &startup, &process);
    CloseHandle(err);
    return process;
  }

  struct Ended {
    DWORD code = static_cast<DWORD>(-1);
    std::size_t peakKiB = 0;  // 0 when the system does not tell
    std::string output;
  };
  Ended Finish(PROCESS_INFORMATION process) {
    Ended ended;
    if (WaitForSingleObject(process.hProcess, 120000) == WAIT_OBJECT_0) {
      GetExitCodeProcess(process.hProcess, &ended.code);
      PROCESS_MEMORY_COUNTERS counters{};
      if (GetProcessMemoryInfo(process.hProcess, &counters, sizeof counters)) {
        ended.peakKiB = counters.PeakWorkingSetSize / 1024;
      }
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    ended.output = ReadFile(output_);
    return ended;
  }

  // The one import undo file in the program's folder; empty when none.
  std::vector<std::string> UndoFiles() const {
    std::vector<std::string> files;
    WIN32_FIND_DATAA found;
    const HANDLE search =
        FindFirstFileA((program_.Path() + "veltrane-undo-import-*.reg").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return files;
    do files.push_back(program_.Path() + found.cFileName);
    while (FindNextFileA(search, &found));
    FindClose(search);
    return files;
  }

  TreeKey Tree() { return ReadTree(registry_, kHkeyCurrentUser, own_.Path()); }

  std::string output_;  // where the last program started writes
  int runs_ = 0;
  Win32Registry registry_;
  RegistrySeed user_{registry_};
  TempFolder program_{"veltrane-cli"};
  ThrowawayKey own_{registry_, "ImportSafety"};
};

// Wine runs Unix programs too: the pipe, and `cat` feeding it zeros.
TEST_F(ImportOnWine, APipeADeviceAndAFilePastTheBoundAreRefusedWithLittleMemory) {
  const std::string unixPipe = "/tmp/veltrane-pipe-" + std::to_string(GetCurrentProcessId());
  const std::string pipe = WindowsPath(unixPipe);
  const auto startUnix = [](std::string line) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                   &process);
    return process;
  };
  const PROCESS_INFORMATION made = startUnix("/usr/bin/mkfifo " + unixPipe);
  if (made.hProcess) {
    CloseHandle(made.hThread);
    CloseHandle(made.hProcess);
  }
  // Wine does not wait for a Unix program's end: the pipe shows when it
  // shows, in its folder's listing (Wine gives it no attributes).
  const auto listed = [&] {
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA(pipe.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    return true;
  };
  for (int wait = 0; wait < 200 && !listed(); ++wait) Sleep(50);
  ASSERT_TRUE(listed());
  const PROCESS_INFORMATION feeder = startUnix(
      "/bin/sh -c \"exec </dev/null >/dev/null 2>&1; exec cat /dev/zero >" + unixPipe + "\"");
  Sleep(200);  // lets the feeder reach the pipe: not needed for the outcome
  const std::string big = program_.Path() + "big.reg";
  {
    const HANDLE file =
        CreateFileA(big.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    LARGE_INTEGER end;
    end.QuadPart = (1LL << 30) + 1;
    ASSERT_TRUE(SetFilePointerEx(file, end, nullptr, FILE_BEGIN));
    ASSERT_TRUE(SetEndOfFile(file));
    CloseHandle(file);
  }
  const struct {
    std::string file, reason;
  } cases[] = {
      {pipe, "it is a pipe, not a file."},
      {"Z:\\dev\\zero", "it is a device, not a file."},
      {big, "it holds more than 1073741824 bytes (1 GiB), the most a file to import may hold."},
  };
  for (const auto& [file, reason] : cases) {
    SCOPED_TRACE(file);
    const Ended ended = Finish(Start("import \"" + file + "\""));
    EXPECT_EQ(ended.code, 1u);
    EXPECT_EQ(ended.output, "veltrane-cli: import: cannot read " + file + ": " + reason + "\n");
    if (ended.peakKiB) {
      EXPECT_LT(ended.peakKiB, 64u * 1024);
    }
  }
  // Opened and closed once more, the pipe lets a feeder still waiting end.
  CloseHandle(CreateFileA(pipe.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                          OPEN_EXISTING, 0, nullptr));
  if (feeder.hProcess) {
    CloseHandle(feeder.hThread);
    CloseHandle(feeder.hProcess);
  }
  const PROCESS_INFORMATION removed = startUnix("/bin/rm -f " + unixPipe);
  if (removed.hProcess) {
    CloseHandle(removed.hThread);
    CloseHandle(removed.hProcess);
  }
  EXPECT_TRUE(UndoFiles().empty());
}

// 2,000 keys: each one's text replaced and a number added, a key made below
// it; half-way a subtree deleted. Killed when the key made below key
// `at` shows, the undo file puts back every one.
TEST_F(ImportOnWine, KilledAtSeveralMomentsItsUndoFilePutsTheRegistryBack) {
  constexpr int kKeys = 2000;
  std::string text = "REGEDIT4\r\n";
  for (int i = 0; i < kKeys; ++i) {
    const std::string key = own_.Path() + "\\k" + std::to_string(i);
    user_.Text(key, "v", "old " + std::to_string(i));
    user_.Raw(key, "kept", kRegBinary, std::string(1, static_cast<char>(i)));
    const std::string full = "\r\n[HKEY_CURRENT_USER\\" + key;
    text += full + "]\r\n\"v\"=\"new\"\r\n\"added\"=dword:" + std::to_string(i) + "\r\n";
    text += full + "\\made]\r\n@=\"m\"\r\n";
    if (i == kKeys / 2) text += "\r\n[-" + Own() + "\\doomed]\r\n";
  }
  for (int i = 0; i < 50; ++i) {
    user_.Text(own_.Path() + "\\doomed\\d" + std::to_string(i) + "\\deeper", "x", "y");
  }
  const std::string file = program_.Path() + "changes.reg";
  WriteFile(file, text);
  const TreeKey before = Tree();

  for (const int at : {0, kKeys / 2, kKeys - 10}) {
    SCOPED_TRACE("killed once key " + std::to_string(at) + " was made");
    const std::string made = own_.Path() + "\\k" + std::to_string(at) + "\\made";
    const PROCESS_INFORMATION process = Start("import \"" + file + "\"");
    bool killed = false;
    while (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) {
      if (user_.Exists(made)) {
        killed = TerminateProcess(process.hProcess, 9);
        break;
      }
    }
    const Ended ended = Finish(process);
    ASSERT_TRUE(killed) << "the import ended first: " << ended.output;
    const std::vector<std::string> undo = UndoFiles();
    ASSERT_EQ(undo.size(), 1u);
    EXPECT_EQ(ended.output.rfind("Undo file written to " + undo[0] + "\n", 0), 0u) << ended.output;
    ASSERT_NE(Difference(before, Tree()), "");
    // Once with the system's editor, otherwise with the program.
    if (at == kKeys / 2) {
      ASSERT_EQ(RunProgram("regedit.exe /s \"" + undo[0] + "\""), 0);
    } else {
      const Ended undone = Finish(Start("import \"" + undo[0] + "\""));
      ASSERT_EQ(undone.code, 0u) << undone.output;
    }
    EXPECT_EQ(Difference(before, Tree()), "");
    // This one, and the undo file of the undoing.
    for (const std::string& written : UndoFiles()) DeleteFileA(written.c_str());
  }
}

// Windows stops at 512 levels; a Wine prefix can hold far more. The key
// lines grow with the depth: the file holds about 400 MB.
TEST_F(ImportOnWine, ATreeTwentyThousandLevelsDeepExportsWhole) {
  constexpr int kLevels = 20000;
  std::vector<HKEY> chain(1);
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER,
                            std::wstring(own_.Path().begin(), own_.Path().end()).c_str(), 0,
                            nullptr, 0, KEY_ALL_ACCESS, nullptr, &chain[0], nullptr),
            ERROR_SUCCESS);
  for (int level = 0; level < kLevels; ++level) {
    HKEY next;
    ASSERT_EQ(
        RegCreateKeyExW(chain.back(), L"k", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &next, nullptr),
        ERROR_SUCCESS);
    chain.push_back(next);
  }
  // Named by its whole path, the deepest key is refused, never taken for
  // the key the registry would cut that path down to.
  std::string deepest = own_.Path();
  for (int level = 0; level < kLevels; ++level) deepest += "\\k";
  RegKey opened = 0;
  EXPECT_EQ(registry_.OpenKeyEx(kHkeyCurrentUser, deepest, kKeyRead, &opened), 206);
  const DWORD one = 1;
  RegSetValueExW(chain.back(), L"bottom", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), 4);
  const std::string file = program_.Path() + "deep.reg";
  const Ended ended = Finish(Start("export " + Own() + " \"" + file + "\""));
  EXPECT_EQ(ended.code, 0u) << ended.output;

  // Every key line in order, each one level deeper, and the value last.
  std::ifstream in(file, std::ios::binary);
  std::string line, expected = "[" + Own() + "]\r";
  int keyLines = 0;
  bool inOrder = true;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] != '[') continue;
    inOrder = inOrder && line == expected;
    expected.insert(expected.size() - 2, "\\k");
    ++keyLines;
  }
  EXPECT_EQ(keyLines, kLevels + 1);
  EXPECT_TRUE(inOrder);
  in.close();
  const std::string tail = "]\r\n\"bottom\"=dword:00000001\r\n";
  std::ifstream end(file, std::ios::binary | std::ios::ate);
  const auto size = static_cast<std::streamoff>(end.tellg());
  std::string last(tail.size(), '\0');
  end.seekg(size - static_cast<std::streamoff>(tail.size()));
  end.read(last.data(), static_cast<std::streamsize>(tail.size()));
  EXPECT_EQ(last, tail);
  end.close();
  DeleteFileA(file.c_str());

  // Taken down from the bottom, each key through its parent's handle.
  for (std::size_t level = chain.size() - 1; level > 0; --level) {
    RegCloseKey(chain[level]);
    RegDeleteKeyW(chain[level - 1], L"k");
  }
  RegCloseKey(chain[0]);
}

}  // namespace
}  // namespace veltrane::testing
