#include "clean/reg_export.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "clean/reg_format.h"
#include "clean/unique_file.h"
#include "registry/tregistry.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace veltrane {
namespace {

// The longest names in bytes: a double-byte code page may need two bytes
// for each character.
constexpr std::size_t kLongestValueNameBytes = 2 * kMaxValueNameLength + 1;
constexpr std::size_t kLongestKeyNameBytes = 2 * kMaxKeyNameLength + 1;
constexpr std::size_t kFlushSize = 1 << 18;

// One export: the wrapper, the text being written and where it goes. Each
// key is opened once, its values read with their data in one enumeration
// pass, its subkey names listed, and closed before its subkeys are visited,
// so at most one key is open at a time.
class Exporter {
 public:
  Exporter(RegistryApi& api, RegKey root, std::function<void(const std::string&)> flush)
      : registry_(api), root_(root), flush_(std::move(flush)) {
    registry_.SelectRoot(root);
  }

  void Run(const std::string& keyPath) {
    out_.append("REGEDIT4\r\n");
    WriteKeyBlock(keyPath);
    Flush();
  }

 private:
  void WriteKeyBlock(const std::string& path) {
    out_.append("\r\n[");
    out_.append(RootName(root_));
    if (!path.empty()) {
      out_.push_back('\\');
      out_.append(path);
    }
    out_.append("]\r\n");

    std::vector<std::string> subkeys;
    // A key that cannot be opened keeps its key line and loses the rest.
    if (registry_.OpenPath(path, false)) {
      KeyInfo facts;
      if (registry_.Api().QueryInfoKey(registry_.OpenHandle(), &facts) == kErrorSuccess) {
        WriteValues(facts);
        ListSubkeys(facts, subkeys);
      }
      registry_.ClosePath();
    }
    if (out_.size() >= kFlushSize) Flush();

    for (const std::string& name : subkeys) {
      WriteKeyBlock(path.empty() ? name : path + "\\" + name);
    }
  }

  void WriteValues(const KeyInfo& facts) {
    RegistryApi& api = registry_.Api();
    const RegKey key = registry_.OpenHandle();
    Reserve(name_, facts.longestValueName + 1);
    Reserve(data_, std::max<std::uint32_t>(facts.longestData, 1));
    for (std::uint32_t index = 0; index < facts.valueCount; ++index) {
      std::uint32_t nameLength = 0, type = 0, size = 0;
      long result = kErrorMoreData;
      // A buffer too small (a name or data grown since the key query, a
      // double-byte name) is grown and the entry asked for again.
      for (int attempt = 0; attempt < 8 && result == kErrorMoreData; ++attempt) {
        nameLength = static_cast<std::uint32_t>(name_.size());
        size = static_cast<std::uint32_t>(data_.size());
        result = api.EnumValue(key, index, name_.data(), &nameLength, &type, data_.data(), &size);
        if (result == kErrorMoreData) {
          if (size > data_.size()) {
            Reserve(data_, size);
          } else if (name_.size() < kLongestValueNameBytes) {
            Reserve(name_, kLongestValueNameBytes);
          } else {
            Reserve(data_, data_.size() * 2);
          }
        }
      }
      // An entry that no longer enumerates (removed since the query) is
      // passed over, as the name listing would.
      if (result != kErrorSuccess) continue;
      AppendValueLine(out_, std::string_view(name_.data(), nameLength), type, data_.data(), size);
    }
  }

  void ListSubkeys(const KeyInfo& facts, std::vector<std::string>& subkeys) {
    RegistryApi& api = registry_.Api();
    const RegKey key = registry_.OpenHandle();
    Reserve(name_, std::max<std::size_t>(facts.longestSubkeyName + 1, kLongestKeyNameBytes));
    subkeys.reserve(facts.subkeyCount);
    for (std::uint32_t index = 0; index < facts.subkeyCount; ++index) {
      std::uint32_t length = static_cast<std::uint32_t>(name_.size());
      if (api.EnumKey(key, index, name_.data(), &length) != kErrorSuccess) continue;
      std::string name(name_.data(), std::min<std::size_t>(length, name_.size()));
      // A line break inside a key name would break the key line, and no
      // reader of the format has an escape for it: such a key and its
      // subtree stay out of the file rather than make the file unreadable.
      if (name.find_first_of("\r\n") != std::string::npos) continue;
      subkeys.push_back(std::move(name));
    }
  }

  template <class Buffer>
  static void Reserve(Buffer& buffer, std::size_t size) {
    if (buffer.size() < size) buffer.resize(size);
  }

  void Flush() {
    if (out_.empty()) return;
    flush_(out_);
    out_.clear();
  }

  TRegistry registry_;
  RegKey root_;
  std::function<void(const std::string&)> flush_;
  std::string out_;
  std::vector<char> name_;
  std::vector<std::uint8_t> data_;
};

std::string WithoutTrailingBackslash(const std::string& keyPath) {
  if (!keyPath.empty() && keyPath.back() == '\\') return keyPath.substr(0, keyPath.size() - 1);
  return keyPath;
}

[[noreturn]] void RaiseWriteError() {
  long code = errno;
#ifdef _WIN32
  if (const DWORD system = GetLastError()) code = static_cast<long>(system);
#endif
  throw EInOutError(code, "I/O error " + std::to_string(code));
}

}  // namespace

bool ExportKeyToFile(RegistryApi& api, RegKey root, const std::string& keyPath,
                     const std::string& fileName) {
  const std::string path = WithoutTrailingBackslash(keyPath);
  UniqueFile file(std::fopen(fileName.c_str(), "wb"));
  if (!file) return false;
  Exporter exporter(api, root, [&](const std::string& text) {
    if (std::fwrite(text.data(), 1, text.size(), file.get()) != text.size()) RaiseWriteError();
  });
  exporter.Run(path);
  if (std::fflush(file.get()) != 0) RaiseWriteError();
  if (std::fclose(file.release()) != 0) RaiseWriteError();
  return true;
}

std::string ExportKeyToText(RegistryApi& api, RegKey root, const std::string& keyPath) {
  std::string text;
  Exporter exporter(api, root, [&](const std::string& chunk) { text.append(chunk); });
  exporter.Run(WithoutTrailingBackslash(keyPath));
  return text;
}

}  // namespace veltrane
