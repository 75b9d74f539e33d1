// `veltrane-cli scan`: the whole scan of the window's scan command, without
// pauses, and its rows and final status text.
#pragma once

#include <functional>
#include <optional>
#include <set>
#include <string>

#include "cli/cli.h"
#include "cli/console_host.h"
#include "cli/row_format.h"
#include "scan/scan_context.h"

namespace veltrane::cli {

Command ScanCommand();

// The options `scan` and `clean` share: how the result is written, and the
// folder the path check looks below in place of SystemDriveRoot.
struct ScanOptions {
  OutputFormat format = OutputFormat::kTable;
  std::optional<std::string> driveRoot;
};
inline const std::set<std::string> kScanFlags = {"--tsv", "--json"};
inline constexpr const char* kDriveRootOption = "--drive-root";

// Reads the shared options; nothing, with `error` set, for --tsv with
// --json, a second --drive-root, or a drive root that is not an existing
// folder given as an absolute path (C:\, C:\Users, \\server\share).
std::optional<ScanOptions> ReadScanOptions(const ParsedArguments& parsed, FileProbe& files,
                                           std::string& error);

// A scan on the environment's registry and file system, as the window runs
// it: SystemDriveRoot read as start-up reads it (unless the options name a
// drive root), progress on the error stream. Other commands (clean) build
// on it.
class ScanSession {
 public:
  ScanSession(Environment& environment, const ScanOptions& options);
  // ScanAll; `afterFindings` is the backup step, called when rows exist.
  void Scan(const std::function<void()>& afterFindings);

  FindingsList lvax;
  FindingsList lv2;
  ConsoleHost host;
  ScanContext context;
};

// Writes the rows and then the status text in the options' format
// (WriteRows).
void WriteResult(Environment& environment, const std::vector<Finding>& rows,
                 const std::string& status, const ScanOptions& options);

}  // namespace veltrane::cli
