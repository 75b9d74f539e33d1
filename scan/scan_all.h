// The scan driver: the five checks in order, the copy into lv2 and the
// final status text. Runs on the thread that owns the windows.
#pragma once

#include <functional>
#include <string>

#include "scan/scan_context.h"

namespace veltrane {

// "Scan complete -> N items should be remove", or
// "Scan complete -> No Error Found" for no rows.
std::string ScanCompleteText(int rows);

// Runs the whole scan. When rows exist it calls `afterFindings` (the backup
// step; may be empty) after the final status text and before the progress
// bar is set to 100. An exception from any step ends the scan there and
// passes on; rows added so far stay in lvax.
void ScanAll(ScanContext& context, const std::function<void()>& afterFindings);

}  // namespace veltrane
