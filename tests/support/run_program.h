// Starting programs for the tests and benchmarks that run under Wine.
#pragma once

#ifdef _WIN32
#include <windows.h>

#include <string>

#include "tests/support/files.h"
#include "tests/support/throwaway.h"

namespace veltrane::testing {

// A path of the build machine ("/x/y") as the same file on drive Z:; any
// other path as it is, with its forward slashes turned.
inline std::string WindowsPath(std::string path) {
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

namespace detail {

// Runs the command line without a window and waits for it (two minutes at
// most); standard output and error go to `out` and `err` when given.
inline int Run(const std::string& commandLine, HANDLE out, HANDLE err) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  if (out) {
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = out;
    startup.hStdError = err;
  }
  PROCESS_INFORMATION process{};
  std::string line = commandLine;
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, out ? TRUE : FALSE, CREATE_NO_WINDOW,
                      nullptr, nullptr, &startup, &process)) {
    return -1;
  }
  DWORD code = static_cast<DWORD>(-1);
  if (WaitForSingleObject(process.hProcess, 120000) == WAIT_OBJECT_0) {
    GetExitCodeProcess(process.hProcess, &code);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(code);
}

}  // namespace detail

// The program's exit code, or -1 when it could not start or did not end.
inline int RunProgram(const std::string& commandLine) {
  return detail::Run(commandLine, nullptr, nullptr);
}

// The same, with what the program wrote to its standard output and error.
// Both go through files, so that neither can fill up and stall it.
inline int RunProgram(const std::string& commandLine, std::string& out, std::string& err) {
  const TempFolder scratch("veltrane-output");
  const std::string outPath = scratch.Path() + "out", errPath = scratch.Path() + "err";
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  const HANDLE outFile = CreateFileA(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                     CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY, nullptr);
  const HANDLE errFile = CreateFileA(errPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                     CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY, nullptr);
  int code = -1;
  if (outFile != INVALID_HANDLE_VALUE && errFile != INVALID_HANDLE_VALUE) {
    code = detail::Run(commandLine, outFile, errFile);
  }
  if (outFile != INVALID_HANDLE_VALUE) CloseHandle(outFile);
  if (errFile != INVALID_HANDLE_VALUE) CloseHandle(errFile);
  out = ReadFile(outPath);
  err = ReadFile(errPath);
  // Under Wine the files stay in use for a moment after the program has
  // ended, and cannot be deleted until then.
  for (const std::string& path : {outPath, errPath}) {
    for (int wait = 0;
         wait < 200 && !DeleteFileA(path.c_str()) && GetLastError() == ERROR_SHARING_VIOLATION;
         ++wait) {
      Sleep(10);
    }
  }
  return code;
}

}  // namespace veltrane::testing

namespace veltrane {
// The benchmarks start the registry editor with it too.
using testing::RunProgram;
}  // namespace veltrane
#endif
