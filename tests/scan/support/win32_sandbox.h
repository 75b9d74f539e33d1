// Throwaway registry keys and files for the tests that run under Wine on
// the real registry and file system. Names are unique per run; everything
// made is removed again when the sandbox goes.
#pragma once

#include <windows.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "registry/win32_registry.h"
#include "tests/scan/support/rebased_registry.h"
#include "tests/scan/support/registry_seed.h"

namespace veltrane::testing {

inline std::string UniqueName(const std::string& stem) {
  return stem + "-" + std::to_string(GetCurrentProcessId()) + "-" +
         std::to_string(GetTickCount64());
}

// Files and folders below a fresh folder of drive C:.
class FileSandbox {
 public:
  explicit FileSandbox(const std::string& stem) : root_("C:\\" + UniqueName(stem)) { Folder(""); }
  ~FileSandbox() {
    // Deepest first: made in order, so removed in reverse.
    for (auto entry = made_.rbegin(); entry != made_.rend(); ++entry) {
      if (entry->second) {
        RemoveDirectoryA(entry->first.c_str());
      } else {
        DeleteFileA(entry->first.c_str());
      }
    }
  }
  FileSandbox(const FileSandbox&) = delete;
  FileSandbox& operator=(const FileSandbox&) = delete;

  const std::string& Root() const { return root_; }
  // `path` below the root, with a leading backslash ("" for the root).
  void Folder(const std::string& path) {
    if (!CreateDirectoryA((root_ + path).c_str(), nullptr)) {
      throw std::runtime_error("cannot make folder " + root_ + path);
    }
    made_.emplace_back(root_ + path, true);
  }
  void File(const std::string& path) {
    const HANDLE file = CreateFileA((root_ + path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot make file " + root_ + path);
    CloseHandle(file);
    made_.emplace_back(root_ + path, false);
  }

 private:
  std::string root_;
  std::vector<std::pair<std::string, bool>> made_;  // path, is a folder
};

// A throwaway key of the real HKEY_CURRENT_USER that stands in for the
// whole of HKEY_CURRENT_USER in `registry`.
class RegistrySandbox {
 public:
  explicit RegistrySandbox(const std::string& stem)
      : path_("Software\\" + UniqueName(stem)), seedReal_(real_) {
    seedReal_.DeleteTree(path_);
    if (real_.CreateKeyEx(kHkeyCurrentUser, path_, kKeyAllAccess, &standIn_, nullptr) !=
        kErrorSuccess) {
      throw std::runtime_error("cannot make " + path_);
    }
    registry_ = std::make_unique<RebasedRegistry>(real_, kHkeyCurrentUser, standIn_);
  }
  ~RegistrySandbox() {
    real_.CloseKey(standIn_);
    seedReal_.DeleteTree(path_);
  }
  RegistrySandbox(const RegistrySandbox&) = delete;
  RegistrySandbox& operator=(const RegistrySandbox&) = delete;

  RegistryApi& Registry() { return *registry_; }
  RegistryApi& Real() { return real_; }
  const std::string& Path() const { return path_; }  // below the real HKEY_CURRENT_USER

 private:
  Win32Registry real_;
  std::string path_;
  RegistrySeed seedReal_;
  RegKey standIn_ = 0;
  std::unique_ptr<RebasedRegistry> registry_;
};

}  // namespace veltrane::testing
