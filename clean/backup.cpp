#include "clean/backup.h"

#include "base/text.h"
#include "base/unique_handle.h"
#include "clean/reg_export.h"
#include "clean/undo_file.h"
#include "clean/whole_file.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace veltrane {

std::string FindBackupFile(const std::string& folder) {
#ifdef _WIN32
  // Windows compares names without regard to case (and so does Wine, on any
  // file system).
  WIN32_FIND_DATAA found;
  const UniqueFindHandle search(FindFirstFileA((folder + kBackupFileName).c_str(), &found));
  if (!search) return {};
  if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return {};
  return folder + found.cFileName;
#else
  DIR* directory = opendir(folder.empty() ? "." : folder.c_str());
  if (!directory) return {};
  std::string result;
  while (const dirent* entry = readdir(directory)) {
    if (strcasecmp(entry->d_name, kBackupFileName) != 0) continue;
    const std::string path = folder + entry->d_name;
    struct stat facts;
    if (stat(path.c_str(), &facts) == 0 && !S_ISDIR(facts.st_mode)) {
      result = path;
      break;
    }
  }
  closedir(directory);
  return result;
#endif
}

std::string FindBackupIn(const std::vector<std::string>& folders) {
  for (const std::string& folder : folders) {
    std::string file = FindBackupFile(folder);
    if (!file.empty()) return file;
  }
  return {};
}

namespace {

constexpr int kWriterPollMs = 100;

// The first temporary of the backup that another running process writes
// in any of `folders`; the temporaries of ended ones are removed.
std::string OtherWriter(const std::vector<std::string>& folders) {
  for (const std::string& folder : folders) {
    const auto running = RemoveEndedTemporaries(folder, kBackupWriteName, true);
    if (!running.empty()) {
      return "another Veltrane is writing the backup (process " +
             std::to_string(running.front().process) + ", in " + folder + ")";
    }
  }
  return {};
}

// Writes the backup into `folder`. kFailed with the reason when the folder
// takes no file or the write fails.
BackupOutcome WriteInto(RegistryApi& api, const std::string& folder) {
  // Whole or not at all: a backup cut short (a full disk, a failed read, a
  // killed process) would stand in for a good one for good, as it is never
  // replaced. With no file left, the next attempt tries again.
  WholeFile file(folder + kBackupWriteName);
  if (!OpenInFolder(file, folder)) return {BackupOutcome::kFailed, {}, file.OpenFailure()};
  try {
    ExportKeyInto(api, kHkeyCurrentUser, "Software\\", file);
    // Written once, never replaced: should another process have put one
    // there meanwhile, that one stays.
    if (file.Publish(false)) return {BackupOutcome::kWritten, folder + kBackupWriteName, {}};
  } catch (const EInOutError& error) {
    return {BackupOutcome::kFailed, {}, error.what()};
  }
  return {BackupOutcome::kFound, FindBackupFile(folder), {}};
}

}  // namespace

BackupOutcome EnsureBackup(RegistryApi& api, const std::vector<std::string>& folders,
                           const std::function<void(int)>& wait, int boundMs) {
  for (int waited = 0;; waited += kWriterPollMs) {
    if (std::string found = FindBackupIn(folders); !found.empty()) {
      return {BackupOutcome::kFound, std::move(found), {}};
    }
    std::string writer = OtherWriter(folders);
    if (writer.empty()) break;
    if (!wait || waited >= boundMs) return {BackupOutcome::kBusy, {}, std::move(writer)};
    wait(kWriterPollMs);
  }
  std::string failures, tried;
  for (const std::string& folder : folders) {
    BackupOutcome outcome = WriteInto(api, folder);
    if (outcome.state != BackupOutcome::kFailed) return outcome;
    failures.append(failures.empty() ? "" : "; ").append(outcome.failure);
    tried.append(tried.empty() ? "" : " or ").append(folder);
  }
  std::string why = "the backup could not be written";
  if (!tried.empty()) why.append(" to ").append(tried);
  if (!failures.empty()) why.append(" (").append(failures).append(")");
  return {BackupOutcome::kFailed, {}, why};
}

bool WriteBackupIfMissing(RegistryApi& api, const std::string& folder, std::string* failure) {
  const BackupOutcome outcome = EnsureBackup(api, {folder});
  if (failure) *failure = outcome.failure;
  return outcome.state == BackupOutcome::kWritten;
}

std::string ExecutableFolder() {
  std::string path;
#ifdef _WIN32
  // From the UTF-16 name, so that a folder in any script comes through.
  std::wstring wide(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, wide.data(), static_cast<DWORD>(wide.size()));
    if (length == 0) return {};
    if (length < wide.size()) {
      wide.resize(length);
      break;
    }
    wide.resize(wide.size() * 2);  // cut short: a longer path
  }
  const auto text =
      FromUtf16(std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()));
  // A name the program's code page cannot carry: what the system gives the
  // 8-bit calls, which then find no such folder rather than another one.
  if (text) {
    path = *text;
  } else {
    path.resize(MAX_PATH * 4);
    path.resize(GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size())));
  }
  const std::size_t cut = path.find_last_of("\\/:");
#else
  char buffer[4096];
  const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer);
  if (length > 0 && static_cast<std::size_t>(length) < sizeof buffer) {
    path.assign(buffer, static_cast<std::size_t>(length));
  }
  const std::size_t cut = path.find_last_of('/');
#endif
  return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

}  // namespace veltrane
