// The backup writer: one registry key with everything below it, as REGEDIT4
// text that the registry editor and our importer read back unchanged.
#pragma once

#include <stdexcept>
#include <string>

#include "registry/registry_api.h"

namespace veltrane {

// Raised when the backup file cannot be written to (a full disk, say).
class EInOutError : public std::runtime_error {
 public:
  EInOutError(long code, const std::string& message) : std::runtime_error(message), code_(code) {}
  long Code() const { return code_; }

 private:
  long code_;
};

// Writes `keyPath` below `root` (one trailing backslash is dropped) with all
// its values and subkeys to `fileName`, creating or truncating it. A file
// that cannot be created is left alone and false comes back, nothing raised.
// A failed write raises EInOutError; the file keeps what was written.
bool ExportKeyToFile(RegistryApi& api, RegKey root, const std::string& keyPath,
                     const std::string& fileName);

// The same text, in memory.
std::string ExportKeyToText(RegistryApi& api, RegKey root, const std::string& keyPath);

}  // namespace veltrane
