#include "clean/cleaner.h"

#include <cstring>
#include <exception>
#include <vector>

#include "registry/tregistry.h"
#include "registry/typed_value.h"

namespace veltrane {
namespace {

constexpr const char* kErrorCaption = "Veltrane";
constexpr int kRowPauseMs = 50;

enum class Action { kNone, kValueOrDefault, kSubkey, kValue };

Action ActionOf(const std::string& category) {
  if (category == kCategoryMissingPath) return Action::kValueOrDefault;
  if (category == kCategoryEmptyExtension) return Action::kSubkey;
  if (category == kCategoryTypedUrl || category == kCategoryRunMru ||
      category == kCategoryRecentDocs) {
    return Action::kValue;
  }
  return Action::kNone;
}

// Carries out one ticked row. Failures to open or delete are passed over;
// only the typed value writer raises.
void CleanRow(RegistryApi& api, const Finding& row) {
  const Action action = ActionOf(row.CleanDetails);
  if (action == Action::kNone) return;
  const std::string path = KeyPathOfLocation(row.RegistryLocation);
  // A location that does not name a key below HKCU is no key of ours.
  if (path.empty()) return;
  TRegistry registry(api);
  registry.SelectRoot(kHkeyCurrentUser);
  if (!registry.OpenPath(path, false)) return;
  switch (action) {
    case Action::kValueOrDefault:
      if (row.ValueName == kUnnamedValueText && !row.ValueNameIsLiteral) {
        WriteTypedValue(api, kHkeyCurrentUser, path, "", vkString, Variant(""));
      } else {
        registry.RemoveValue(row.ValueName);
      }
      break;
    case Action::kSubkey: registry.RemoveKey(row.ValueName); break;
    case Action::kValue: registry.RemoveValue(row.ValueName); break;
    case Action::kNone: break;
  }
}

}  // namespace

std::string KeyPathOfLocation(const std::string& location) {
  constexpr std::size_t kPrefix = 4;  // "HKCU"
  if (location.compare(0, kPrefix, "HKCU") != 0) return {};
  return location.substr(kPrefix);
}

bool CleanCommand(CleanContext& context) {
  FindingsList& lvax = context.lvax;
  ScanHost& host = context.host;
  if (lvax.Count() == 0) return true;
  host.SetStatus(kCleaningStatus);
  host.ProcessMessages();
  context.lv2.Assign({});
  host.SetProgressPosition(0);

  const int count = lvax.Count();
  std::vector<Finding> kept;
  for (int i = 0; i < count; ++i) {
    const Finding& row = lvax.Row(i);
    if (!row.Checked) {
      kept.push_back(row);
      continue;
    }
    try {
      CleanRow(context.registry, row);
    } catch (const std::exception& error) {
      // The rows acted on so far stay acted on; the list keeps everything.
      context.lv2.Assign(kept);
      context.desktop.MessageBox(context.owner, error.what(), kErrorCaption, kMbOk | kMbIconError);
      return false;
    }
  }
  context.lv2.Assign(kept);

  host.SetProgressMax(count);
  for (int j = count - 1; j >= 0; --j) {
    lvax.Remove(j);
    host.SetProgressPosition(host.ProgressMax() - j);
    host.Pause(kRowPauseMs);
  }
  if (!kept.empty()) lvax.Assign(kept);
  host.SetStatus(lvax.Count() > 0 ? std::to_string(lvax.Count()) + " Error Found"
                                  : "No Error Found");
  return true;
}

std::string SelectCommand(FindingsList& lvax, const std::string& caption) {
  const bool untick = caption == kSelectNone;
  for (int i = 0; i < lvax.Count(); ++i) lvax.SetChecked(i, !untick);
  return untick ? kSelectAll : kSelectNone;
}

}  // namespace veltrane
