#include "clean/reg_import.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "clean/reg_format.h"
#include "clean/unique_file.h"
#include "registry/tregistry.h"
#include "registry/typed_value.h"

namespace veltrane {
namespace {

std::string KeyText(const RegOperation& operation) {
  return operation.path.empty() ? RootName(operation.root)
                                : RootName(operation.root) + "\\" + operation.path;
}

// Closes the key the value lines go to when the next key line comes.
class CurrentKey {
 public:
  explicit CurrentKey(RegistryApi& api) : api_(api) {}
  ~CurrentKey() { Reset(0); }
  CurrentKey(const CurrentKey&) = delete;
  CurrentKey& operator=(const CurrentKey&) = delete;
  void Reset(RegKey key) {
    if (key_ != 0) api_.CloseKey(key_);
    key_ = key;
  }
  RegKey Get() const { return key_; }

 private:
  RegistryApi& api_;
  RegKey key_ = 0;
};

bool Apply(RegistryApi& api, const std::vector<RegOperation>& operations, ImportSummary& summary,
           RegImportError& error) {
  CurrentKey current(api);
  const auto fail = [&](const RegOperation& operation, const std::string& what, long code) {
    error.line = operation.line;
    error.message = what + ": " + SystemErrorText(code);
    return false;
  };
  for (const RegOperation& operation : operations) {
    switch (operation.kind) {
      case RegOperation::kOpenKey: {
        current.Reset(0);
        RegKey key = 0;
        const long result =
            api.CreateKeyEx(operation.root, operation.path, kKeyWrite, &key, nullptr);
        if (result != kErrorSuccess) {
          return fail(operation, "cannot create the key " + KeyText(operation), result);
        }
        current.Reset(key);
        ++summary.keys;
        break;
      }
      case RegOperation::kDeleteKey: {
        current.Reset(0);
        TRegistry registry(api);
        registry.SelectRoot(operation.root);
        if (registry.RemoveKey(operation.path)) {
          ++summary.deletedKeys;
          break;
        }
        // A key that is not there is as good as deleted.
        RegKey key = 0;
        if (api.OpenKey(operation.root, operation.path, &key) == kErrorSuccess) {
          api.CloseKey(key);
          return fail(operation, "cannot delete the key " + KeyText(operation), kErrorAccessDenied);
        }
        break;
      }
      case RegOperation::kSetValue: {
        const long result =
            api.SetValue(current.Get(), operation.name, operation.type, operation.data.data(),
                         static_cast<std::uint32_t>(operation.data.size()));
        if (result != kErrorSuccess) {
          return fail(operation, "cannot write the value \"" + operation.name + "\"", result);
        }
        ++summary.values;
        break;
      }
      case RegOperation::kDeleteValue: {
        const long result = api.DeleteValue(current.Get(), operation.name);
        if (result == kErrorSuccess) {
          ++summary.deletedValues;
        } else if (result != kErrorFileNotFound) {
          return fail(operation, "cannot delete the value \"" + operation.name + "\"", result);
        }
        break;
      }
    }
  }
  return true;
}

}  // namespace

bool ImportRegText(RegistryApi& api, std::string_view bytes, ImportSummary& summary,
                   RegImportError& error) {
  summary = ImportSummary{};
  std::vector<RegOperation> operations;
  if (!ParseRegFile(bytes, operations, error)) return false;
  return Apply(api, operations, summary, error);
}

bool ImportRegFile(RegistryApi& api, const std::string& fileName, ImportSummary& summary,
                   RegImportError& error) {
  summary = ImportSummary{};
  UniqueFile file(std::fopen(fileName.c_str(), "rb"));
  if (!file) {
    error = {0, "cannot open " + fileName};
    return false;
  }
  std::string bytes;
  char chunk[1 << 16];
  std::size_t count;
  while ((count = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) bytes.append(chunk, count);
  if (std::ferror(file.get())) {
    error = {0, "cannot read " + fileName};
    return false;
  }
  return ImportRegText(api, bytes, summary, error);
}

}  // namespace veltrane
