// TRegistry: one object serves one task. Create it, pick a root, open one
// key at a time by path, list, read, write or delete in it, destroy it.
// Each operation's failure result is stated beside it.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "registry/registry_api.h"
#include "registry/unique_key.h"

namespace veltrane {

// A list of text lines: the program's working lists.
using TextList = std::vector<std::string>;

// Value kinds. The numbers matter: 0 asks the writer to look the kind up,
// and vkInteger/vkBinary are deliberately not the REG_DWORD/REG_BINARY
// type numbers.
enum TRegDataType : int {
  vkUnknown = 0,
  vkString = 1,
  vkExpandString = 2,
  vkInteger = 3,
  vkBinary = 4,
};

// Maps a registry type number to the kind it reads as, and back.
TRegDataType KindOfType(std::uint32_t type);
std::uint32_t TypeOfKind(TRegDataType kind);

class ERegistryException : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TRegistry {
 public:
  // Root HKEY_CURRENT_USER, access 0xF003F.
  explicit TRegistry(RegistryApi& api);
  TRegistry(RegistryApi& api, std::uint32_t accessMask);
  ~TRegistry();
  TRegistry(const TRegistry&) = delete;
  TRegistry& operator=(const TRegistry&) = delete;

  RegKey OpenHandle() const { return openHandle_.get(); }
  RegKey RootHandle() const { return rootHandle_; }
  const std::string& OpenKeyPath() const { return openKeyPath_; }
  std::uint32_t AccessMask() const { return accessMask_; }

  // A different root closes the open key; the same root changes nothing.
  void SelectRoot(RegKey root);
  // "\a\b" is taken from the root, "a\b" from the open key (or the root).
  // Failure: false, and the key that was open stays open.
  bool OpenPath(const std::string& path, bool create);
  // No key open: does nothing.
  void ClosePath();

  // Failure (no key open, query refused): the list comes back empty; an
  // index that no longer enumerates adds no line, and neither does a name
  // the program's code page cannot carry exactly (ListedEveryName then says
  // false). ListSubkeys/ListValues put one blank before each name; the
  // *Names forms give the bare names.
  void ListSubkeys(TextList& list);
  void ListValues(TextList& list);
  void ListSubkeyNames(TextList& list);
  void ListValueNames(TextList& list);
  // False when the last listing passed over a name for want of an exact
  // form in the program's code page.
  bool ListedEveryName() const { return listedEveryName_; }

  // Failure: vkUnknown.
  TRegDataType ValueKind(const std::string& name);
  // Failure: -1.
  std::int64_t ValueSize(const std::string& name);

  // Missing or empty value: "". Otherwise raises ERegistryException when
  // the read fails or the value is not a (expandable) string.
  std::string ReadText(const std::string& name);
  // Raises when the read fails (data over 4 bytes included) or the kind is
  // not vkInteger. Shorter data is padded with zero bytes.
  std::int32_t ReadNumber(const std::string& name);
  // Missing value: 0, buffer untouched. Raises when the kind is neither
  // binary nor unknown, the capacity is too small, or the read fails.
  std::int64_t ReadBytes(const std::string& name, void* buffer, std::int64_t capacity);

  // Raise "Failed to set data for '%s'" on any failure. The texts are
  // stored whole with their terminating zero.
  void WriteText(const std::string& name, const std::string& text);
  void WriteExpandText(const std::string& name, const std::string& text);
  void WriteNumber(const std::string& name, std::int32_t value);
  void WriteBytes(const std::string& name, const void* data, std::int64_t count);

  // Failure: false.
  bool RemoveValue(const std::string& name);
  // Deletes the key and everything below it, the last-enumerated subkey
  // first and depth first, the key itself last; a tree of any depth, with
  // no recursion. False when the key itself was not deleted, and for an
  // empty path (which would name the open key or the root itself).
  bool RemoveKey(const std::string& path);

  RegistryApi& Api() { return api_; }
  // The result code of the last open or create that OpenPath made.
  long LastError() const { return lastError_; }

 private:
  struct Target {
    RegKey start;
    std::string path;  // without the one leading backslash
    bool relativeToOpenKey;
  };
  Target Resolve(const std::string& path) const;
  bool QueryKeyFacts(KeyInfo& facts);
  void List(TextList& list, bool subkeys, bool withBlank);
  bool QueryValueFacts(const std::string& name, std::uint32_t& type, std::uint32_t& size);
  void PutValue(const std::string& name, const void* data, std::uint32_t size, TRegDataType kind);
  void PutText(const std::string& name, const std::string& text, TRegDataType kind);
  bool RemoveKeyFrom(RegKey start, const std::string& path);

  RegistryApi& api_;
  UniqueKey openHandle_;
  RegKey rootHandle_ = 0;
  std::string openKeyPath_;
  std::uint32_t accessMask_ = kKeyAllAccess;
  long lastError_ = kErrorSuccess;
  bool listedEveryName_ = true;
};

// One value of the open `key` with its data, read into `name` and `data`,
// which grow as needed (a name or data grown since the key query, a name
// of several bytes a character). On success `value` says how much of them it fills.
// Other results as RegEnumValueA gives them: 259 past the last value.
struct EnumeratedValue {
  std::uint32_t nameLength = 0, type = 0, size = 0;
};
long EnumValueWithData(RegistryApi& api, RegKey key, std::uint32_t index, std::vector<char>& name,
                       std::vector<std::uint8_t>& data, EnumeratedValue& value);

// Reads one value's data as text through a 256-byte buffer: the data less
// its last byte. Empty when the key or value cannot be read, or the data is
// longer than 256 bytes; `outcome`, when given, receives the result code of
// the failing call (1113 for a text the program's code page cannot carry),
// else 0. Opens the key afresh every time; raises nothing.
std::string QueryValueText(RegistryApi& api, RegKey root, const std::string& path,
                           const std::string& name, long* outcome = nullptr);

// Removes every occurrence of `pattern` from `text`, searching again from
// the start after each removal.
std::string RemoveAll(const std::string& pattern, const std::string& text);

// The system root with every "WINDOWS" removed; empty when unreadable.
std::string ReadSystemDriveRoot(RegistryApi& api);

// The system's ANSI code page, in which the registry editor reads and
// writes REGEDIT4 files (HKLM\SYSTEM\CurrentControlSet\Control\Nls\CodePage,
// value ACP): not the process code page, which the program's manifest makes
// UTF-8. Windows-1252 when the value cannot be read.
unsigned ReadAnsiCodePage(RegistryApi& api);

}  // namespace veltrane
