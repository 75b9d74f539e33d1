#include "registry/memory_registry.h"

#include "registry/code_page.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>
#include <vector>

#include <ext/pb_ds/assoc_container.hpp>
#include <ext/pb_ds/tree_policy.hpp>

namespace veltrane {
namespace {

constexpr std::uint32_t kDeleteRight = 0x10000;
constexpr std::uint32_t kAllRights = 0xFFFFFFFFu;

// Sort key of each byte: its Windows-1252 character, lower-cased, as a
// Unicode code point. The registry orders names by these.
std::array<char16_t, 256> MakeSortKeys() {
  std::array<char16_t, 256> keys{};
  for (unsigned c = 0; c < 256; ++c) {
    keys[c] = Cp1252ToUnicode(static_cast<unsigned char>(LowerCase1252(static_cast<char>(c))));
  }
  return keys;
}

const std::array<char16_t, 256> kSortKeys = MakeSortKeys();

// Names reach advapi32 as C strings: everything after a zero byte is lost.
std::string CName(const std::string& name) { return std::string(name.c_str()); }

bool IsStringType(std::uint32_t type) {
  return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
}

// The key names of a path, one after the other; doubled and trailing
// backslashes name no extra level.
class PathNames {
 public:
  explicit PathNames(std::string_view path) : rest_(path) {}
  bool Next(std::string_view* name) {
    while (!rest_.empty() && rest_.front() == '\\') rest_.remove_prefix(1);
    if (rest_.empty()) return false;
    const std::size_t end = std::min(rest_.find('\\'), rest_.size());
    *name = rest_.substr(0, end);
    rest_.remove_prefix(end);
    return true;
  }

 private:
  std::string_view rest_;
};

// A leading backslash is refused (161), a name over 255 characters too (87).
long CheckPath(const std::string& path) {
  if (!path.empty() && path.front() == '\\') return kErrorBadPathname;
  PathNames names(path);
  for (std::string_view name; names.Next(&name);) {
    if (name.size() > kMaxKeyNameLength) return kErrorInvalidParameter;
  }
  return kErrorSuccess;
}

}  // namespace

// Names in registry order, with O(log n) lookup by name and by index: a
// listing asks for entry 0, 1, 2 ... and must not walk from the front each
// time.
template <class T>
using NameTree = __gnu_pbds::tree<std::string, T, RegistryNameLess, __gnu_pbds::rb_tree_tag,
                                  __gnu_pbds::tree_order_statistics_node_update>;

// A name tree made on first use: most keys have no subkeys or no values,
// and even an empty tree costs a node.
template <class T>
class Table {
 public:
  std::size_t Size() const { return tree_ ? tree_->size() : 0; }
  T* Find(const std::string& name) {
    if (!tree_) return nullptr;
    const auto it = tree_->find(name);
    return it == tree_->end() ? nullptr : &it->second;
  }
  // The entry at `index` in registry order; the index must exist.
  std::pair<const std::string&, T&> At(std::size_t index) {
    const auto it = tree_->find_by_order(index);
    return {it->first, it->second};
  }
  // The entry's name stays put for as long as the entry lives.
  std::pair<const std::string*, T*> Insert(const std::string& name, T value) {
    if (!tree_) tree_ = std::make_unique<NameTree<T>>();
    const auto it = tree_->insert({name, std::move(value)}).first;
    return {&it->first, &it->second};
  }
  void Erase(const std::string& name) {
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

struct StoredValue {
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;
};

namespace {

// A value's type, size and data as the query calls hand them out: too small
// a buffer gets 234 and the size needed, and nothing else; string data that
// lacks its terminating zero gets one after it when there is room.
long DeliverValue(const StoredValue& value, std::uint32_t* type, std::uint8_t* data,
                  std::uint32_t* dataSize) {
  const auto size = static_cast<std::uint32_t>(value.data.size());
  if (type) *type = value.type;
  if (data && *dataSize < size) {
    *dataSize = size;
    return kErrorMoreData;
  }
  if (data && size > 0) {
    std::memcpy(data, value.data.data(), size);
    if (IsStringType(value.type) && size < *dataSize && value.data.back() != 0) data[size] = 0;
  }
  if (dataSize) *dataSize = size;
  return kErrorSuccess;
}

}  // namespace

struct MemoryRegistry::Node {
  const std::string* name = nullptr;  // its entry's name in the parent's table
  Node* parent = nullptr;
  bool deleted = false;
  std::uint32_t granted = kAllRights;
  std::uint64_t lastWriteTime = 0;
  Table<std::shared_ptr<Node>> subkeys;
  Table<StoredValue> values;
};

bool RegistryNameLess::operator()(const std::string& a, const std::string& b) const {
  const auto* pa = reinterpret_cast<const unsigned char*>(a.data());
  const auto* pb = reinterpret_cast<const unsigned char*>(b.data());
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    if (pa[i] == pb[i]) continue;
    const auto ka = kSortKeys[pa[i]];
    const auto kb = kSortKeys[pb[i]];
    if (ka != kb) return ka < kb;
  }
  return a.size() < b.size();
}

MemoryRegistry::MemoryRegistry() = default;

MemoryRegistry::~MemoryRegistry() {
  // Take the trees apart one key at a time: left to the destructors, a deep
  // tree would recurse once per level.
  handles_.clear();
  std::vector<std::shared_ptr<Node>> pending;
  for (auto& [key, root] : roots_) pending.push_back(std::move(root));
  while (!pending.empty()) {
    std::shared_ptr<Node> node = std::move(pending.back());
    pending.pop_back();
    node->subkeys.ForEach([&](const std::string&, std::shared_ptr<Node>& child) {
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

long MemoryRegistry::Walk(const Slot* start, const std::string& path, bool create,
                          const Slot** found, bool* created) {
  if (long r = CheckPath(path)) return r;
  PathNames names(path);
  const Slot* node = start;
  std::string_view name;
  bool missing = false;
  while (names.Next(&name)) {
    const Slot* child = (*node)->subkeys.Find(std::string(name));
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
      const auto [childName, slot] = parent.subkeys.Insert(std::string(name), std::move(child));
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
  const std::string path = CName(subkey);
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
  const Slot* start = nullptr;
  if (long r = Resolve(parent, &start, nullptr)) return r;
  const Slot* node = nullptr;
  if (long r = Walk(start, CName(subkey), false, &node, nullptr)) return r;
  if (access & ~(*node)->granted) return kErrorAccessDenied;
  *result = NewHandle(*node, access);
  return kErrorSuccess;
}

long MemoryRegistry::CreateKeyEx(RegKey parent, const std::string& subkey, std::uint32_t access,
                                 RegKey* result, std::uint32_t* disposition) {
  ++calls_;
  const Slot* start = nullptr;
  if (long r = Resolve(parent, &start, nullptr)) return r;
  const std::string path = CName(subkey);
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

long MemoryRegistry::QueryInfoKey(RegKey key, KeyInfo* info) {
  Node* node = nullptr;
  if (long r = Use(key, kKeyQueryValue, &node)) return r;
  KeyInfo facts;
  facts.subkeyCount = static_cast<std::uint32_t>(node->subkeys.Size());
  facts.valueCount = static_cast<std::uint32_t>(node->values.Size());
  node->subkeys.ForEach([&](const std::string& name, const std::shared_ptr<Node>&) {
    facts.longestSubkeyName =
        std::max(facts.longestSubkeyName, static_cast<std::uint32_t>(name.size()));
  });
  node->values.ForEach([&](const std::string& name, const StoredValue& value) {
    facts.longestValueName =
        std::max(facts.longestValueName, static_cast<std::uint32_t>(name.size()));
    // The registry keeps strings in UTF-16: two bytes for each one given.
    const std::size_t stored = value.data.size() * (IsStringType(value.type) ? 2 : 1);
    facts.longestData = std::max(facts.longestData, static_cast<std::uint32_t>(stored));
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
  const std::string& found = node->subkeys.At(index).first;
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
  const auto [valueName, value] = node->values.At(index);
  if (long r = DeliverValue(value, type, data, dataSize)) return r;
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
  const StoredValue* found = node->values.Find(CName(name));
  if (!found) return kErrorFileNotFound;
  return DeliverValue(*found, type, data, dataSize);
}

long MemoryRegistry::SetValue(RegKey key, const std::string& name, std::uint32_t type,
                              const std::uint8_t* data, std::uint32_t size) {
  Node* node = nullptr;
  if (long r = Use(key, kKeySetValue, &node)) return r;
  const std::string valueName = CName(name);
  if (valueName.size() > kMaxValueNameLength) return kErrorInvalidParameter;
  if (size > 0 && !data) return kErrorNoAccess;
  // A value written again under another spelling keeps its first one.
  StoredValue* value = node->values.Find(valueName);
  if (!value) value = node->values.Insert(valueName, {}).second;
  value->type = type;
  value->data.assign(data, data + size);
  Touch(*node);
  return kErrorSuccess;
}

long MemoryRegistry::DeleteValue(RegKey key, const std::string& name) {
  Node* node = nullptr;
  if (long r = Use(key, kKeySetValue, &node)) return r;
  const std::string valueName = CName(name);
  if (!node->values.Find(valueName)) return kErrorFileNotFound;
  node->values.Erase(valueName);
  Touch(*node);
  return kErrorSuccess;
}

long MemoryRegistry::DeleteKey(RegKey parent, const std::string& subkey) {
  ++calls_;
  const Slot* start = nullptr;
  if (long r = Resolve(parent, &start, nullptr)) return r;
  const Slot* slot = nullptr;
  if (long r = Walk(start, CName(subkey), false, &slot, nullptr)) return r;
  Node& node = **slot;
  if (!node.parent) return kErrorAccessDenied;  // a root cannot go
  if (!(node.granted & kDeleteRight)) return kErrorAccessDenied;
  if (node.subkeys.Size() > 0) return kErrorAccessDenied;
  Node& owner = *node.parent;
  const std::string name = *node.name;  // the entry goes, and its name with it
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
  if (Resolve(root, &start, nullptr) == kErrorSuccess &&
      Walk(start, path, true, &node, nullptr) == kErrorSuccess) {
    (*node)->granted = granted;
  }
}

}  // namespace veltrane
