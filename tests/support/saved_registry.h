// Shared registry state a test changes and puts back: keys and values of
// HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE that other programs (or the
// program under test) read, as opposed to a throwaway key of the test's own.
// When the key was missing, the keys along its path that the test makes are
// removed again instead.
#pragma once

#include <optional>
#include <string>

#include "registry/registry_api.h"
#include "tests/support/registry_seed.h"
#include "tests/support/tree.h"

namespace veltrane::testing {

// Takes a key away for the test, with everything below it; puts it back as
// it was, values and subkeys, when the object goes.
class SavedKey {
 public:
  SavedKey(RegistryApi& api, RegKey root, std::string path);
  ~SavedKey();
  SavedKey(const SavedKey&) = delete;
  SavedKey& operator=(const SavedKey&) = delete;

 private:
  RegistrySeed seed_;
  std::string path_;
  std::string firstMissing_;  // the shallowest key of the path that was not there
  TreeKey saved_;
};

// Sets one value to a text (or any kind and data) for the test; puts back
// what was there (or nothing) when the object goes.
class ReplacedValue {
 public:
  ReplacedValue(RegistryApi& api, RegKey root, std::string path, std::string name,
                const std::string& text);
  ReplacedValue(RegistryApi& api, RegKey root, std::string path, std::string name,
                const TreeValue& value);
  ~ReplacedValue();
  ReplacedValue(const ReplacedValue&) = delete;
  ReplacedValue& operator=(const ReplacedValue&) = delete;

 private:
  RegistrySeed seed_;
  std::string path_, name_;
  std::string firstMissing_;
  std::optional<TreeValue> saved_;
};

}  // namespace veltrane::testing
