// veltrane.exe as the end-to-end tests run it: copied into a fresh folder
// of its own (the backup is written beside it), started, found by its
// caption, and closed again at the end.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "tests/support/throwaway.h"

namespace veltrane::testing {

class AppProcess {
 public:
  // `exe` is the built program; a path of the build machine is taken as
  // one on drive Z:.
  explicit AppProcess(const std::string& exe);
  ~AppProcess();
  AppProcess(const AppProcess&) = delete;
  AppProcess& operator=(const AppProcess&) = delete;

  // Copies and starts the program, and waits until its main window shows
  // "Ready". False, with the reason in Failure(), when it does not.
  // `afterCopy` runs between the copy and the start.
  bool Start(const std::function<void()>& afterCopy = {});
  const std::string& Failure() const { return failure_; }

  HWND Main() const { return main_; }
  DWORD Pid() const { return pid_; }
  HANDLE Process() const { return process_; }
  // The program's folder, with its trailing backslash.
  const std::string& Folder() const { return folder_.Path(); }
  std::string BackupPath() const { return Folder() + "backuphkcu.reg"; }

  HWND Control(int id) const;
  std::string Status() const;
  bool WaitForStatus(const std::string& text, DWORD milliseconds = 30000) const;

  // True when the process has ended within `milliseconds`.
  bool WaitForExit(DWORD milliseconds) const;
  DWORD ExitCode() const;
  // Closes the main window as its close box does and waits for the end;
  // ends the process by force if it does not.
  void Close();

 private:
  std::string exe_;
  TempFolder folder_{"veltrane-app"};
  std::string failure_;
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
  HWND main_ = nullptr;
};

// The file's last write time, 0 when it does not exist.
ULONGLONG LastWriteTime(const std::string& path);

}  // namespace veltrane::testing
