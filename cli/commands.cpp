// The command table: one line per command, each written in its own file.
#include "cli/clean_commands.h"
#include "cli/cli.h"
#include "cli/scan_command.h"

namespace veltrane::cli {

const std::vector<Command>& Commands() {
  static const std::vector<Command> commands = {
      ScanCommand(),
      CleanCliCommand(),
      ExportCliCommand(),
      ImportCliCommand(),
  };
  return commands;
}

}  // namespace veltrane::cli
