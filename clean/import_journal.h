// What an import changed, recorded before each change, so that a failing
// import can put the registry back as it was: the keys it created, the
// values it wrote or deleted with what they held before, and the subtrees
// it deleted with everything in them.
#pragma once

#include <cstdint>
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
  // The keys this import created, by root and folded path (FoldedName).
  std::set<std::pair<RegKey, std::string>> created_;
};

}  // namespace veltrane
