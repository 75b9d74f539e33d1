#include "registry/memory_registry.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include <ext/pb_ds/assoc_container.hpp>
#include <ext/pb_ds/tree_policy.hpp>

namespace veltrane {
namespace {

// Registry limits: key names up to 255 characters, value names up to 16383.
constexpr std::size_t kMaxKeyName = 255;
constexpr std::size_t kMaxValueName = 16383;
constexpr long kErrorBadPathname = 161;
constexpr std::uint32_t kDeleteRight = 0x10000;

// Sort key of each byte: its Windows-1252 character, lower-cased, as a
// Unicode code point. The registry orders names by these.
std::array<std::uint16_t, 256> MakeSortKeys() {
  static const std::uint16_t kHigh[32] = {
      0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0161,
      0x2039, 0x0153, 0x008D, 0x017E, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x00FF};
  std::array<std::uint16_t, 256> keys{};
  for (unsigned c = 0; c < 256; ++c) {
    std::uint16_t point = static_cast<std::uint16_t>(c);
    if (c >= 'A' && c <= 'Z') point = static_cast<std::uint16_t>(c + 32);
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) point = static_cast<std::uint16_t>(c + 32);
    if (c >= 0x80 && c < 0xA0) point = kHigh[c - 0x80];  // Š Œ Ž Ÿ already lower-cased
    keys[c] = point;
  }
  return keys;
}

const std::array<std::uint16_t, 256> kSortKeys = MakeSortKeys();

// Names reach advapi32 as C strings: everything after a zero byte is lost.
std::string CName(const std::string& name) { return std::string(name.c_str()); }

}  // namespace

// Names in registry order, with O(log n) lookup by name and by index: a
// listing asks for entry 0, 1, 2 ... and must not walk from the front each
// time.
template <class T>
using NameTree = __gnu_pbds::tree<std::string, T, RegistryNameLess, __gnu_pbds::rb_tree_tag,
                                  __gnu_pbds::tree_order_statistics_node_update>;

struct RegistryValue {
  std::string name;
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;
};

struct MemoryRegistry::Node {
  std::string name;
  Node* parent = nullptr;
  bool deleted = false;
  std::uint32_t granted = 0xFFFFFFFFu;
  NameTree<std::shared_ptr<Node>> subkeys;
  NameTree<RegistryValue> values;
  std::uint64_t lastWriteTime = 0;
};

bool RegistryNameLess::operator()(const std::string& a, const std::string& b) const {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const auto ka = kSortKeys[static_cast<unsigned char>(a[i])];
    const auto kb = kSortKeys[static_cast<unsigned char>(b[i])];
    if (ka != kb) return ka < kb;
  }
  return a.size() < b.size();
}

MemoryRegistry::MemoryRegistry() = default;
MemoryRegistry::~MemoryRegistry() = default;

long MemoryRegistry::Resolve(RegKey key, std::shared_ptr<Node>* node, std::uint32_t* access) {
  ++calls_;
  if (IsRootKey(key)) {
    auto& root = roots_[key];
    if (!root) root = std::make_shared<Node>();
    *node = root;
    if (access) *access = 0xFFFFFFFFu;
    return kErrorSuccess;
  }
  const auto it = handles_.find(key);
  if (it == handles_.end()) return kErrorInvalidHandle;
  if (it->second.node->deleted) return kErrorKeyDeleted;
  *node = it->second.node;
  if (access) *access = it->second.access;
  return kErrorSuccess;
}

RegKey MemoryRegistry::NewHandle(std::shared_ptr<Node> node, std::uint32_t access) {
  const RegKey handle = nextHandle_;
  nextHandle_ += 4;
  handles_.emplace(handle, Handle{std::move(node), access});
  return handle;
}

void MemoryRegistry::Touch(Node& node) { node.lastWriteTime = ++clock_; }

long MemoryRegistry::Walk(const std::shared_ptr<Node>& start, const std::string& path, bool create,
                          std::shared_ptr<Node>* found, bool* created) {
  if (!path.empty() && path.front() == '\\') return kErrorBadPathname;
  std::shared_ptr<Node> node = start;
  std::size_t pos = 0;
  while (pos <= path.size()) {
    std::size_t end = path.find('\\', pos);
    if (end == std::string::npos) end = path.size();
    // Doubled and trailing backslashes name no extra level.
    if (end > pos) {
      const std::string name = path.substr(pos, end - pos);
      auto it = node->subkeys.find(name);
      if (it == node->subkeys.end()) {
        if (!create) return kErrorFileNotFound;
        if (name.size() > kMaxKeyName) return kErrorInvalidParameter;
        auto child = std::make_shared<Node>();
        child->name = name;
        child->parent = node.get();
        Touch(*child);
        Touch(*node);
        it = node->subkeys.insert({name, std::move(child)}).first;
        if (created) *created = true;
      }
      node = it->second;
    }
    pos = end + 1;
  }
  *found = std::move(node);
  return kErrorSuccess;
}

long MemoryRegistry::OpenKey(RegKey parent, const std::string& subkey, RegKey* result) {
  std::shared_ptr<Node> start;
  if (long r = Resolve(parent, &start, nullptr)) return r;
  std::shared_ptr<Node> node;
  if (long r = Walk(start, CName(subkey), false, &node, nullptr)) return r;
  // The default rights: whatever the key grants.
  *result = NewHandle(node, node->granted);
  return kErrorSuccess;
}

long MemoryRegistry::OpenKeyEx(RegKey parent, const std::string& subkey, std::uint32_t access,
                               RegKey* result) {
  std::shared_ptr<Node> start;
  if (long r = Resolve(parent, &start, nullptr)) return r;
  std::shared_ptr<Node> node;
  if (long r = Walk(start, CName(subkey), false, &node, nullptr)) return r;
  if (access & ~node->granted) return kErrorAccessDenied;
  *result = NewHandle(node, access);
  return kErrorSuccess;
}

long MemoryRegistry::CreateKeyEx(RegKey parent, const std::string& subkey, std::uint32_t access,
                                 RegKey* result, std::uint32_t* disposition) {
  std::shared_ptr<Node> start;
  if (long r = Resolve(parent, &start, nullptr)) return r;
  const std::string path = CName(subkey);
  // Refuse before creating anything: a create that cannot open the key it
  // made must not leave keys behind. Walk without creating first.
  std::shared_ptr<Node> node;
  long r = Walk(start, path, false, &node, nullptr);
  if (r == kErrorSuccess) {
    if (access & ~node->granted) return kErrorAccessDenied;
    *result = NewHandle(node, access);
    if (disposition) *disposition = 2;
    return kErrorSuccess;
  }
  if (r != kErrorFileNotFound) return r;
  // The deepest existing key must allow creating subkeys.
  {
    std::shared_ptr<Node> deepest = start;
    std::size_t pos = 0;
    while (pos < path.size()) {
      std::size_t end = path.find('\\', pos);
      if (end == std::string::npos) end = path.size();
      if (end > pos) {
        auto it = deepest->subkeys.find(path.substr(pos, end - pos));
        if (it == deepest->subkeys.end()) break;
        deepest = it->second;
      }
      pos = end + 1;
    }
    if (!(deepest->granted & kKeyCreateSubKey)) return kErrorAccessDenied;
    for (std::size_t p = 0; p <= path.size();) {
      std::size_t end = path.find('\\', p);
      if (end == std::string::npos) end = path.size();
      if (end - p > kMaxKeyName) return kErrorInvalidParameter;
      p = end + 1;
    }
  }
  bool created = false;
  if ((r = Walk(start, path, true, &node, &created))) return r;
  *result = NewHandle(node, access);
  if (disposition) *disposition = created ? 1 : 2;
  return kErrorSuccess;
}

long MemoryRegistry::QueryInfoKey(RegKey key, KeyInfo* info) {
  std::shared_ptr<Node> node;
  std::uint32_t access = 0;
  if (long r = Resolve(key, &node, &access)) return r;
  if (!(access & kKeyQueryValue)) return kErrorAccessDenied;
  KeyInfo facts;
  facts.subkeyCount = static_cast<std::uint32_t>(node->subkeys.size());
  facts.valueCount = static_cast<std::uint32_t>(node->values.size());
  for (const auto& [name, child] : node->subkeys) {
    facts.longestSubkeyName =
        std::max(facts.longestSubkeyName, static_cast<std::uint32_t>(child->name.size()));
  }
  for (const auto& [name, value] : node->values) {
    facts.longestValueName =
        std::max(facts.longestValueName, static_cast<std::uint32_t>(value.name.size()));
    facts.longestData = std::max(facts.longestData, static_cast<std::uint32_t>(value.data.size()));
  }
  facts.lastWriteTime = node->lastWriteTime;
  *info = facts;
  return kErrorSuccess;
}

long MemoryRegistry::EnumKey(RegKey key, std::uint32_t index, char* name,
                             std::uint32_t* nameLength) {
  std::shared_ptr<Node> node;
  std::uint32_t access = 0;
  if (long r = Resolve(key, &node, &access)) return r;
  if (!(access & kKeyEnumerateSubKeys)) return kErrorAccessDenied;
  if (index >= node->subkeys.size()) return kErrorNoMoreItems;
  const auto it = node->subkeys.find_by_order(index);
  const std::string& found = it->second->name;
  if (!name || !nameLength) return kErrorInvalidParameter;
  if (found.size() >= *nameLength) return kErrorMoreData;
  std::memcpy(name, found.c_str(), found.size() + 1);
  *nameLength = static_cast<std::uint32_t>(found.size());
  return kErrorSuccess;
}

long MemoryRegistry::EnumValue(RegKey key, std::uint32_t index, char* name,
                               std::uint32_t* nameLength, std::uint32_t* type, std::uint8_t* data,
                               std::uint32_t* dataSize) {
  std::shared_ptr<Node> node;
  std::uint32_t access = 0;
  if (long r = Resolve(key, &node, &access)) return r;
  if (!(access & kKeyQueryValue)) return kErrorAccessDenied;
  if (index >= node->values.size()) return kErrorNoMoreItems;
  const auto it = node->values.find_by_order(index);
  const RegistryValue& value = it->second;
  if (!name || !nameLength) return kErrorInvalidParameter;
  if (data && !dataSize) return kErrorInvalidParameter;
  if (value.name.size() >= *nameLength) return kErrorMoreData;
  if (data && *dataSize < value.data.size()) {
    *dataSize = static_cast<std::uint32_t>(value.data.size());
    return kErrorMoreData;
  }
  std::memcpy(name, value.name.c_str(), value.name.size() + 1);
  *nameLength = static_cast<std::uint32_t>(value.name.size());
  if (type) *type = value.type;
  if (data && !value.data.empty()) std::memcpy(data, value.data.data(), value.data.size());
  if (dataSize) *dataSize = static_cast<std::uint32_t>(value.data.size());
  return kErrorSuccess;
}

long MemoryRegistry::QueryValue(RegKey key, const std::string& name, std::uint32_t* type,
                                std::uint8_t* data, std::uint32_t* dataSize) {
  std::shared_ptr<Node> node;
  std::uint32_t access = 0;
  if (long r = Resolve(key, &node, &access)) return r;
  if (!(access & kKeyQueryValue)) return kErrorAccessDenied;
  if (data && !dataSize) return kErrorInvalidParameter;
  const auto it = node->values.find(CName(name));
  if (it == node->values.end()) return kErrorFileNotFound;
  const RegistryValue& value = it->second;
  if (type) *type = value.type;
  if (data && *dataSize < value.data.size()) {
    *dataSize = static_cast<std::uint32_t>(value.data.size());
    return kErrorMoreData;
  }
  if (data && !value.data.empty()) std::memcpy(data, value.data.data(), value.data.size());
  if (dataSize) *dataSize = static_cast<std::uint32_t>(value.data.size());
  return kErrorSuccess;
}

long MemoryRegistry::SetValue(RegKey key, const std::string& name, std::uint32_t type,
                              const std::uint8_t* data, std::uint32_t size) {
  std::shared_ptr<Node> node;
  std::uint32_t access = 0;
  if (long r = Resolve(key, &node, &access)) return r;
  if (!(access & kKeySetValue)) return kErrorAccessDenied;
  const std::string valueName = CName(name);
  if (valueName.size() > kMaxValueName) return kErrorInvalidParameter;
  if (size > 0 && !data) return kErrorInvalidParameter;
  RegistryValue& value = node->values[valueName];
  value.name = valueName;
  value.type = type;
  value.data.assign(data, data + size);
  Touch(*node);
  return kErrorSuccess;
}

long MemoryRegistry::DeleteValue(RegKey key, const std::string& name) {
  std::shared_ptr<Node> node;
  std::uint32_t access = 0;
  if (long r = Resolve(key, &node, &access)) return r;
  if (!(access & kKeySetValue)) return kErrorAccessDenied;
  const auto it = node->values.find(CName(name));
  if (it == node->values.end()) return kErrorFileNotFound;
  node->values.erase(it);
  Touch(*node);
  return kErrorSuccess;
}

long MemoryRegistry::DeleteKey(RegKey parent, const std::string& subkey) {
  std::shared_ptr<Node> start;
  if (long r = Resolve(parent, &start, nullptr)) return r;
  std::shared_ptr<Node> node;
  if (long r = Walk(start, CName(subkey), false, &node, nullptr)) return r;
  if (!node->parent) return kErrorAccessDenied;  // a root cannot go
  if (!(node->granted & kDeleteRight)) return kErrorAccessDenied;
  if (!node->subkeys.empty()) return kErrorAccessDenied;
  Node& owner = *node->parent;
  node->deleted = true;
  node->parent = nullptr;
  owner.subkeys.erase(node->name);
  Touch(owner);
  return kErrorSuccess;
}

long MemoryRegistry::CloseKey(RegKey key) {
  ++calls_;
  if (IsRootKey(key)) return kErrorSuccess;
  return handles_.erase(key) ? kErrorSuccess : kErrorInvalidHandle;
}

void MemoryRegistry::RestrictAccess(RegKey root, const std::string& path, std::uint32_t granted) {
  std::shared_ptr<Node> start;
  Resolve(root, &start, nullptr);
  std::shared_ptr<Node> node;
  if (Walk(start, path, true, &node, nullptr) == kErrorSuccess) node->granted = granted;
}

}  // namespace veltrane
