// veltrane-cli: the checks (and more commands) on the command line, over
// the same core as the window. Commands live in their own files and are
// listed once, in commands.cpp.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "clean/undo_file.h"
#include "registry/registry_api.h"
#include "scan/file_probe.h"

namespace veltrane::cli {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// What a command works with. The program gives it the real registry, file
// system and console; tests give it in-memory ones and string streams.
struct Environment {
  RegistryApi& registry;
  FileProbe& files;
  std::ostream& out;
  std::ostream& err;
  std::string exeFolder;  // the executable's folder, with its trailing backslash
  // Where the backup and undo files go when exeFolder takes none
  // (PerUserUndoFolder); empty: nowhere else.
  std::string userFolder = PerUserUndoFolder();

  // Where the backup and undo files go, in the order tried.
  std::vector<std::string> FilePlaces() const { return UndoFolders(exeFolder, userFolder); }
};

// A command's arguments never hold a help option (-h, --help, /?) before
// "--": Run answers that with the command's help.
struct Command {
  std::string name;
  std::string synopsis;  // "scan [--tsv | --json] [--drive-root PATH]"
  std::string summary;   // one line of the overview, under 68 columns
  // The rest of its help: what it does, its options, examples and exit
  // statuses, in lines of at most 80 columns.
  std::string help;
  // Gets the arguments after the command's name. Returns the exit status.
  std::function<int(const std::vector<std::string>& arguments, Environment& environment)> run;
};

// Every command, in the order the help lists them (commands.cpp).
const std::vector<Command>& Commands();

// Runs the command named by the first argument, or answers the help and
// version options. `arguments` excludes the program's name.
int Run(const std::vector<std::string>& arguments, Environment& environment);

// "veltrane-cli 1.0"
std::string VersionText();
// The overview of the commands, and one command's help (help.cpp).
std::string Help();
std::string CommandHelp(const Command& command);

// Writes "veltrane-cli: <command>: <message>" and "Try 'veltrane-cli
// <command> --help'." to the error stream (without a command, of the
// program as a whole) and returns kExitUsage.
int UsageError(Environment& environment, const std::string& command, const std::string& message);

// Arguments split into flags (no value), options with one value each
// (repeatable) and the rest, in order. "--" ends the options. A value
// follows its option as the next argument or after "=" (--skip=runmru).
struct ParsedArguments {
  std::set<std::string> flags;
  std::multimap<std::string, std::string> options;
  std::vector<std::string> positionals;
  bool Has(const std::string& flag) const { return flags.count(flag) > 0; }
};
// Nothing, with `error` set, for an unknown option, a missing value or a
// value given to a flag.
std::optional<ParsedArguments> ParseArguments(const std::vector<std::string>& arguments,
                                              const std::set<std::string>& flags,
                                              const std::set<std::string>& valueOptions,
                                              std::string& error);

}  // namespace veltrane::cli
