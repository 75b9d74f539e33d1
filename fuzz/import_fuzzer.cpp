// libFuzzer target for the REGEDIT4 importer. Any input must be refused
// with a line and a message, or read whole; what it reads, applied to an
// in-memory registry, must show in it line for line, and exported and read
// again must come back the same. An import the registry refuses half-way
// must leave it as it was.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "base/text.h"
#include "clean/import_journal.h"
#include "clean/reg_export.h"
#include "clean/reg_import.h"
#include "registry/memory_registry.h"
#include "registry/tregistry.h"
#include "registry/unique_key.h"

namespace {

[[noreturn]] void Fault(const char* what, const std::string& detail) {
  std::fprintf(stderr, "%s\n%s\n", what, detail.c_str());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace veltrane;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::vector<RegOperation> operations;
  RegImportError error;
  // The file is read in the system's code page of the registry it goes to:
  // Windows-1252 in an empty one.
  if (!ParseRegFile(text, kWesternCodePage, operations, error)) {
    if (error.line < 1 || error.message.empty()) Fault("refusal without a line", error.Text());
    // A refused file changes nothing.
    MemoryRegistry untouched;
    ImportSummary summary;
    if (ImportRegText(untouched, text, summary, error) || summary.keys || summary.values ||
        untouched.OpenHandleCount() != 0) {
      Fault("a refused file changed the registry", error.Text());
    }
    return 0;
  }
  MemoryRegistry first;
  ImportSummary summary;
  const bool imported = ImportRegText(first, text, summary, error);
  if (first.OpenHandleCount() != 0) Fault("the import left keys open", "");
  if (!imported) {
    MemoryRegistry empty;
    for (RegKey root = kHkeyClassesRoot; root <= kHkeyDynData; ++root) {
      if (ExportKeyToText(first, root, "") != ExportKeyToText(empty, root, "")) {
        Fault("a failed import was not put back", error.Text());
      }
    }
    return 0;
  }
  if (const int line = FirstUnappliedLine(first, operations)) {
    Fault("the registry does not show a line of the file", std::to_string(line));
  }

  // The file may have set the system's code page: the export is written in
  // it, and must be read back in it.
  const std::string nls = "SYSTEM\\CurrentControlSet\\Control\\Nls\\CodePage";
  SavedValue codePage;
  {
    UniqueKey key;
    if (OpenOwnedKey(first, kHkeyLocalMachine, nls, kKeyRead, key) == kErrorSuccess) {
      ReadSavedValue(first, key.get(), "ACP", codePage);
    }
  }
  for (RegKey root = kHkeyClassesRoot; root <= kHkeyDynData; ++root) {
    const std::string exported = ExportKeyToText(first, root, "");
    MemoryRegistry second;
    if (codePage.existed) {
      UniqueKey key;
      CreateOwnedKey(second, kHkeyLocalMachine, nls, kKeyAllAccess, key);
      second.SetValue(key.get(), "ACP", codePage.type, codePage.data.data(),
                      static_cast<std::uint32_t>(codePage.data.size()));
    }
    if (!ImportRegText(second, exported, summary, error)) {
      Fault("our own export was refused", error.Text() + "\n" + exported);
    }
    const std::string again = ExportKeyToText(second, root, "");
    if (again != exported)
      Fault("the export changed on its way back", exported + "\n---\n" + again);
  }
  return 0;
}
