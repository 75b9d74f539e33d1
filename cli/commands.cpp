// The command table: one line per command, each written in its own file.
#include "cli/cli.h"
#include "cli/scan_command.h"

namespace veltrane::cli {

const std::vector<Command>& Commands() {
  static const std::vector<Command> commands = {
      ScanCommand(),
  };
  return commands;
}

}  // namespace veltrane::cli
