// Restoring the backup from the Options dialog: handed to the shell on
// Vista, to the registry editor elsewhere, and read by our own importer
// under Wine, whose editor does not take the editor's switches.
#pragma once

#include <functional>
#include <string>

#include "clean/desktop.h"
#include "clean/undo_file.h"
#include "registry/registry_api.h"

namespace veltrane {

inline constexpr const char* kRestoreComplete = "     Restore Complete       ";
inline constexpr const char* kRegistryEditorTitle = "Registry Editor";
inline constexpr unsigned kWmKeyDown = 0x0100;
inline constexpr unsigned kWmQuit = 0x0012;
inline constexpr int kVkReturn = 13;

struct RestoreContext {
  RegistryApi& registry;
  Desktop& desktop;
  WindowHandle owner = 0;  // the Options dialog
  std::string folder;      // the executable's folder, with its separator
  bool underWine = false;  // import with our own reader instead of the editor
  // Waits about this many milliseconds while the program's windows keep
  // answering (the app pumps messages here).
  std::function<void(int)> wait;
  int pollMs = 100;       // how often the editor's window is looked for
  int timeoutMs = 20000;  // how long each of the two waits may take
  // Where the backup is looked for after `folder` (PerUserUndoFolder).
  std::string userFolder = PerUserUndoFolder();
};

enum class RestoreResult {
  kHandedToShell,  // Vista: the shell opened the file; the dialog stays open
  kRestored,       // "     Restore Complete       " was shown; close the dialog
  kFailed,         // an error box said why; the dialog stays open
};

// "     Restore Complete       " is shown only when every line of the backup
// took effect, with the full name of the file restored below it. The backup
// is looked for beside the executable, then in the per-user folder: under Wine the importer says so
// (all or nothing); with the registry editor, which reports nothing, the registry is compared with
// the file once the editor has ended. A missing backup is reported before anything is started.

// True when the product name holds "Vista", "VISTA" or "vista".
bool IsVistaProductName(const std::string& productName);

// Waits for the registry editor's window and posts it an Enter key-down.
// False when no such window appeared within the context's timeout.
bool akses(RestoreContext& context);
// Waits for the registry editor's window and posts it WM_QUIT.
bool tutup(RestoreContext& context);

// The work of the Options dialog's Apply button.
RestoreResult RestoreFromBackup(RestoreContext& context);

}  // namespace veltrane
