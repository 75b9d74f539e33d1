// Whether the registry reads as a .reg file says it should after an import:
// how the restore learns what the registry editor, which reports nothing,
// actually did.
#include <map>
#include <tuple>

#include "base/names.h"
#include "clean/import_journal.h"
#include "clean/reg_import.h"
#include "registry/unique_key.h"

namespace veltrane {
namespace {

using KeyId = std::pair<RegKey, std::string>;  // root, folded path (FoldedName)

KeyId IdOf(RegKey root, const std::string& path) { return {root, FoldedName(path)}; }

bool AtOrBelow(const KeyId& key, const KeyId& top) {
  return key.first == top.first && key.second.compare(0, top.second.size(), top.second) == 0 &&
         (key.second.size() == top.second.size() || top.second.empty() ||
          key.second[top.second.size()] == '\\');
}

template <class Map>
void EraseAtOrBelow(Map& map, const KeyId& top) {
  for (auto at = map.lower_bound(top); at != map.end() && at->first.first == top.first;) {
    const KeyId& key = at->first;
    if (key.second.compare(0, top.second.size(), top.second) != 0) break;
    at = AtOrBelow(key, top) ? map.erase(at) : std::next(at);
  }
}

// The state the file leaves: the last word of the file on each key and
// value, with a deleted key taking everything below it along.
struct Expected {
  struct Key {
    int line;
    std::string path;
  };
  struct Value {
    int line;
    std::string path, name;
    bool present;
    std::uint32_t type;
    const std::vector<std::uint8_t>* data;
  };
  std::map<KeyId, Key> present, absent;
  std::map<KeyId, std::map<std::string, Value>> values;
};

Expected ExpectedState(const std::vector<RegOperation>& operations) {
  Expected expected;
  KeyId current;
  std::string currentPath;
  for (const RegOperation& operation : operations) {
    switch (operation.kind) {
      case RegOperation::kOpenKey:
        current = IdOf(operation.root, operation.path);
        currentPath = operation.path;
        expected.present[current] = {operation.line, operation.path};
        // Making a key makes the keys above it too.
        for (auto at = expected.absent.begin(); at != expected.absent.end();) {
          at = AtOrBelow(current, at->first) ? expected.absent.erase(at) : std::next(at);
        }
        break;
      case RegOperation::kDeleteKey: {
        const KeyId doomed = IdOf(operation.root, operation.path);
        EraseAtOrBelow(expected.present, doomed);
        EraseAtOrBelow(expected.values, doomed);
        EraseAtOrBelow(expected.absent, doomed);
        expected.absent[doomed] = {operation.line, operation.path};
        break;
      }
      case RegOperation::kSetValue:
      case RegOperation::kDeleteValue: {
        expected.values[current][FoldedName(operation.name)] = {
            operation.line, currentPath,
            operation.name, operation.kind == RegOperation::kSetValue,
            operation.type, &operation.data};
        break;
      }
    }
  }
  return expected;
}

// 0 when the key is there, 2 when it is not, another code when unknown.
// `opened` holds it when it may be read.
long Probe(RegistryApi& api, RegKey root, const std::string& path, UniqueKey& opened) {
  const long result = OpenOwnedKey(api, root, path, kKeyRead, opened);
  return result == kErrorAccessDenied ? kErrorSuccess : result;
}

}  // namespace

int FirstUnappliedLine(RegistryApi& api, const std::vector<RegOperation>& operations) {
  const Expected expected = ExpectedState(operations);
  int first = 0;
  const auto miss = [&](int line) {
    if (first == 0 || line < first) first = line;
  };
  UniqueKey opened;
  for (const auto& [id, key] : expected.absent) {
    if (Probe(api, id.first, key.path, opened) != kErrorFileNotFound) miss(key.line);
  }
  for (const auto& [id, key] : expected.present) {
    if (Probe(api, id.first, key.path, opened) != kErrorSuccess) miss(key.line);
  }
  for (const auto& [id, values] : expected.values) {
    if (values.empty()) continue;
    const std::string& path = values.begin()->second.path;
    if (Probe(api, id.first, path, opened) != kErrorSuccess || !opened) {
      for (const auto& [name, value] : values) miss(value.line);
      continue;
    }
    for (const auto& [name, value] : values) {
      SavedValue actual;
      const bool read = ReadSavedValue(api, opened.get(), value.name, actual) == kErrorSuccess;
      const bool right =
          read && actual.existed == value.present &&
          (!value.present || (actual.type == value.type && actual.data == *value.data));
      if (!right) miss(value.line);
    }
  }
  return first;
}

}  // namespace veltrane
