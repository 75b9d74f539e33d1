#include "registry/tregistry.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

#include "base/text.h"

namespace veltrane {
namespace {

std::string Quoted(const char* format, const std::string& name) {
  // The three messages all have the shape "<words> '%s'".
  std::string message = format;
  const auto at = message.find("%s");
  message.replace(at, 2, name);
  return message;
}

[[noreturn]] void RaiseFailedToGet(const std::string& name) {
  throw ERegistryException(Quoted("Failed to get data for '%s'", name));
}
[[noreturn]] void RaiseInvalidType(const std::string& name) {
  throw ERegistryException(Quoted("Invalid data type for '%s'", name));
}
[[noreturn]] void RaiseFailedToSet(const std::string& name) {
  throw ERegistryException(Quoted("Failed to set data for '%s'", name));
}

// The bytes of the longest name the registry takes, with its terminating
// zero: a listing grows its buffer up to this when a name does not fit.
std::size_t LongestName() { return kMaxValueNameLength * MostBytesPerUnit() + 1; }

// The name buffer for names of `longest` characters, as the key query
// reports them, each of which may take several bytes here (three in UTF-8):
// counted in size_t, so a length of 0xFFFFFFFF cannot wrap to an empty
// buffer, and never more than the longest name the registry takes.
std::string NameBuffer(std::uint32_t longest) {
  return std::string(
      std::min<std::size_t>(std::size_t{longest} * MostBytesPerUnit(), LongestName() - 1) + 1,
      '\0');
}

// Enumerates the subkey or value name at `index` into `buffer`. A name
// longer than the key query said (one added since) grows the buffer rather
// than being lost. On success `*length` is the name's length.
long EnumName(RegistryApi& api, RegKey key, std::uint32_t index, bool subkey, std::string& buffer,
              std::uint32_t* length) {
  for (;;) {
    *length = static_cast<std::uint32_t>(buffer.size());
    const long result =
        subkey ? api.EnumKey(key, index, buffer.data(), length)
               : api.EnumValue(key, index, buffer.data(), length, nullptr, nullptr, nullptr);
    if (result != kErrorMoreData || buffer.size() >= LongestName()) return result;
    buffer.assign(std::min(std::max<std::size_t>(buffer.size(), 1) * 2, LongestName()), '\0');
  }
}

}  // namespace

TRegDataType KindOfType(std::uint32_t type) {
  switch (type) {
    case kRegSz: return vkString;
    case kRegExpandSz: return vkExpandString;
    case kRegDword: return vkInteger;
    case kRegBinary: return vkBinary;
    default: return vkUnknown;
  }
}

std::uint32_t TypeOfKind(TRegDataType kind) {
  switch (kind) {
    case vkString: return kRegSz;
    case vkExpandString: return kRegExpandSz;
    case vkInteger: return kRegDword;
    case vkBinary: return kRegBinary;
    default: return kRegNone;
  }
}

TRegistry::TRegistry(RegistryApi& api) : api_(api) { SelectRoot(kHkeyCurrentUser); }

TRegistry::TRegistry(RegistryApi& api, std::uint32_t accessMask) : TRegistry(api) {
  accessMask_ = accessMask;
}

TRegistry::~TRegistry() { ClosePath(); }

void TRegistry::SelectRoot(RegKey root) {
  if (root == rootHandle_) return;
  rootHandle_ = root;
  ClosePath();
}

TRegistry::Target TRegistry::Resolve(const std::string& path) const {
  if (!path.empty() && path.front() == '\\') return {rootHandle_, path.substr(1), false};
  return {openHandle_ ? openHandle_.get() : rootHandle_, path, bool(openHandle_)};
}

bool TRegistry::OpenPath(const std::string& path, bool create) {
  const Target target = Resolve(path);
  RegKey key = 0;
  long result;
  if (create && !target.path.empty()) {
    result = api_.CreateKeyEx(target.start, target.path, accessMask_, &key, nullptr);
  } else {
    result = api_.OpenKeyEx(target.start, target.path, accessMask_, &key);
  }
  lastError_ = result;
  if (result != kErrorSuccess) return false;
  UniqueKey opened(api_, key);
  std::string newPath = target.relativeToOpenKey ? openKeyPath_ + "\\" + target.path : target.path;
  ClosePath();
  openHandle_ = std::move(opened);
  openKeyPath_ = std::move(newPath);
  return true;
}

void TRegistry::ClosePath() {
  if (!openHandle_) return;
  openHandle_.reset();
  openKeyPath_.clear();
}

bool TRegistry::QueryKeyFacts(KeyInfo& facts) {
  facts = KeyInfo{};
  if (!openHandle_) return false;
  return api_.QueryInfoKey(openHandle_.get(), &facts) == kErrorSuccess;
}

void TRegistry::List(TextList& list, bool subkeys, bool withBlank) {
  list.clear();
  listedEveryName_ = true;
  KeyInfo facts;
  if (!QueryKeyFacts(facts)) return;
  const std::uint32_t count = subkeys ? facts.subkeyCount : facts.valueCount;
  std::string buffer = NameBuffer(subkeys ? facts.longestSubkeyName : facts.longestValueName);
  list.reserve(count);
  for (std::uint32_t index = 0; index < count; ++index) {
    std::uint32_t length = 0;
    // An index that no longer enumerates (the key changed since the query)
    // adds nothing; nor does a name that would come out as something else.
    const long result = EnumName(api_, openHandle_.get(), index, subkeys, buffer, &length);
    if (result == kErrorNoUnicodeTranslation) listedEveryName_ = false;
    if (result != kErrorSuccess) continue;
    const std::size_t nameLength = std::min<std::size_t>(std::strlen(buffer.c_str()), length);
    std::string line;
    line.reserve(nameLength + 1);
    if (withBlank) line.push_back(' ');
    line.append(buffer.data(), nameLength);
    list.push_back(std::move(line));
  }
}

void TRegistry::ListSubkeys(TextList& list) { List(list, true, true); }
void TRegistry::ListValues(TextList& list) { List(list, false, true); }
void TRegistry::ListSubkeyNames(TextList& list) { List(list, true, false); }
void TRegistry::ListValueNames(TextList& list) { List(list, false, false); }

bool TRegistry::QueryValueFacts(const std::string& name, std::uint32_t& type, std::uint32_t& size) {
  type = 0;
  size = 0;
  if (!openHandle_) return false;
  return api_.QueryValue(openHandle_.get(), name, &type, nullptr, &size) == kErrorSuccess;
}

TRegDataType TRegistry::ValueKind(const std::string& name) {
  std::uint32_t type, size;
  return QueryValueFacts(name, type, size) ? KindOfType(type) : vkUnknown;
}

std::int64_t TRegistry::ValueSize(const std::string& name) {
  std::uint32_t type, size;
  return QueryValueFacts(name, type, size) ? static_cast<std::int64_t>(size) : -1;
}

std::string TRegistry::ReadText(const std::string& name) {
  const std::int64_t size = ValueSize(name);
  if (size <= 0) return {};
  std::string buffer(static_cast<std::size_t>(size), '\0');
  std::uint32_t type = 0;
  std::uint32_t length = static_cast<std::uint32_t>(size);
  if (api_.QueryValue(openHandle_.get(), name, &type,
                      reinterpret_cast<std::uint8_t*>(buffer.data()), &length) != kErrorSuccess) {
    RaiseFailedToGet(name);
  }
  const TRegDataType kind = KindOfType(type);
  if (kind != vkString && kind != vkExpandString) RaiseInvalidType(name);
  buffer.resize(std::min<std::size_t>(length, buffer.size()));
  buffer.resize(buffer.find('\0') == std::string::npos ? buffer.size() : buffer.find('\0'));
  return buffer;
}

std::int32_t TRegistry::ReadNumber(const std::string& name) {
  std::uint8_t bytes[4] = {0, 0, 0, 0};
  std::uint32_t type = 0;
  std::uint32_t length = sizeof bytes;
  if (!openHandle_ ||
      api_.QueryValue(openHandle_.get(), name, &type, bytes, &length) != kErrorSuccess) {
    RaiseFailedToGet(name);
  }
  if (KindOfType(type) != vkInteger) RaiseInvalidType(name);
  // Little-endian, as the machine stores it; missing bytes stay zero.
  const std::uint32_t value =
      static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
      static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
  return static_cast<std::int32_t>(value);
}

std::int64_t TRegistry::ReadBytes(const std::string& name, void* buffer, std::int64_t capacity) {
  std::uint32_t type, size;
  if (!QueryValueFacts(name, type, size)) return 0;
  const TRegDataType kind = KindOfType(type);
  if ((kind != vkBinary && kind != vkUnknown) || capacity < static_cast<std::int64_t>(size)) {
    RaiseInvalidType(name);
  }
  std::uint32_t length = size;
  if (size > 0 && api_.QueryValue(openHandle_.get(), name, &type,
                                  static_cast<std::uint8_t*>(buffer), &length) != kErrorSuccess) {
    RaiseFailedToGet(name);
  }
  return size;
}

void TRegistry::PutValue(const std::string& name, const void* data, std::uint32_t size,
                         TRegDataType kind) {
  if (!openHandle_ ||
      api_.SetValue(openHandle_.get(), name, TypeOfKind(kind),
                    static_cast<const std::uint8_t*>(data), size) != kErrorSuccess) {
    RaiseFailedToSet(name);
  }
}

void TRegistry::PutText(const std::string& name, const std::string& text, TRegDataType kind) {
  // The whole text and its terminating zero; a zero inside the text is
  // stored as it is.
  if (text.size() >= std::numeric_limits<std::uint32_t>::max()) RaiseFailedToSet(name);
  PutValue(name, text.c_str(), static_cast<std::uint32_t>(text.size() + 1), kind);
}

void TRegistry::WriteText(const std::string& name, const std::string& text) {
  PutText(name, text, vkString);
}

void TRegistry::WriteExpandText(const std::string& name, const std::string& text) {
  PutText(name, text, vkExpandString);
}

void TRegistry::WriteNumber(const std::string& name, std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  const std::uint8_t bytes[4] = {
      static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
      static_cast<std::uint8_t>(bits >> 16), static_cast<std::uint8_t>(bits >> 24)};
  PutValue(name, bytes, sizeof bytes, vkInteger);
}

void TRegistry::WriteBytes(const std::string& name, const void* data, std::int64_t count) {
  if (count < 0 || count > std::numeric_limits<std::uint32_t>::max()) RaiseFailedToSet(name);
  PutValue(name, data, static_cast<std::uint32_t>(count), vkBinary);
}

bool TRegistry::RemoveValue(const std::string& name) {
  return openHandle_ && api_.DeleteValue(openHandle_.get(), name) == kErrorSuccess;
}

bool TRegistry::RemoveKey(const std::string& path) {
  const Target target = Resolve(path);
  // An empty path would name the start key itself, a root or the open key:
  // never what a caller deleting "a key" by name means, and too much to lose.
  if (target.path.empty()) return false;
  return RemoveKeyFrom(target.start, target.path);
}

bool TRegistry::RemoveKeyFrom(RegKey start, const std::string& path) {
  // One level of the tree on its way out: the key (when it opened), what
  // its path is relative to, and the subkeys still to visit, from the last
  // index down. The levels live here rather than on the call stack, so a
  // chain of any depth goes.
  struct Level {
    RegKey start;
    std::string path;
    UniqueKey key;
    std::string buffer;
    std::uint32_t unvisited = 0;
  };
  std::vector<Level> levels;
  const auto enter = [&](RegKey from, std::string name) {
    Level level{from, std::move(name), {}, {}, 0};
    RegKey key = 0;
    if (api_.OpenKeyEx(from, level.path, accessMask_, &key) == kErrorSuccess) {
      level.key = UniqueKey(api_, key);
      KeyInfo facts;
      if (api_.QueryInfoKey(key, &facts) == kErrorSuccess) {
        level.buffer = NameBuffer(facts.longestSubkeyName);
        level.unvisited = facts.subkeyCount;
      }
    }
    levels.push_back(std::move(level));
  };

  enter(start, path);
  bool deleted = false;
  while (!levels.empty()) {
    Level& level = levels.back();
    if (level.unvisited > 0) {
      // Subkeys go first, the last-enumerated first, each by its name
      // relative to the key being deleted. One that fails to enumerate is
      // passed over, and then the key itself cannot go.
      std::uint32_t length = 0;
      if (EnumName(api_, level.key.get(), --level.unvisited, true, level.buffer, &length) ==
          kErrorSuccess) {
        enter(level.key.get(), std::string(level.buffer.data(), length));
      }
      continue;
    }
    level.key.reset();
    deleted = api_.DeleteKey(level.start, level.path) == kErrorSuccess;
    levels.pop_back();
  }
  // The last deletion was the key itself.
  return deleted;
}

long EnumValueWithData(RegistryApi& api, RegKey key, std::uint32_t index, std::vector<char>& name,
                       std::vector<std::uint8_t>& data, EnumeratedValue& value) {
  // The longest value name in bytes: up to three a character in UTF-8.
  const std::size_t longestNameBytes = kMaxValueNameLength * MostBytesPerUnit() + 2;
  if (name.empty()) name.resize(256);
  if (data.empty()) data.resize(256);
  long result = kErrorMoreData;
  for (int attempt = 0; attempt < 8 && result == kErrorMoreData; ++attempt) {
    value.nameLength = static_cast<std::uint32_t>(name.size());
    value.size = static_cast<std::uint32_t>(data.size());
    result = api.EnumValue(key, index, name.data(), &value.nameLength, &value.type, data.data(),
                           &value.size);
    if (result != kErrorMoreData) break;
    if (value.size > data.size()) {
      data.resize(value.size);
    } else if (name.size() < longestNameBytes) {
      name.resize(longestNameBytes);
    } else {
      data.resize(data.size() * 2);
    }
  }
  return result;
}

std::string QueryValueText(RegistryApi& api, RegKey root, const std::string& path,
                           const std::string& name, long* outcome) {
  long ignored = 0;
  long& result = outcome ? *outcome : ignored;
  RegKey key = 0;
  result = api.OpenKey(root, path, &key);
  if (result != kErrorSuccess) return {};
  // An empty path gives back the root itself, which is not ours to close.
  const UniqueKey owned = key != root ? UniqueKey(api, key) : UniqueKey();
  std::uint8_t buffer[256];
  std::uint32_t size = sizeof buffer;
  result = api.QueryValue(key, name, nullptr, buffer, &size);
  if (result != kErrorSuccess || size == 0) return {};
  return std::string(reinterpret_cast<const char*>(buffer), size - 1);
}

std::string RemoveAll(const std::string& pattern, const std::string& text) {
  std::string result = text;
  if (pattern.empty()) return result;
  // An occurrence formed by a removal can start at most pattern.size() - 1
  // bytes before the cut, so the search resumes there instead of at 0.
  std::size_t from = 0;
  for (;;) {
    const std::size_t at = result.find(pattern, from);
    if (at == std::string::npos) return result;
    result.erase(at, pattern.size());
    from = at >= pattern.size() - 1 ? at - (pattern.size() - 1) : 0;
  }
}

std::string ReadSystemDriveRoot(RegistryApi& api) {
  const std::string systemRoot = QueryValueText(
      api, kHkeyLocalMachine, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "SystemRoot");
  return RemoveAll("WINDOWS", systemRoot);
}

unsigned ReadAnsiCodePage(RegistryApi& api) {
  const std::string text = QueryValueText(
      api, kHkeyLocalMachine, "SYSTEM\\CurrentControlSet\\Control\\Nls\\CodePage", "ACP");
  unsigned codePage = 0;
  for (const char c : text) {
    if (c < '0' || c > '9' || codePage > 99999) return kWesternCodePage;
    codePage = codePage * 10 + static_cast<unsigned>(c - '0');
  }
  return codePage == 0 ? kWesternCodePage : codePage;
}

}  // namespace veltrane
