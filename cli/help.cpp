// The help texts: the overview of the commands, and each command's help
// built from its entry in the command table.
#include <cstddef>

#include "cli/cli.h"

namespace veltrane::cli {

std::string Help() {
  std::string help =
      "Usage: veltrane-cli COMMAND [OPTIONS]\n"
      "\n"
      "Finds stale entries in the current user's registry, as Veltrane does, and\n"
      "removes them, keeping a copy of everything it removes.\n"
      "\n"
      "Commands:\n";
  for (const Command& command : Commands()) {
    help +=
        "  " + command.name + std::string(9 - command.name.size(), ' ') + command.summary + "\n";
  }
  help +=
      "  help     show a command's help: veltrane-cli help COMMAND\n"
      "\n"
      "Options:\n"
      "  -h, --help, /?   show this help; after a command, that command's help\n"
      "  -V, --version    show the version\n"
      "\n"
      "Files: clean keeps a backup of HKEY_CURRENT_USER\\Software, backuphkcu.REG,\n"
      "beside veltrane-cli.exe, or in %LOCALAPPDATA%\\Veltrane when that folder\n"
      "cannot be written: written before the first clean, never replaced, and\n"
      "looked for in both. Each clean then writes an undo file,\n"
      "veltrane-undo-YYYYMMDD-HHMMSS.reg, in the same place, and each import that\n"
      "changes anything one named veltrane-undo-import-YYYYMMDD-HHMMSS.reg. export\n"
      "writes the file it is given; nothing else is written.\n"
      "\n"
      "Exit status: 0 success, 1 the command failed, 2 a wrong command line.\n"
      "\n"
      "Run 'veltrane-cli COMMAND --help' for a command's options and examples.\n";
  return help;
}

std::string CommandHelp(const Command& command) {
  // A synopsis of several lines goes on under the command's first option.
  const std::string lead = "Usage: veltrane-cli ";
  const std::string indent(lead.size() + command.name.size() + 1, ' ');
  std::string help = lead;
  for (const char c : command.synopsis) help += c == '\n' ? "\n" + indent : std::string(1, c);
  return help + "\n\n" + command.help;
}

}  // namespace veltrane::cli
