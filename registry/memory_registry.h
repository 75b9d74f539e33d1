// A registry held in memory that answers every operation as Win32Registry
// does (the rules in registry_api.h): names and string data kept in UTF-16
// and converted exactly to and from the 8-bit side, case-insensitive names
// kept in the order the registry enumerates them, handles that go stale
// when their key is deleted, per-key access rules, the buffer and more-data
// rules. It serves the native tests and the benchmarks, and holds a million
// keys with O(log n) lookups by name and by index.
//
// Where it answers as Windows does rather than as Wine does:
// - A key name of 256 characters is refused (87); Wine takes it.
// - QueryInfoKey needs the query right (5 without); Wine answers anyway.
// - CreateKeyEx of the empty path reports 2 (opened); Wine says 1.
// - Access rules per key (RestrictAccess) hold; Wine grants every open.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>

#include "registry/registry_api.h"

namespace veltrane {

struct StoredValue;

class MemoryRegistry final : public RegistryApi {
 public:
  MemoryRegistry();
  ~MemoryRegistry() override;

  long OpenKey(RegKey parent, const std::string& subkey, RegKey* result) override;
  long OpenKeyEx(RegKey parent, const std::string& subkey, std::uint32_t access,
                 RegKey* result) override;
  long CreateKeyEx(RegKey parent, const std::string& subkey, std::uint32_t access, RegKey* result,
                   std::uint32_t* disposition) override;
  long QueryInfoKey(RegKey key, KeyInfo* info) override;
  long EnumKey(RegKey key, std::uint32_t index, char* name, std::uint32_t* nameLength) override;
  long EnumValue(RegKey key, std::uint32_t index, char* name, std::uint32_t* nameLength,
                 std::uint32_t* type, std::uint8_t* data, std::uint32_t* dataSize) override;
  long QueryValue(RegKey key, const std::string& name, std::uint32_t* type, std::uint8_t* data,
                  std::uint32_t* dataSize) override;
  long SetValue(RegKey key, const std::string& name, std::uint32_t type, const std::uint8_t* data,
                std::uint32_t size) override;
  long DeleteValue(RegKey key, const std::string& name) override;
  long DeleteKey(RegKey parent, const std::string& subkey) override;
  long CloseKey(RegKey key) override;

  // Test controls. `path` is below `root`, names joined by backslashes.
  // Makes the key open only for the rights in `granted`: an open or create
  // asking for any other right is refused with 5 (access denied).
  void RestrictAccess(RegKey root, const std::string& path, std::uint32_t granted);
  // Number of handles currently open (roots excluded): a leak check.
  std::size_t OpenHandleCount() const { return handles_.size(); }
  // Number of calls made through the API so far.
  std::uint64_t CallCount() const { return calls_; }
  // The code page of the 8-bit side (the process code page unless set):
  // with Windows-1252, a name or text in another script answers 1113 as it
  // does to a program that runs in that code page.
  void SetCodePage(unsigned codePage) { codePage_ = codePage; }
  // Writes a value by its UTF-16 name and data, as another program may
  // (an unpaired surrogate, say): `data` is stored as it is.
  long SetValueUtf16(RegKey key, const std::u16string& name, std::uint32_t type,
                     const std::u16string& data);
  // Makes and deletes the key `name` below `parent` by its UTF-16 name.
  long CreateKeyUtf16(RegKey parent, const std::u16string& name);
  long DeleteKeyUtf16(RegKey parent, const std::u16string& name);

 private:
  struct Node;  // defined beside the implementation
  using Slot = std::shared_ptr<Node>;
  struct Handle {
    Slot node;  // keeps a deleted key alive for the handles still open on it
    std::uint32_t access;
  };

  long Resolve(RegKey key, const Slot** node, std::uint32_t* access);
  long Walk(const Slot* start, const std::u16string& path, bool create, const Slot** found,
            bool* created);
  // `text` of the 8-bit side (up to a zero byte, as a C string reaches the
  // registry) in UTF-16; false when it has no exact form.
  bool Wide(const std::string& text, std::u16string& units) const;
  // `units` in the 8-bit code page, into `narrow_`; false when it has no
  // exact form there.
  bool Narrow(const std::u16string& units);
  long Deliver(const StoredValue& value, std::uint32_t* type, std::uint8_t* data,
               std::uint32_t* dataSize) const;
  RegKey NewHandle(const Slot& node, std::uint32_t access);
  // Counts the call and resolves `key`, which must carry `right`.
  long Use(RegKey key, std::uint32_t right, Node** node);
  long Delete(RegKey parent, const std::u16string& path);
  void Touch(Node& node);

  std::map<RegKey, Slot> roots_;
  std::unordered_map<RegKey, Handle> handles_;
  RegKey nextHandle_ = 0x1000;
  std::uint64_t clock_ = 0;
  std::uint64_t calls_ = 0;
  unsigned codePage_;
  // Buffers reused from call to call: most calls convert one name.
  std::u16string wide_, lookup_;
  std::string narrow_;
};

}  // namespace veltrane
