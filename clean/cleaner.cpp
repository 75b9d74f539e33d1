#include "clean/cleaner.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <vector>

#include "base/text.h"
#include "clean/backup.h"
#include "clean/import_journal.h"
#include "clean/reg_export.h"
#include "clean/reg_format.h"
#include "clean/undo_file.h"
#include "registry/tregistry.h"
#include "registry/typed_value.h"
#include "registry/unique_key.h"

namespace veltrane {
namespace {

constexpr const char* kErrorCaption = "Veltrane";
constexpr int kRowPauseMs = 50;

enum class Action { kNone, kValueOrDefault, kSubkey, kValue };

Action ActionOf(const std::string& category) {
  if (category == kCategoryMissingPath) return Action::kValueOrDefault;
  if (category == kCategoryEmptyExtension) return Action::kSubkey;
  if (category == kCategoryTypedUrl || category == kCategoryRunMru ||
      category == kCategoryRecentDocs) {
    return Action::kValue;
  }
  return Action::kNone;
}

// The path as a key line names it: no leading, doubled or trailing
// backslashes. A backslash that is the second byte of a double-byte
// character is no separator.
std::string KeyLinePath(const std::string& path) {
  std::string clean;
  bool afterSeparator = true;
  for (std::size_t i = 0; i < path.size();) {
    const std::size_t size =
        std::max<std::size_t>(CharacterSize(std::string_view(path).substr(i)), 1);
    const bool separator = size == 1 && path[i] == '\\';
    if (!(separator && afterSeparator)) clean.append(path, i, size);
    afterSeparator = separator;
    i += size;
  }
  if (afterSeparator && !clean.empty()) clean.pop_back();
  return clean;
}

// A row of the missing path check that empties the key's unnamed value
// rather than deleting a value.
bool EmptiesDefault(const Finding& row) {
  return row.ValueName == kUnnamedValueText && !row.ValueNameIsLiteral;
}

// Carries out one ticked row. Failures to open or delete are passed over;
// only the typed value writer raises.
void CleanRow(RegistryApi& api, const Finding& row) {
  const Action action = ActionOf(row.CleanDetails);
  if (action == Action::kNone) return;
  const std::string path = KeyPathOfLocation(row.RegistryLocation);
  // A location that does not name a key below HKCU is no key of ours.
  if (path.empty()) return;
  TRegistry registry(api);
  registry.SelectRoot(kHkeyCurrentUser);
  if (!registry.OpenPath(path, false)) return;
  switch (action) {
    case Action::kValueOrDefault:
      if (EmptiesDefault(row)) {
        WriteTypedValue(api, kHkeyCurrentUser, path, "", vkString, Variant(""));
      } else {
        registry.RemoveValue(row.ValueName);
      }
      break;
    case Action::kSubkey: registry.RemoveKey(row.ValueName); break;
    case Action::kValue: registry.RemoveValue(row.ValueName); break;
    case Action::kNone: break;
  }
}

bool ReportFailure(CleanContext& context, const std::string& text) {
  context.desktop.MessageBox(context.owner, text, kErrorCaption, kMbOk | kMbIconError);
  return false;
}

// A clean that deleted nothing gives the status line back its text.
bool Refuse(CleanContext& context, const std::string& statusBefore, const std::string& text) {
  context.host.SetStatus(statusBefore);
  return ReportFailure(context, "Nothing was cleaned: " + text);
}

// The backup step: false, with `why` set, when there is none and none
// could be written.
bool HaveBackup(CleanContext& context, std::string& why) {
  BackupOutcome backup;
  try {
    backup = EnsureBackup(context.registry, *context.backupFolders, context.wait);
  } catch (const std::exception& error) {
    why = std::string("the backup could not be written: ") + error.what();
    return false;
  }
  if (backup.state == BackupOutcome::kWritten) context.backupFile = backup.file;
  if (backup.state == BackupOutcome::kFound || backup.state == BackupOutcome::kWritten) {
    return true;
  }
  why = backup.failure + ".";
  return false;
}

}  // namespace

bool AppendRowUndo(RegistryApi& api, const Finding& row, RegLines& undo) {
  const Action action = ActionOf(row.CleanDetails);
  if (action == Action::kNone) return true;
  const std::string path = KeyPathOfLocation(row.RegistryLocation);
  if (path.empty()) return true;
  // Opened as the clean opens it: a key that will not open loses nothing.
  TRegistry registry(api);
  registry.SelectRoot(kHkeyCurrentUser);
  if (!registry.OpenPath(path, false)) return true;
  const std::string keyPath = KeyLinePath(path);
  if (keyPath.find_first_of("\r\n") != std::string::npos) return false;

  if (action == Action::kSubkey) {
    // The key RemoveKey takes: relative to the row's key, or from the
    // root when the name begins with a backslash.
    if (row.ValueName.empty()) return true;
    const std::string subkey = row.ValueName.front() == '\\'
                                   ? KeyLinePath(row.ValueName)
                                   : KeyLinePath(keyPath + "\\" + row.ValueName);
    UniqueKey probe;
    if (OpenOwnedKey(api, kHkeyCurrentUser, subkey, kKeyRead, probe) != kErrorSuccess) return true;
    RegLines blocks;
    if (!AppendKeyBlocks(api, kHkeyCurrentUser, subkey, blocks)) return false;
    undo.Append(blocks);
    return true;
  }

  const bool emptiesDefault = action == Action::kValueOrDefault && EmptiesDefault(row);
  const std::string name = emptiesDefault ? std::string() : row.ValueName;
  SavedValue before;
  if (const long result = ReadSavedValue(api, registry.OpenHandle(), name, before)) {
    throw ERegistryException(
        "Failed to get data for '" + name + "'" +
        (result == kErrorNoUnicodeTranslation
             ? ": its text has no exact form in the program's code page, so no undo file could "
               "hold it"
             : ""));
  }
  if (!before.existed && !emptiesDefault) return true;
  undo.KeyLine(kHkeyCurrentUser, keyPath);
  if (before.existed) {
    undo.ValueLine(name, before.type, before.data.data(), before.data.size());
  } else {
    // The clean makes an unnamed value that was not there: undoing it
    // deletes it again.
    undo.DeleteValueLine("");
  }
  return true;
}

std::string KeyPathOfLocation(const std::string& location) {
  constexpr std::size_t kPrefix = 4;  // "HKCU"
  if (location.compare(0, kPrefix, "HKCU") != 0) return {};
  return location.substr(kPrefix);
}

bool CleanCommand(CleanContext& context) {
  FindingsList& lvax = context.lvax;
  ScanHost& host = context.host;
  if (lvax.Count() == 0) return true;
  const std::string statusBefore = host.Status();
  host.SetStatus(kCleaningStatus);
  host.ProcessMessages();
  context.lv2.Assign({});
  host.SetProgressPosition(0);
  context.undoFile.clear();
  context.backupFile.clear();

  // The rows as they stand now. The window lets messages through while the
  // clean works, and a tick changed meanwhile must not reach a row whose
  // deletion the undo file does not hold.
  const std::vector<Finding> rows = lvax.Rows();
  const int count = static_cast<int>(rows.size());
  // First the undo file, before anything is deleted. A row whose deletion
  // could not be undone is left alone.
  RegLines undo;
  std::string undoText;
  std::vector<bool> leftAlone(rows.size(), false);
  try {
    for (std::size_t i = 0; i < rows.size(); ++i) {
      if (rows[i].Checked) leftAlone[i] = !AppendRowUndo(context.registry, rows[i], undo);
    }
    // In the backup's form: REGEDIT4 unless a name or text needs more.
    if (!undo.Empty()) undoText = undo.File(ReadAnsiCodePage(context.registry));
  } catch (const std::exception& error) {
    return Refuse(context, statusBefore, error.what());
  }
  if (!undo.Empty()) {
    // The backup keeps the registry as it was before the first clean: with
    // none yet, this clean writes it first.
    std::string error;
    if (context.backupFolders && !HaveBackup(context, error)) {
      return Refuse(context, statusBefore, error);
    }
    context.undoFile = WriteUndoFile(context.undoFolders, undoText, NowLocal(), error);
    if (context.undoFile.empty()) return Refuse(context, statusBefore, error + ".");
  }

  std::vector<Finding> kept;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const Finding& row = rows[i];
    if (!row.Checked) {
      kept.push_back(row);
      continue;
    }
    if (leftAlone[i]) continue;
    try {
      CleanRow(context.registry, row);
    } catch (const std::exception& error) {
      // The rows acted on so far stay acted on; the list keeps everything.
      context.lv2.Assign(kept);
      return ReportFailure(context, error.what());
    }
  }
  context.lv2.Assign(kept);

  host.SetProgressMax(count);
  for (int j = count - 1; j >= 0; --j) {
    lvax.Remove(j);
    host.SetProgressPosition(host.ProgressMax() - j);
    host.Pause(kRowPauseMs);
  }
  if (!kept.empty()) lvax.Assign(kept);
  host.SetStatus(lvax.Count() > 0 ? std::to_string(lvax.Count()) + " Error Found"
                                  : "No Error Found");
  return true;
}

std::string FallbackNotice(const std::string& executableFolder, const std::string& backupFile,
                           const std::string& undoFile) {
  const auto elsewhere = [&](const std::string& file) {
    return !file.empty() && file.compare(0, executableFolder.size(), executableFolder) != 0;
  };
  std::string what, folder;
  if (elsewhere(backupFile)) {
    what = "The backup";
    folder = backupFile.substr(0, backupFile.find_last_of("\\/") + 1);
  }
  if (elsewhere(undoFile)) {
    what += what.empty() ? "The undo file of this clean" : " and the undo file of this clean";
    if (folder.empty()) folder = undoFile.substr(0, undoFile.find_last_of("\\/") + 1);
  }
  if (what.empty()) return {};
  return what + " could not be written beside the program, in " + executableFolder +
         ", and went to " + folder + " instead.";
}

std::string SelectCommand(FindingsList& lvax, const std::string& caption) {
  const bool untick = caption == kSelectNone;
  for (int i = 0; i < lvax.Count(); ++i) lvax.SetChecked(i, !untick);
  return untick ? kSelectAll : kSelectNone;
}

}  // namespace veltrane
