#include "clean/reg_import.h"
#include "clean/undo_file.h"
#include "cli/clean_commands.h"

namespace veltrane::cli {
namespace {

int RunImport(const std::vector<std::string>& arguments, Environment& environment) {
  std::string error;
  const auto parsed = ParseArguments(arguments, {}, {}, error);
  if (!parsed) return UsageError(environment, "import", error);
  if (parsed->positionals.size() != 1) {
    return UsageError(environment, "import", "needs a file name");
  }
  const std::string& file = parsed->positionals[0];
  ImportSummary summary;
  RegImportError failure;
  std::string bytes;
  // A file that cannot be read is named by the reason; a fault in it, by
  // the file and the line.
  if (!ReadRegFile(file, bytes, failure)) {
    environment.err << "veltrane-cli: import: " << failure.Text() << "\n";
    return kExitFailure;
  }
  // Its path is out before the first change: a run killed half-way still
  // shows the way back.
  ImportUndo undo{.folders = environment.FilePlaces(), .written = [&](const std::string& name) {
                    environment.err << "Undo file written to " << name << "\n";
                    environment.err.flush();
                  }};
  if (!ImportRegText(environment.registry, bytes, summary, failure, &undo)) {
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
  return {"import", "import FILE", "apply a .reg file, such as an undo file, all or nothing",
          "Reads FILE, REGEDIT4 text in the system's code page or the registry editor's\n"
          "UTF-16 form, and writes every key and value it holds: the backup\n"
          "backuphkcu.REG, or the undo file of a clean. All or nothing: the whole file\n"
          "is checked first, and a file with a fault changes nothing; should the\n"
          "registry refuse a change, everything done before it is put back. Either way\n"
          "the fault is reported with its line number.\n"
          "\n"
          "Before its first change it writes an undo file of what it will change,\n"
          "veltrane-undo-import-YYYYMMDD-HHMMSS.reg, where the clean's undo files go,\n"
          "and prints its path; importing that file puts the registry back as it was,\n"
          "even after an import ended half-way. A file that changes nothing gets none.\n"
          "Only a regular file of at most 1 GiB is read.\n"
          "\n"
          "Options:\n"
          "  -h, --help    show this help\n"
          "\n"
          "Examples:\n"
          "  veltrane-cli import veltrane-undo-20260301-101500.reg\n"
          "  veltrane-cli import backuphkcu.REG\n"
          "\n"
          "Exit status: 0 every line applied; 1 the file cannot be read, holds a fault,\n"
          "or asks for a change the registry refuses, and nothing was changed; 2 a wrong\n"
          "command line.\n",
          RunImport};
}

}  // namespace veltrane::cli
