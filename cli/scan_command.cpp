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
  if (!parsed) return UsageError(environment, "scan", error);
  if (!parsed->positionals.empty()) {
    return UsageError(environment, "scan", "unexpected argument " + parsed->positionals.front());
  }
  const auto options = ReadScanOptions(*parsed, environment.files, error);
  if (!options) return UsageError(environment, "scan", error);
  ScanSession session(environment, *options);
  // Only reads: the backup belongs to the commands that change the registry.
  session.Scan({});
  WriteResult(environment, session.lvax.Rows(), session.host.Status(), *options);
  return kExitSuccess;
}

}  // namespace

Command ScanCommand() {
  return {"scan", "scan [--tsv | --json] [--drive-root PATH]",
          "list what Veltrane's five checks find; changes nothing",
          "Runs Veltrane's five checks on HKEY_CURRENT_USER and lists every finding,\n"
          "then the final status text. Changes nothing. Progress goes to stderr.\n"
          "The checks: missing file paths below HKCU\\SOFTWARE (invalid_filepath),\n"
          "empty file extension keys (hkcuext), typed addresses (typeurl), Run box\n"
          "history (runmru) and recent documents (recentdocs).\n"
          "\n"
          "Options:\n"
          "  --tsv         one finding per line on stdout: Clean Details, Value Name,\n"
          "                Value Data and Registry Location separated by tabs, with a\n"
          "                backslash written as \\\\, a tab as \\t, a line feed as \\n, a\n"
          "                carriage return as \\r and any other byte below 32 as \\x and\n"
          "                two hex digits; the status text goes to stderr.\n"
          "  --json        one JSON document on stdout, in UTF-8: \"Findings\", a list of\n"
          "                objects with CleanDetails, ValueName, ValueData,\n"
          "                RegistryLocation (texts) and Ticked (true or false), and\n"
          "                \"Status\", the final status text. Texts are as they are;\n"
          "                a byte that is no UTF-8 is written as \\u00XX of its value.\n"
          "  --drive-root PATH\n"
          "                the folder (as C:\\) below which the path check looks for\n"
          "                missing files, in place of the system root less \"WINDOWS\".\n"
          "                In a Wine prefix, whose system root is C:\\windows,\n"
          "                --drive-root C:\\ checks the whole drive.\n"
          "  -h, --help    show this help\n"
          "\n"
          "Examples:\n"
          "  veltrane-cli scan\n"
          "  veltrane-cli scan --tsv > findings.tsv\n"
          "  veltrane-cli scan --json --drive-root C:\\ > findings.json\n"
          "\n"
          "Exit status: 0 the scan ran, whatever it found; 1 it failed; 2 a wrong\n"
          "command line.\n",
          RunScan};
}

}  // namespace veltrane::cli
