#include "scan/scan_all.h"

#include "scan/checks.h"

namespace veltrane {

std::string ScanCompleteText(int rows) {
  if (rows == 0) return "Scan complete -> No Error Found";
  return "Scan complete -> " + std::to_string(rows) + " items should be remove";
}

void ScanAll(ScanContext& context, const std::function<void()>& afterFindings) {
  ScanHost& host = context.Host;
  host.HideCopyList();
  host.RefreshStatusLine();
  host.ProcessMessages();
  invalid_filepath(context);
  host.ProcessMessages();
  hkcuext(context);
  host.ProcessMessages();
  typeurl(context);
  host.ProcessMessages();
  runmru(context);
  host.ProcessMessages();
  recentdocs(context);

  context.lv2.Assign(context.lvax.Rows());
  const int rows = context.lvax.Count();
  host.SetStatus(ScanCompleteText(rows));
  if (rows > 0 && afterFindings) afterFindings();
  host.SetProgressPosition(100);
}

}  // namespace veltrane
