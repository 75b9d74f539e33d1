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
//   unnamed value naming a missing file (and, on request, a bulk of keys
//   with nothing to find).
//
// Everything is put back when the object goes, the system root included.
#pragma once

#include <string>
#include <vector>

#include "registry/win32_registry.h"
#include "scan/findings.h"
#include "tests/support/registry_seed.h"
#include "tests/support/saved_registry.h"
#include "tests/support/throwaway.h"

namespace veltrane::testing {

class SeededRegistry {
 public:
  explicit SeededRegistry(int typedUrls = 2);

  // (Re)writes the seed's keys and values.
  void Seed();
  // Adds BulkKey(): `keys` keys in groups of 100, one text value each and
  // no finding among them, for a long walk, export and import.
  void AddBulk(int keys);
  std::string BulkKey() const { return OwnKey() + "\\Bulk"; }

  // The rows a scan of this seed lists, in order, all ticked.
  std::vector<Finding> ExpectedRows() const;

  // HKEY_CURRENT_USER, to check what a clean or a restore left.
  RegistrySeed& User() { return user_; }
  // Below HKEY_CURRENT_USER.
  const std::string& OwnKey() const { return ownKey_.Path(); }
  // The folder standing for the drive root, with its trailing backslash.
  const std::string& DriveRoot() const { return driveRoot_.Path(); }

  static constexpr const char* kFileExts =
      "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts";
  static constexpr const char* kTypedUrls = "Software\\Microsoft\\Internet Explorer\\TypedURLs";
  static constexpr const char* kRunMru =
      "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";
  static constexpr const char* kRecentDocs =
      "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RecentDocs";

 private:
  Win32Registry registry_;
  RegistrySeed user_{registry_};
  int typedUrls_;
  TempFolder driveRoot_{"VeltraneE2E", "C:\\"};
  ThrowawayKey ownKey_{registry_, "E2E"};
  ReplacedValue systemRoot_{registry_, kHkeyLocalMachine,
                            "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "SystemRoot",
                            DriveRoot() + "WINDOWS"};
  SavedKey fileExts_{registry_, kHkeyCurrentUser, kFileExts};
  SavedKey typedUrlsKey_{registry_, kHkeyCurrentUser, kTypedUrls};
  SavedKey runMru_{registry_, kHkeyCurrentUser, kRunMru};
  SavedKey recentDocs_{registry_, kHkeyCurrentUser, kRecentDocs};
};

}  // namespace veltrane::testing
