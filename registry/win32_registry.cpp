#include "registry/win32_registry.h"

#include <windows.h>

namespace veltrane {
namespace {

HKEY ToHkey(RegKey key) { return reinterpret_cast<HKEY>(key); }
RegKey FromHkey(HKEY key) { return reinterpret_cast<RegKey>(key); }

static_assert(sizeof(DWORD) == sizeof(std::uint32_t));

}  // namespace

long Win32Registry::OpenKey(RegKey parent, const std::string& subkey, RegKey* result) {
  HKEY key = nullptr;
  const LONG r = RegOpenKeyA(ToHkey(parent), subkey.c_str(), &key);
  if (r == ERROR_SUCCESS) *result = FromHkey(key);
  return r;
}

long Win32Registry::OpenKeyEx(RegKey parent, const std::string& subkey, std::uint32_t access,
                              RegKey* result) {
  HKEY key = nullptr;
  const LONG r = RegOpenKeyExA(ToHkey(parent), subkey.c_str(), 0, access, &key);
  if (r == ERROR_SUCCESS) *result = FromHkey(key);
  return r;
}

long Win32Registry::CreateKeyEx(RegKey parent, const std::string& subkey, std::uint32_t access,
                                RegKey* result, std::uint32_t* disposition) {
  HKEY key = nullptr;
  DWORD how = 0;
  const LONG r = RegCreateKeyExA(ToHkey(parent), subkey.c_str(), 0, nullptr,
                                 REG_OPTION_NON_VOLATILE, access, nullptr, &key, &how);
  if (r == ERROR_SUCCESS) {
    *result = FromHkey(key);
    if (disposition) *disposition = how;
  }
  return r;
}

long Win32Registry::QueryInfoKey(RegKey key, KeyInfo* info) {
  DWORD subkeys = 0, longestSubkey = 0, values = 0, longestValue = 0, longestData = 0;
  FILETIME written{};
  const LONG r = RegQueryInfoKeyA(ToHkey(key), nullptr, nullptr, nullptr, &subkeys, &longestSubkey,
                                  nullptr, &values, &longestValue, &longestData, nullptr, &written);
  if (r == ERROR_SUCCESS) {
    info->subkeyCount = subkeys;
    info->longestSubkeyName = longestSubkey;
    info->valueCount = values;
    info->longestValueName = longestValue;
    info->longestData = longestData;
    info->lastWriteTime =
        (static_cast<std::uint64_t>(written.dwHighDateTime) << 32) | written.dwLowDateTime;
  }
  return r;
}

long Win32Registry::EnumKey(RegKey key, std::uint32_t index, char* name,
                            std::uint32_t* nameLength) {
  return RegEnumKeyExA(ToHkey(key), index, name, reinterpret_cast<DWORD*>(nameLength), nullptr,
                       nullptr, nullptr, nullptr);
}

long Win32Registry::EnumValue(RegKey key, std::uint32_t index, char* name,
                              std::uint32_t* nameLength, std::uint32_t* type, std::uint8_t* data,
                              std::uint32_t* dataSize) {
  return RegEnumValueA(ToHkey(key), index, name, reinterpret_cast<DWORD*>(nameLength), nullptr,
                       reinterpret_cast<DWORD*>(type), data, reinterpret_cast<DWORD*>(dataSize));
}

long Win32Registry::QueryValue(RegKey key, const std::string& name, std::uint32_t* type,
                               std::uint8_t* data, std::uint32_t* dataSize) {
  return RegQueryValueExA(ToHkey(key), name.c_str(), nullptr, reinterpret_cast<DWORD*>(type), data,
                          reinterpret_cast<DWORD*>(dataSize));
}

long Win32Registry::SetValue(RegKey key, const std::string& name, std::uint32_t type,
                             const std::uint8_t* data, std::uint32_t size) {
  return RegSetValueExA(ToHkey(key), name.c_str(), 0, type, data, size);
}

long Win32Registry::DeleteValue(RegKey key, const std::string& name) {
  return RegDeleteValueA(ToHkey(key), name.c_str());
}

long Win32Registry::DeleteKey(RegKey parent, const std::string& subkey) {
  return RegDeleteKeyA(ToHkey(parent), subkey.c_str());
}

long Win32Registry::CloseKey(RegKey key) { return RegCloseKey(ToHkey(key)); }

}  // namespace veltrane
