// The history checks: every value of the typed-address, Run box and recent
// documents keys becomes a row, whatever it holds, unless its name or text
// has no exact form in the program's code page: such a row would show, and
// the clean delete, a stand-in. One algorithm, three sets of texts.
#include "scan/checks.h"

namespace veltrane {
namespace {

struct HistoryKey {
  const char* listingPath;  // for the wrapper: absolute, from HKEY_CURRENT_USER
  const char* readingPath;  // for QueryValueText: the same, relative
  const char* category;
  const char* location;
};

constexpr HistoryKey kTypedUrls = {"\\Software\\Microsoft\\Internet Explorer\\TypedURLs",
                                   "Software\\Microsoft\\Internet Explorer\\TypedURLs",
                                   kCategoryTypedUrl,
                                   "HKCU\\Software\\Microsoft\\Internet Explorer\\TypedURLs"};
constexpr HistoryKey kRunMru = {
    "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU", kCategoryRunMru,
    "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU"};
constexpr HistoryKey kRecentDocs = {
    "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RecentDocs",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RecentDocs", kCategoryRecentDocs,
    "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RecentDocs"};

constexpr int kPauseMilliseconds = 200;

void ScanHistory(ScanContext& context, const HistoryKey& history) {
  context.Memo1.clear();
  ListKey(context.Registry, history.listingPath, Listing::kValues, context.Memo1);
  if (context.Memo1.empty()) return;  // the bar and the status line keep what they show

  context.Host.SetProgressPosition(0);
  context.Host.SetProgressMax(static_cast<int>(context.Memo1.size()));
  const std::string statusRoot = std::string("HKEY_CURRENT_USER") + history.listingPath + "\\";
  ForEachListedName(context, context.Memo1, kPauseMilliseconds, [&](const std::string& name) {
    context.Host.SetStatus(statusRoot + name);
    // A value deleted since the listing still gets its row, with no data.
    long outcome = kErrorSuccess;
    std::string data =
        QueryValueText(context.Registry, kHkeyCurrentUser, history.readingPath, name, &outcome);
    if (outcome == kErrorNoUnicodeTranslation) return;
    AddFinding(context, Finding{history.category, name, std::move(data), history.location});
  });
}

}  // namespace

void typeurl(ScanContext& context) { ScanHistory(context, kTypedUrls); }
void runmru(ScanContext& context) { ScanHistory(context, kRunMru); }
void recentdocs(ScanContext& context) { ScanHistory(context, kRecentDocs); }

}  // namespace veltrane
