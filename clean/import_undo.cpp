#include "clean/import_undo.h"

#include <map>
#include <optional>
#include <set>
#include <utility>

#include "base/names.h"
#include "clean/import_journal.h"
#include "clean/reg_export.h"
#include "clean/reg_format.h"
#include "clean/undo_file.h"
#include "registry/tregistry.h"
#include "registry/typed_value.h"
#include "registry/unique_key.h"

namespace veltrane {
namespace {

struct GatherFailure {
  int line;
  std::string message;
};

using KeyId = std::pair<RegKey, std::string>;  // root, folded path (FoldedName)

// Walks the operations in file order, reading only: what each will change,
// the first time something is changed, as the registry holds it now.
class UndoGatherer {
 public:
  UndoGatherer(RegistryApi& api, RegLines& undo, std::vector<bool>* unchanged)
      : api_(api), undo_(undo), unchanged_(unchanged) {}

  void Run(const std::vector<RegOperation>& operations) {
    if (unchanged_) unchanged_->assign(operations.size(), false);
    for (std::size_t i = 0; i < operations.size(); ++i) {
      index_ = i;
      const RegOperation& operation = operations[i];
      switch (operation.kind) {
        case RegOperation::kOpenKey: OpenKeyLine(operation, HasValueLines(operations, i)); break;
        case RegOperation::kDeleteKey: DeleteKeyLine(operation); break;
        case RegOperation::kSetValue: {
          const SavedValue wanted{true, operation.type, operation.data};
          ValueLine(operation, &wanted);
          break;
        }
        case RegOperation::kDeleteValue: ValueLine(operation, nullptr); break;
      }
    }
  }

 private:
  [[noreturn]] static void Fail(const RegOperation& operation, const std::string& what, long code) {
    throw GatherFailure{operation.line, what + ": " + SystemErrorText(code)};
  }

  // Inside a key the undo file deletes (one the import creates) or writes
  // whole (one it deletes): nothing there needs a record of its own.
  bool Covered(RegKey root, const std::string& path) const {
    return AtOrBelowAny(covered_, root, path);
  }

  bool Exists(const RegOperation& operation, const std::string& path) {
    const long result = KeyPresence(api_, operation.root, path);
    if (result != kErrorSuccess && result != kErrorFileNotFound) {
      Fail(operation, "cannot open the key " + KeyName(operation.root, path), result);
    }
    return result == kErrorSuccess;
  }

  void OpenKeyLine(const RegOperation& operation, bool hasValues) {
    key_.reset();
    root_ = operation.root;
    path_ = operation.path;
    skipValues_ = Covered(root_, path_);
    if (skipValues_) return;
    const long result = OpenOwnedKey(api_, root_, path_, kKeyQueryValue, key_);
    if (result == kErrorSuccess) return;
    // A bare line of a key that will not open: the import passes it over.
    if (result == kErrorAccessDenied && !hasValues) {
      skipValues_ = true;
      return;
    }
    if (result != kErrorFileNotFound) {
      Fail(operation, "cannot open the key " + KeyName(root_, path_), result);
    }
    const std::string top =
        TopmostMissing(path_, [&](const std::string& above) { return Exists(operation, above); });
    undo_.DeleteKeyLine(root_, top);
    covered_.insert({root_, FoldedName(top)});
    undoKey_.reset();
    skipValues_ = true;
  }

  void DeleteKeyLine(const RegOperation& operation) {
    key_.reset();
    if (Covered(operation.root, operation.path) || !Exists(operation, operation.path)) return;
    const std::string key = KeyName(operation.root, operation.path);
    RegLines blocks;
    try {
      if (!AppendKeyBlocks(api_, operation.root, operation.path, blocks)) {
        throw GatherFailure{operation.line, "a key below " + key +
                                                " has a line break in its name, which no undo "
                                                "file can hold"};
      }
    } catch (const ERegistryException& failure) {
      throw GatherFailure{operation.line, failure.what()};
    }
    // Deleted first, so that the subtree comes back as it was and holds
    // nothing the import made there.
    undo_.DeleteKeyLine(operation.root, operation.path);
    undo_.Append(blocks);
    covered_.insert({operation.root, FoldedName(operation.path)});
    undoKey_.reset();
  }

  // `wanted` null: the line deletes the value.
  void ValueLine(const RegOperation& operation, const SavedValue* wanted) {
    if (skipValues_) return;
    const KeyId id{root_, FoldedName(path_)};
    std::set<std::string>& recorded = recorded_[id];
    const std::string name = FoldedName(operation.name);
    if (recorded.count(name)) return;
    SavedValue before;
    const long result = ReadSavedValue(api_, key_.get(), operation.name, before);
    if (result != kErrorSuccess) {
      Fail(operation, "cannot read " + ValueWords(operation.name) + " before changing it", result);
    }
    const bool unchanged =
        !wanted ? !before.existed
                : before.existed && before.type == wanted->type && before.data == wanted->data;
    if (unchanged) {
      if (unchanged_) (*unchanged_)[index_] = true;
      return;
    }
    recorded.insert(name);
    if (undoKey_ != id) {
      undo_.KeyLine(root_, path_);
      undoKey_ = id;
    }
    if (before.existed) {
      undo_.ValueLine(operation.name, before.type, before.data.data(), before.data.size());
    } else {
      undo_.DeleteValueLine(operation.name);
    }
  }

  RegistryApi& api_;
  RegLines& undo_;
  std::vector<bool>* unchanged_;
  std::size_t index_ = 0;  // of the operation at hand
  UniqueKey key_;          // the key the value lines go to, opened for reading
  RegKey root_ = 0;
  std::string path_;
  bool skipValues_ = false;  // the current key needs no value records
  KeySet covered_;
  std::map<KeyId, std::set<std::string>> recorded_;  // values recorded, by folded name
  std::optional<KeyId> undoKey_;                     // the key the undo file's last line is in
};

}  // namespace

bool GatherImportUndo(RegistryApi& api, const std::vector<RegOperation>& operations, RegLines& undo,
                      RegImportError& error, std::vector<bool>* unchanged) {
  try {
    UndoGatherer(api, undo, unchanged).Run(operations);
    return true;
  } catch (const GatherFailure& failure) {
    error = {failure.line, failure.message};
  }
  return false;
}

bool WriteImportUndo(RegistryApi& api, const std::vector<RegOperation>& operations,
                     ImportUndo& undo, RegImportError& error, std::vector<bool>* unchanged) {
  undo.file.clear();
  RegLines lines;
  if (!GatherImportUndo(api, operations, lines, error, unchanged)) return false;
  if (lines.Empty()) return true;
  std::string text;
  try {
    text = lines.File(ReadAnsiCodePage(api));
  } catch (const ENoExactForm& failure) {
    error = {0,
             std::string("the undo file cannot hold what the import changes: ") + failure.what()};
    return false;
  }
  std::string why;
  undo.file = WriteUndoFile(undo.folders, text, NowLocal(), why, kImportUndoStem);
  if (undo.file.empty()) {
    error = {0, why};
    return false;
  }
  if (undo.written) undo.written(undo.file);
  return true;
}

}  // namespace veltrane
