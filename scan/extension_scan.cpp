// The per-user file extension check: an extension key whose OpenWithProgids
// subkey lists no value (missing, unreadable or empty) is reported.
#include "scan/checks.h"

namespace veltrane {
namespace {

const std::string kFileExts = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts";
const std::string kStatusRoot =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\";
const std::string kLocation =
    "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\";
constexpr int kPauseMilliseconds = 100;

}  // namespace

void hkcuext(ScanContext& context) {
  context.Memo1.clear();
  context.Memo2.clear();
  {
    TRegistry fileExts(context.Registry);
    fileExts.SelectRoot(kHkeyCurrentUser);
    if (fileExts.OpenPath(kFileExts, false)) fileExts.ListSubkeys(context.Memo1);
  }
  const int count = static_cast<int>(context.Memo1.size());
  context.Host.SetProgressPosition(0);
  context.Host.SetProgressMax(count);
  for (int i = 0; i < count; ++i) {
    context.Host.ProcessMessages();
    context.Host.Pause(kPauseMilliseconds);
    context.Host.SetProgressPosition(i);
    if (static_cast<std::size_t>(i) >= context.Memo1.size()) break;
    const std::string extension = LineText(context.Memo1[i]);
    context.Host.SetStatus(kStatusRoot + extension);

    context.Memo2.clear();
    {
      TRegistry progids(context.Registry);
      progids.SelectRoot(kHkeyCurrentUser);
      if (progids.OpenPath(kFileExts + "\\" + extension + "\\OpenWithProgids", false)) {
        progids.ListValues(context.Memo2);
      }
    }
    if (context.Memo2.empty()) {
      AddFinding(context, Finding{kCategoryEmptyExtension, extension, std::string(), kLocation},
                 true);
    }
  }
}

}  // namespace veltrane
