#include "tests/app/support/app_process.h"

#include <fstream>
#include <iterator>
#include <sstream>

#include "app/control_ids.h"
#include "tests/app/support/remote_ui.h"

namespace veltrane::testing {
namespace {

std::string FreshFolder() {
  static int counter = 0;
  char temp[MAX_PATH] = {};
  GetTempPathA(sizeof temp, temp);
  std::string folder = temp;
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  folder += "veltrane-app-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(GetTickCount64()) + "-" + std::to_string(++counter) + "\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

void RemoveFolder(const std::string& folder) {
  WIN32_FIND_DATAA found;
  const HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveFolder(folder + name + "\\");
      } else {
        DeleteFileA((folder + name).c_str());
      }
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(folder.c_str());
}

}  // namespace

AppProcess::AppProcess(std::string exe) : exe_(std::move(exe)) {
  if (!exe_.empty() && exe_[0] == '/') exe_ = "Z:" + exe_;
  for (char& c : exe_) {
    if (c == '/') c = '\\';
  }
}

AppProcess::~AppProcess() {
  Close();
  if (!folder_.empty()) RemoveFolder(folder_);
}

bool AppProcess::Start() {
  folder_ = FreshFolder();
  const std::string copy = folder_ + "veltrane.exe";
  if (!CopyFileA(exe_.c_str(), copy.c_str(), FALSE)) {
    failure_ = "cannot copy " + exe_ + " to " + copy;
    return false;
  }
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  std::string commandLine = "\"" + copy + "\"";
  if (!CreateProcessA(copy.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder_.c_str(), &startup, &info)) {
    failure_ = "cannot start " + copy + " (error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  CloseHandle(info.hThread);
  process_ = info.hProcess;
  pid_ = info.dwProcessId;
  const bool shown = WaitUntil([this] {
    main_ = FindTopLevel(pid_, "VeltraneMainWindow", "Veltrane 1.0");
    return main_ && IsWindowVisible(main_);
  });
  if (!shown) {
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

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

ULONGLONG LastWriteTime(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<ULONGLONG>(data.ftLastWriteTime.dwHighDateTime) << 32) |
         data.ftLastWriteTime.dwLowDateTime;
}

}  // namespace veltrane::testing
