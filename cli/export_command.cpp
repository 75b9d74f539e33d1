#include <algorithm>
#include <array>
#include <string_view>

#include "clean/reg_export.h"
#include "clean/reg_format.h"
#include "cli/clean_commands.h"
#include "registry/typed_value.h"
#include "registry/unique_key.h"

namespace veltrane::cli {
namespace {

struct ShortRoot {
  const char* name;
  RegKey root;
};

// The short names reg.exe takes.
constexpr std::array<ShortRoot, 5> kShortRoots = {{
    {"HKCU", kHkeyCurrentUser},
    {"HKLM", kHkeyLocalMachine},
    {"HKCR", kHkeyClassesRoot},
    {"HKU", kHkeyUsers},
    {"HKCC", kHkeyCurrentConfig},
}};

bool SameLetters(std::string_view a, std::string_view b) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; };
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [&](char x, char y) { return lower(x) == lower(y); });
}

// A root's short name or full name, in any letter case.
std::optional<RegKey> RootFromArgument(const std::string& name) {
  for (const ShortRoot& root : kShortRoots) {
    if (SameLetters(name, root.name)) return root.root;
  }
  return RootFromName(name);
}

int RunExport(const std::vector<std::string>& arguments, Environment& environment) {
  std::string error;
  const auto parsed = ParseArguments(arguments, {}, {}, error);
  if (!parsed) return UsageError(environment, "export", error);
  if (parsed->positionals.size() != 2) {
    return UsageError(environment, "export", "needs a key and a file name");
  }
  const std::string& key = parsed->positionals[0];
  const std::string& file = parsed->positionals[1];
  const std::size_t separator = key.find('\\');
  const std::string rootName = key.substr(0, separator);
  const auto root = RootFromArgument(rootName);
  if (!root) {
    return UsageError(environment, "export",
                      "unknown root key " + rootName +
                          "; use HKCU, HKLM, HKCR, HKU or HKCC, or the full name, as "
                          "HKEY_CURRENT_USER");
  }
  const std::string path = separator == std::string::npos ? "" : key.substr(separator + 1);

  UniqueKey opened;
  const long result = OpenOwnedKey(environment.registry, *root, path, kKeyRead, opened);
  if (result == kErrorFileNotFound) {
    environment.err << "veltrane-cli: export: no key " << key << "\n";
    return kExitFailure;
  }
  if (result != kErrorSuccess) {
    environment.err << "veltrane-cli: export: cannot open the key " << key << ": "
                    << SystemErrorText(result) << "\n";
    return kExitFailure;
  }
  std::string failure;
  if (!ExportKeyToFile(environment.registry, *root, path, file, &failure)) {
    environment.err << "veltrane-cli: export: " << failure << "\n";
    return kExitFailure;
  }
  environment.out << "Exported " << key << " to " << file << "\n";
  return kExitSuccess;
}

}  // namespace

Command ExportCliCommand() {
  return {"export", "export KEY FILE",
          "write a registry key with everything below it to a .reg file",
          "Writes KEY with all its values and subkeys to FILE as the backup is written:\n"
          "REGEDIT4 in the system's code page, or the registry editor's UTF-16 form when\n"
          "a name or text needs more. It replaces FILE if there is one. FILE appears\n"
          "whole or not at all: it is written under a temporary name beside it, then\n"
          "renamed.\n"
          "KEY begins with its root: HKCU, HKLM, HKCR, HKU or HKCC, or the full name\n"
          "(HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_CLASSES_ROOT, HKEY_USERS,\n"
          "HKEY_CURRENT_CONFIG), in any letter case. A root alone exports all of it.\n"
          "\n"
          "Options:\n"
          "  -h, --help    show this help\n"
          "\n"
          "Examples:\n"
          "  veltrane-cli export HKCU\\Software\\MyApp myapp.reg\n"
          "  veltrane-cli export \"HKLM\\SOFTWARE\\My App\" C:\\Backups\\myapp.reg\n"
          "\n"
          "Exit status: 0 written; 1 no such key, or FILE cannot be written; 2 a wrong\n"
          "command line.\n",
          RunExport};
}

}  // namespace veltrane::cli
