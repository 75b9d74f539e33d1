#include "registry/memory_registry.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string_view>
#include <vector>

#include <ext/pb_ds/assoc_container.hpp>
#include <ext/pb_ds/tree_policy.hpp>

#include "base/names.h"
#include "base/text.h"
#include "registry/value_delivery.h"

namespace veltrane {
namespace {

constexpr std::uint32_t kDeleteRight = 0x10000;
constexpr std::uint32_t kAllRights = 0xFFFFFFFFu;

bool IsStringType(std::uint32_t type) {
  return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
}

// The key names of a path, one after the other; doubled and trailing
// backslashes name no extra level.
class PathNames {
 public:
  explicit PathNames(std::u16string_view path) : rest_(path) {}
  bool Next(std::u16string_view* name) {
    while (!rest_.empty() && rest_.front() == u'\\') rest_.remove_prefix(1);
    if (rest_.empty()) return false;
    const std::size_t end = std::min(rest_.find(u'\\'), rest_.size());
    *name = rest_.substr(0, end);
    rest_.remove_prefix(end);
    return true;
  }

 private:
  std::u16string_view rest_;
};

// A leading backslash is refused (161), a name over 255 characters too (87).
long CheckPath(std::u16string_view path) {
  if (!path.empty() && path.front() == u'\\') return kErrorBadPathname;
  PathNames names(path);
  for (std::u16string_view name; names.Next(&name);) {
    if (name.size() > kMaxKeyNameLength) return kErrorInvalidParameter;
  }
  return kErrorSuccess;
}

struct NameLess {
  bool operator()(const std::u16string& a, const std::u16string& b) const {
    return CompareNames(a, b) < 0;
  }
};

std::vector<std::uint8_t> UnitBytes(std::u16string_view units) {
  std::vector<std::uint8_t> bytes(units.size() * 2);
  for (std::size_t i = 0; i < units.size(); ++i) {
    bytes[2 * i] = static_cast<std::uint8_t>(units[i]);
    bytes[2 * i + 1] = static_cast<std::uint8_t>(units[i] >> 8);
  }
  return bytes;
}

}  // namespace

// Names in registry order, with O(log n) lookup by name and by index: a
// listing asks for entry 0, 1, 2 ... and must not walk from the front each
// time.
template <class T>
using NameTree = __gnu_pbds::tree<std::u16string, T, NameLess, __gnu_pbds::rb_tree_tag,
                                  __gnu_pbds::tree_order_statistics_node_update>;

// A name tree made on first use: most keys have no subkeys or no values,
// and even an empty tree costs a node.
template <class T>
class Table {
 public:
  std::size_t Size() const { return tree_ ? tree_->size() : 0; }
  T* Find(const std::u16string& name) {
    if (!tree_) return nullptr;
    const auto it = tree_->find(name);
    return it == tree_->end() ? nullptr : &it->second;
  }
  // The entry at `index` in registry order; the index must exist.
  std::pair<const std::u16string&, T&> At(std::size_t index) {
    const auto it = tree_->find_by_order(index);
    return {it->first, it->second};
  }
  // The entry's name stays put for as long as the entry lives.
  std::pair<const std::u16string*, T*> Insert(const std::u16string& name, T value) {
    if (!tree_) tree_ = std::make_unique<NameTree<T>>();
    const auto it = tree_->insert({name, std::move(value)}).first;
    return {&it->first, &it->second};
  }
  void Erase(const std::u16string& name) {
    tree_->erase(name);
    if (tree_->empty()) tree_.reset();
  }
  template <class Visit>
  void ForEach(Visit visit) {
    if (tree_) {
      for (auto it = tree_->begin(); it != tree_->end(); ++it) visit(it->first, it->second);
    }
  }
  void Clear() { tree_.reset(); }

 private:
  std::unique_ptr<NameTree<T>> tree_;
};

// String data is kept as the registry keeps it, in UTF-16.
struct StoredValue {
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;
};

struct MemoryRegistry::Node {
  const std::u16string* name = nullptr;  // its entry's name in the parent's table
  Node* parent = nullptr;
  bool deleted = false;
  std::uint32_t granted = kAllRights;
  std::uint64_t lastWriteTime = 0;
  Table<std::shared_ptr<Node>> subkeys;
  Table<StoredValue> values;
};

MemoryRegistry::MemoryRegistry() : codePage_(ProcessCodePage()) {}

bool MemoryRegistry::Narrow(const std::u16string& units) {
  if (std::all_of(units.begin(), units.end(), [](char16_t unit) { return unit < 0x80; })) {
    narrow_.assign(units.begin(), units.end());  // the buffer is reused
    return true;
  }
  auto converted = FromUtf16(units, codePage_);
  if (!converted) return false;
  narrow_ = *std::move(converted);
  return true;
}

bool MemoryRegistry::Wide(const std::string& text, std::u16string& units) const {
  const std::string_view name(text.c_str());
  if (IsAscii(name)) {  // most names: no conversion, and the buffer is reused
    units.assign(name.begin(), name.end());
    return true;
  }
  auto converted = ToUtf16(name, codePage_);
  if (!converted) return false;
  units = *std::move(converted);
  return true;
}

// A value's type, size and data as the query calls hand them out
// (value_delivery.h).
long MemoryRegistry::Deliver(const StoredValue& value, std::uint32_t* type, std::uint8_t* data,
                             std::uint32_t* dataSize) const {
  if (type) *type = value.type;
  if (IsStringType(value.type)) {
    return HandOutText(value.data.data(), value.data.size(), codePage_, data, dataSize);
  }
  return HandOutData(value.data.data(), static_cast<std::uint32_t>(value.data.size()), false, data,
                     dataSize);
}

MemoryRegistry::~MemoryRegistry() {
  // Take the trees apart one key at a time: left to the destructors, a deep
  // tree would recurse once per level.
  handles_.clear();
  std::vector<std::shared_ptr<Node>> pending;
  for (auto& [key, root] : roots_) pending.push_back(std::move(root));
  while (!pending.empty()) {
    std::shared_ptr<Node> node = std::move(pending.back());
    pending.pop_back();
    node->subkeys.ForEach([&](const std::u16string&, std::shared_ptr<Node>& child) {
      pending.push_back(std::move(child));
    });
    node->subkeys.Clear();
  }
}

long MemoryRegistry::Resolve(RegKey key, const Slot** node, std::uint32_t* access) {
  if (IsRootKey(key)) {
    Slot& root = roots_[key];
    if (!root) root = std::make_shared<Node>();
    *node = &root;
    if (access) *access = kAllRights;
    return kErrorSuccess;
  }
  const auto it = handles_.find(key);
  if (it == handles_.end()) return kErrorInvalidHandle;
  if (it->second.node->deleted) return kErrorKeyDeleted;
  *node = &it->second.node;
  if (access) *access = it->second.access;
  return kErrorSuccess;
}

RegKey MemoryRegistry::NewHandle(const Slot& node, std::uint32_t access) {
  const RegKey handle = nextHandle_;
  nextHandle_ += 4;
  handles_.emplace(handle, Handle{node, access});
  return handle;
}

void MemoryRegistry::Touch(Node& node) { node.lastWriteTime = ++clock_; }

long MemoryRegistry::Use(RegKey key, std::uint32_t right, Node** node) {
  ++calls_;
  const Slot* slot = nullptr;
  std::uint32_t access = 0;
  if (long r = Resolve(key, &slot, &access)) return r;
  if (!(access & right)) return kErrorAccessDenied;
  *node = slot->get();
  return kErrorSuccess;
}

long MemoryRegistry::Walk(const Slot* start, const std::u16string& path, bool create,
                          const Slot** found, bool* created) {
  if (long r = CheckPath(path)) return r;
  PathNames names(path);
  const Slot* node = start;
  std::u16string_view name;
  bool missing = false;
  while (names.Next(&name)) {
    lookup_.assign(name);  // reused: a lookup makes no string of its own
    const Slot* child = (*node)->subkeys.Find(lookup_);
    if (!child) {
      missing = true;
      break;
    }
    node = child;
  }
  if (missing) {
    if (!create) return kErrorFileNotFound;
    // The deepest existing key must allow new subkeys; nothing is made
    // otherwise.
    if (!((*node)->granted & kKeyCreateSubKey)) return kErrorAccessDenied;
    do {
      Node& parent = **node;
      auto child = std::make_shared<Node>();
      child->parent = &parent;
      Touch(*child);
      Touch(parent);
      const auto [childName, slot] = parent.subkeys.Insert(std::u16string(name), std::move(child));
      (*slot)->name = childName;
      node = slot;
      if (created) *created = true;
    } while (names.Next(&name));
  }
  *found = node;
  return kErrorSuccess;
}

long MemoryRegistry::OpenKey(RegKey parent, const std::string& subkey, RegKey* result) {
  ++calls_;
  std::u16string& path = wide_;
  if (!Wide(subkey, path)) return kErrorNoUnicodeTranslation;
  if (path.empty()) {
    *result = parent;
    return kErrorSuccess;
  }
  const Slot* start = nullptr;
  if (long r = Resolve(parent, &start, nullptr)) return r;
  const Slot* node = nullptr;
  if (long r = Walk(start, path, false, &node, nullptr)) return r;
  // The default rights: whatever the key grants.
  *result = NewHandle(*node, (*node)->granted);
  return kErrorSuccess;
}

long MemoryRegistry::OpenKeyEx(RegKey parent, const std::string& subkey, std::uint32_t access,
                               RegKey* result) {
  ++calls_;
  std::u16string& path = wide_;
  if (!Wide(subkey, path)) return kErrorNoUnicodeTranslation;
  const Slot* start = nullptr;
  if (long r = Resolve(parent, &start, nullptr)) return r;
  const Slot* node = nullptr;
  if (long r = Walk(start, path, false, &node, nullptr)) return r;
  if (access & ~(*node)->granted) return kErrorAccessDenied;
  *result = NewHandle(*node, access);
  return kErrorSuccess;
}

long MemoryRegistry::CreateKeyEx(RegKey parent, const std::string& subkey, std::uint32_t access,
                                 RegKey* result, std::uint32_t* disposition) {
  ++calls_;
  std::u16string& path = wide_;
  if (!Wide(subkey, path)) return kErrorNoUnicodeTranslation;
  const Slot* start = nullptr;
  if (long r = Resolve(parent, &start, nullptr)) return r;
  // An existing key that refuses the rights asked for is refused before
  // anything is made, so a failed create leaves no keys behind.
  const Slot* node = nullptr;
  long r = Walk(start, path, false, &node, nullptr);
  if (r == kErrorSuccess && (access & ~(*node)->granted)) return kErrorAccessDenied;
  bool created = false;
  if (r == kErrorFileNotFound) r = Walk(start, path, true, &node, &created);
  if (r != kErrorSuccess) return r;
  *result = NewHandle(*node, access);
  if (disposition) *disposition = created ? 1 : 2;
  return kErrorSuccess;
}

long MemoryRegistry::CreateKeyUtf16(RegKey parent, const std::u16string& name) {
  ++calls_;
  const Slot* start = nullptr;
  if (long r = Resolve(parent, &start, nullptr)) return r;
  const Slot* node = nullptr;
  return Walk(start, name, true, &node, nullptr);
}

long MemoryRegistry::QueryInfoKey(RegKey key, KeyInfo* info) {
  Node* node = nullptr;
  if (long r = Use(key, kKeyQueryValue, &node)) return r;
  KeyInfo facts;
  facts.subkeyCount = static_cast<std::uint32_t>(node->subkeys.Size());
  facts.valueCount = static_cast<std::uint32_t>(node->values.Size());
  node->subkeys.ForEach([&](const std::u16string& name, const std::shared_ptr<Node>&) {
    facts.longestSubkeyName =
        std::max(facts.longestSubkeyName, static_cast<std::uint32_t>(name.size()));
  });
  node->values.ForEach([&](const std::u16string& name, const StoredValue& value) {
    facts.longestValueName =
        std::max(facts.longestValueName, static_cast<std::uint32_t>(name.size()));
    facts.longestData = std::max(facts.longestData, static_cast<std::uint32_t>(value.data.size()));
  });
  facts.lastWriteTime = node->lastWriteTime;
  *info = facts;
  return kErrorSuccess;
}

long MemoryRegistry::EnumKey(RegKey key, std::uint32_t index, char* name,
                             std::uint32_t* nameLength) {
  Node* node = nullptr;
  if (long r = Use(key, kKeyEnumerateSubKeys, &node)) return r;
  if (index >= node->subkeys.Size()) return kErrorNoMoreItems;
  if (!name || !nameLength) return kErrorInvalidParameter;
  if (!Narrow(node->subkeys.At(index).first)) return kErrorNoUnicodeTranslation;
  const std::string& found = narrow_;
  if (found.size() >= *nameLength) return kErrorMoreData;
  std::memcpy(name, found.c_str(), found.size() + 1);
  *nameLength = static_cast<std::uint32_t>(found.size());
  return kErrorSuccess;
}

long MemoryRegistry::EnumValue(RegKey key, std::uint32_t index, char* name,
                               std::uint32_t* nameLength, std::uint32_t* type, std::uint8_t* data,
                               std::uint32_t* dataSize) {
  Node* node = nullptr;
  if (long r = Use(key, kKeyQueryValue, &node)) return r;
  if (index >= node->values.Size()) return kErrorNoMoreItems;
  if (!name || !nameLength || (data && !dataSize)) return kErrorInvalidParameter;
  const auto [wideName, value] = node->values.At(index);
  if (!Narrow(wideName)) return kErrorNoUnicodeTranslation;
  const std::string& valueName = narrow_;
  if (long r = Deliver(value, type, data, dataSize)) return r;
  if (valueName.size() >= *nameLength) {
    // As the registry does: as much of the name as fits, cut short.
    if (*nameLength > 0) {
      std::memcpy(name, valueName.data(), *nameLength - 1);
      name[*nameLength - 1] = '\0';
    }
    return kErrorMoreData;
  }
  std::memcpy(name, valueName.c_str(), valueName.size() + 1);
  *nameLength = static_cast<std::uint32_t>(valueName.size());
  return kErrorSuccess;
}

long MemoryRegistry::QueryValue(RegKey key, const std::string& name, std::uint32_t* type,
                                std::uint8_t* data, std::uint32_t* dataSize) {
  Node* node = nullptr;
  if (long r = Use(key, kKeyQueryValue, &node)) return r;
  if (data && !dataSize) return kErrorInvalidParameter;
  std::u16string& valueName = wide_;
  if (!Wide(name, valueName)) return kErrorNoUnicodeTranslation;
  const StoredValue* found = node->values.Find(valueName);
  if (!found) return kErrorFileNotFound;
  return Deliver(*found, type, data, dataSize);
}

long MemoryRegistry::SetValue(RegKey key, const std::string& name, std::uint32_t type,
                              const std::uint8_t* data, std::uint32_t size) {
  Node* node = nullptr;
  if (long r = Use(key, kKeySetValue, &node)) return r;
  std::u16string& valueName = wide_;
  if (!Wide(name, valueName)) return kErrorNoUnicodeTranslation;
  if (valueName.size() > kMaxValueNameLength) return kErrorInvalidParameter;
  if (size > 0 && !data) return kErrorNoAccess;
  std::vector<std::uint8_t> stored(data, data + size);
  if (IsStringType(type)) {
    // Zeros inside the data and a missing terminator are kept as they are.
    const auto units = ToUtf16(
        std::string_view(reinterpret_cast<const char*>(stored.data()), stored.size()), codePage_);
    if (!units) return kErrorNoUnicodeTranslation;
    stored = UnitBytes(*units);
  }
  // A value written again under another spelling keeps its first one.
  StoredValue* value = node->values.Find(valueName);
  if (!value) value = node->values.Insert(valueName, {}).second;
  value->type = type;
  value->data = std::move(stored);
  Touch(*node);
  return kErrorSuccess;
}

long MemoryRegistry::SetValueUtf16(RegKey key, const std::u16string& name, std::uint32_t type,
                                   const std::u16string& data) {
  Node* node = nullptr;
  if (long r = Use(key, kKeySetValue, &node)) return r;
  StoredValue* value = node->values.Find(name);
  if (!value) value = node->values.Insert(name, {}).second;
  value->type = type;
  value->data = UnitBytes(data);
  Touch(*node);
  return kErrorSuccess;
}

long MemoryRegistry::DeleteValue(RegKey key, const std::string& name) {
  Node* node = nullptr;
  if (long r = Use(key, kKeySetValue, &node)) return r;
  std::u16string& valueName = wide_;
  if (!Wide(name, valueName)) return kErrorNoUnicodeTranslation;
  if (!node->values.Find(valueName)) return kErrorFileNotFound;
  node->values.Erase(valueName);
  Touch(*node);
  return kErrorSuccess;
}

long MemoryRegistry::DeleteKey(RegKey parent, const std::string& subkey) {
  ++calls_;
  std::u16string& path = wide_;
  if (!Wide(subkey, path)) return kErrorNoUnicodeTranslation;
  return Delete(parent, path);
}

long MemoryRegistry::DeleteKeyUtf16(RegKey parent, const std::u16string& name) {
  ++calls_;
  return Delete(parent, name);
}

long MemoryRegistry::Delete(RegKey parent, const std::u16string& path) {
  const Slot* start = nullptr;
  if (long r = Resolve(parent, &start, nullptr)) return r;
  const Slot* slot = nullptr;
  if (long r = Walk(start, path, false, &slot, nullptr)) return r;
  Node& node = **slot;
  if (!node.parent) return kErrorAccessDenied;  // a root cannot go
  if (!(node.granted & kDeleteRight)) return kErrorAccessDenied;
  if (node.subkeys.Size() > 0) return kErrorAccessDenied;
  Node& owner = *node.parent;
  const std::u16string name = *node.name;  // the entry goes, and its name with it
  node.deleted = true;
  node.parent = nullptr;
  node.name = nullptr;
  owner.subkeys.Erase(name);  // frees the key unless a handle still holds it
  Touch(owner);
  return kErrorSuccess;
}

long MemoryRegistry::CloseKey(RegKey key) {
  ++calls_;
  if (IsRootKey(key)) return kErrorSuccess;
  return handles_.erase(key) ? kErrorSuccess : kErrorInvalidHandle;
}

void MemoryRegistry::RestrictAccess(RegKey root, const std::string& path, std::uint32_t granted) {
  const Slot* start = nullptr;
  const Slot* node = nullptr;
  std::u16string units;
  if (Wide(path, units) && Resolve(root, &start, nullptr) == kErrorSuccess &&
      Walk(start, units, true, &node, nullptr) == kErrorSuccess) {
    (*node)->granted = granted;
  }
}

}  // namespace veltrane
