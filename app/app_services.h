// What the program's windows work with: the registry, the file system, the
// shell and window manager, and the folder of the executable (where the
// backup lives). The program passes the Win32 ones; tests pass fakes.
#pragma once

#include <string>

#include "clean/desktop.h"
#include "registry/registry_api.h"
#include "scan/file_probe.h"

namespace veltrane {

struct AppServices {
  RegistryApi& registry;
  FileProbe& files;
  Desktop& desktop;
  // The executable's folder with its trailing backslash.
  std::string folder;
  // The restore imports the backup itself instead of handing it to the
  // registry editor (Wine's editor does not take the editor's switches).
  bool underWine = false;
};

}  // namespace veltrane
