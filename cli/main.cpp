// veltrane-cli.exe: the console front end on the real registry and file
// system.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <iostream>

#include "cli/cli.h"
#include "registry/win32_registry.h"
#include "scan/win32_file_probe.h"

namespace {

std::string ExecutableFolder() {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  return path.substr(0, path.find_last_of("\\/") + 1);
}

}  // namespace

int main(int argc, char** argv) {
  // Rows hold registry bytes: write them as they are, lines ending in "\n".
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  veltrane::Win32Registry registry;
  veltrane::Win32FileProbe files;
  veltrane::cli::Environment environment{registry, files, std::cout, std::cerr, ExecutableFolder()};
  return veltrane::cli::Run(std::vector<std::string>(argv + 1, argv + argc), environment);
}
