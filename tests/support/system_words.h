// The system's own sentences for the file errors tests cause on purpose:
// Windows', Wine's (its FormatMessage words them differently), or the C
// library's elsewhere.
#pragma once

#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

namespace veltrane::testing {

#ifdef _WIN32
inline bool UnderWine() {
  const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}
#endif

// A file that is not there (ERROR_FILE_NOT_FOUND, ENOENT).
inline std::string NoSuchFileWords() {
#ifdef _WIN32
  return UnderWine() ? "File not found." : "The system cannot find the file specified.";
#else
  return "No such file or directory.";
#endif
}

// A file in a folder that is not there (ERROR_PATH_NOT_FOUND, ENOENT).
inline std::string NoSuchFolderWords() {
#ifdef _WIN32
  return UnderWine() ? "Path not found." : "The system cannot find the path specified.";
#else
  return "No such file or directory.";
#endif
}

}  // namespace veltrane::testing
