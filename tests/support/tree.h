// Registry subtrees as plain data, to read back, compare and make at random
// (RegistrySeed writes them); the backend the tests run on.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "registry/registry_api.h"

namespace veltrane::testing {

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

// Everything below root\path as the 8-bit registry functions show it.
TreeKey ReadTree(RegistryApi& api, RegKey root, const std::string& path);
// The first difference between two trees, or "" when they are equal.
std::string Difference(const TreeKey& expected, const TreeKey& actual);

// A tree of `keys` keys with awkward names and texts (quotes, backslashes,
// "=", brackets, blanks, CR, LF, characters of Windows-1252 beyond ASCII,
// and with `anyScript` Cyrillic, Greek, Japanese and emoji too) and values
// of every kind.
TreeKey RandomTree(std::mt19937& random, int keys, int maxValuesPerKey, bool anyScript = false);

// The registry the tests run on: advapi32 in the Windows build (under Wine),
// the in-memory store natively.
std::unique_ptr<RegistryApi> MakeTestRegistry();
bool OnRealRegistry();

}  // namespace veltrane::testing
