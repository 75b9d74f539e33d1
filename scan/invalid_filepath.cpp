// The invalid path scan: walks HKEY_CURRENT_USER\SOFTWARE five levels deep
// and reports every value whose data names a file or folder on the system
// drive that is not there. Which part of the data is the path depends on
// the depth of the key.
#include <string>

#include "registry/typed_value.h"
#include "scan/checks.h"

namespace veltrane {
namespace {

constexpr int kDeepest = 5;
const std::string kListingRoot = "\\SOFTWARE\\";
const std::string kReadingRoot = "SOFTWARE\\";
const std::string kStatusRoot = "HKEY_CURRENT_USER\\SOFTWARE\\";
const std::string kLocationRoot = "HKCU\\SOFTWARE\\";

bool BeginsWith(const std::string& text, const std::string& prefix) {
  // An empty system drive root begins nothing, so nothing is examined.
  return !prefix.empty() && text.compare(0, prefix.size(), prefix) == 0;
}

// The text before the first `separator`, or all of it: piece 0 of the
// split, which the split leaves in `pieces`. No piece at all is empty.
std::string FirstPiece(const std::string& text, char separator, TextList& pieces) {
  SplitText(text, separator, pieces);
  return pieces.empty() ? std::string() : LineText(pieces.front());
}

// Launch commands stored at depth 5 carry arguments and quotes around the
// program's path; these are taken out, in this order, before the path is
// cut out of the text.
std::string CleanDepthFive(std::string text) {
  text = RemoveAll("-nodefault -nologo", text);
  text = RemoveAll("--one-instance --playlist-enqueue \"%1\"", text);
  text = RemoveAll("--no-playlist-enqueue \"%1\"", text);
  text = RemoveAll("\"%1\" %*", text);
  text = RemoveAll("\"%1\"", text);
  text = RemoveAll("%1", text);
  text = RemoveAll(";", text);
  // A trailing backslash goes: three more make four (or more), removed with
  // any other runs of three or four.
  text += "\\\\\\";
  text = RemoveAll("\\\\\\\\", text);
  text = RemoveAll("\\\\\\", text);
  return RemoveAll("\"", text);
}

void ExamineValue(ScanContext& context, int depth, const std::string& keyPath,
                  const std::string& parentName, const std::string& name) {
  const std::string data =
      QueryValueText(context.Registry, kHkeyCurrentUser, kReadingRoot + keyPath, name);
  const std::optional<std::string> candidate = InvalidPathCandidate(
      depth, data, context.SystemDriveRoot, context.ListBox1, context.ListBox2);
  if (!candidate || !PathIsMissing(context.Files, *candidate)) return;
  // Uninstall entries name the files of programs being removed.
  if (depth == kDeepest && parentName == "Uninstall") return;
  Finding row{kCategoryMissingPath, name.empty() ? kUnnamedValueText : name, *candidate,
              kLocationRoot + keyPath};
  row.ValueNameIsLiteral = name == kUnnamedValueText;
  AddFinding(context, std::move(row));
}

// Examines the values of one key, then visits its subkeys depth first.
// Lists are read by index and each name is copied out before it is used,
// so a list that changes under the walk cannot pull a line from under it.
void VisitKey(ScanContext& context, int depth, const std::string& keyPath,
              const std::string& parentName, const std::string& name) {
  context.Host.SetStatus(kStatusRoot + keyPath);
  TextList& values = context.Memo(2 * depth);
  ListKey(context.Registry, kListingRoot + keyPath, Listing::kValues, values);
  for (std::size_t i = 0; i < values.size(); ++i) {
    const std::string valueName = LineText(values[i]);
    ExamineValue(context, depth, keyPath, parentName, valueName);
  }
  if (depth == kDeepest) return;
  TextList& subkeys = context.Memo(2 * depth + 1);
  ListKey(context.Registry, kListingRoot + keyPath, Listing::kSubkeys, subkeys);
  for (std::size_t i = 0; i < subkeys.size(); ++i) {
    const std::string subkey = LineText(subkeys[i]);
    VisitKey(context, depth + 1, keyPath + "\\" + subkey, name, subkey);
  }
}

}  // namespace

std::optional<std::string> InvalidPathCandidate(int depth, const std::string& data,
                                                const std::string& systemDriveRoot,
                                                TextList& listBox1, TextList& listBox2) {
  switch (depth) {
    case 1:
      if (!BeginsWith(data, systemDriveRoot)) return std::nullopt;
      return data;
    case 2:
    case 3: {
      const std::string text = depth == 2 ? RemoveAll("file://", data) : data;
      if (!BeginsWith(text, systemDriveRoot)) return std::nullopt;
      return FirstPiece(text, ',', listBox1);
    }
    case 4: {
      std::string text = RemoveAll("$(BDS)\\lib;", data);
      if (!BeginsWith(text, systemDriveRoot)) return std::nullopt;
      text = RemoveAll("-nodefault -nologo", text);
      return FirstPiece(FirstPiece(text, ',', listBox2), '/', listBox1);
    }
    case 5: {
      std::string text = RemoveAll("n;1;", data);
      if (systemDriveRoot.empty()) return std::nullopt;
      const std::size_t at = text.find(systemDriveRoot);
      if (at != 0 && at != 1) return std::nullopt;
      text = CleanDepthFive(std::move(text));
      return FirstPiece(FirstPiece(text, ',', listBox2), '/', listBox1);
    }
    default: return std::nullopt;
  }
}

void invalid_filepath(ScanContext& context) {
  context.lvax.CreateColumns();
  context.lvax.Clear();
  context.FindingCount = 0;
  for (int number = 1; number <= 12; ++number) context.Memo(number).clear();

  ListKey(context.Registry, kListingRoot, Listing::kSubkeys, context.Memo1);
  const int count = static_cast<int>(context.Memo1.size());
  context.Host.SetProgressPosition(0);
  context.Host.SetProgressMax(count);
  for (int i = 0; i < count; ++i) {
    context.Host.ProcessMessages();
    context.Host.SetProgressPosition(i);
    if (static_cast<std::size_t>(i) >= context.Memo1.size()) break;
    const std::string name = LineText(context.Memo1[i]);
    VisitKey(context, 1, name, std::string(), name);
  }
  context.Host.SetProgressPosition(context.Host.ProgressMax() + 5);
}

}  // namespace veltrane
