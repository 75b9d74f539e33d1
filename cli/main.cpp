// veltrane-cli.exe: the console front end on the real registry and file
// system.
#include <fcntl.h>
#include <io.h>
#include <windows.h>
// After windows.h.
#include <shellapi.h>

#include <cstdio>
#include <iostream>
#include <optional>
#include <vector>

#include "base/text.h"
#include "clean/backup.h"
#include "cli/cli.h"
#include "cli/console_output.h"
#include "registry/win32_registry.h"
#include "scan/win32_file_probe.h"

namespace {

// The arguments as the program's texts, read from the UTF-16 command line
// so that a path in any script comes through; nothing when one holds a
// character the program's code page cannot carry.
std::optional<std::vector<std::string>> Arguments() {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!wide) return std::vector<std::string>();
  std::vector<std::string> arguments;
  bool exact = true;
  for (int i = 1; i < count && exact; ++i) {
    const std::u16string_view units(reinterpret_cast<const char16_t*>(wide[i]));
    const auto text = veltrane::FromUtf16(units);
    exact = text.has_value();
    if (text) arguments.push_back(*text);
  }
  LocalFree(wide);
  if (!exact) return std::nullopt;
  return arguments;
}

}  // namespace

int main() {
  // Rows hold registry texts: bytes as they are, lines ending in "\n". A
  // console is given them as UTF-16.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  std::optional<veltrane::cli::ConsoleBuffer> consoleOut, consoleErr;
  std::streambuf* const fileOut = std::cout.rdbuf();
  std::streambuf* const fileErr = std::cerr.rdbuf();
  if (const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
      veltrane::cli::ConsoleBuffer::IsConsole(out)) {
    std::cout.rdbuf(&consoleOut.emplace(out));
  }
  if (const HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
      veltrane::cli::ConsoleBuffer::IsConsole(err)) {
    std::cerr.rdbuf(&consoleErr.emplace(err));
  }
  veltrane::Win32Registry registry;
  veltrane::Win32FileProbe files;
  veltrane::cli::Environment environment{registry, files, std::cout, std::cerr,
                                         veltrane::ExecutableFolder()};
  const auto arguments = Arguments();
  const int status =
      arguments
          ? veltrane::cli::Run(*arguments, environment)
          : veltrane::cli::UsageError(
                environment, "", "an argument holds a character the program cannot read exactly");
  std::cout.flush();
  std::cerr.flush();
  // The console buffers go with this function; the streams outlive it.
  std::cout.rdbuf(fileOut);
  std::cerr.rdbuf(fileErr);
  return status;
}
