// The clean and select commands of the main window, over the findings list.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "clean/desktop.h"
#include "clean/reg_lines.h"
#include "registry/registry_api.h"
#include "scan/findings.h"
#include "scan/scan_host.h"

namespace veltrane {

inline constexpr const char* kSelectNone = "select none";
inline constexpr const char* kSelectAll = "select all";
inline constexpr const char* kCleaningStatus = "Cleaning Registry";

// What the clean command works with: the visible list, the hidden keep list,
// the status line and progress bar, the registry, the desktop for the error
// box, and where its undo file may go.
struct CleanContext {
  FindingsList& lvax;
  FindingsList& lv2;
  ScanHost& host;
  RegistryApi& registry;
  Desktop& desktop;
  WindowHandle owner = 0;
  // Tried in order (UndoFolders); none means no undo file can be written.
  std::vector<std::string> undoFolders{};
  // Set by the command: the undo file it wrote, if any.
  std::string undoFile{};
  // Where the backup is looked for and, when there is none, written before
  // the undo file (UndoFolders). Not given: no backup step (the clean's
  // own tests).
  std::optional<std::vector<std::string>> backupFolders{};
  // Waits that many milliseconds while another process writes the backup,
  // keeping the window answering; not given: no waiting.
  std::function<void(int)> wait{};
  // Set by the command: the backup it wrote, if any.
  std::string backupFile{};
};

// Deletes what each ticked row names, then keeps only the unticked rows and
// reports how many remain ("3 Error Found", "No Error Found"). A row whose
// key or value is already gone leaves the list silently.
//
// Before the first deletion it makes sure the backup exists (backup.h),
// writing it when there is none, then writes an undo file (undo_file.h)
// holding exactly what the ticked rows will delete; with nothing to delete
// it writes neither. When the backup or the undo file cannot be written
// (or another process is still writing the backup), or what a row would
// delete cannot be read, nothing is deleted: the error box says why, every
// row stays and the status line reads as it did before the clean. When emptying a "(Default)" value
// fails, the command stops at that row, shows the error in an error box and keeps every row. The
// result is false in these cases.
bool CleanCommand(CleanContext& context);

// The lines that put back what the ticked `row` deletes, appended to `undo`
// (nothing when the row deletes nothing: its key or value is gone). False
// when the deletion could not be undone (a key name the format cannot
// hold): the clean then leaves that row's entry alone. Raises
// ERegistryException when what the row would delete cannot be read, or not
// exactly (a name or text the program's code page cannot carry).
bool AppendRowUndo(RegistryApi& api, const Finding& row, RegLines& undo);

// What the window tells the user once when the backup or the undo file
// (full names; empty when none was written) went to the per-user folder
// rather than into `executableFolder`; empty when neither did.
std::string FallbackNotice(const std::string& executableFolder, const std::string& backupFile,
                           const std::string& undoFile);

// Unticks every row when `caption` reads "select none", else ticks every
// row. Returns the caption for the next click.
std::string SelectCommand(FindingsList& lvax, const std::string& caption);

// The key a row names: its location less the leading "HKCU", to be opened
// from HKEY_CURRENT_USER. Empty when the location does not begin so.
std::string KeyPathOfLocation(const std::string& location);

}  // namespace veltrane
