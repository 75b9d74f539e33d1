// UniqueKey: the one owner of a key handle opened through a RegistryApi. It
// closes the key when it goes, moves but never copies, and never turns into
// a raw handle by itself.
//
//   RegKey key = 0;
//   if (api.OpenKeyEx(parent, "Sub", kKeyRead, &key) != kErrorSuccess) return;
//   const UniqueKey owned(api, key);
//   api.QueryInfoKey(owned.get(), &facts);
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "registry/registry_api.h"

namespace veltrane {

class UniqueKey {
 public:
  UniqueKey() = default;
  UniqueKey(RegistryApi& api, RegKey key) noexcept : api_(&api), key_(key) {}
  UniqueKey(const UniqueKey&) = delete;
  UniqueKey& operator=(const UniqueKey&) = delete;
  UniqueKey(UniqueKey&& other) noexcept : api_(other.api_), key_(other.release()) {}
  UniqueKey& operator=(UniqueKey&& other) noexcept {
    if (this != &other) {
      reset();
      api_ = other.api_;
      key_ = other.release();
    }
    return *this;
  }
  ~UniqueKey() { reset(); }

  RegKey get() const noexcept { return key_; }
  explicit operator bool() const noexcept { return key_ != 0; }
  RegKey release() noexcept { return std::exchange(key_, 0); }
  void reset() noexcept {
    const RegKey old = release();
    if (old != 0 && api_) api_->CloseKey(old);
  }

 private:
  RegistryApi* api_ = nullptr;
  RegKey key_ = 0;
};

// RegOpenKeyExA and RegCreateKeyExA into an owner: on success `key` holds
// the new handle, otherwise nothing; the result is the registry's.
inline long OpenOwnedKey(RegistryApi& api, RegKey parent, const std::string& path,
                         std::uint32_t access, UniqueKey& key) {
  RegKey handle = 0;
  const long result = api.OpenKeyEx(parent, path, access, &handle);
  key = UniqueKey(api, result == kErrorSuccess ? handle : 0);
  return result;
}
inline long CreateOwnedKey(RegistryApi& api, RegKey parent, const std::string& path,
                           std::uint32_t access, UniqueKey& key) {
  RegKey handle = 0;
  const long result = api.CreateKeyEx(parent, path, access, &handle, nullptr);
  key = UniqueKey(api, result == kErrorSuccess ? handle : 0);
  return result;
}

}  // namespace veltrane
