// The clean and select commands of the main window, over the findings list.
#pragma once

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
};

// Deletes what each ticked row names, then keeps only the unticked rows and
// reports how many remain ("3 Error Found", "No Error Found"). A row whose
// key or value is already gone leaves the list silently.
//
// Before the first deletion it writes an undo file (undo_file.h) holding
// exactly what the ticked rows will delete; with nothing to delete it
// writes none. When the undo file cannot be written, or what a row would
// delete cannot be read, nothing is deleted: the error box says why and
// every row stays. When emptying a "(Default)" value fails, the command
// stops at that row, shows the error in an error box and keeps every row.
// The result is false in these cases.
bool CleanCommand(CleanContext& context);

// The lines that put back what the ticked `row` deletes, appended to `undo`
// (nothing when the row deletes nothing: its key or value is gone). False
// when the deletion could not be undone (a key name the format cannot
// hold): the clean then leaves that row's entry alone. Raises
// ERegistryException when what the row would delete cannot be read, or not
// exactly (a name or text the program's code page cannot carry).
bool AppendRowUndo(RegistryApi& api, const Finding& row, RegLines& undo);

// Unticks every row when `caption` reads "select none", else ticks every
// row. Returns the caption for the next click.
std::string SelectCommand(FindingsList& lvax, const std::string& caption);

// The key a row names: its location less the leading "HKCU", to be opened
// from HKEY_CURRENT_USER. Empty when the location does not begin so.
std::string KeyPathOfLocation(const std::string& location);

}  // namespace veltrane
