#include "clean/file_error.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#include <windows.h>

#include "registry/typed_value.h"
#else
#include <sys/stat.h>
#endif

namespace veltrane {

long LastFileError() {
#ifdef _WIN32
  return static_cast<long>(GetLastError());
#else
  return errno;
#endif
}

long LastLibraryFileError() {
#ifdef _WIN32
  return static_cast<long>(_doserrno);
#else
  return errno;
#endif
}

std::string FileErrorText(long code) {
#ifdef _WIN32
  return SystemErrorText(code);
#else
  return std::string(std::strerror(static_cast<int>(code))) + ".";
#endif
}

std::string FileFailure(const std::string& action, const std::string& name, long code) {
  const std::string reason = IsFolder(name) ? "it is a folder, not a file." : FileErrorText(code);
  return "cannot " + action + " " + name + ": " + reason;
}

bool IsFolder(const std::string& name) {
  if (name.empty()) return false;
#ifdef _WIN32
  const DWORD attributes = GetFileAttributesA(name.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
#else
  struct stat facts;
  return ::stat(name.c_str(), &facts) == 0 && S_ISDIR(facts.st_mode);
#endif
}

}  // namespace veltrane
