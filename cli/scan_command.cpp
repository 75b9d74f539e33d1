#include "cli/scan_command.h"

#include "registry/tregistry.h"
#include "scan/scan_all.h"

namespace veltrane::cli {
namespace {

// C:\ and below, or \\server\share and below: a drive-relative path (C:x)
// or a relative one would depend on the current folder, and the path check
// compares bytes, so "C:/" would match nothing the registry holds.
bool IsAbsoluteFolderPath(const std::string& path) {
  const auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
  if (path.size() >= 3 && letter(path[0]) && path[1] == ':' && path[2] == '\\') return true;
  if (path.size() < 5 || path.compare(0, 2, "\\\\") != 0 || path[2] == '\\') return false;
  const std::size_t share = path.find('\\', 3);
  return share != std::string::npos && share + 1 < path.size() && path[share + 1] != '\\';
}

}  // namespace

std::optional<ScanOptions> ReadScanOptions(const ParsedArguments& parsed, FileProbe& files,
                                           std::string& error) {
  ScanOptions options;
  if (parsed.Has("--json") && parsed.Has("--tsv")) {
    error = "--json and --tsv cannot be combined";
    return std::nullopt;
  }
  if (parsed.Has("--json")) options.format = OutputFormat::kJson;
  if (parsed.Has("--tsv")) options.format = OutputFormat::kTsv;

  const std::size_t roots = parsed.options.count(kDriveRootOption);
  if (roots > 1) {
    error = std::string(kDriveRootOption) + " is given more than once";
    return std::nullopt;
  }
  if (roots == 1) {
    const std::string& root = parsed.options.find(kDriveRootOption)->second;
    const std::string shown = EscapeControls(root);
    if (root.empty()) {
      error = std::string(kDriveRootOption) + " needs a folder, such as C:\\";
    } else if (!IsAbsoluteFolderPath(root)) {
      error = std::string(kDriveRootOption) + " " + shown +
              " is not an absolute folder path, such as C:\\";
    } else if (!files.FolderExists(root)) {
      error = std::string(kDriveRootOption) + " " + shown + ": no such folder";
    } else {
      options.driveRoot = root;
    }
    if (!options.driveRoot) return std::nullopt;
  }
  return options;
}

ScanSession::ScanSession(Environment& environment, const ScanOptions& options)
    : host(environment.err),
      context(environment.registry, environment.files, host, lvax, lv2,
              options.driveRoot ? *options.driveRoot : ReadSystemDriveRoot(environment.registry)) {
  lvax.CreateColumns();
  lv2.CreateColumns();
}

void ScanSession::Scan(const std::function<void()>& afterFindings) {
  ScanAll(context, afterFindings);
}

void WriteResult(Environment& environment, const std::vector<Finding>& rows,
                 const std::string& status, const ScanOptions& options) {
  WriteRows(environment.out, environment.err, rows, status, options.format);
}

namespace {

int RunScan(const std::vector<std::string>& arguments, Environment& environment) {
  std::string error;
  const auto parsed = ParseArguments(arguments, kScanFlags, {kDriveRootOption}, error);
  if (!parsed) return UsageError(environment, "scan: " + error);
  if (!parsed->positionals.empty()) {
    return UsageError(environment, "scan: unexpected argument " + parsed->positionals.front());
  }
  const auto options = ReadScanOptions(*parsed, environment.files, error);
  if (!options) return UsageError(environment, "scan: " + error);
  ScanSession session(environment, *options);
  // Only reads: the backup belongs to the commands that change the registry.
  session.Scan({});
  WriteResult(environment, session.lvax.Rows(), session.host.Status(), *options);
  return kExitSuccess;
}

}  // namespace

Command ScanCommand() {
  return {"scan", "scan [--tsv | --json] [--drive-root PATH]",
          "Runs Veltrane's five checks on HKEY_CURRENT_USER (missing file paths below\n"
          "SOFTWARE, empty file extension keys, typed addresses, Run box history and recent\n"
          "documents) and lists every finding, then the final status text. Changes nothing.\n"
          "Progress goes to stderr.\n"
          "--tsv        one finding per line on stdout: Clean Details, Value Name, Value\n"
          "             Data and Registry Location separated by tabs, with a backslash\n"
          "             written as \\\\, a tab as \\t, a line feed as \\n, a carriage return\n"
          "             as \\r and any other byte below 32 as \\x and two hex digits; the\n"
          "             status text goes to stderr.\n"
          "--json       one JSON document on stdout, in UTF-8: \"Findings\", a list of\n"
          "             objects with CleanDetails, ValueName, ValueData, RegistryLocation\n"
          "             (texts) and Ticked (true or false), and \"Status\", the final status\n"
          "             text. Texts are converted from the system code page; a byte that\n"
          "             does not convert is written as \\u00XX of its value.\n"
          "--drive-root PATH\n"
          "             the folder (as C:\\) below which the path check looks for missing\n"
          "             files, in place of the system root less \"WINDOWS\". In a Wine\n"
          "             prefix, whose system root is C:\\windows, --drive-root C:\\ checks\n"
          "             the whole drive.",
          RunScan};
}

}  // namespace veltrane::cli
