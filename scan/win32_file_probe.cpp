#include "scan/win32_file_probe.h"

#include <windows.h>

#include "base/unique_handle.h"

namespace veltrane {

bool Win32FileProbe::FileExists(const std::string& path) {
  WIN32_FIND_DATAA entry{};
  const UniqueFindHandle search(FindFirstFileA(path.c_str(), &entry));
  return search && (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool Win32FileProbe::FolderExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace veltrane
