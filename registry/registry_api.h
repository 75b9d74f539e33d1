// The registry as the program sees it: the eleven advapi32 operations it
// uses, with C++ types but advapi32's result codes, answering as the 8-bit
// ("A") functions document it. Names and string data are texts of the
// process code page (UTF-8 under the program's manifest). Win32Registry
// calls the UTF-16 functions and converts itself; MemoryRegistry is a
// portable store that answers the same.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace veltrane {

// A key handle. Root keys carry the values Windows gives the predefined
// handles (0x80000000 .. 0x80000006, sign-extended as on 64-bit Windows), so
// the Win32 backend can pass handles through unchanged.
using RegKey = std::uintptr_t;

constexpr RegKey MakeRootKey(std::uint32_t value) {
  return static_cast<RegKey>(static_cast<std::intptr_t>(static_cast<std::int32_t>(value)));
}

inline constexpr RegKey kHkeyClassesRoot = MakeRootKey(0x80000000u);
inline constexpr RegKey kHkeyCurrentUser = MakeRootKey(0x80000001u);
inline constexpr RegKey kHkeyLocalMachine = MakeRootKey(0x80000002u);
inline constexpr RegKey kHkeyUsers = MakeRootKey(0x80000003u);
inline constexpr RegKey kHkeyPerformanceData = MakeRootKey(0x80000004u);
inline constexpr RegKey kHkeyCurrentConfig = MakeRootKey(0x80000005u);
inline constexpr RegKey kHkeyDynData = MakeRootKey(0x80000006u);

// True for the seven predefined handles.
constexpr bool IsRootKey(RegKey key) { return key >= kHkeyClassesRoot && key <= kHkeyDynData; }

// Result codes, as advapi32 gives them.
enum : long {
  kErrorSuccess = 0,
  kErrorFileNotFound = 2,
  kErrorAccessDenied = 5,
  kErrorInvalidHandle = 6,
  kErrorInvalidParameter = 87,
  kErrorBadPathname = 161,
  kErrorMoreData = 234,
  kErrorNoMoreItems = 259,
  kErrorKeyDeleted = 1018,
  kErrorNoUnicodeTranslation = 1113,
  kErrorCantWrite = 1013,
  kErrorNoAccess = 998,
};

// The longest names the registry takes, in characters.
inline constexpr std::size_t kMaxKeyNameLength = 255;
inline constexpr std::size_t kMaxValueNameLength = 16383;

// Registry value types.
enum : std::uint32_t {
  kRegNone = 0,
  kRegSz = 1,
  kRegExpandSz = 2,
  kRegBinary = 3,
  kRegDword = 4,
  kRegDwordBigEndian = 5,
  kRegLink = 6,
  kRegMultiSz = 7,
  kRegQword = 11,
};

// Access rights.
enum : std::uint32_t {
  kKeyQueryValue = 0x0001,
  kKeySetValue = 0x0002,
  kKeyCreateSubKey = 0x0004,
  kKeyEnumerateSubKeys = 0x0008,
  kKeyNotify = 0x0010,
  kKeyCreateLink = 0x0020,
  kKeyRead = 0x20019,
  kKeyWrite = 0x20006,
  kKeyAllAccess = 0xF003F,
};

// What RegQueryInfoKeyA reports. Name lengths are in characters, without
// the terminating zero; the data length in bytes.
struct KeyInfo {
  std::uint32_t subkeyCount = 0;
  std::uint32_t longestSubkeyName = 0;
  std::uint32_t valueCount = 0;
  std::uint32_t longestValueName = 0;
  std::uint32_t longestData = 0;
  std::uint64_t lastWriteTime = 0;
};

// Rules both backends keep (measured on the real registry):
// - The registry holds names and string data (REG_SZ, REG_EXPAND_SZ,
//   REG_MULTI_SZ) in UTF-16. They pass in and out converted exactly; sizes
//   and lengths given back count the bytes of the converted text. A name
//   or text that has no exact form on the other side (an unpaired
//   surrogate, anything outside a legacy code page, bytes that are no
//   character) gives 1113 rather than a stand-in such as "?"; so does
//   string data of an odd number of bytes.
// - Names compare without regard to case and enumerate in CompareNames
//   order (base/names.h); a key or value keeps the spelling it was first
//   given.
// - A key name holds at most 255 characters (87 beyond; Wine also takes
//   256, Windows does not), a value name at most 16383 (87 beyond), counted
//   in UTF-16 units, however many bytes they take here.
// - Paths may hold doubled and trailing backslashes; a leading one gives 161.
// - A handle whose key was deleted answers 1018 to everything but CloseKey;
//   a closed handle answers 6.
// - A handle carries the rights it was opened with: a write through a
//   read-only handle gives 5, and so on.
// - String data is stored as given, inner zeros and missing terminator
//   included; other data byte for byte.
class RegistryApi {
 public:
  virtual ~RegistryApi() = default;

  // RegOpenKeyA: opens with the platform's default rights. An empty
  // subkey gives back `parent` itself, unchecked: no new handle is made,
  // so the caller must not close it as its own.
  virtual long OpenKey(RegKey parent, const std::string& subkey, RegKey* result) = 0;
  // RegOpenKeyExA. An empty subkey gives a new handle to `parent`'s key.
  virtual long OpenKeyEx(RegKey parent, const std::string& subkey, std::uint32_t access,
                         RegKey* result) = 0;
  // RegCreateKeyExA, non-volatile, no class, no security attributes.
  // `disposition` may be null; 1 = created, 2 = opened existing.
  virtual long CreateKeyEx(RegKey parent, const std::string& subkey, std::uint32_t access,
                           RegKey* result, std::uint32_t* disposition) = 0;
  // RegQueryInfoKeyA without class or security descriptor. Needs the query
  // right (Wine does not ask for it; Windows does). Name lengths are in
  // UTF-16 units; `longestData` counts string data at two bytes a unit, as
  // the registry stores it.
  virtual long QueryInfoKey(RegKey key, KeyInfo* info) = 0;
  // RegEnumKeyExA: `*nameLength` is the buffer size in bytes on entry
  // (room for the terminating zero included) and the name's length on
  // success. Too small a buffer gives 234 and touches neither the buffer
  // nor `*nameLength`; past the end gives 259.
  virtual long EnumKey(RegKey key, std::uint32_t index, char* name, std::uint32_t* nameLength) = 0;
  // RegEnumValueA. `type`, `data` and `dataSize` may be null, as there.
  // Data too small: 234, `*type` and `*dataSize` (the size needed) set,
  // name and data untouched. Name too small (data fits): 234, type, data
  // and size delivered, and the name cut to `*nameLength` - 1 characters
  // plus a zero; `*nameLength` unchanged.
  virtual long EnumValue(RegKey key, std::uint32_t index, char* name, std::uint32_t* nameLength,
                         std::uint32_t* type, std::uint8_t* data, std::uint32_t* dataSize) = 0;
  // RegQueryValueExA. `type`, `data` and `dataSize` may be null, as there;
  // a buffer too small gives 234 with `*dataSize` set to the size needed
  // and the buffer untouched. String data without a terminating zero gets
  // one after it when the buffer has room (not counted in `*dataSize`).
  virtual long QueryValue(RegKey key, const std::string& name, std::uint32_t* type,
                          std::uint8_t* data, std::uint32_t* dataSize) = 0;
  // RegSetValueExA, storing exactly `size` bytes. Null data with a size
  // gives 998.
  virtual long SetValue(RegKey key, const std::string& name, std::uint32_t type,
                        const std::uint8_t* data, std::uint32_t size) = 0;
  // RegDeleteValueA.
  virtual long DeleteValue(RegKey key, const std::string& name) = 0;
  // RegDeleteKeyA: a key that still has subkeys is refused with 5. An empty
  // subkey deletes `parent`'s own key, as on Windows.
  virtual long DeleteKey(RegKey parent, const std::string& subkey) = 0;
  // Closes a key, as advapi32 does. Closing a root key succeeds and does
  // nothing; closing a handle twice gives 6.
  virtual long CloseKey(RegKey key) = 0;
};

}  // namespace veltrane
