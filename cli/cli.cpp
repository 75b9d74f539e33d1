#include "cli/cli.h"

#include <algorithm>
#include <exception>

namespace veltrane::cli {
namespace {

constexpr const char* kProgram = "veltrane-cli";

// GNU's -h and --help, and Windows' /?.
bool IsHelpOption(const std::string& argument) {
  return argument == "-h" || argument == "--help" || argument == "/?";
}

bool IsVersionOption(const std::string& argument) {
  return argument == "-V" || argument == "--version";
}

// "-x", "--x" or Windows' "/x"; a lone "-" is an argument.
bool LooksLikeOption(const std::string& argument) {
  return argument.size() > 1 && (argument[0] == '-' || argument[0] == '/');
}

const Command* FindCommand(const std::string& name) {
  for (const Command& command : Commands()) {
    if (command.name == name) return &command;
  }
  return nullptr;
}

std::string UnknownCommand(const std::string& name) {
  std::string text = "unknown command " + name + "; the commands are";
  for (const Command& command : Commands()) text += " " + command.name + ",";
  text.back() = ' ';
  return text + "and help";
}

int Print(Environment& environment, const std::string& text) {
  environment.out << text;
  environment.out.flush();
  return kExitSuccess;
}

// "help [COMMAND]", "--help [COMMAND]": the overview, or one command's help.
int RunHelp(Environment& environment, const std::vector<std::string>& topics) {
  if (topics.empty() || (topics.size() == 1 && (topics[0] == "help" || IsHelpOption(topics[0])))) {
    return Print(environment, Help());
  }
  if (topics.size() > 1) return UsageError(environment, "", "help takes one command name");
  const Command* command = FindCommand(topics[0]);
  if (!command) return UsageError(environment, "", UnknownCommand(topics[0]));
  return Print(environment, CommandHelp(*command));
}

int RunCommand(const Command& command, const std::vector<std::string>& arguments,
               Environment& environment) {
  // A help option among the options, before any "--", asks for the help.
  const auto optionsEnd = std::find(arguments.begin(), arguments.end(), "--");
  if (std::any_of(arguments.begin(), optionsEnd, IsHelpOption)) {
    return Print(environment, CommandHelp(command));
  }
  try {
    const int status = command.run(arguments, environment);
    environment.out.flush();
    environment.err.flush();
    return status;
  } catch (const std::exception& error) {
    environment.out.flush();
    environment.err << kProgram << ": " << command.name << ": " << error.what() << "\n";
    environment.err.flush();
    return kExitFailure;
  }
}

}  // namespace

std::string VersionText() { return std::string(kProgram) + " " + VELTRANE_VERSION; }

int UsageError(Environment& environment, const std::string& command, const std::string& message) {
  const std::string named = command.empty() ? "" : command + " ";
  environment.err << kProgram << ": " << (command.empty() ? "" : command + ": ") << message << "\n"
                  << "Try '" << kProgram << " " << named << "--help'.\n";
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
      continue;
    }
    if (argument == "--") {
      optionsEnded = true;
      continue;
    }
    // GNU's long form with its value attached: --drive-root=C:\ .
    const std::size_t equals =
        argument.rfind("--", 0) == 0 ? argument.find('=') : std::string::npos;
    const std::string name = argument.substr(0, equals);
    if (flags.count(name)) {
      if (equals != std::string::npos) {
        error = "option " + name + " takes no value";
        return std::nullopt;
      }
      parsed.flags.insert(name);
    } else if (valueOptions.count(name)) {
      if (equals != std::string::npos) {
        parsed.options.emplace(name, argument.substr(equals + 1));
      } else if (i + 1 == arguments.size()) {
        error = "option " + name + " needs a value";
        return std::nullopt;
      } else {
        parsed.options.emplace(name, arguments[++i]);
      }
    } else {
      error = "unknown option " + name;
      return std::nullopt;
    }
  }
  return parsed;
}

int Run(const std::vector<std::string>& arguments, Environment& environment) {
  if (arguments.empty()) return UsageError(environment, "", "no command given");
  const std::string& first = arguments.front();
  const std::vector<std::string> rest(arguments.begin() + 1, arguments.end());
  if (IsHelpOption(first) || first == "help") return RunHelp(environment, rest);
  if (IsVersionOption(first)) {
    if (!rest.empty()) return UsageError(environment, "", first + " takes no arguments");
    return Print(environment, VersionText() + "\n");
  }
  if (const Command* command = FindCommand(first)) return RunCommand(*command, rest, environment);
  if (LooksLikeOption(first)) return UsageError(environment, "", "unknown option " + first);
  return UsageError(environment, "", UnknownCommand(first));
}

}  // namespace veltrane::cli
