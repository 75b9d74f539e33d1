#include <algorithm>
#include <array>
#include <chrono>
#include <thread>

#include "clean/backup.h"
#include "clean/cleaner.h"
#include "clean/undo_file.h"
#include "cli/clean_commands.h"
#include "cli/scan_command.h"

namespace veltrane::cli {
namespace {

struct CheckName {
  const char* name;
  const char* category;
};

constexpr std::array<CheckName, 5> kChecks = {{
    {"invalid_filepath", kCategoryMissingPath},
    {"hkcuext", kCategoryEmptyExtension},
    {"typeurl", kCategoryTypedUrl},
    {"runmru", kCategoryRunMru},
    {"recentdocs", kCategoryRecentDocs},
}};

// No window to own a message box: its text goes to the error stream.
class ConsoleDesktop final : public Desktop {
 public:
  explicit ConsoleDesktop(std::ostream& err) : err_(err) {}
  std::intptr_t ShellExecute(WindowHandle, const std::string&, const std::string&,
                             const std::string&, const std::string&, int) override {
    return 0;
  }
  WindowHandle FindTopLevelWindow(const std::string&) override { return 0; }
  bool PostMessage(WindowHandle, unsigned, std::uintptr_t, std::intptr_t) override { return false; }
  int MessageBox(WindowHandle, const std::string& text, const std::string&, unsigned) override {
    err_ << "veltrane-cli: clean: " << text << "\n";
    return kIdOk;
  }

 private:
  std::ostream& err_;
};

int RunClean(const std::vector<std::string>& arguments, Environment& environment) {
  std::string error;
  const auto parsed = ParseArguments(arguments, kScanFlags, {"--skip", kDriveRootOption}, error);
  if (!parsed) return UsageError(environment, "clean", error);
  if (!parsed->positionals.empty()) {
    return UsageError(environment, "clean", "unexpected argument " + parsed->positionals.front());
  }
  const auto options = ReadScanOptions(*parsed, environment.files, error);
  if (!options) return UsageError(environment, "clean", error);
  std::vector<std::string> skipped;
  const auto [skipFirst, skipEnd] = parsed->options.equal_range("--skip");
  for (auto skip = skipFirst; skip != skipEnd; ++skip) {
    const std::string& check = skip->second;
    const auto found = std::find_if(kChecks.begin(), kChecks.end(),
                                    [&](const CheckName& known) { return check == known.name; });
    if (found == kChecks.end()) {
      return UsageError(environment, "clean",
                        "unknown check " + check +
                            " (one of invalid_filepath, hkcuext, typeurl, runmru, recentdocs)");
    }
    skipped.push_back(found->category);
  }

  ScanSession session(environment, *options);
  // The clean itself writes the backup when there is none, before it
  // deletes anything.
  session.Scan([] {});

  for (int i = 0; i < session.lvax.Count(); ++i) {
    const std::string& category = session.lvax.Row(i).CleanDetails;
    if (std::find(skipped.begin(), skipped.end(), category) != skipped.end()) {
      session.lvax.SetChecked(i, false);
    }
  }
  ConsoleDesktop desktop(environment.err);
  CleanContext context{.lvax = session.lvax,
                       .lv2 = session.lv2,
                       .host = session.host,
                       .registry = environment.registry,
                       .desktop = desktop,
                       .undoFolders = environment.FilePlaces(),
                       .backupFolders = environment.FilePlaces(),
                       .wait = [](int milliseconds) {
                         std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
                       }};
  const bool cleaned = CleanCommand(context);
  if (!context.backupFile.empty()) {
    environment.err << "Backup written to " << context.backupFile << "\n";
  }
  if (!context.undoFile.empty()) {
    environment.err << "Undo file written to " << context.undoFile << "\n";
  }
  WriteResult(environment, session.lvax.Rows(), session.host.Status(), *options);
  return cleaned ? kExitSuccess : kExitFailure;
}

}  // namespace

Command CleanCliCommand() {
  return {"clean", "clean [--skip CHECK]... [--tsv | --json]\n[--drive-root PATH]",
          "back up, then remove what the checks find, with an undo file",
          "Scans as scan does, then removes what every finding names, as the window's\n"
          "clean command does with every row ticked, and lists the findings that remain\n"
          "and the final status text.\n"
          "First, unless it is there, it writes the backup of HKEY_CURRENT_USER\\Software,\n"
          "backuphkcu.REG, beside veltrane-cli.exe, or in %LOCALAPPDATA%\\Veltrane when\n"
          "that folder cannot be written; it is written once and never replaced, and\n"
          "one in either place counts. While another Veltrane writes it, clean waits\n"
          "(a minute at most). Then, before it removes anything, it writes an undo\n"
          "file holding exactly what it will remove, veltrane-undo-YYYYMMDD-HHMMSS.reg,\n"
          "beside veltrane-cli.exe, or in %LOCALAPPDATA%\\Veltrane when that folder\n"
          "cannot be written, and says where each file went. 'veltrane-cli import\n"
          "FILE' (or the registry editor) takes that clean back; undo several cleans\n"
          "newest first. Nothing is removed when the backup or the undo file cannot be\n"
          "written.\n"
          "\n"
          "Options:\n"
          "  --skip CHECK  leaves the findings of CHECK (invalid_filepath, hkcuext,\n"
          "                typeurl, runmru or recentdocs) in place; may be given more\n"
          "                than once.\n"
          "  --tsv, --json, --drive-root PATH\n"
          "                as with scan; the findings written are those that remain.\n"
          "  -h, --help    show this help\n"
          "\n"
          "Examples:\n"
          "  veltrane-cli clean --skip typeurl --skip runmru\n"
          "  veltrane-cli import veltrane-undo-20260301-101500.reg    (takes it back)\n"
          "\n"
          "Exit status: 0 cleaned; 1 nothing was cleaned, as the backup or the undo\n"
          "file could not be written, or a removal failed (what was removed before it\n"
          "stays removed, and the undo file holds it); 2 a wrong command line.\n",
          RunClean};
}

}  // namespace veltrane::cli
