// The REGEDIT4 reader: turns the text of a .reg file (REGEDIT4, or the
// registry editor's UTF-16 "Version 5.00" form) into the list of changes it
// asks for, checking every line. Names and texts come out as the program's
// own. Nothing here touches the registry.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "registry/registry_api.h"

namespace veltrane {

struct RegImportError {
  int line = 0;  // 1-based; 0 when the fault is not on a line
  std::string message;
  // "line 12: a dword needs one to eight hexadecimal digits"
  std::string Text() const;
};

// One change the file asks for, in file order.
struct RegOperation {
  enum Kind { kOpenKey, kDeleteKey, kSetValue, kDeleteValue };
  Kind kind = kOpenKey;
  int line = 0;
  RegKey root = 0;   // key operations
  std::string path;  // below the root, names joined by single backslashes
  std::string name;  // value operations: "" is the default value
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;
};

// Whether value lines follow the key line `keyLine` of `operations`.
inline bool HasValueLines(const std::vector<RegOperation>& operations, std::size_t keyLine) {
  return keyLine + 1 < operations.size() &&
         (operations[keyLine + 1].kind == RegOperation::kSetValue ||
          operations[keyLine + 1].kind == RegOperation::kDeleteValue);
}

// Reads the whole file, an 8-bit one in `ansiCodePage` (the system's, as
// ReadAnsiCodePage gives it: the registry editor reads REGEDIT4 in it).
// False, with the first fault, when any line is not sound, a character
// among them that cannot be read exactly; `operations` is then incomplete
// and must not be applied.
bool ParseRegFile(std::string_view bytes, unsigned ansiCodePage,
                  std::vector<RegOperation>& operations, RegImportError& error);

}  // namespace veltrane
