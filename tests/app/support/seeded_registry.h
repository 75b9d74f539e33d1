// The registry and disk as the end-to-end tests set them up for a scan:
//
// - the system root points into a fresh folder of drive C: (C:\<unique>\WINDOWS),
//   so the drive root the invalid path scan looks for is that folder, and
//   only values this seed writes can be reported there, whatever else the
//   shared prefix holds;
// - the per-user file extension, typed address, Run box and recent
//   document keys are emptied, and the seed's own entries written;
// - a throwaway key below HKEY_CURRENT_USER\Software holds a value naming a
//   missing file, one naming an existing folder and, one level down, an
//   unnamed value naming a missing file.
//
// Everything is put back when the object goes, the system root included.
#pragma once

#include <string>
#include <vector>

#include "registry/win32_registry.h"
#include "scan/findings.h"

namespace veltrane::testing {

class SeededRegistry {
 public:
  explicit SeededRegistry(int typedUrls = 2);
  ~SeededRegistry();
  SeededRegistry(const SeededRegistry&) = delete;
  SeededRegistry& operator=(const SeededRegistry&) = delete;

  // (Re)writes the seed's keys and values.
  void Seed();

  // The rows a scan of this seed lists, in order, all ticked.
  std::vector<Finding> ExpectedRows() const;

  RegistryApi& Registry() { return registry_; }
  // Below HKEY_CURRENT_USER.
  const std::string& OwnKey() const { return ownKey_; }
  // The folder standing for the drive root, with its trailing backslash.
  const std::string& DriveRoot() const { return driveRoot_; }

  // A value's type and bytes, or nothing when it is not there.
  bool ReadValue(const std::string& path, const std::string& name, std::uint32_t& type,
                 std::string& data);
  bool ValueExists(const std::string& path, const std::string& name);
  bool KeyExists(const std::string& path);

  static constexpr const char* kFileExts =
      "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts";
  static constexpr const char* kTypedUrls = "Software\\Microsoft\\Internet Explorer\\TypedURLs";
  static constexpr const char* kRunMru =
      "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";
  static constexpr const char* kRecentDocs =
      "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RecentDocs";

 private:
  struct SavedKey {
    std::string path;
    bool existed = false;
    std::string text;  // REGEDIT4 of the whole key
  };
  void SaveAndClear(const std::string& path);

  Win32Registry registry_;
  int typedUrls_;
  std::string ownKey_;
  std::string driveRoot_;
  std::vector<SavedKey> saved_;
  bool systemRootExisted_ = false;
  std::uint32_t systemRootType_ = 0;
  std::string systemRootData_;
};

}  // namespace veltrane::testing
