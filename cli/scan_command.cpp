#include "cli/scan_command.h"

#include "cli/row_format.h"
#include "registry/tregistry.h"
#include "scan/scan_all.h"

namespace veltrane::cli {

ScanSession::ScanSession(Environment& environment)
    : host(environment.err),
      context(environment.registry, environment.files, host, lvax, lv2,
              ReadSystemDriveRoot(environment.registry)) {
  lvax.CreateColumns();
  lv2.CreateColumns();
}

void ScanSession::Scan(const std::function<void()>& afterFindings) {
  ScanAll(context, afterFindings);
}

void WriteResult(Environment& environment, const std::vector<Finding>& rows,
                 const std::string& status, bool tsv) {
  WriteRows(environment.out, rows, tsv);
  environment.out.flush();
  std::ostream& statusStream = tsv ? environment.err : environment.out;
  statusStream << EscapeControls(status) << '\n';
  statusStream.flush();
}

namespace {

int RunScan(const std::vector<std::string>& arguments, Environment& environment) {
  std::string error;
  const auto parsed = ParseArguments(arguments, {"--tsv"}, {}, error);
  if (!parsed) return UsageError(environment, "scan: " + error);
  if (!parsed->positionals.empty()) {
    return UsageError(environment, "scan: unexpected argument " + parsed->positionals.front());
  }
  ScanSession session(environment);
  // Only reads: the backup belongs to the commands that change the registry.
  session.Scan({});
  WriteResult(environment, session.lvax.Rows(), session.host.Status(), parsed->Has("--tsv"));
  return kExitSuccess;
}

}  // namespace

Command ScanCommand() {
  return {"scan", "scan [--tsv]",
          "Runs Veltrane's five checks on HKEY_CURRENT_USER (missing file paths below\n"
          "SOFTWARE, empty file extension keys, typed addresses, Run box history and recent\n"
          "documents) and lists every finding, then the final status text. Changes nothing.\n"
          "Progress goes to stderr.\n"
          "--tsv  one finding per line on stdout: Clean Details, Value Name, Value Data and\n"
          "       Registry Location separated by tabs, with a backslash written as \\\\, a\n"
          "       tab as \\t, a line feed as \\n, a carriage return as \\r and any other byte\n"
          "       below 32 as \\x and two hex digits; the status text goes to stderr.",
          RunScan};
}

}  // namespace veltrane::cli
