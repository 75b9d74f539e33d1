#include "scan/file_probe.h"

namespace veltrane {

bool PathIsMissing(FileProbe& probe, const std::string& path) {
  // The lookups see the path up to its first zero byte, as a C string, and
  // like Windows' own lookups they disregard blanks at its end.
  std::string candidate = path.substr(0, path.find('\0'));
  candidate.erase(candidate.find_last_not_of(' ') + 1);
  return !probe.FileExists(candidate) && !probe.FolderExists(candidate);
}

}  // namespace veltrane
