#include "scan/scan_context.h"

#include <stdexcept>

namespace veltrane {

ScanContext::ScanContext(RegistryApi& registry, FileProbe& files, ScanHost& host,
                         FindingsList& lvax_, FindingsList& lv2_, std::string systemDriveRoot)
    : Registry(registry),
      Files(files),
      Host(host),
      lvax(lvax_),
      lv2(lv2_),
      SystemDriveRoot(std::move(systemDriveRoot)) {}

TextList& ScanContext::Memo(int number) {
  TextList* const memos[] = {&Memo1, &Memo2, &Memo3, &Memo4,  &Memo5,  &Memo6,
                             &Memo7, &Memo8, &Memo9, &Memo10, &Memo11, &Memo12};
  if (number < 1 || number > 12) throw std::out_of_range("no Memo" + std::to_string(number));
  return *memos[number - 1];
}

bool ListKey(RegistryApi& registry, const std::string& path, Listing what, TextList& list) {
  list.clear();
  TRegistry key(registry);
  key.SelectRoot(kHkeyCurrentUser);
  if (!key.OpenPath(path, false)) return true;
  if (what == Listing::kSubkeys) {
    key.ListSubkeys(list);
  } else {
    key.ListValues(list);
  }
  return key.ListedEveryName();
}

void AddFinding(ScanContext& context, Finding row, bool select) {
  row.Checked = true;
  // The row is filled before it is appended, so it is always the new last
  // row that gets these texts, even if something else changed the list
  // while the scan let messages through.
  context.lvax.Append(std::move(row));
  if (select) context.lvax.Select(context.lvax.Count() - 1);
  context.lvax.Repaint();
  ++context.FindingCount;
}

}  // namespace veltrane
