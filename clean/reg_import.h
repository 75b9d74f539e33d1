// The REGEDIT4 importer: reads what our export writes and what the registry
// editor exports (REGEDIT4, and the UTF-16 "Version 5.00" form), checks the
// whole file, and only then applies it through the registry seam.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "clean/reg_parse.h"
#include "registry/registry_api.h"

namespace veltrane {

struct ImportSummary {
  std::size_t keys = 0;    // key lines applied (opened or created)
  std::size_t values = 0;  // values written
  std::size_t deletedKeys = 0;
  std::size_t deletedValues = 0;
};

// Parses `bytes` and, only when the whole file is sound, applies it: each key
// line opens or creates its key, each value line writes its exact type and
// bytes, "[-KEY]" and "=-" delete. A file that fails the check changes
// nothing. A change the registry refuses while applying stops the import
// there, with that line in the error.
bool ImportRegText(RegistryApi& api, std::string_view bytes, ImportSummary& summary,
                   RegImportError& error);
bool ImportRegFile(RegistryApi& api, const std::string& fileName, ImportSummary& summary,
                   RegImportError& error);

}  // namespace veltrane
