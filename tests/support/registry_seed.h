// Writes and reads keys and values below a root key (HKEY_CURRENT_USER
// unless told otherwise), on any registry backend: what a test sets up and
// what it checks afterwards. Paths are relative to the root.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "registry/registry_api.h"
#include "registry/tregistry.h"
#include "tests/support/tree.h"

namespace veltrane::testing {

class RegistrySeed {
 public:
  explicit RegistrySeed(RegistryApi& api, RegKey root = kHkeyCurrentUser)
      : api_(api), root_(root) {}

  void Key(const std::string& path) { Close(Create(path)); }

  // A REG_SZ with its terminating zero, as programs store strings.
  void Text(const std::string& path, const std::string& name, const std::string& text) {
    std::string data = text;
    data.push_back('\0');
    Raw(path, name, kRegSz, data);
  }
  void Raw(const std::string& path, const std::string& name, std::uint32_t type,
           const std::string& bytes) {
    Value(path, name, TreeValue{type, std::vector<std::uint8_t>(bytes.begin(), bytes.end())});
  }
  void Value(const std::string& path, const std::string& name, const TreeValue& value) {
    const RegKey key = Create(path);
    Set(key, path, name, value);
    Close(key);
  }
  // The keys and values of `tree` at `path`, beside what is there already.
  void Tree(const std::string& path, const TreeKey& tree) {
    const RegKey key = Create(path);
    for (const auto& [name, value] : tree.values) Set(key, path, name, value);
    Close(key);
    for (const auto& [name, subkey] : tree.subkeys) Tree(path + "\\" + name, subkey);
  }

  void DeleteValue(const std::string& path, const std::string& name) {
    RegKey key = 0;
    if (api_.OpenKeyEx(root_, path, kKeyAllAccess, &key) != kErrorSuccess) return;
    api_.DeleteValue(key, name);
    Close(key);
  }
  // The key and everything below it; false when it was not there.
  bool DeleteTree(const std::string& path) {
    TRegistry registry(api_);
    registry.SelectRoot(root_);
    return registry.RemoveKey(path);
  }

  bool Exists(const std::string& path) {
    RegKey key = 0;
    if (api_.OpenKeyEx(root_, path, kKeyRead, &key) != kErrorSuccess) return false;
    Close(key);
    return true;
  }
  bool Exists(const std::string& path, const std::string& name) {
    return Read(path, name).has_value();
  }
  // A value's type and bytes; nothing when the key or the value is missing.
  std::optional<TreeValue> Read(const std::string& path, const std::string& name) {
    RegKey key = 0;
    if (api_.OpenKeyEx(root_, path, kKeyRead, &key) != kErrorSuccess) return std::nullopt;
    std::optional<TreeValue> value;
    std::uint32_t type = 0, size = 0;
    if (api_.QueryValue(key, name, &type, nullptr, &size) == kErrorSuccess) {
      std::vector<std::uint8_t> data(size);
      if (api_.QueryValue(key, name, &type, data.data(), &size) == kErrorSuccess) {
        data.resize(size);
        value = TreeValue{type, std::move(data)};
      }
    }
    Close(key);
    return value;
  }

 private:
  RegKey Create(const std::string& path) {
    RegKey key = 0;
    if (api_.CreateKeyEx(root_, path, kKeyAllAccess, &key, nullptr) != kErrorSuccess) {
      throw std::runtime_error("cannot create " + path);
    }
    return key;
  }
  void Set(RegKey key, const std::string& path, const std::string& name, const TreeValue& value) {
    if (api_.SetValue(key, name, value.type, value.data.data(),
                      static_cast<std::uint32_t>(value.data.size())) != kErrorSuccess) {
      Close(key);
      throw std::runtime_error("cannot set " + path + " " + name);
    }
  }
  void Close(RegKey key) { api_.CloseKey(key); }

  RegistryApi& api_;
  RegKey root_;
};

}  // namespace veltrane::testing
