#include "registry/win32_registry.h"

#include <windows.h>

#include <string_view>
#include <vector>

#include "registry/code_page.h"
#include "registry/unique_key.h"

namespace veltrane {
namespace {

HKEY ToHkey(RegKey key) { return reinterpret_cast<HKEY>(key); }
RegKey FromHkey(HKEY key) { return reinterpret_cast<RegKey>(key); }

static_assert(sizeof(DWORD) == sizeof(std::uint32_t));

// Wine's 8-bit calls take a path of at most 260 characters and refuse a
// longer one with 234, where Windows takes it. Such a path is walked in
// pieces that fit, so that deep keys are not lost to the export or the
// cleaner.
constexpr std::size_t kLongestPath = 260;

bool IsStringType(std::uint32_t type) {
  return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

bool NeedsPieces(long result, const std::string& path) {
  return result == ERROR_MORE_DATA && path.size() > kLongestPath;
}

// A key this backend opened on its own way to another one.
class PieceKey {
 public:
  explicit PieceKey(HKEY key) : key_(key) {}
  ~PieceKey() {
    if (owned_) RegCloseKey(key_);
  }
  PieceKey(const PieceKey&) = delete;
  PieceKey& operator=(const PieceKey&) = delete;

  HKEY Get() const { return key_; }
  void Replace(HKEY key) {
    if (owned_) RegCloseKey(key_);
    key_ = key;
    owned_ = true;
  }

 private:
  HKEY key_;
  bool owned_ = false;
};

// The last backslash within the first 260 characters of `path`. In a
// double-byte code page a character's second byte may be a backslash, and
// the limit counts characters, not bytes.
std::size_t LastCut(std::string_view path) {
  std::size_t cut = std::string_view::npos;
  for (std::size_t i = 0, characters = 0; i < path.size() && characters <= kLongestPath;
       i += CharacterSize(path.substr(i)), ++characters) {
    if (path[i] == '\\') cut = i;
  }
  return cut;
}

// Opens (or creates) the leading pieces of `path` below `parent` until
// what is left fits in one call; `*rest` is that remainder.
LONG WalkLeadingPieces(PieceKey& key, const std::string& path, REGSAM access, bool create,
                       std::string* rest) {
  std::string_view left = path;
  while (CharacterCount(left) > kLongestPath) {
    const std::size_t cut = LastCut(left);
    // No backslash early enough: a single name longer than any key name.
    if (cut == std::string_view::npos || cut == 0) return ERROR_INVALID_PARAMETER;
    const std::string piece(left.substr(0, cut));
    HKEY next = nullptr;
    const LONG r = create
                       ? RegCreateKeyExA(key.Get(), piece.c_str(), 0, nullptr,
                                         REG_OPTION_NON_VOLATILE, access, nullptr, &next, nullptr)
                       : RegOpenKeyExA(key.Get(), piece.c_str(), 0, access, &next);
    if (r != ERROR_SUCCESS) return r;
    key.Replace(next);
    left.remove_prefix(cut);
    while (!left.empty() && left.front() == '\\') left.remove_prefix(1);
  }
  *rest = std::string(left);
  return ERROR_SUCCESS;
}

// Makes `call(start, path)` once with the whole path; when Wine refuses it
// for its length, again from the key its leading pieces lead to (walked
// with `walkAccess`, created on the way when `create`), with the rest.
template <typename Call>
LONG InPieces(RegKey parent, const std::string& path, REGSAM walkAccess, bool create, Call call) {
  const LONG r = call(ToHkey(parent), path.c_str());
  if (!NeedsPieces(r, path)) return r;
  PieceKey start(ToHkey(parent));
  std::string rest;
  if (const LONG walked = WalkLeadingPieces(start, path, walkAccess, create, &rest)) return walked;
  return call(start.Get(), rest.c_str());
}

}  // namespace

long Win32Registry::OpenKey(RegKey parent, const std::string& subkey, RegKey* result) {
  HKEY key = nullptr;
  const LONG r =
      InPieces(parent, subkey, MAXIMUM_ALLOWED, false, [&](HKEY start, const char* path) {
        // After a walk in pieces the rest is opened with the rights RegOpenKeyA
        // asks for, as a new handle.
        return start == ToHkey(parent) ? RegOpenKeyA(start, path, &key)
                                       : RegOpenKeyExA(start, path, 0, MAXIMUM_ALLOWED, &key);
      });
  if (r == ERROR_SUCCESS) *result = FromHkey(key);
  return r;
}

long Win32Registry::OpenKeyEx(RegKey parent, const std::string& subkey, std::uint32_t access,
                              RegKey* result) {
  HKEY key = nullptr;
  const LONG r = InPieces(
      parent, subkey, MAXIMUM_ALLOWED, false,
      [&](HKEY start, const char* path) { return RegOpenKeyExA(start, path, 0, access, &key); });
  if (r == ERROR_SUCCESS) *result = FromHkey(key);
  return r;
}

long Win32Registry::CreateKeyEx(RegKey parent, const std::string& subkey, std::uint32_t access,
                                RegKey* result, std::uint32_t* disposition) {
  HKEY key = nullptr;
  DWORD how = 0;
  const LONG r = InPieces(parent, subkey, access, true, [&](HKEY start, const char* path) {
    return RegCreateKeyExA(start, path, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &key,
                           &how);
  });
  if (r == ERROR_SUCCESS) {
    *result = FromHkey(key);
    if (disposition) *disposition = how;
  }
  return r;
}

long Win32Registry::QueryInfoKey(RegKey key, KeyInfo* info) {
  DWORD subkeys = 0, longestSubkey = 0, values = 0, longestValue = 0, longestData = 0;
  FILETIME written{};
  const LONG r = RegQueryInfoKeyA(ToHkey(key), nullptr, nullptr, nullptr, &subkeys, &longestSubkey,
                                  nullptr, &values, &longestValue, &longestData, nullptr, &written);
  if (r == ERROR_SUCCESS) {
    info->subkeyCount = subkeys;
    info->longestSubkeyName = longestSubkey;
    info->valueCount = values;
    info->longestValueName = longestValue;
    info->longestData = longestData;
    info->lastWriteTime =
        (static_cast<std::uint64_t>(written.dwHighDateTime) << 32) | written.dwLowDateTime;
  }
  return r;
}

long Win32Registry::EnumKey(RegKey key, std::uint32_t index, char* name,
                            std::uint32_t* nameLength) {
  return RegEnumKeyExA(ToHkey(key), index, name, reinterpret_cast<DWORD*>(nameLength), nullptr,
                       nullptr, nullptr, nullptr);
}

long Win32Registry::EnumValue(RegKey key, std::uint32_t index, char* name,
                              std::uint32_t* nameLength, std::uint32_t* type, std::uint8_t* data,
                              std::uint32_t* dataSize) {
  return RegEnumValueA(ToHkey(key), index, name, reinterpret_cast<DWORD*>(nameLength), nullptr,
                       reinterpret_cast<DWORD*>(type), data, reinterpret_cast<DWORD*>(dataSize));
}

long Win32Registry::QueryValue(RegKey key, const std::string& name, std::uint32_t* type,
                               std::uint8_t* data, std::uint32_t* dataSize) {
  return RegQueryValueExA(ToHkey(key), name.c_str(), nullptr, reinterpret_cast<DWORD*>(type), data,
                          reinterpret_cast<DWORD*>(dataSize));
}

long Win32Registry::SetValue(RegKey key, const std::string& name, std::uint32_t type,
                             const std::uint8_t* data, std::uint32_t size) {
  if (IsStringType(type) && data && size > 0 && data[size - 1] != 0) {
    // advapi32 reads one byte past string data that lacks its terminating
    // zero, and stores that byte too when it is a zero. Hand it a copy
    // whose next byte is not, so exactly `size` bytes are stored and
    // nothing past the caller's buffer is read.
    std::vector<std::uint8_t> copy(data, data + size);
    copy.push_back(1);
    return RegSetValueExA(ToHkey(key), name.c_str(), 0, type, copy.data(), size);
  }
  return RegSetValueExA(ToHkey(key), name.c_str(), 0, type, data, size);
}

long Win32Registry::DeleteValue(RegKey key, const std::string& name) {
  return RegDeleteValueA(ToHkey(key), name.c_str());
}

long Win32Registry::DeleteKey(RegKey parent, const std::string& subkey) {
  LONG r = RegDeleteKeyA(ToHkey(parent), subkey.c_str());
  if (NeedsPieces(r, subkey)) {
    // Open the key above the one to delete, then delete it by its name.
    std::string_view path = subkey;
    while (!path.empty() && path.back() == '\\') path.remove_suffix(1);
    const std::size_t cut = path.rfind('\\');
    if (cut == std::string_view::npos) return ERROR_INVALID_PARAMETER;
    RegKey above = 0;
    r = static_cast<LONG>(
        OpenKeyEx(parent, std::string(path.substr(0, cut)), MAXIMUM_ALLOWED, &above));
    if (r != ERROR_SUCCESS) return r;
    const UniqueKey owned(*this, above);
    r = RegDeleteKeyA(ToHkey(owned.get()), std::string(path.substr(cut + 1)).c_str());
  }
  return r;
}

long Win32Registry::CloseKey(RegKey key) { return RegCloseKey(ToHkey(key)); }

}  // namespace veltrane
