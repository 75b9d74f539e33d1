#include "scan/win32_file_probe.h"

#include <windows.h>

namespace veltrane {
namespace {

// Owns a search handle: FindClose when it goes.
class FindHandle {
 public:
  explicit FindHandle(HANDLE handle) : handle_(handle) {}
  ~FindHandle() {
    if (valid()) FindClose(handle_);
  }
  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

}  // namespace

bool Win32FileProbe::FileExists(const std::string& path) {
  WIN32_FIND_DATAA entry{};
  const FindHandle search(FindFirstFileA(path.c_str(), &entry));
  return search.valid() && (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool Win32FileProbe::FolderExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace veltrane
