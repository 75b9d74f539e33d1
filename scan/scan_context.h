// What the checks work on: the registry, the file system, the window they
// report to, the two findings lists and the hidden working lists. The main
// window owns one for its whole life (the command line makes one per run);
// the checks and the cleaner use its lists in turn.
#pragma once

#include <string>

#include "registry/registry_api.h"
#include "registry/tregistry.h"
#include "scan/file_probe.h"
#include "scan/findings.h"
#include "scan/scan_host.h"

namespace veltrane {

class ScanContext {
 public:
  ScanContext(RegistryApi& registry, FileProbe& files, ScanHost& host, FindingsList& lvax,
              FindingsList& lv2, std::string systemDriveRoot = {});
  ScanContext(const ScanContext&) = delete;
  ScanContext& operator=(const ScanContext&) = delete;

  RegistryApi& Registry;
  FileProbe& Files;
  ScanHost& Host;
  FindingsList& lvax;  // the visible list the checks fill
  FindingsList& lv2;   // the hidden copy the driver fills and the cleaner starts from

  // The hidden working lists: one name or piece per line, each behind one
  // blank, read back without that blank (LineText).
  TextList Memo1, Memo2, Memo3, Memo4, Memo5, Memo6, Memo7, Memo8, Memo9, Memo10, Memo11, Memo12;
  TextList ListBox1, ListBox2;

  // The system root with every "WINDOWS" taken out (ReadSystemDriveRoot);
  // set once before the first scan.
  std::string SystemDriveRoot;

  // Index of the row being added to lvax; the invalid path scan resets it.
  int FindingCount = 0;

  // Memo1 .. Memo12 by number.
  TextList& Memo(int number);
};

// A working-list line less the blank the listing put before it.
inline std::string LineText(const std::string& line) {
  return line.empty() ? std::string() : line.substr(1);
}

// Lists the subkeys or the values of `path` (absolute, below
// HKEY_CURRENT_USER) into `list` through a fresh wrapper, one blank before
// each name; a key that does not open leaves the list empty. False when a
// name was passed over as the program's code page cannot carry it exactly.
enum class Listing { kSubkeys, kValues };
bool ListKey(RegistryApi& registry, const std::string& path, Listing what, TextList& list);

// The slower checks' walk over a working list: before each line the waiting
// messages are handled, then a pause of `pauseMs`, then the progress bar
// moves to the line's index and `visit` gets its name. The count is taken
// at the start; a list that another command emptied meanwhile ends the walk.
template <typename Visit>
void ForEachListedName(ScanContext& context, const TextList& list, int pauseMs, Visit&& visit) {
  const int count = static_cast<int>(list.size());
  for (int i = 0; i < count; ++i) {
    context.Host.ProcessMessages();
    context.Host.Pause(pauseMs);
    context.Host.SetProgressPosition(i);
    if (static_cast<std::size_t>(i) >= list.size()) break;
    visit(LineText(list[i]));
  }
}

// Appends a ticked row to lvax, makes it the selected row when `select`
// (the extension scan does), repaints the list and counts the row in
// FindingCount.
void AddFinding(ScanContext& context, Finding row, bool select = false);

}  // namespace veltrane
