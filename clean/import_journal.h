// What an import changed, recorded before each change, so that a failing
// import can put the registry back as it was: the keys it created, the
// values it wrote or deleted with what they held before, and the subtrees
// it deleted with everything in them.
#pragma once

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "registry/registry_api.h"

namespace veltrane {

// A value as it stood, or that there was none.
struct SavedValue {
  bool existed = false;
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;
};

// Reads the value `name` of the open `key` whole into `value`. A missing
// value is a success with `existed` false; other failures give the
// registry's result code.
long ReadSavedValue(RegistryApi& api, RegKey key, const std::string& name, SavedValue& value);

// A key and everything below it, keys in pre-order with their values.
struct SavedKey {
  std::string path;  // below the root
  std::vector<std::pair<std::string, SavedValue>> values;
};
using SavedTree = std::vector<SavedKey>;

// Reads the key `path` below `root` with its whole subtree; 2 when it does
// not exist, another result code when a part of it cannot be read.
long ReadSavedTree(RegistryApi& api, RegKey root, const std::string& path, SavedTree& tree);

// Keys by root and folded path (FoldedName).
using KeySet = std::set<std::pair<RegKey, std::string>>;
// Whether `keys` holds the key `path` below `root`, or a key above it.
bool AtOrBelowAny(const KeySet& keys, RegKey root, const std::string& path);

// 0 when the key is there, whether or not it will open; 2 when it is not;
// another result code when that cannot be told. Only "not found" counts as
// missing: a key taken for missing would be taken away whole on undoing.
long KeyPresence(RegistryApi& api, RegKey root, const std::string& path);

// The first key of `path` that `exists` calls missing, `path` itself being
// missing: creating `path` creates that key and everything below it.
std::string TopmostMissing(const std::string& path,
                           const std::function<bool(const std::string&)>& exists);

// "HKEY_CURRENT_USER\Software\x"
std::string KeyName(RegKey root, const std::string& path);
// "the value "x"", or "the default value" for the empty name.
std::string ValueWords(const std::string& name);

class ImportJournal {
 public:
  // True when the key lies inside a key this import created: everything
  // there goes when that key is taken away again, so nothing in it needs
  // recording.
  bool InsideCreated(RegKey root, const std::string& path) const;

  // Before the change is made.
  void KeyCreated(int line, RegKey root, const std::string& topmostNewKey);
  void ValueChanging(int line, RegKey root, const std::string& path, const std::string& name,
                     SavedValue before);
  void TreeDeleting(int line, RegKey root, const std::string& path, SavedTree tree);

  std::size_t Size() const { return changes_.size(); }

  // Puts everything back, newest first. Returns a description of each
  // change that could not be undone (empty when all went back).
  std::vector<std::string> Undo(RegistryApi& api);

 private:
  struct Change {
    enum Kind { kKeyCreated, kValueChanged, kTreeDeleted };
    Kind kind;
    int line;
    RegKey root;
    std::string path;
    std::string name;
    SavedValue before;
    SavedTree tree;
  };

  static bool UndoKeyCreated(RegistryApi& api, const Change& change);
  static bool UndoValueChanged(RegistryApi& api, const Change& change);
  static bool UndoTreeDeleted(RegistryApi& api, const Change& change);

  std::vector<Change> changes_;
  KeySet created_;  // the keys this import created
};

}  // namespace veltrane
