#include "clean/import_journal.h"

#include <algorithm>

#include "base/names.h"
#include "base/text.h"
#include "clean/reg_format.h"
#include "registry/tregistry.h"
#include "registry/unique_key.h"

namespace veltrane {
namespace {

// The values of an open key with their data, in the registry's order.
long ReadValues(RegistryApi& api, RegKey key,
                std::vector<std::pair<std::string, SavedValue>>& out) {
  std::vector<char> name;
  std::vector<std::uint8_t> data;
  for (std::uint32_t index = 0;; ++index) {
    EnumeratedValue found;
    const long result = EnumValueWithData(api, key, index, name, data, found);
    if (result == kErrorNoMoreItems) return kErrorSuccess;
    if (result != kErrorSuccess) return result;
    SavedValue value{true, found.type,
                     std::vector<std::uint8_t>(data.begin(), data.begin() + found.size)};
    out.emplace_back(std::string(name.data(), found.nameLength), std::move(value));
  }
}

long ReadSubkeyNames(RegistryApi& api, RegKey key, std::vector<std::string>& names) {
  // The longest key name in bytes, each character taking up to three.
  std::vector<char> name((kMaxKeyNameLength + 2) * MostBytesPerUnit());
  for (std::uint32_t index = 0;; ++index) {
    std::uint32_t length = static_cast<std::uint32_t>(name.size());
    const long result = api.EnumKey(key, index, name.data(), &length);
    if (result == kErrorNoMoreItems) return kErrorSuccess;
    if (result != kErrorSuccess) return result;
    names.emplace_back(name.data(), std::min<std::size_t>(length, name.size()));
  }
}

}  // namespace

std::string ValueWords(const std::string& name) {
  return name.empty() ? std::string("the default value") : "the value \"" + name + "\"";
}

std::string KeyName(RegKey root, const std::string& path) {
  return path.empty() ? RootName(root) : RootName(root) + "\\" + path;
}

long ReadSavedValue(RegistryApi& api, RegKey key, const std::string& name, SavedValue& value) {
  value = SavedValue{};
  value.data.resize(256);
  for (int attempt = 0; attempt < 8; ++attempt) {
    std::uint32_t size = static_cast<std::uint32_t>(value.data.size());
    const long result = api.QueryValue(key, name, &value.type, value.data.data(), &size);
    if (result == kErrorFileNotFound) {
      value = SavedValue{};
      return kErrorSuccess;
    }
    if (result == kErrorMoreData) {
      value.data.resize(std::max<std::size_t>(size, value.data.size() * 2));
      continue;
    }
    if (result != kErrorSuccess) return result;
    value.data.resize(size);
    value.existed = true;
    return kErrorSuccess;
  }
  return kErrorMoreData;
}

long ReadSavedTree(RegistryApi& api, RegKey root, const std::string& path, SavedTree& tree) {
  tree.clear();
  // Depth first, without recursion: a tree may be deeper than the stack.
  std::vector<std::string> pending{path};
  while (!pending.empty()) {
    SavedKey saved{std::move(pending.back()), {}};
    pending.pop_back();
    UniqueKey key;
    long result = OpenOwnedKey(api, root, saved.path, kKeyRead, key);
    // A subkey gone since its parent was listed is simply not there.
    if (result == kErrorFileNotFound && !tree.empty()) continue;
    if (result != kErrorSuccess) return result;
    result = ReadValues(api, key.get(), saved.values);
    if (result != kErrorSuccess) return result;
    std::vector<std::string> names;
    result = ReadSubkeyNames(api, key.get(), names);
    if (result != kErrorSuccess) return result;
    for (auto name = names.rbegin(); name != names.rend(); ++name) {
      pending.push_back(saved.path.empty() ? *name : saved.path + "\\" + *name);
    }
    tree.push_back(std::move(saved));
  }
  return kErrorSuccess;
}

bool AtOrBelowAny(const KeySet& keys, RegKey root, const std::string& path) {
  if (keys.empty()) return false;
  const std::string lower = FoldedName(path);
  for (std::size_t end = 0; end != std::string::npos;) {
    end = lower.find('\\', end + 1);
    if (keys.count({root, lower.substr(0, end)})) return true;
  }
  return false;
}

long KeyPresence(RegistryApi& api, RegKey root, const std::string& path) {
  UniqueKey key;
  const long result = OpenOwnedKey(api, root, path, 0, key);
  return result == kErrorAccessDenied ? kErrorSuccess : result;
}

std::string TopmostMissing(const std::string& path,
                           const std::function<bool(const std::string&)>& exists) {
  std::size_t end = path.size();
  for (;;) {
    const std::size_t cut = path.rfind('\\', end - 1);
    if (cut == std::string::npos || cut == 0) return path.substr(0, end);
    if (exists(path.substr(0, cut))) return path.substr(0, end);
    end = cut;
  }
}

bool ImportJournal::InsideCreated(RegKey root, const std::string& path) const {
  return AtOrBelowAny(created_, root, path);
}

void ImportJournal::KeyCreated(int line, RegKey root, const std::string& topmostNewKey) {
  changes_.push_back({Change::kKeyCreated, line, root, topmostNewKey, {}, {}, {}});
  created_.insert({root, FoldedName(topmostNewKey)});
}

void ImportJournal::ValueChanging(int line, RegKey root, const std::string& path,
                                  const std::string& name, SavedValue before) {
  changes_.push_back({Change::kValueChanged, line, root, path, name, std::move(before), {}});
}

void ImportJournal::TreeDeleting(int line, RegKey root, const std::string& path, SavedTree tree) {
  changes_.push_back({Change::kTreeDeleted, line, root, path, {}, {}, std::move(tree)});
}

std::vector<std::string> ImportJournal::Undo(RegistryApi& api) {
  std::vector<std::string> left;
  for (auto change = changes_.rbegin(); change != changes_.rend(); ++change) {
    const std::string key = KeyName(change->root, change->path);
    const std::string line = std::to_string(change->line);
    switch (change->kind) {
      case Change::kKeyCreated:
        if (!UndoKeyCreated(api, *change)) {
          left.push_back("the key " + key + ", created by line " + line + ", is still there");
        }
        break;
      case Change::kValueChanged:
        if (!UndoValueChanged(api, *change)) {
          left.push_back(ValueWords(change->name) + " of " + key + " holds what line " + line +
                         " made of it");
        }
        break;
      case Change::kTreeDeleted:
        if (!UndoTreeDeleted(api, *change)) {
          left.push_back("the key " + key + ", deleted by line " + line + ", is not back in full");
        }
        break;
    }
  }
  changes_.clear();
  created_.clear();
  return left;
}

bool ImportJournal::UndoKeyCreated(RegistryApi& api, const Change& change) {
  TRegistry registry(api);
  registry.SelectRoot(change.root);
  if (registry.RemoveKey("\\" + change.path)) return true;
  UniqueKey key;
  return OpenOwnedKey(api, change.root, change.path, kKeyRead, key) == kErrorFileNotFound;
}

bool ImportJournal::UndoValueChanged(RegistryApi& api, const Change& change) {
  UniqueKey key;
  if (OpenOwnedKey(api, change.root, change.path, kKeyWrite, key) != kErrorSuccess) return false;
  const SavedValue& before = change.before;
  if (!before.existed) {
    const long result = api.DeleteValue(key.get(), change.name);
    return result == kErrorSuccess || result == kErrorFileNotFound;
  }
  return api.SetValue(key.get(), change.name, before.type, before.data.data(),
                      static_cast<std::uint32_t>(before.data.size())) == kErrorSuccess;
}

bool ImportJournal::UndoTreeDeleted(RegistryApi& api, const Change& change) {
  bool whole = true;
  for (const SavedKey& saved : change.tree) {
    UniqueKey key;
    if (CreateOwnedKey(api, change.root, saved.path, kKeyWrite, key) != kErrorSuccess) {
      whole = false;
      continue;
    }
    for (const auto& [name, value] : saved.values) {
      if (api.SetValue(key.get(), name, value.type, value.data.data(),
                       static_cast<std::uint32_t>(value.data.size())) != kErrorSuccess) {
        whole = false;
      }
    }
  }
  return whole;
}

}  // namespace veltrane
