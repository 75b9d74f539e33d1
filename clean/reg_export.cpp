#include "clean/reg_export.h"

#include <algorithm>
#include <vector>

#include "clean/reg_format.h"
#include "registry/tregistry.h"

namespace veltrane {
namespace {

// The longest names in bytes: a double-byte code page may need two bytes
// for each character.
constexpr std::size_t kLongestKeyNameBytes = 2 * kMaxKeyNameLength + 1;
constexpr std::size_t kFlushSize = 1 << 18;

// One export: the wrapper, the text being written and where it goes. Each
// key is opened once, its values read with their data in one enumeration
// pass, its subkey names listed, and closed before its subkeys are visited,
// so at most one key is open at a time.
//
// A key that may not be opened keeps its key line and loses the rest; one
// that fails otherwise, or opened but cannot be listed or read, ends the
// export with an error, since a backup that silently lacks entries would
// restore as less than there was.
class Exporter {
 public:
  Exporter(RegistryApi& api, RegKey root, ExportSink sink)
      : registry_(api), root_(root), sink_(std::move(sink)) {
    registry_.SelectRoot(root);
  }

  void Run(const std::string& keyPath, bool header) {
    if (header) out_.append("REGEDIT4\r\n");
    WriteKeyBlock(keyPath, true);
    Flush();
  }

  // Keys left out because a line break in their names has no written form.
  int Omitted() const { return omitted_; }

 private:
  void WriteKeyBlock(const std::string& path, bool top) {
    std::vector<std::string> subkeys;
    const bool opened = registry_.OpenPath(path, false);
    if (!opened) {
      const long result = registry_.LastError();
      // A subkey that went away since its parent was listed is no longer
      // there to back up.
      if (!top && result == kErrorFileNotFound) return;
      // Keys the user may not open with full access (read-only ones) keep
      // their key line alone; any other failure leaves the copy in doubt.
      if (result != kErrorAccessDenied && !(top && result == kErrorFileNotFound)) {
        Fail("Failed to open the key", path);
      }
    }

    AppendKeyLine(out_, root_, path);

    if (opened) {
      KeyInfo facts;
      if (registry_.Api().QueryInfoKey(registry_.OpenHandle(), &facts) != kErrorSuccess) {
        Fail("Failed to list the key", path);
      }
      WriteValues(facts, path);
      ListSubkeys(facts, path, subkeys);
      registry_.ClosePath();
    }
    if (out_.size() >= kFlushSize) Flush();

    for (const std::string& name : subkeys) {
      WriteKeyBlock(path.empty() ? name : path + "\\" + name, false);
    }
  }

  void WriteValues(const KeyInfo& facts, const std::string& path) {
    const RegKey key = registry_.OpenHandle();
    Reserve(name_, facts.longestValueName + std::size_t{1});
    Reserve(data_, std::max<std::size_t>(facts.longestData, 1));
    for (std::uint32_t index = 0; index < facts.valueCount; ++index) {
      EnumeratedValue value;
      const long result = EnumValueWithData(registry_.Api(), key, index, name_, data_, value);
      // Fewer values than the key query said: some were deleted meanwhile.
      if (result == kErrorNoMoreItems) break;
      if (result != kErrorSuccess) Fail("Failed to read the values of", path);
      AppendValueLine(out_, std::string_view(name_.data(), value.nameLength), value.type,
                      data_.data(), value.size);
    }
  }

  void ListSubkeys(const KeyInfo& facts, const std::string& path,
                   std::vector<std::string>& subkeys) {
    RegistryApi& api = registry_.Api();
    const RegKey key = registry_.OpenHandle();
    Reserve(name_,
            std::max<std::size_t>(facts.longestSubkeyName + std::size_t{1}, kLongestKeyNameBytes));
    subkeys.reserve(facts.subkeyCount);
    for (std::uint32_t index = 0; index < facts.subkeyCount; ++index) {
      std::uint32_t length = static_cast<std::uint32_t>(name_.size());
      const long result = api.EnumKey(key, index, name_.data(), &length);
      if (result == kErrorNoMoreItems) break;
      if (result != kErrorSuccess) Fail("Failed to list the subkeys of", path);
      std::string name(name_.data(), std::min<std::size_t>(length, name_.size()));
      // A line break inside a key name would break the key line, and no
      // reader of the format has an escape for it: such a key and its
      // subtree stay out of the file rather than make the file unreadable.
      if (name.find_first_of("\r\n") != std::string::npos) {
        ++omitted_;
        continue;
      }
      subkeys.push_back(std::move(name));
    }
  }

  [[noreturn]] void Fail(const char* what, const std::string& path) {
    const std::string key = path.empty() ? RootName(root_) : RootName(root_) + "\\" + path;
    throw ERegistryException(std::string(what) + " '" + key + "'");
  }

  template <class Buffer>
  static void Reserve(Buffer& buffer, std::size_t size) {
    if (buffer.size() < size) buffer.resize(size);
  }

  void Flush() {
    if (out_.empty()) return;
    sink_(out_);
    out_.clear();
  }

  TRegistry registry_;
  RegKey root_;
  ExportSink sink_;
  std::string out_;
  std::vector<char> name_;
  std::vector<std::uint8_t> data_;
  int omitted_ = 0;
};

std::string WithoutTrailingBackslash(const std::string& keyPath) {
  if (!keyPath.empty() && keyPath.back() == '\\') return keyPath.substr(0, keyPath.size() - 1);
  return keyPath;
}

}  // namespace

void ExportKey(RegistryApi& api, RegKey root, const std::string& keyPath, const ExportSink& sink) {
  Exporter exporter(api, root, sink);
  exporter.Run(WithoutTrailingBackslash(keyPath), true);
}

bool ExportKeyToFile(RegistryApi& api, RegKey root, const std::string& keyPath,
                     const std::string& fileName, std::string* failure) {
  WholeFile file(fileName);
  if (!file.Open()) {
    if (failure) *failure = file.OpenFailure();
    return false;
  }
  ExportKey(api, root, keyPath, [&](std::string_view text) { file.Write(text); });
  return file.Publish(true);
}

std::string ExportKeyToText(RegistryApi& api, RegKey root, const std::string& keyPath) {
  std::string text;
  ExportKey(api, root, keyPath, [&](std::string_view chunk) { text.append(chunk); });
  return text;
}

bool AppendKeyBlocks(RegistryApi& api, RegKey root, const std::string& keyPath, std::string& out) {
  Exporter exporter(api, root, [&](std::string_view chunk) { out.append(chunk); });
  exporter.Run(WithoutTrailingBackslash(keyPath), false);
  return exporter.Omitted() == 0;
}

}  // namespace veltrane
