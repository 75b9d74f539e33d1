// `veltrane-cli scan [--tsv]`: the whole scan of the window's scan command,
// without pauses, and its rows and final status text.
#pragma once

#include <functional>

#include "cli/cli.h"
#include "cli/console_host.h"
#include "scan/scan_context.h"

namespace veltrane::cli {

Command ScanCommand();

// A scan on the environment's registry and file system, as the window runs
// it: SystemDriveRoot read as start-up reads it, progress on the error
// stream. Other commands (clean) build on it.
class ScanSession {
 public:
  explicit ScanSession(Environment& environment);
  // ScanAll; `afterFindings` is the backup step, called when rows exist.
  void Scan(const std::function<void()>& afterFindings);

  FindingsList lvax;
  FindingsList lv2;
  ConsoleHost host;
  ScanContext context;
};

// Writes the rows and then the status text: with `tsv` the rows go to
// out and the status to err, else both to out.
void WriteResult(Environment& environment, const std::vector<Finding>& rows,
                 const std::string& status, bool tsv);

}  // namespace veltrane::cli
