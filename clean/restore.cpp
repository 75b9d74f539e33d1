#include "clean/restore.h"

#include "clean/backup.h"
#include "clean/reg_import.h"
#include "clean/undo_file.h"
#include "registry/tregistry.h"

namespace veltrane {
namespace {

constexpr const char* kCaption = "Veltrane";
constexpr int kShowNormal = 5;
constexpr int kShowHidden = 0;

// Looks for the editor's window every pollMs until it shows or the time is
// up, waiting through the context so the program's windows stay live.
WindowHandle WaitForEditorWindow(RestoreContext& context) {
  const int poll = context.pollMs > 0 ? context.pollMs : 1;
  for (int waited = 0;; waited += poll) {
    if (const WindowHandle window = context.desktop.FindTopLevelWindow(kRegistryEditorTitle)) {
      return window;
    }
    if (waited >= context.timeoutMs) return 0;
    if (context.wait) context.wait(poll);
  }
}

RestoreResult Fail(RestoreContext& context, const std::string& text) {
  context.desktop.MessageBox(context.owner, text, kCaption, kMbOk | kMbIconError);
  return RestoreResult::kFailed;
}

// `file`: the backup restored; `undoFile`: the restore's own undo file, when
// it changed anything.
RestoreResult Complete(RestoreContext& context, const std::string& file,
                       const std::string& undoFile) {
  std::string text = std::string(kRestoreComplete) + "\n\nRestored from " + file + ".";
  if (!undoFile.empty()) text += "\n\nImporting " + undoFile + " undoes this restore.";
  context.desktop.MessageBox(context.owner, text, kCaption, kMbOk | kMbIconInformation);
  return RestoreResult::kRestored;
}

// Where the backup is looked for and the restore's undo file goes.
std::vector<std::string> BackupPlaces(const RestoreContext& context) {
  return UndoFolders(context.folder, context.userFolder);
}

std::string NoBackupText(const RestoreContext& context) {
  std::string places;
  for (const std::string& folder : BackupPlaces(context)) {
    places.append(places.empty() ? "" : " or ").append(folder);
  }
  return "The backup could not be restored: there is no " + std::string(kBackupFileName) + " in " +
         places;
}

// The folder of the backup file, with its separator: where the editor
// starts.
std::string FolderOf(const std::string& file) {
  const std::size_t cut = file.find_last_of("\\/");
  return cut == std::string::npos ? std::string() : file.substr(0, cut + 1);
}

RestoreResult ImportBackup(RestoreContext& context, const std::string& file) {
  ImportSummary summary;
  RegImportError error;
  ImportUndo undo{.folders = BackupPlaces(context)};
  if (!ImportRegFile(context.registry, file, summary, error, &undo)) {
    return Fail(context, "The backup could not be restored: " + error.Text());
  }
  return Complete(context, file, undo.file);
}

// Before the system's editor imports the backup: the file is checked, and
// what it will change is written as the restore's undo file. False, with
// the message shown, when either fails; the editor is then not started.
bool PrepareForEditor(RestoreContext& context, const std::string& file,
                      std::vector<RegOperation>& operations, ImportUndo& undo) {
  std::string bytes;
  RegImportError error;
  if (!ReadRegFile(file, bytes, error) ||
      !ParseRegFile(bytes, ReadAnsiCodePage(context.registry), operations, error) ||
      !WriteImportUndo(context.registry, operations, undo, error)) {
    Fail(context, "The backup could not be restored: " + error.Text() +
                      " The registry editor was not started; nothing was changed.");
    return false;
  }
  return true;
}

// Waits, as akses does, for the editor's window to go away: it has done
// with the import once it has handled the quit message.
void WaitForEditorToEnd(RestoreContext& context) {
  const int poll = context.pollMs > 0 ? context.pollMs : 1;
  for (int waited = 0; waited < context.timeoutMs; waited += poll) {
    if (!context.desktop.FindTopLevelWindow(kRegistryEditorTitle)) return;
    if (context.wait) context.wait(poll);
  }
}

// The editor path: the file is checked before the editor starts, and the
// registry afterwards, since the editor itself reports nothing.
RestoreResult RestoreWithEditor(RestoreContext& context, const std::string& file) {
  std::vector<RegOperation> operations;
  ImportUndo undo{.folders = BackupPlaces(context)};
  if (!PrepareForEditor(context, file, operations, undo)) return RestoreResult::kFailed;
  const auto started = context.desktop.ShellExecute(context.owner, "open", "regedit.exe",
                                                    std::string("/i ") + kBackupFileName,
                                                    FolderOf(file), kShowHidden);
  // 32 and below is the shell's failure: no editor will come to wait for.
  if (started <= 32) {
    return Fail(context, "The registry editor could not be started; the backup was not restored.");
  }
  if (!akses(context)) {
    return Fail(context,
                "The registry editor did not answer in time; the backup was not restored.");
  }
  // The editor may have imported part of the file by now.
  const std::string undoing =
      undo.file.empty() ? "" : " Importing " + undo.file + " puts back what it changed.";
  if (!tutup(context)) {
    return Fail(context, "The registry editor did not finish the restore in time." + undoing);
  }
  WaitForEditorToEnd(context);
  if (const int line = FirstUnappliedLine(context.registry, operations)) {
    return Fail(context, "The backup was not restored in full: the registry does not show line " +
                             std::to_string(line) + " of " + file + "." + undoing);
  }
  return Complete(context, file, undo.file);
}

}  // namespace

bool IsVistaProductName(const std::string& productName) {
  return productName.find("Vista") != std::string::npos ||
         productName.find("VISTA") != std::string::npos ||
         productName.find("vista") != std::string::npos;
}

bool akses(RestoreContext& context) {
  const WindowHandle window = WaitForEditorWindow(context);
  if (window == 0) return false;
  context.desktop.PostMessage(window, kWmKeyDown, kVkReturn, 0);
  return true;
}

bool tutup(RestoreContext& context) {
  const WindowHandle window = WaitForEditorWindow(context);
  if (window == 0) return false;
  context.desktop.PostMessage(window, kWmQuit, 0, 0);
  return true;
}

RestoreResult RestoreFromBackup(RestoreContext& context) {
  const std::string file = FindBackupIn(BackupPlaces(context));
  if (file.empty()) return Fail(context, NoBackupText(context));
  const std::string productName =
      QueryValueText(context.registry, kHkeyLocalMachine,
                     "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "ProductName");
  if (IsVistaProductName(productName)) {
    std::vector<RegOperation> operations;
    ImportUndo undo{.folders = BackupPlaces(context)};
    if (!PrepareForEditor(context, file, operations, undo)) return RestoreResult::kFailed;
    context.desktop.ShellExecute(context.owner, "open", kBackupFileName, "", FolderOf(file),
                                 kShowNormal);
    return RestoreResult::kHandedToShell;
  }
  if (context.underWine) return ImportBackup(context, file);
  return RestoreWithEditor(context, file);
}

}  // namespace veltrane
