// A registry in which one root key stands for another key: every call made
// on the root goes to the stand-in. Tests and benchmarks use it to run the
// checks on a throwaway key of the real registry as if it were
// HKEY_CURRENT_USER, leaving the real one alone.
#pragma once

#include "registry/registry_api.h"

namespace veltrane::testing {

class RebasedRegistry final : public RegistryApi {
 public:
  RebasedRegistry(RegistryApi& inner, RegKey root, RegKey standIn)
      : inner_(inner), root_(root), standIn_(standIn) {}

  long OpenKey(RegKey parent, const std::string& subkey, RegKey* result) override {
    return inner_.OpenKey(Map(parent), subkey, result);
  }
  long OpenKeyEx(RegKey parent, const std::string& subkey, std::uint32_t access,
                 RegKey* result) override {
    return inner_.OpenKeyEx(Map(parent), subkey, access, result);
  }
  long CreateKeyEx(RegKey parent, const std::string& subkey, std::uint32_t access, RegKey* result,
                   std::uint32_t* disposition) override {
    return inner_.CreateKeyEx(Map(parent), subkey, access, result, disposition);
  }
  long QueryInfoKey(RegKey key, KeyInfo* info) override {
    return inner_.QueryInfoKey(Map(key), info);
  }
  long EnumKey(RegKey key, std::uint32_t index, char* name, std::uint32_t* nameLength) override {
    return inner_.EnumKey(Map(key), index, name, nameLength);
  }
  long EnumValue(RegKey key, std::uint32_t index, char* name, std::uint32_t* nameLength,
                 std::uint32_t* type, std::uint8_t* data, std::uint32_t* dataSize) override {
    return inner_.EnumValue(Map(key), index, name, nameLength, type, data, dataSize);
  }
  long QueryValue(RegKey key, const std::string& name, std::uint32_t* type, std::uint8_t* data,
                  std::uint32_t* dataSize) override {
    return inner_.QueryValue(Map(key), name, type, data, dataSize);
  }
  long SetValue(RegKey key, const std::string& name, std::uint32_t type, const std::uint8_t* data,
                std::uint32_t size) override {
    return inner_.SetValue(Map(key), name, type, data, size);
  }
  long DeleteValue(RegKey key, const std::string& name) override {
    return inner_.DeleteValue(Map(key), name);
  }
  long DeleteKey(RegKey parent, const std::string& subkey) override {
    return inner_.DeleteKey(Map(parent), subkey);
  }
  // The stand-in belongs to whoever made it; closing the root closes nothing.
  long CloseKey(RegKey key) override { return key == root_ ? kErrorSuccess : inner_.CloseKey(key); }

 private:
  RegKey Map(RegKey key) const { return key == root_ ? standIn_ : key; }

  RegistryApi& inner_;
  RegKey root_;
  RegKey standIn_;
};

}  // namespace veltrane::testing
