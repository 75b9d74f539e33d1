#include "clean/reg_export.h"
#include "clean/reg_format.h"
#include "cli/clean_commands.h"
#include "registry/unique_key.h"

namespace veltrane::cli {
namespace {

int RunExport(const std::vector<std::string>& arguments, Environment& environment) {
  std::string error;
  const auto parsed = ParseArguments(arguments, {}, {}, error);
  if (!parsed) return UsageError(environment, "export: " + error);
  if (parsed->positionals.size() != 2) {
    return UsageError(environment, "export: needs a key and a file name");
  }
  const std::string& key = parsed->positionals[0];
  const std::string& file = parsed->positionals[1];
  const std::size_t separator = key.find('\\');
  const std::string rootName = key.substr(0, separator);
  const auto root = RootFromName(rootName);
  if (!root) return UsageError(environment, "export: unknown root key " + rootName);
  const std::string path = separator == std::string::npos ? "" : key.substr(separator + 1);

  UniqueKey opened;
  if (OpenOwnedKey(environment.registry, *root, path, kKeyRead, opened) != kErrorSuccess) {
    environment.err << "veltrane-cli: export: no key " << key << "\n";
    return kExitFailure;
  }
  if (!ExportKeyToFile(environment.registry, *root, path, file)) {
    environment.err << "veltrane-cli: export: cannot create " << file << "\n";
    return kExitFailure;
  }
  environment.out << "Exported " << key << " to " << file << "\n";
  return kExitSuccess;
}

}  // namespace

Command ExportCliCommand() {
  return {"export", "export KEY FILE",
          "Writes KEY (as HKEY_CURRENT_USER\\Software; any of the seven root names) with all\n"
          "its values and subkeys to FILE as REGEDIT4 text, as the backup is written.",
          RunExport};
}

}  // namespace veltrane::cli
