// A folder of drive C: and a key of the real registry for the tests and
// benchmarks that run under Wine on the real file system and registry.
// Names are unique per run; everything made is removed again when the
// sandbox goes.
#pragma once

#include <windows.h>

#include <memory>
#include <stdexcept>
#include <string>

#include "registry/win32_registry.h"
#include "tests/support/rebased_registry.h"
#include "tests/support/throwaway.h"

namespace veltrane::testing {

// Files and folders below a fresh folder of drive C:.
class FileSandbox {
 public:
  explicit FileSandbox(const std::string& stem)
      : folder_(stem, "C:\\"), root_(folder_.Path().substr(0, folder_.Path().size() - 1)) {}

  // Without a trailing backslash.
  const std::string& Root() const { return root_; }
  // `path` below the root, with a leading backslash.
  void Folder(const std::string& path) {
    if (!CreateDirectoryA((root_ + path).c_str(), nullptr)) {
      throw std::runtime_error("cannot make folder " + root_ + path);
    }
  }
  void File(const std::string& path) {
    const HANDLE file = CreateFileA((root_ + path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot make file " + root_ + path);
    CloseHandle(file);
  }

 private:
  TempFolder folder_;
  std::string root_;
};

// A throwaway key of the real HKEY_CURRENT_USER that stands in for the
// whole of HKEY_CURRENT_USER in `Registry()`.
class RegistrySandbox {
 public:
  explicit RegistrySandbox(const std::string& tag) : key_(real_, tag) {
    if (real_.CreateKeyEx(kHkeyCurrentUser, key_.Path(), kKeyAllAccess, &standIn_, nullptr) !=
        kErrorSuccess) {
      throw std::runtime_error("cannot make " + key_.Path());
    }
    registry_ = std::make_unique<RebasedRegistry>(real_, kHkeyCurrentUser, standIn_);
  }
  ~RegistrySandbox() { real_.CloseKey(standIn_); }
  RegistrySandbox(const RegistrySandbox&) = delete;
  RegistrySandbox& operator=(const RegistrySandbox&) = delete;

  RegistryApi& Registry() { return *registry_; }
  // The stand-in's path below the real HKEY_CURRENT_USER.
  const std::string& Path() const { return key_.Path(); }

 private:
  Win32Registry real_;
  ThrowawayKey key_;  // removed after the stand-in is closed
  RegKey standIn_ = 0;
  std::unique_ptr<RebasedRegistry> registry_;
};

}  // namespace veltrane::testing
