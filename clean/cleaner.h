// The clean and select commands of the main window, over the findings list.
#pragma once

#include <string>

#include "clean/desktop.h"
#include "registry/registry_api.h"
#include "scan/findings.h"
#include "scan/scan_host.h"

namespace veltrane {

inline constexpr const char* kSelectNone = "select none";
inline constexpr const char* kSelectAll = "select all";
inline constexpr const char* kCleaningStatus = "Cleaning Registry";

// What the clean command works with: the visible list, the hidden keep list,
// the status line and progress bar, the registry, and the desktop for the
// error box.
struct CleanContext {
  FindingsList& lvax;
  FindingsList& lv2;
  ScanHost& host;
  RegistryApi& registry;
  Desktop& desktop;
  WindowHandle owner = 0;
};

// Deletes what each ticked row names, then keeps only the unticked rows and
// reports how many remain ("3 Error Found", "No Error Found"). A row whose
// key or value is already gone leaves the list silently. When emptying a
// "(Default)" value fails, the command stops at that row, shows the error
// in an error box and keeps every row; the result is then false.
bool CleanCommand(CleanContext& context);

// Unticks every row when `caption` reads "select none", else ticks every
// row. Returns the caption for the next click.
std::string SelectCommand(FindingsList& lvax, const std::string& caption);

// The key a row names: its location less the leading "HKCU", to be opened
// from HKEY_CURRENT_USER. Empty when the location does not begin so.
std::string KeyPathOfLocation(const std::string& location);

}  // namespace veltrane
