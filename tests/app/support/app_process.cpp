#include "tests/app/support/app_process.h"

#include "app/control_ids.h"
#include "tests/app/support/remote_ui.h"
#include "tests/support/run_program.h"

namespace veltrane::testing {

AppProcess::AppProcess(const std::string& exe) : exe_(WindowsPath(exe)) {}

AppProcess::~AppProcess() { Close(); }

bool AppProcess::Start(const std::function<void()>& afterCopy) {
  const std::string copy = Folder() + "veltrane.exe";
  if (!CopyFileA(exe_.c_str(), copy.c_str(), FALSE)) {
    failure_ = "cannot copy " + exe_ + " to " + copy;
    return false;
  }
  if (afterCopy) afterCopy();
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  std::string commandLine = "\"" + copy + "\"";
  if (!CreateProcessA(copy.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      Folder().c_str(), &startup, &info)) {
    failure_ = "cannot start " + copy + " (error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  CloseHandle(info.hThread);
  process_ = info.hProcess;
  pid_ = info.dwProcessId;
  main_ = WaitForWindow(pid_, "VeltraneMainWindow", "Veltrane 1.0");
  if (!main_) {
    failure_ = "the main window \"Veltrane 1.0\" did not show";
    return false;
  }
  if (!WaitForStatus("Ready", 10000)) {
    failure_ = "the status line did not read Ready but " + Status();
    return false;
  }
  return true;
}

HWND AppProcess::Control(int id) const { return main_ ? ChildById(main_, id) : nullptr; }

std::string AppProcess::Status() const { return TextOf(Control(ids::kSt)); }

bool AppProcess::WaitForStatus(const std::string& text, DWORD milliseconds) const {
  return WaitUntil([&] { return Status() == text; }, milliseconds);
}

bool AppProcess::WaitForExit(DWORD milliseconds) const {
  return process_ && WaitForSingleObject(process_, milliseconds) == WAIT_OBJECT_0;
}

DWORD AppProcess::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  if (process_) GetExitCodeProcess(process_, &code);
  return code;
}

void AppProcess::Close() {
  if (!process_) return;
  if (!WaitForExit(0)) {
    if (main_ && IsWindow(main_)) PostMessageA(main_, WM_CLOSE, 0, 0);
    if (!WaitForExit(15000)) {
      TerminateProcess(process_, 1);
      WaitForExit(5000);
    }
  }
  CloseHandle(process_);
  process_ = nullptr;
  main_ = nullptr;
}

ULONGLONG LastWriteTime(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<ULONGLONG>(data.ftLastWriteTime.dwHighDateTime) << 32) |
         data.ftLastWriteTime.dwLowDateTime;
}

}  // namespace veltrane::testing
