// The five checks. The driver runs them in this order: invalid_filepath,
// hkcuext, typeurl, runmru, recentdocs. Each reads HKEY_CURRENT_USER
// through the context's registry, appends ticked rows to lvax and reports
// its progress through the context's host. None of them raises for a
// registry or file failure: such an entry is skipped.
#pragma once

#include <optional>
#include <string>

#include "scan/scan_context.h"

namespace veltrane {

// Values of keys one to five levels below HKEY_CURRENT_USER\SOFTWARE whose
// data names a missing file or folder on the system drive. Runs first: it
// re-creates lvax's columns, empties lvax and sets FindingCount to 0.
void invalid_filepath(ScanContext& context);
// Per-user file extension keys whose OpenWithProgids lists no value.
void hkcuext(ScanContext& context);
// Every value of the typed-address, Run box and recent documents keys.
void typeurl(ScanContext& context);
void runmru(ScanContext& context);
void recentdocs(ScanContext& context);

// The invalid path scan's rules for a value of a key `depth` levels below
// SOFTWARE whose data reads as `data`: the path to test, or nothing when
// the value is not examined. Fills `listBox1` and `listBox2` with the
// pieces it splits the data into.
std::optional<std::string> InvalidPathCandidate(int depth, const std::string& data,
                                                const std::string& systemDriveRoot,
                                                TextList& listBox1, TextList& listBox2);

}  // namespace veltrane
