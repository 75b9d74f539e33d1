#include "cli/cli.h"

#include <algorithm>
#include <exception>

namespace veltrane::cli {

std::string Usage() {
  std::string usage = "Usage: veltrane-cli COMMAND [OPTIONS]\n";
  for (const Command& command : Commands())
    usage += "       veltrane-cli " + command.synopsis + "\n";
  usage += "       veltrane-cli --help\n";
  return usage;
}

std::string Help() {
  std::string help =
      "veltrane-cli: finds stale entries in the current user's registry, as Veltrane does.\n\n" +
      Usage() + "\nCommands:\n";
  for (const Command& command : Commands()) {
    help += "  " + command.synopsis + "\n";
    std::size_t start = 0;
    while (start < command.description.size()) {
      std::size_t end = command.description.find('\n', start);
      if (end == std::string::npos) end = command.description.size();
      const std::string line = command.description.substr(start, end - start);
      help += line.empty() ? "\n" : "      " + line + "\n";
      start = end + 1;
    }
  }
  help +=
      "\nExit status: 0 on success, 1 when a command fails, 2 for a wrong command line (an "
      "unknown\ncommand or option, or a bad value).\n";
  return help;
}

int UsageError(Environment& environment, const std::string& message) {
  environment.err << "veltrane-cli: " << message << "\n" << Usage();
  environment.err.flush();
  return kExitUsage;
}

std::optional<ParsedArguments> ParseArguments(const std::vector<std::string>& arguments,
                                              const std::set<std::string>& flags,
                                              const std::set<std::string>& valueOptions,
                                              std::string& error) {
  ParsedArguments parsed;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
      parsed.positionals.push_back(argument);
    } else if (argument == "--") {
      optionsEnded = true;
    } else if (flags.count(argument)) {
      parsed.flags.insert(argument);
    } else if (valueOptions.count(argument)) {
      if (i + 1 == arguments.size()) {
        error = "option " + argument + " needs a value";
        return std::nullopt;
      }
      parsed.options.emplace(argument, arguments[++i]);
    } else {
      error = "unknown option " + argument;
      return std::nullopt;
    }
  }
  return parsed;
}

int Run(const std::vector<std::string>& arguments, Environment& environment) {
  if (arguments.empty()) return UsageError(environment, "no command given");
  const std::string& name = arguments.front();
  if (name == "--help") {
    if (arguments.size() > 1) return UsageError(environment, "--help takes no arguments");
    environment.out << Help();
    environment.out.flush();
    return kExitSuccess;
  }
  for (const Command& command : Commands()) {
    if (command.name != name) continue;
    const std::vector<std::string> rest(arguments.begin() + 1, arguments.end());
    // "--help" among a command's options (before any "--") asks for the help.
    if (std::find(rest.begin(), std::find(rest.begin(), rest.end(), "--"), "--help") !=
        rest.end()) {
      environment.out << Help();
      environment.out.flush();
      return kExitSuccess;
    }
    try {
      const int status = command.run(rest, environment);
      environment.out.flush();
      environment.err.flush();
      return status;
    } catch (const std::exception& error) {
      environment.out.flush();
      environment.err << "veltrane-cli: " << name << ": " << error.what() << "\n";
      environment.err.flush();
      return kExitFailure;
    }
  }
  if (name.size() > 1 && name[0] == '-') return UsageError(environment, "unknown option " + name);
  return UsageError(environment, "unknown command " + name);
}

}  // namespace veltrane::cli
