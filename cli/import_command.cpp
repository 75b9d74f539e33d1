#include "clean/reg_import.h"
#include "cli/clean_commands.h"

namespace veltrane::cli {
namespace {

int RunImport(const std::vector<std::string>& arguments, Environment& environment) {
  std::string error;
  const auto parsed = ParseArguments(arguments, {}, {}, error);
  if (!parsed) return UsageError(environment, "import: " + error);
  if (parsed->positionals.size() != 1) return UsageError(environment, "import: needs a file name");
  const std::string& file = parsed->positionals[0];
  ImportSummary summary;
  RegImportError failure;
  if (!ImportRegFile(environment.registry, file, summary, failure)) {
    environment.err << "veltrane-cli: import: " << file << ": " << failure.Text() << "\n";
    return kExitFailure;
  }
  environment.out << "Imported " << summary.keys << " keys and " << summary.values << " values";
  if (summary.deletedKeys + summary.deletedValues > 0) {
    environment.out << "; deleted " << summary.deletedKeys << " keys and " << summary.deletedValues
                    << " values";
  }
  environment.out << "\n";
  return kExitSuccess;
}

}  // namespace

Command ImportCliCommand() {
  return {"import", "import FILE",
          "Reads FILE, REGEDIT4 text (or the registry editor's UTF-16 export), and writes\n"
          "every key and value it holds: the backup backuphkcu.reg, or an undo file of a\n"
          "clean. All or nothing: the whole file is checked first, and a file with a fault\n"
          "changes nothing; should the registry refuse a change, everything done before it\n"
          "is put back. Either way the fault is reported with its line number.",
          RunImport};
}

}  // namespace veltrane::cli
