// The REGEDIT4 importer: reads what our export writes and what the registry
// editor exports (REGEDIT4, and the UTF-16 "Version 5.00" form), checks the
// whole file, and only then applies it through the registry seam.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "clean/import_undo.h"
#include "clean/reg_parse.h"
#include "registry/registry_api.h"

namespace veltrane {

struct ImportSummary {
  std::size_t keys = 0;        // key lines applied (opened or created)
  std::size_t passedOver = 0;  // bare key lines of keys that will not open for writing
  std::size_t values = 0;      // values written
  std::size_t deletedKeys = 0;
  std::size_t deletedValues = 0;
};

// Parses `bytes` and, only when the whole file is sound, applies it: each key
// line opens or creates its key, each value line writes its exact type and
// bytes, "[-KEY]" and "=-" delete. All or nothing: a file that fails the
// check changes nothing, and when the registry refuses a change, every
// change made before it is put back, newest first, so the registry reads as
// it did before. The error then names the line and says that nothing was
// changed, or, should putting back fail too, what is left changed.
//
// A key line for a key that exists but will not open for writing, with no
// value lines of its own, is passed over: the export writes such lines for
// keys it could not read. The summary is all zero after a failure.
//
// With `undo`, the import first writes its undo file (import_undo.h) and
// changes nothing when that cannot be written. The file stays after a
// failure: should putting back fail, it is the way back, and the error
// names it.
bool ImportRegText(RegistryApi& api, std::string_view bytes, ImportSummary& summary,
                   RegImportError& error, ImportUndo* undo = nullptr);
bool ImportRegFile(RegistryApi& api, const std::string& fileName, ImportSummary& summary,
                   RegImportError& error, ImportUndo* undo = nullptr);

// The most a file to import may hold: 1 GiB.
inline constexpr std::uint64_t kMostImportBytes = std::uint64_t{1} << 30;

// The file's bytes; false, with the error, when it cannot be read. Only a
// regular file of at most kMostImportBytes is read: a pipe, a device or a
// folder is refused by what it is, a larger file by the bound, and a file
// that grows past it while it is read is refused too.
bool ReadRegFile(const std::string& fileName, std::string& bytes, RegImportError& error);

// Whether the registry shows what a file's operations ask for, after an
// import by us or by the registry editor: the first line whose effect it
// does not show (a key missing or present against the file, a value not as
// the file gives it), or 0 when it shows them all.
int FirstUnappliedLine(RegistryApi& api, const std::vector<RegOperation>& operations);

}  // namespace veltrane
