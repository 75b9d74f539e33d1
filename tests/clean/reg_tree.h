// Test support: registry subtrees as plain data, to seed, read back, compare
// and make at random; a throwaway key per test run; the backend under test.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "registry/registry_api.h"

namespace veltrane::test {

struct TreeValue {
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;
  bool operator==(const TreeValue&) const = default;
};

struct TreeKey {
  std::map<std::string, TreeValue> values;
  std::map<std::string, TreeKey> subkeys;
  bool operator==(const TreeKey&) const = default;
};

std::vector<std::uint8_t> Bytes(const std::string& text);
TreeValue Sz(const std::string& text);  // REG_SZ with its terminating zero
TreeValue Dword(std::uint32_t value);
TreeValue Typed(std::uint32_t type, const std::string& bytes);

// Creates the keys and writes the values below root\path.
void SeedTree(RegistryApi& api, RegKey root, const std::string& path, const TreeKey& tree);
// Everything below root\path as the 8-bit registry functions show it.
TreeKey ReadTree(RegistryApi& api, RegKey root, const std::string& path);
bool KeyExists(RegistryApi& api, RegKey root, const std::string& path);
// The first difference between two trees, or "" when they are equal.
std::string Difference(const TreeKey& expected, const TreeKey& actual);

// A tree of `keys` keys with awkward names (quotes, backslashes, "=",
// brackets, blanks, CR, LF, high bytes) and values of every kind.
TreeKey RandomTree(std::mt19937& random, int keys, int maxValuesPerKey);

// The registry the tests run on: advapi32 in the Windows build (under Wine),
// the in-memory store natively.
std::unique_ptr<RegistryApi> MakeTestRegistry();
bool OnRealRegistry();

// A key below HKCU\Software named for this run, removed before and after.
class ThrowawayKey {
 public:
  ThrowawayKey(RegistryApi& api, const std::string& tag);
  ~ThrowawayKey();
  ThrowawayKey(const ThrowawayKey&) = delete;
  ThrowawayKey& operator=(const ThrowawayKey&) = delete;
  // "Software\VeltraneTest-<tag>-<run>", below HKEY_CURRENT_USER.
  const std::string& Path() const { return path_; }
  void Remove();

 private:
  RegistryApi& api_;
  std::string path_;
};

// A folder of its own for one test, removed with everything in it.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  // With a trailing separator.
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

std::string ReadFile(const std::string& name);

#ifndef _WIN32
// Files this process writes may grow to `bytes` and no further (writes
// past it fail with EFBIG) while the object lives.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(unsigned long bytes);
  ~FileSizeLimit();
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  unsigned long saved_[2];
  void (*savedHandler_)(int);
};
#endif
void WriteFile(const std::string& name, const std::string& bytes);

}  // namespace veltrane::test
