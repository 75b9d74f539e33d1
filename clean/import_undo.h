// The undo file of an import: before its first change, an import writes
// what it will change as a .reg file in the backup's form, so that
// importing that file (with veltrane-cli import or the system's editor)
// puts the registry back as it was, even after the import was killed
// half-way:
// - keys it creates, as deletion lines ("[-KEY]");
// - values it replaces or deletes, with their former kind and data;
// - values it adds, as "name"=-;
// - subtrees it deletes, as a deletion line and then the whole subtree.
// Every record is read from the registry before anything changes, so
// together they give the registry as it stood, in whatever order.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "clean/reg_lines.h"
#include "clean/reg_parse.h"
#include "registry/registry_api.h"

namespace veltrane {

struct ImportUndo {
  // Where the undo file may go, in the order tried (UndoFolders).
  std::vector<std::string> folders{};
  // Told the undo file's name once it is written, before the first change.
  std::function<void(const std::string&)> written{};
  // Set by the import: the undo file it wrote; empty when it changes
  // nothing, or failed before writing one.
  std::string file{};
};

// The lines that put back what `operations` will change, appended to
// `undo` as the registry stands now. False, with the error naming the
// line, when what a line changes cannot be read, or cannot be held by an
// undo file (a key name with a line break below a key to delete).
//
// `unchanged`, when given, gets one flag for each operation: set for a value
// line whose value already holds what the line asks, with no line before it
// touching that value or its key, so that the import need not read it again.
bool GatherImportUndo(RegistryApi& api, const std::vector<RegOperation>& operations, RegLines& undo,
                      RegImportError& error, std::vector<bool>* unchanged = nullptr);

// Gathers those lines and writes them as a new undo file,
// veltrane-undo-import-YYYYMMDD-HHMMSS.reg, into the first of
// `undo.folders` that takes it, then tells `undo.written`. Writes none when
// the operations change nothing. False, with the error, when the lines
// cannot be gathered or the file cannot be written: the import must then
// change nothing.
bool WriteImportUndo(RegistryApi& api, const std::vector<RegOperation>& operations,
                     ImportUndo& undo, RegImportError& error,
                     std::vector<bool>* unchanged = nullptr);

}  // namespace veltrane
