// A registry that passes every call on to another one. Tests derive from it
// and override the one call they want to bend (refuse writes, understate
// name lengths, map a root onto a stand-in key, count the calls).
#pragma once

#include <cstdint>

#include "registry/registry_api.h"

namespace veltrane::testing {

class ForwardingRegistry : public RegistryApi {
 public:
  explicit ForwardingRegistry(RegistryApi& inner) : inner_(inner) {}

  long OpenKey(RegKey parent, const std::string& subkey, RegKey* result) override {
    OnCall();
    return inner_.OpenKey(Map(parent), subkey, result);
  }
  long OpenKeyEx(RegKey parent, const std::string& subkey, std::uint32_t access,
                 RegKey* result) override {
    OnCall();
    return inner_.OpenKeyEx(Map(parent), subkey, access, result);
  }
  long CreateKeyEx(RegKey parent, const std::string& subkey, std::uint32_t access, RegKey* result,
                   std::uint32_t* disposition) override {
    OnCall();
    return inner_.CreateKeyEx(Map(parent), subkey, access, result, disposition);
  }
  long QueryInfoKey(RegKey key, KeyInfo* info) override {
    OnCall();
    return inner_.QueryInfoKey(Map(key), info);
  }
  long EnumKey(RegKey key, std::uint32_t index, char* name, std::uint32_t* nameLength) override {
    OnCall();
    return inner_.EnumKey(Map(key), index, name, nameLength);
  }
  long EnumValue(RegKey key, std::uint32_t index, char* name, std::uint32_t* nameLength,
                 std::uint32_t* type, std::uint8_t* data, std::uint32_t* dataSize) override {
    OnCall();
    return inner_.EnumValue(Map(key), index, name, nameLength, type, data, dataSize);
  }
  long QueryValue(RegKey key, const std::string& name, std::uint32_t* type, std::uint8_t* data,
                  std::uint32_t* dataSize) override {
    OnCall();
    return inner_.QueryValue(Map(key), name, type, data, dataSize);
  }
  long SetValue(RegKey key, const std::string& name, std::uint32_t type, const std::uint8_t* data,
                std::uint32_t size) override {
    OnCall();
    return inner_.SetValue(Map(key), name, type, data, size);
  }
  long DeleteValue(RegKey key, const std::string& name) override {
    OnCall();
    return inner_.DeleteValue(Map(key), name);
  }
  long DeleteKey(RegKey parent, const std::string& subkey) override {
    OnCall();
    return inner_.DeleteKey(Map(parent), subkey);
  }
  long CloseKey(RegKey key) override {
    OnCall();
    return inner_.CloseKey(Map(key));
  }

 protected:
  // Before every call that passes.
  virtual void OnCall() {}
  // The handle the inner registry sees for `key`.
  virtual RegKey Map(RegKey key) const { return key; }
  RegistryApi& Inner() { return inner_; }

 private:
  RegistryApi& inner_;
};

// Counts the calls that reach the registry behind it (under Wine each one
// is a round trip to the wine server).
class CountingRegistry final : public ForwardingRegistry {
 public:
  using ForwardingRegistry::ForwardingRegistry;
  std::uint64_t calls = 0;

 protected:
  void OnCall() override { ++calls; }
};

}  // namespace veltrane::testing

namespace veltrane {
// The benchmarks count their calls with it too.
using testing::CountingRegistry;
}  // namespace veltrane
