// Seeds keys and values below HKEY_CURRENT_USER for the scan tests, on any
// registry backend. Paths are relative to HKEY_CURRENT_USER.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include "registry/registry_api.h"

namespace veltrane::testing {

class RegistrySeed {
 public:
  explicit RegistrySeed(RegistryApi& api, RegKey root = kHkeyCurrentUser)
      : api_(api), root_(root) {}

  void Key(const std::string& path) { Close(Open(path)); }

  // A REG_SZ with its terminating zero, as programs store strings.
  void Text(const std::string& path, const std::string& name, const std::string& text) {
    std::string data = text;
    data.push_back('\0');
    Raw(path, name, kRegSz, data);
  }
  void Raw(const std::string& path, const std::string& name, std::uint32_t type,
           const std::string& bytes) {
    const RegKey key = Open(path);
    const long result =
        api_.SetValue(key, name, type, reinterpret_cast<const std::uint8_t*>(bytes.data()),
                      static_cast<std::uint32_t>(bytes.size()));
    Close(key);
    if (result != kErrorSuccess) throw std::runtime_error("cannot set " + path + " " + name);
  }
  void DeleteValue(const std::string& path, const std::string& name) {
    RegKey key = 0;
    if (api_.OpenKeyEx(root_, path, kKeyAllAccess, &key) != kErrorSuccess) return;
    api_.DeleteValue(key, name);
    Close(key);
  }
  // Deletes the key and everything below it; false when it was not there.
  bool DeleteTree(const std::string& path) {
    RegKey key = 0;
    if (api_.OpenKeyEx(root_, path, kKeyAllAccess, &key) != kErrorSuccess) return false;
    for (;;) {
      KeyInfo info;
      if (api_.QueryInfoKey(key, &info) != kErrorSuccess || info.subkeyCount == 0) break;
      std::string name(info.longestSubkeyName + 1, '\0');
      std::uint32_t length = static_cast<std::uint32_t>(name.size());
      if (api_.EnumKey(key, 0, name.data(), &length) != kErrorSuccess) break;
      if (!DeleteTree(path + "\\" + name.substr(0, length))) break;
    }
    Close(key);
    return api_.DeleteKey(root_, path) == kErrorSuccess;
  }

 private:
  RegKey Open(const std::string& path) {
    RegKey key = 0;
    if (api_.CreateKeyEx(root_, path, kKeyAllAccess, &key, nullptr) != kErrorSuccess) {
      throw std::runtime_error("cannot create " + path);
    }
    return key;
  }
  void Close(RegKey key) { api_.CloseKey(key); }

  RegistryApi& api_;
  RegKey root_;
};

}  // namespace veltrane::testing
