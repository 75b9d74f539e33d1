// A throwaway key under HKEY_CURRENT_USER, unique to the run, on each
// backend the build has: MemoryRegistry everywhere, the real registry too
// in the Windows build. It is wiped before and after every test.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "registry/memory_registry.h"
#include "registry/registry_api.h"
#ifdef _WIN32
#include <windows.h>

#include "registry/win32_registry.h"
#endif
#include "tests/support/registry_seed.h"
#include "tests/support/throwaway.h"

namespace veltrane::testing {

struct Backend {
  std::string name;
  std::function<std::unique_ptr<RegistryApi>()> make;
};

inline std::vector<Backend> Backends() {
  std::vector<Backend> backends{{"Memory", [] { return std::make_unique<MemoryRegistry>(); }}};
#ifdef _WIN32
  backends.push_back({"Win32", [] { return std::make_unique<Win32Registry>(); }});
#endif
  return backends;
}

// Deletes `path` below `parent` and everything under it, by the raw calls.
inline void Wipe(RegistryApi& api, RegKey parent, const std::string& path) {
  RegKey key = 0;
  KeyInfo facts;
  if (api.OpenKeyEx(parent, path, kKeyAllAccess, &key) == kErrorSuccess) {
    if (api.QueryInfoKey(key, &facts) == kErrorSuccess) {
      char name[1024];
      for (std::uint32_t index = facts.subkeyCount; index-- > 0;) {
        std::uint32_t length = sizeof name;
        if (api.EnumKey(key, index, name, &length) == 0) Wipe(api, key, std::string(name, length));
      }
    }
    api.CloseKey(key);
  }
  api.DeleteKey(parent, path);
}

class RegistryTest : public ::testing::TestWithParam<Backend> {
 protected:
  void SetUp() override {
    api_ = GetParam().make();
    base_ = "Software\\" + UniqueName("Veltrane Test");
    Wipe(api(), kHkeyCurrentUser, base_);
    ASSERT_EQ(api().CreateKeyEx(kHkeyCurrentUser, base_, kKeyAllAccess, &key_, nullptr), 0);
  }
  void TearDown() override {
    api().CloseKey(key_);
    Wipe(api(), kHkeyCurrentUser, base_);
    RegKey left = 0;
    EXPECT_EQ(api().OpenKeyEx(kHkeyCurrentUser, base_, kKeyRead, &left), kErrorFileNotFound);
    if (Memory()) {
      EXPECT_EQ(Memory()->OpenHandleCount(), 0u) << "a handle leaked";
    }
  }

  RegistryApi& api() { return *api_; }
  // Null on the real registry, which enforces no access rules per key.
  MemoryRegistry* Memory() { return dynamic_cast<MemoryRegistry*>(api_.get()); }
  // The absolute wrapper path of `path` below the test key.
  std::string Abs(const std::string& path = "") const {
    return "\\" + base_ + (path.empty() ? "" : "\\" + path);
  }
  // The path of `path` below HKEY_CURRENT_USER.
  std::string Rel(const std::string& path = "") const {
    return base_ + (path.empty() ? "" : "\\" + path);
  }

  void MakeKey(const std::string& path) {
    RegKey key = 0;
    ASSERT_EQ(api().CreateKeyEx(key_, path, kKeyAllAccess, &key, nullptr), 0) << path;
    api().CloseKey(key);
  }
  bool KeyExists(const std::string& path) { return RegistrySeed(api(), key_).Exists(path); }
  void Put(const std::string& path, const std::string& name, std::uint32_t type,
           const std::string& data) {
    RegKey key = 0;
    ASSERT_EQ(api().CreateKeyEx(key_, path, kKeyAllAccess, &key, nullptr), 0);
    EXPECT_EQ(api().SetValue(key, name, type, reinterpret_cast<const std::uint8_t*>(data.data()),
                             static_cast<std::uint32_t>(data.size())),
              0);
    api().CloseKey(key);
  }
  // A key and a REG_SZ value made by their UTF-16 names and text, as another
  // program may make them: an unpaired surrogate, say.
  void MakeWideKey(const std::u16string& name) {
    if (Memory()) {
      ASSERT_EQ(Memory()->CreateKeyUtf16(key_, name), 0);
      return;
    }
#ifdef _WIN32
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(reinterpret_cast<HKEY>(key_),
                              reinterpret_cast<const wchar_t*>(name.c_str()), 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              0);
    RegCloseKey(key);
#endif
  }
  void DeleteWideKey(const std::u16string& name) {
    if (Memory()) {
      EXPECT_EQ(Memory()->DeleteKeyUtf16(key_, name), 0);
      return;
    }
#ifdef _WIN32
    EXPECT_EQ(
        RegDeleteKeyW(reinterpret_cast<HKEY>(key_), reinterpret_cast<const wchar_t*>(name.c_str())),
        0);
#endif
  }
  void PutWide(const std::u16string& name, const std::u16string& text) {
    if (Memory()) {
      ASSERT_EQ(Memory()->SetValueUtf16(key_, name, kRegSz, text + u'\0'), 0);
      return;
    }
#ifdef _WIN32
    ASSERT_EQ(
        RegSetValueExW(reinterpret_cast<HKEY>(key_), reinterpret_cast<const wchar_t*>(name.c_str()),
                       0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>(text.size() * 2 + 2)),
        0);
#endif
  }

  // The value's data, or "<missing>"; `type` receives its type.
  std::string Get(const std::string& path, const std::string& name, std::uint32_t* type = nullptr) {
    const std::optional<TreeValue> value = RegistrySeed(api(), key_).Read(path, name);
    if (!value) return "<missing>";
    if (type) *type = value->type;
    return std::string(value->data.begin(), value->data.end());
  }

  std::unique_ptr<RegistryApi> api_;
  std::string base_;
  RegKey key_ = 0;
};

inline void PrintTo(const Backend& backend, std::ostream* out) { *out << backend.name; }
inline std::string BackendName(const ::testing::TestParamInfo<Backend>& tested) {
  return tested.param.name;
}

#define VELTRANE_ON_EVERY_BACKEND(Suite) \
  INSTANTIATE_TEST_SUITE_P(Backends, Suite, ::testing::ValuesIn(Backends()), BackendName)

}  // namespace veltrane::testing
