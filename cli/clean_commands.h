// The commands that change the registry or write its text: `clean`, which
// scans, backs up and cleans as the window does; `export KEY FILE`; and
// `import FILE`.
#pragma once

#include "cli/cli.h"

namespace veltrane::cli {

Command CleanCliCommand();
Command ExportCliCommand();
Command ImportCliCommand();

}  // namespace veltrane::cli
