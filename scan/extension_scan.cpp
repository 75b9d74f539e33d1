// The per-user file extension check: an extension key whose OpenWithProgids
// subkey lists no value (missing, unreadable or empty) is reported. One
// that holds a value whose name the program cannot read exactly is not
// empty, and an extension key of such a name is passed over whole.
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
  ListKey(context.Registry, kFileExts, Listing::kSubkeys, context.Memo1);
  context.Host.SetProgressPosition(0);
  context.Host.SetProgressMax(static_cast<int>(context.Memo1.size()));
  ForEachListedName(context, context.Memo1, kPauseMilliseconds, [&](const std::string& extension) {
    context.Host.SetStatus(kStatusRoot + extension);
    const bool whole = ListKey(context.Registry, kFileExts + "\\" + extension + "\\OpenWithProgids",
                               Listing::kValues, context.Memo2);
    if (context.Memo2.empty() && whole) {
      AddFinding(context, Finding{kCategoryEmptyExtension, extension, std::string(), kLocation},
                 true);
    }
  });
}

}  // namespace veltrane
