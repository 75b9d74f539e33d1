// The file system through FindFirstFileA and GetFileAttributesA.
#pragma once

#include "scan/file_probe.h"

namespace veltrane {

class Win32FileProbe final : public FileProbe {
 public:
  bool FileExists(const std::string& path) override;
  bool FolderExists(const std::string& path) override;
};

}  // namespace veltrane
