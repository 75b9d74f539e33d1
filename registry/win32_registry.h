// The real registry through advapi32's UTF-16 functions, one call for each
// operation (two when a value's text outgrows the buffer kept for it): the
// 8-bit functions would turn every character outside the process code page
// into "?". Names and string data are converted here, exactly or not at
// all (1113), and the results are those registry_api.h gives.
#pragma once

#include "registry/registry_api.h"

namespace veltrane {

class Win32Registry final : public RegistryApi {
 public:
  long OpenKey(RegKey parent, const std::string& subkey, RegKey* result) override;
  long OpenKeyEx(RegKey parent, const std::string& subkey, std::uint32_t access,
                 RegKey* result) override;
  long CreateKeyEx(RegKey parent, const std::string& subkey, std::uint32_t access, RegKey* result,
                   std::uint32_t* disposition) override;
  long QueryInfoKey(RegKey key, KeyInfo* info) override;
  long EnumKey(RegKey key, std::uint32_t index, char* name, std::uint32_t* nameLength) override;
  long EnumValue(RegKey key, std::uint32_t index, char* name, std::uint32_t* nameLength,
                 std::uint32_t* type, std::uint8_t* data, std::uint32_t* dataSize) override;
  long QueryValue(RegKey key, const std::string& name, std::uint32_t* type, std::uint8_t* data,
                  std::uint32_t* dataSize) override;
  long SetValue(RegKey key, const std::string& name, std::uint32_t type, const std::uint8_t* data,
                std::uint32_t size) override;
  long DeleteValue(RegKey key, const std::string& name) override;
  long DeleteKey(RegKey parent, const std::string& subkey) override;
  long CloseKey(RegKey key) override;
};

}  // namespace veltrane
