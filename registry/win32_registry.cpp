#include "registry/win32_registry.h"

#include <windows.h>

#include <cstring>
#include <string_view>
#include <vector>

#include "base/text.h"
#include "base/unique_handle.h"
#include "registry/value_delivery.h"

namespace veltrane {
namespace {

HKEY ToHkey(RegKey key) { return reinterpret_cast<HKEY>(key); }
RegKey FromHkey(HKEY key) { return reinterpret_cast<RegKey>(key); }

static_assert(sizeof(DWORD) == sizeof(std::uint32_t));
static_assert(sizeof(wchar_t) == sizeof(char16_t));

bool IsStringType(std::uint32_t type) {
  return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// A name or path of the program in UTF-16, as the registry takes it; false
// when it has no exact form. What follows a zero byte never reached the
// registry through the 8-bit calls either.
bool Wide(const std::string& text, std::u16string& units) {
  auto converted = ToUtf16(std::string_view(text.c_str()));
  if (!converted) return false;
  units = *std::move(converted);
  return true;
}

// A key path as the registry's counted strings carry it: at most 32,766
// UTF-16 units. A longer one would be cut short there and name another key
// (an ancestor, in a deep tree), so it is refused. 0, or the result code.
long WidePath(const std::string& subkey, std::u16string& units) {
  constexpr long kErrorFilenameTooLong = 206;
  if (!Wide(subkey, units)) return kErrorNoUnicodeTranslation;
  return units.size() > 32766 ? kErrorFilenameTooLong : kErrorSuccess;
}

const wchar_t* WideText(const std::u16string& units) {
  return reinterpret_cast<const wchar_t*>(units.c_str());
}

// What each call of a thread reads into before converting: room for the
// longest value name, and the data of the largest value read so far.
struct Scratch {
  std::u16string name = std::u16string(kMaxValueNameLength + 1, u'\0');
  std::vector<std::uint8_t> data = std::vector<std::uint8_t>(1024);
};

Scratch& ThreadScratch() {
  thread_local Scratch scratch;
  return scratch;
}

// Room for the data a caller can take, in UTF-16 bytes: its text may take
// two bytes a character there, and one more for a terminator.
void MakeRoom(std::vector<std::uint8_t>& buffer, const std::uint8_t* data,
              const std::uint32_t* dataSize) {
  if (data && dataSize && buffer.size() < 2 * std::size_t{*dataSize} + 2) {
    buffer.resize(2 * std::size_t{*dataSize} + 2);
  }
}

// Hands out data read in the registry's form as the 8-bit call gives it
// (value_delivery.h).
long Deliver(std::uint32_t type, const std::uint8_t* stored, std::size_t storedSize,
             std::uint8_t* data, std::uint32_t* dataSize) {
  if (IsStringType(type)) return HandOutText(stored, storedSize, ProcessCodePage(), data, dataSize);
  return HandOutData(stored, static_cast<std::uint32_t>(storedSize), false, data, dataSize);
}

// Reads into the scratch buffer with `read(buffer, &size)` (the buffer
// null when no size is asked for), growing it when a string does not fit:
// its converted size needs its bytes. Data of another kind that does not
// fit needs no more unless `always`: its size is what the caller is told.
template <typename Read>
LONG ReadData(std::vector<std::uint8_t>& buffer, bool wanted, bool always, DWORD* type, DWORD* size,
              Read read) {
  for (int attempt = 0;; ++attempt) {
    *size = static_cast<DWORD>(buffer.size());
    const LONG r = read(wanted ? buffer.data() : nullptr, wanted ? size : nullptr);
    if (r != ERROR_MORE_DATA || !(always || IsStringType(*type)) || attempt == 4) return r;
    buffer.resize(std::max<std::size_t>(*size, buffer.size() * 2));
  }
}

}  // namespace

long Win32Registry::OpenKey(RegKey parent, const std::string& subkey, RegKey* result) {
  std::u16string path;
  if (const long refused = WidePath(subkey, path)) return refused;
  HKEY key = nullptr;
  const LONG r = RegOpenKeyW(ToHkey(parent), WideText(path), &key);
  if (r == ERROR_SUCCESS) *result = FromHkey(key);
  return r;
}

long Win32Registry::OpenKeyEx(RegKey parent, const std::string& subkey, std::uint32_t access,
                              RegKey* result) {
  std::u16string path;
  if (const long refused = WidePath(subkey, path)) return refused;
  HKEY key = nullptr;
  const LONG r = RegOpenKeyExW(ToHkey(parent), WideText(path), 0, access, &key);
  if (r == ERROR_SUCCESS) *result = FromHkey(key);
  return r;
}

long Win32Registry::CreateKeyEx(RegKey parent, const std::string& subkey, std::uint32_t access,
                                RegKey* result, std::uint32_t* disposition) {
  std::u16string path;
  if (const long refused = WidePath(subkey, path)) return refused;
  HKEY key = nullptr;
  DWORD how = 0;
  const LONG r = RegCreateKeyExW(ToHkey(parent), WideText(path), 0, nullptr,
                                 REG_OPTION_NON_VOLATILE, access, nullptr, &key, &how);
  if (r == ERROR_SUCCESS) {
    *result = FromHkey(key);
    if (disposition) *disposition = how;
  }
  return r;
}

long Win32Registry::QueryInfoKey(RegKey key, KeyInfo* info) {
  DWORD subkeys = 0, longestSubkey = 0, values = 0, longestValue = 0, longestData = 0;
  FILETIME written{};
  const LONG r = RegQueryInfoKeyW(ToHkey(key), nullptr, nullptr, nullptr, &subkeys, &longestSubkey,
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
  // Wine takes key names of 256 characters, one more than Windows.
  wchar_t wide[kMaxKeyNameLength + 2];
  DWORD length = sizeof wide / sizeof wide[0];
  const LONG r =
      RegEnumKeyExW(ToHkey(key), index, wide, &length, nullptr, nullptr, nullptr, nullptr);
  if (r != ERROR_SUCCESS) return r;
  if (!name || !nameLength) return ERROR_INVALID_PARAMETER;
  const auto text = FromUtf16(std::u16string_view(reinterpret_cast<char16_t*>(wide), length));
  if (!text) return kErrorNoUnicodeTranslation;
  if (text->size() >= *nameLength) return ERROR_MORE_DATA;
  std::memcpy(name, text->c_str(), text->size() + 1);
  *nameLength = static_cast<std::uint32_t>(text->size());
  return ERROR_SUCCESS;
}

long Win32Registry::EnumValue(RegKey key, std::uint32_t index, char* name,
                              std::uint32_t* nameLength, std::uint32_t* type, std::uint8_t* data,
                              std::uint32_t* dataSize) {
  if (!name || !nameLength || (data && !dataSize)) return ERROR_INVALID_PARAMETER;
  Scratch& scratch = ThreadScratch();
  MakeRoom(scratch.data, data, dataSize);
  DWORD wideLength = 0, storedType = 0, storedSize = 0;
  // Without a buffer of the caller's, the name is wanted whatever the size
  // of the data.
  const LONG r = ReadData(scratch.data, dataSize != nullptr, data == nullptr, &storedType,
                          &storedSize, [&](std::uint8_t* buffer, DWORD* size) {
                            wideLength = static_cast<DWORD>(scratch.name.size());
                            return RegEnumValueW(ToHkey(key), index,
                                                 reinterpret_cast<wchar_t*>(scratch.name.data()),
                                                 &wideLength, nullptr, &storedType, buffer, size);
                          });
  if (r == ERROR_MORE_DATA && data) {
    // Data of a kind other than text, larger than the caller's buffer.
    if (type) *type = storedType;
    *dataSize = storedSize;
    return ERROR_MORE_DATA;
  }
  if (r != ERROR_SUCCESS) return r;
  const auto text = FromUtf16(std::u16string_view(scratch.name.data(), wideLength));
  if (!text) return kErrorNoUnicodeTranslation;
  if (type) *type = storedType;
  if (const long delivered = Deliver(storedType, scratch.data.data(), storedSize, data, dataSize)) {
    return delivered;
  }
  if (text->size() >= *nameLength) {
    // As the registry does: as much of the name as fits, cut short.
    if (*nameLength > 0) {
      std::memcpy(name, text->data(), *nameLength - 1);
      name[*nameLength - 1] = '\0';
    }
    return ERROR_MORE_DATA;
  }
  std::memcpy(name, text->c_str(), text->size() + 1);
  *nameLength = static_cast<std::uint32_t>(text->size());
  return ERROR_SUCCESS;
}

long Win32Registry::QueryValue(RegKey key, const std::string& name, std::uint32_t* type,
                               std::uint8_t* data, std::uint32_t* dataSize) {
  if (data && !dataSize) return ERROR_INVALID_PARAMETER;
  std::u16string wideName;
  if (!Wide(name, wideName)) return kErrorNoUnicodeTranslation;
  std::vector<std::uint8_t>& buffer = ThreadScratch().data;
  MakeRoom(buffer, data, dataSize);
  DWORD storedType = 0, storedSize = 0;
  const LONG r = ReadData(buffer, dataSize != nullptr, false, &storedType, &storedSize,
                          [&](std::uint8_t* into, DWORD* size) {
                            return RegQueryValueExW(ToHkey(key), WideText(wideName), nullptr,
                                                    &storedType, into, size);
                          });
  if (r == ERROR_MORE_DATA) {
    if (type) *type = storedType;
    *dataSize = storedSize;
    return data ? ERROR_MORE_DATA : ERROR_SUCCESS;
  }
  if (r != ERROR_SUCCESS) return r;
  if (type) *type = storedType;
  return Deliver(storedType, buffer.data(), storedSize, data, dataSize);
}

long Win32Registry::SetValue(RegKey key, const std::string& name, std::uint32_t type,
                             const std::uint8_t* data, std::uint32_t size) {
  std::u16string wideName;
  if (!Wide(name, wideName)) return kErrorNoUnicodeTranslation;
  if (!IsStringType(type) || !data) {
    return RegSetValueExW(ToHkey(key), WideText(wideName), 0, type, data, size);
  }
  // Inner zeros and a missing terminator stay as they are.
  auto units = ToUtf16(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!units) return kErrorNoUnicodeTranslation;
  const auto bytes = static_cast<DWORD>(units->size() * 2);
  // advapi32 stores one unit more when the data lacks its terminating zero
  // and the unit after it is one. The unit after ours is not, so exactly
  // the data is stored.
  units->push_back(u'\x1');
  return RegSetValueExW(ToHkey(key), WideText(wideName), 0, type,
                        reinterpret_cast<const BYTE*>(units->data()), bytes);
}

long Win32Registry::DeleteValue(RegKey key, const std::string& name) {
  std::u16string wideName;
  if (!Wide(name, wideName)) return kErrorNoUnicodeTranslation;
  return RegDeleteValueW(ToHkey(key), WideText(wideName));
}

long Win32Registry::DeleteKey(RegKey parent, const std::string& subkey) {
  std::u16string path;
  if (const long refused = WidePath(subkey, path)) return refused;
  return RegDeleteKeyW(ToHkey(parent), WideText(path));
}

// Closing is what a key's owner does when it goes (UniqueHkey).
long Win32Registry::CloseKey(RegKey key) { return HkeyRelease{}(ToHkey(key)); }

}  // namespace veltrane
