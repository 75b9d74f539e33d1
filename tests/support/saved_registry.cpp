#include "tests/support/saved_registry.h"

#include <utility>

namespace veltrane::testing {
namespace {

// The shortest prefix of `path` that names no key, or "" when the whole
// path exists.
std::string FirstMissing(RegistrySeed& seed, const std::string& path) {
  for (std::size_t end = 0; end != std::string::npos;) {
    end = path.find('\\', end + 1);
    const std::string prefix = path.substr(0, end);
    if (!seed.Exists(prefix)) return prefix;
  }
  return {};
}

}  // namespace

SavedKey::SavedKey(RegistryApi& api, RegKey root, std::string path)
    : seed_(api, root), path_(std::move(path)), firstMissing_(FirstMissing(seed_, path_)) {
  if (!firstMissing_.empty()) return;
  saved_ = ReadTree(api, root, path_);
  seed_.DeleteTree(path_);
}

SavedKey::~SavedKey() {
  if (!firstMissing_.empty()) {
    seed_.DeleteTree(firstMissing_);
    return;
  }
  seed_.DeleteTree(path_);
  seed_.Tree(path_, saved_);
}

ReplacedValue::ReplacedValue(RegistryApi& api, RegKey root, std::string path, std::string name,
                             const std::string& text)
    : ReplacedValue(api, root, std::move(path), std::move(name), Sz(text)) {}

ReplacedValue::ReplacedValue(RegistryApi& api, RegKey root, std::string path, std::string name,
                             const TreeValue& value)
    : seed_(api, root),
      path_(std::move(path)),
      name_(std::move(name)),
      firstMissing_(FirstMissing(seed_, path_)),
      saved_(seed_.Read(path_, name_)) {
  seed_.Value(path_, name_, value);
}

ReplacedValue::~ReplacedValue() {
  if (!firstMissing_.empty()) {
    seed_.DeleteTree(firstMissing_);
  } else if (saved_) {
    seed_.Value(path_, name_, *saved_);
  } else {
    seed_.DeleteValue(path_, name_);
  }
}

}  // namespace veltrane::testing
