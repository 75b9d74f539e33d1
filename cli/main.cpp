// veltrane-cli.exe: the console front end on the real registry and file
// system.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

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

// The arguments as the program's texts, from the C runtime's UTF-16 ones
// so that a path in any script comes through; nothing when one holds a
// character the program's code page cannot carry.
std::optional<std::vector<std::string>> Arguments(int count, wchar_t** wide) {
  std::vector<std::string> arguments;
  for (int i = 1; i < count; ++i) {
    const auto text = veltrane::FromUtf16(reinterpret_cast<const char16_t*>(wide[i]));
    if (!text) return std::nullopt;
    arguments.push_back(*text);
  }
  return arguments;
}

}  // namespace

// wmain (linked with -municode): the arguments in UTF-16, without the shell
// library, which would bring the windowing libraries into a console program.
int wmain(int argc, wchar_t** argv) {
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
  const auto arguments = Arguments(argc, argv);
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
