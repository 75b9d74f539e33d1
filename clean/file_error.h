// Why a file operation failed, in the system's own words: FormatMessage's
// text for the error code on Windows, strerror's elsewhere.
#pragma once

#include <string>

namespace veltrane {

// The system's code for the last failed file call: GetLastError() after a
// Win32 call, errno after a POSIX one.
long LastFileError();
// The same after a C library call (fopen, fread): the system's code the
// library kept (_doserrno on Windows), errno elsewhere.
long LastLibraryFileError();

// The system's sentence for a code: "The system cannot find the file
// specified." for 2 on Windows, "No such file or directory." for ENOENT.
std::string FileErrorText(long code);

// "cannot open x.reg: The system cannot find the file specified." When
// `name` is a folder, the reason says so instead, as Windows gives only
// "Access is denied." for a folder opened as a file.
std::string FileFailure(const std::string& action, const std::string& name, long code);

// Whether `name` is an existing folder.
bool IsFolder(const std::string& name);

}  // namespace veltrane
