// The one backup of HKEY_CURRENT_USER\Software beside the executable:
// written after the first scan that finds anything, never replaced.
#pragma once

#include <string>

#include "registry/registry_api.h"

namespace veltrane {

inline constexpr const char* kBackupFileName = "backuphkcu.reg";
// The name the export writes; the same file where names ignore case, and
// found as the same file by FindBackupFile where they do not.
inline constexpr const char* kBackupWriteName = "backuphkcu.REG";

// The full name of the file called backuphkcu.reg, in any letter case, in
// `folder` (which ends in a path separator). Empty when there is none, or
// when the entry of that name is a folder.
std::string FindBackupFile(const std::string& folder);

// The scan driver's backup step: unless `folder` already holds the backup
// file, exports HKEY_CURRENT_USER "Software\" to folder + "backuphkcu.REG".
// Returns true when it wrote a backup. A file that cannot be created gives
// false quietly; `failure`, when given, then says why. A failed write
// (EInOutError) or an unreadable key (ERegistryException) raises and leaves
// no backup: the file appears whole or not at all.
bool WriteBackupIfMissing(RegistryApi& api, const std::string& folder,
                          std::string* failure = nullptr);

// The folder of the running executable, with its trailing separator.
std::string ExecutableFolder();

}  // namespace veltrane
