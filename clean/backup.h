// The one backup of HKEY_CURRENT_USER\Software: written before the first
// clean (by the first scan that finds anything, or by the clean itself),
// never replaced. It goes beside the executable, or to the per-user folder
// of the undo files when that folder takes no file; one in either place is
// the backup.
#pragma once

#include <functional>
#include <string>
#include <vector>

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

// The backup in the first of `folders` that holds one; empty when none
// does.
std::string FindBackupIn(const std::vector<std::string>& folders);

// How long a clean waits for another process that is writing the backup.
inline constexpr int kBackupWaitMs = 60000;

struct BackupOutcome {
  enum State {
    kFound,    // there was one already (or another process wrote it meanwhile)
    kWritten,  // this call wrote it
    kBusy,     // another running process is writing it
    kFailed,   // no folder took it
  };
  State state = kFailed;
  std::string file;     // the backup found or written
  std::string failure;  // kBusy, kFailed: why, naming every folder tried
};

// Makes sure a backup exists: when none of `folders` holds one, exports
// HKEY_CURRENT_USER "Software\" to the first that takes backuphkcu.REG,
// making a missing folder. The backup's folders are the undo files'
// (UndoFolders): beside the executable, then the per-user folder. While
// another running Veltrane writes it, `wait` (when given) is called with a
// pause in milliseconds until that one is done, for at most `boundMs`;
// without `wait` the answer is kBusy at once. A backup that another process put in
// place first is kept. A failed write (a full disk) passes on to the next
// folder; an unreadable key raises ERegistryException and writes nothing.
BackupOutcome EnsureBackup(RegistryApi& api, const std::vector<std::string>& folders,
                           const std::function<void(int)>& wait = {}, int boundMs = kBackupWaitMs);

// The scan driver's backup step in one folder: EnsureBackup({folder}).
// True when it wrote a backup; otherwise `failure`, when given, says why
// none was written (empty when one was there).
bool WriteBackupIfMissing(RegistryApi& api, const std::string& folder,
                          std::string* failure = nullptr);

// The folder of the running executable, with its trailing separator.
std::string ExecutableFolder();

}  // namespace veltrane
