// The export: one registry key with everything below it, as a .reg file
// that the registry editor and our importer read back unchanged. The backup
// and the undo files are written with it.
//
// The file is REGEDIT4 in the system's ANSI code page whenever that code
// page holds every name and text in it, byte for byte what the editor
// itself would read; otherwise it is "Windows Registry Editor Version 5.00"
// (UTF-16), which holds every character. The export finds out on the way:
// it streams REGEDIT4 and, at the first character the code page lacks,
// starts over in the other form.
#pragma once

#include <string>
#include <string_view>

#include "clean/reg_lines.h"
#include "clean/whole_file.h"
#include "registry/registry_api.h"

namespace veltrane {

// Writes `keyPath` below `root` (one trailing backslash is dropped) with all
// its values and subkeys to `fileName`, whole or not at all (WholeFile),
// replacing a file of that name. False, with nothing written or raised,
// when the file cannot be created; `failure`, when given, then says why. A
// failed write raises EInOutError, and a key that opened but whose listing
// or values cannot be read, or hold a name or text the program cannot read
// exactly, raises ERegistryException naming the key; either way no file of
// that name is left, and one that was there stays as it was.
bool ExportKeyToFile(RegistryApi& api, RegKey root, const std::string& keyPath,
                     const std::string& fileName, std::string* failure = nullptr);

// Where the export's bytes go, piece by piece. Restart drops every byte
// given so far: the export starts over in the other form.
class ExportSink {
 public:
  virtual ~ExportSink() = default;
  virtual void Write(std::string_view bytes) = 0;
  virtual void Restart() = 0;
};

// The same export into `sink`: the header line, then the blocks. Raises as
// ExportKeyToFile does, and whatever `sink` raises.
void ExportKey(RegistryApi& api, RegKey root, const std::string& keyPath, ExportSink& sink);

// The same export into `file`, opened and not yet published.
void ExportKeyInto(RegistryApi& api, RegKey root, const std::string& keyPath, WholeFile& file);

// The same file's bytes, in memory.
std::string ExportKeyToText(RegistryApi& api, RegKey root, const std::string& keyPath);

// The blocks of `keyPath` and everything below it, without the header line,
// appended to `out` as the program's texts: undo files are made of them.
// Raises as the export does. False when a key had to be left out because
// its name holds a line break, which no reader of the format can take back.
bool AppendKeyBlocks(RegistryApi& api, RegKey root, const std::string& keyPath, RegLines& out);

}  // namespace veltrane
