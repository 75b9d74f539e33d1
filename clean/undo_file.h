// The undo file of a clean: REGEDIT4 text, in the backup's format, holding
// exactly what that clean deletes, written before its first deletion. One
// file per clean, named by the date and time, beside the executable, or in
// the user's own folder when the executable's folder cannot be written.
// Importing it (the registry editor, a double click on Windows, or
// `veltrane-cli import`) brings back what that clean removed.
#pragma once

#include <string>
#include <vector>

#include "clean/whole_file.h"

namespace veltrane {

// Opens `file`, first making `folder` (its own folder) when it is missing:
// the per-user folder is made on first use.
bool OpenInFolder(WholeFile& file, const std::string& folder);

struct LocalTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};
LocalTime NowLocal();

// The first part of an undo file's name: a clean's, and an import's.
inline constexpr const char* kCleanUndoStem = "veltrane-undo-";
inline constexpr const char* kImportUndoStem = "veltrane-undo-import-";

// "veltrane-undo-20261208-143015.reg"; the second file of the same second
// is "veltrane-undo-20261208-143015-2.reg", and so on.
std::string UndoFileName(const LocalTime& time, int sequence = 1,
                         const char* stem = kCleanUndoStem);

// Where undo files go when the executable's folder takes none:
// %LOCALAPPDATA%\Veltrane\ (on other systems, ~/.local/share/veltrane/).
// Empty when the system names no such place.
std::string PerUserUndoFolder();

// The folders an undo file may go to, in the order they are tried: the
// executable's, then `userFolder`.
std::vector<std::string> UndoFolders(const std::string& executableFolder,
                                     const std::string& userFolder = PerUserUndoFolder());

// Writes `text` as a new undo file, whole or not at all, into the first of
// `folders` that takes it (a missing folder is created), never replacing a
// file. Returns the file's full name; empty when no folder took it, with
// `error` saying why.
std::string WriteUndoFile(const std::vector<std::string>& folders, const std::string& text,
                          const LocalTime& time, std::string& error,
                          const char* stem = kCleanUndoStem);

}  // namespace veltrane
