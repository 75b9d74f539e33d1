// veltrane-cli.exe: the console front end on the real registry and file
// system.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <iostream>

#include "clean/backup.h"
#include "cli/cli.h"
#include "registry/win32_registry.h"
#include "scan/win32_file_probe.h"

int main(int argc, char** argv) {
  // Rows hold registry bytes: write them as they are, lines ending in "\n".
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  veltrane::Win32Registry registry;
  veltrane::Win32FileProbe files;
  veltrane::cli::Environment environment{registry, files, std::cout, std::cerr,
                                         veltrane::ExecutableFolder()};
  return veltrane::cli::Run(std::vector<std::string>(argv + 1, argv + argc), environment);
}
