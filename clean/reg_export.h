// The export: one registry key with everything below it, as REGEDIT4 text
// that the registry editor and our importer read back unchanged. The backup
// and the undo files are written with it.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "clean/whole_file.h"

#include "registry/registry_api.h"

namespace veltrane {

// Writes `keyPath` below `root` (one trailing backslash is dropped) with all
// its values and subkeys to `fileName`, whole or not at all (WholeFile),
// replacing a file of that name. False, with nothing written or raised,
// when the file cannot be created; `failure`, when given, then says why. A
// failed write raises EInOutError, and a key that opened but whose listing
// or values cannot be read raises ERegistryException; either way no file of
// that name is left, and one that was there stays as it was.
bool ExportKeyToFile(RegistryApi& api, RegKey root, const std::string& keyPath,
                     const std::string& fileName, std::string* failure = nullptr);

// The same export, handed to `sink` piece by piece: the header line, then
// the blocks. Raises as ExportKeyToFile does, and whatever `sink` raises.
using ExportSink = std::function<void(std::string_view)>;
void ExportKey(RegistryApi& api, RegKey root, const std::string& keyPath, const ExportSink& sink);

// The same text, in memory.
std::string ExportKeyToText(RegistryApi& api, RegKey root, const std::string& keyPath);

// The blocks of `keyPath` and everything below it, without the header line,
// appended to `out`: undo files are made of them. Raises as the export
// does. False when a key had to be left out because its name holds a line
// break, which no reader of the format can take back.
bool AppendKeyBlocks(RegistryApi& api, RegKey root, const std::string& keyPath, std::string& out);

}  // namespace veltrane
