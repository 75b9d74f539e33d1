// Existence of files and folders, as the invalid path scan asks for it.
#pragma once

#include <string>

namespace veltrane {

class FileProbe {
 public:
  virtual ~FileProbe() = default;
  // FindFirstFileA finds an entry, and the first entry is not a folder.
  // "*" and "?" are wildcards.
  virtual bool FileExists(const std::string& path) = 0;
  // GetFileAttributesA succeeds with the directory attribute set.
  virtual bool FolderExists(const std::string& path) = 0;
};

// Names neither an existing file nor an existing folder. Trailing blanks are
// disregarded on every platform, as Windows' own lookups do.
bool PathIsMissing(FileProbe& probe, const std::string& path);

}  // namespace veltrane
