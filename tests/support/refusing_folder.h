// A folder of drive C: that takes no new file, as a folder under Program
// Files does for a standard user, or one on a full or read-only disk. Wine
// does not enforce the read-only attribute, so the folder is refused on the
// Unix side: its write permission taken away and, for root, whom that does
// not stop, marked immutable. Both are undone at the end.
#pragma once

#ifdef _WIN32
#include <windows.h>

#include <string>

namespace veltrane::testing {

// The Unix name Wine gives a Windows path; empty off Wine.
inline std::string UnixPathOf(const std::string& path) {
  using Convert = char*(__cdecl*)(const WCHAR*);
  const auto convert = reinterpret_cast<Convert>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (!convert) return {};
  const int size = MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, wide.data(), size);
  char* unix = convert(wide.c_str());
  if (!unix) return {};
  std::string result = unix;
  HeapFree(GetProcessHeap(), 0, unix);
  return result;
}

// Runs a program of the Unix side, as Wine starts one for CreateProcess
// (which fails for it with CREATE_NO_WINDOW); its exit code, -1 when it did
// not start.
inline int RunUnix(const std::string& commandLine) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::string line = commandLine;
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    return -1;
  }
  DWORD code = static_cast<DWORD>(-1);
  if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0) {
    GetExitCodeProcess(process.hProcess, &code);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(code);
}

// Whether a new file can be made in `folder` (with its separator).
inline bool TakesFiles(const std::string& folder) {
  const std::string probe = folder + "probe.tmp";
  const HANDLE file = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  DeleteFileA(probe.c_str());
  return true;
}

class RefusingFolder {
 public:
  // Refuses new files in `folder` from now on; Refusing() tells whether
  // that worked on this machine.
  explicit RefusingFolder(const std::string& folder) : unix_(UnixPathOf(folder)) {
    if (unix_.empty()) return;
    RunUnix("/bin/chmod a-w \"" + unix_ + "\"");
    if (TakesFiles(folder)) RunUnix("/usr/bin/chattr +i \"" + unix_ + "\"");
    refusing_ = !TakesFiles(folder);
  }
  ~RefusingFolder() {
    if (unix_.empty()) return;
    RunUnix("/usr/bin/chattr -i \"" + unix_ + "\"");
    RunUnix("/bin/chmod u+w \"" + unix_ + "\"");
  }
  RefusingFolder(const RefusingFolder&) = delete;
  RefusingFolder& operator=(const RefusingFolder&) = delete;

  bool Refusing() const { return refusing_; }

 private:
  std::string unix_;
  bool refusing_ = false;
};

// An environment variable set for this process and the programs it starts,
// put back at the end.
class ReplacedVariable {
 public:
  ReplacedVariable(const char* name, const std::string& value) : name_(name) {
    char old[4096];
    const DWORD length = GetEnvironmentVariableA(name, old, sizeof old);
    had_ = length > 0 && length < sizeof old;
    if (had_) old_.assign(old, length);
    SetEnvironmentVariableA(name, value.c_str());
  }
  ~ReplacedVariable() { SetEnvironmentVariableA(name_, had_ ? old_.c_str() : nullptr); }
  ReplacedVariable(const ReplacedVariable&) = delete;
  ReplacedVariable& operator=(const ReplacedVariable&) = delete;

 private:
  const char* name_;
  std::string old_;
  bool had_ = false;
};

}  // namespace veltrane::testing

#endif
