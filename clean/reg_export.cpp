#include "clean/reg_export.h"

#include <algorithm>
#include <functional>
#include <vector>

#include "base/text.h"
#include "clean/reg_format.h"
#include "registry/tregistry.h"
#include "registry/unique_key.h"

namespace veltrane {
namespace {

constexpr std::size_t kFlushSize = 1 << 18;

// One export: where its lines go and what to do after each key's block.
// Each key is opened once, its values read with their data in one
// enumeration pass and its subkey names listed.
//
// The walk is depth first, each key's subkeys in the registry's order, with
// a list of the keys still to visit instead of recursion: a Wine prefix can
// hold keys thousands of levels deep, more than any stack. Each key is
// opened by its name below its parent's handle, never by its whole path,
// which past 32,767 characters the registry would cut short and so open
// another key. A parent stays open only while subkeys of it wait to be
// visited: a long chain of single keys holds one or two keys open.
//
// A key that may not be opened keeps its key line and loses the rest; one
// that fails otherwise, or opened but cannot be listed or read, ends the
// export with an error, since a backup that silently lacks entries would
// restore as less than there was. So does a name or text that the program
// cannot read exactly (1113): it would restore as something else.
class Exporter {
 public:
  Exporter(RegistryApi& api, RegKey root, RegLineSink& lines, std::function<void()> afterBlock)
      : api_(api), root_(root), lines_(lines), afterBlock_(std::move(afterBlock)) {}

  void Run(const std::string& keyPath) {
    std::string path = keyPath;
    UniqueKey key;
    long result = OpenOwnedKey(api_, root_, path, kKeyAllAccess, key);
    // Only the key asked for is written when it is missing: its line alone.
    if (result == kErrorFileNotFound) result = kErrorAccessDenied;
    for (;;) {
      WriteKeyBlock(path, result, key);
      if (pending_.empty()) return;
      // The parent of the next key is the last one still open; the ones
      // above it in the list have no subkeys left to visit.
      const std::string name = std::move(pending_.back());
      pending_.pop_back();
      Parent& parent = parents_.back();
      path.resize(parent.pathLength);
      if (!path.empty()) path.push_back('\\');
      path.append(name);
      result = OpenOwnedKey(api_, parent.key.get(), name, kKeyAllAccess, key);
      if (--parent.waiting == 0) parents_.pop_back();
    }
  }

  // Keys left out because a line break in their names has no written form.
  int Omitted() const { return omitted_; }

 private:
  struct Parent {
    UniqueKey key;
    std::size_t pathLength;
    std::size_t waiting;  // subkeys of it still in the list
  };

  // One key's block, from the result of opening it; its subkeys go on the
  // list, the key itself becoming their parent.
  void WriteKeyBlock(const std::string& path, long opened, UniqueKey& key) {
    // A subkey that went away since its parent was listed is no longer
    // there to back up.
    if (opened == kErrorFileNotFound) return;
    // Keys the user may not open with full access (read-only ones) keep
    // their key line alone; any other failure leaves the copy in doubt.
    if (opened != kErrorSuccess && opened != kErrorAccessDenied) {
      Fail("Failed to open the key", path, opened);
    }
    lines_.KeyLine(root_, path);
    if (opened == kErrorSuccess) {
      KeyInfo facts;
      if (api_.QueryInfoKey(key.get(), &facts) != kErrorSuccess) {
        Fail("Failed to list the key", path, kErrorSuccess);
      }
      WriteValues(key.get(), facts, path);
      const std::size_t listed = pending_.size();
      ListSubkeys(key.get(), facts, path);
      std::reverse(pending_.begin() + static_cast<std::ptrdiff_t>(listed), pending_.end());
      if (pending_.size() > listed) {
        parents_.push_back({std::move(key), path.size(), pending_.size() - listed});
      }
    }
    key.reset();
    if (afterBlock_) afterBlock_();
  }

  void WriteValues(RegKey key, const KeyInfo& facts, const std::string& path) {
    Reserve(name_, facts.longestValueName * MostBytesPerUnit() + 1);
    Reserve(data_, std::max<std::size_t>(facts.longestData, 1));
    for (std::uint32_t index = 0; index < facts.valueCount; ++index) {
      EnumeratedValue value;
      const long result = EnumValueWithData(api_, key, index, name_, data_, value);
      // Fewer values than the key query said: some were deleted meanwhile.
      if (result == kErrorNoMoreItems) break;
      if (result != kErrorSuccess) Fail("Failed to read the values of", path, result);
      lines_.ValueLine(std::string_view(name_.data(), value.nameLength), value.type, data_.data(),
                       value.size);
    }
  }

  // Appends the subkeys' names to the list, in the registry's order.
  void ListSubkeys(RegKey key, const KeyInfo& facts, const std::string& path) {
    Reserve(name_, (std::max<std::size_t>(facts.longestSubkeyName, kMaxKeyNameLength) + 1) *
                       MostBytesPerUnit());
    for (std::uint32_t index = 0; index < facts.subkeyCount; ++index) {
      std::uint32_t length = static_cast<std::uint32_t>(name_.size());
      const long result = api_.EnumKey(key, index, name_.data(), &length);
      if (result == kErrorNoMoreItems) break;
      if (result != kErrorSuccess) Fail("Failed to list the subkeys of", path, result);
      std::string name(name_.data(), std::min<std::size_t>(length, name_.size()));
      // A line break inside a key name would break the key line, and no
      // reader of the format has an escape for it: such a key and its
      // subtree stay out of the file rather than make the file unreadable.
      if (name.find_first_of("\r\n") != std::string::npos) {
        ++omitted_;
        continue;
      }
      pending_.push_back(std::move(name));
    }
  }

  [[noreturn]] void Fail(const char* what, const std::string& path, long result) {
    const std::string key = path.empty() ? RootName(root_) : RootName(root_) + "\\" + path;
    std::string message = std::string(what) + " '" + key + "'";
    if (result == kErrorNoUnicodeTranslation) {
      message += ": a name or text there has no exact form in the program's code page";
    }
    throw ERegistryException(message);
  }

  template <class Buffer>
  static void Reserve(Buffer& buffer, std::size_t size) {
    if (buffer.size() < size) buffer.resize(size);
  }

  RegistryApi& api_;
  RegKey root_;
  RegLineSink& lines_;
  std::function<void()> afterBlock_;
  std::vector<char> name_;
  std::vector<std::uint8_t> data_;
  int omitted_ = 0;
  std::vector<std::string> pending_;  // keys to visit, the next one last
  std::vector<Parent> parents_;       // open keys with subkeys still in the list
};

std::string WithoutTrailingBackslash(const std::string& keyPath) {
  if (!keyPath.empty() && keyPath.back() == '\\') return keyPath.substr(0, keyPath.size() - 1);
  return keyPath;
}

// One pass in one form, its bytes handed to `sink` a few hundred kilobytes
// at a time.
void ExportInForm(RegistryApi& api, RegKey root, const std::string& keyPath, RegForm form,
                  unsigned ansiCodePage, ExportSink& sink) {
  RegWriter writer(form, ansiCodePage);
  const auto flush = [&] {
    sink.Write(writer.Bytes());
    writer.Bytes().clear();
  };
  writer.Header();
  Exporter(api, root, writer, [&] {
    if (writer.Bytes().size() >= kFlushSize) flush();
  }).Run(keyPath);
  flush();
}

class StringSink final : public ExportSink {
 public:
  explicit StringSink(std::string& text) : text_(text) {}
  void Write(std::string_view bytes) override { text_.append(bytes); }
  void Restart() override { text_.clear(); }

 private:
  std::string& text_;
};

class FileSink final : public ExportSink {
 public:
  explicit FileSink(WholeFile& file) : file_(file) {}
  void Write(std::string_view bytes) override { file_.Write(bytes); }
  void Restart() override { file_.Rewind(); }

 private:
  WholeFile& file_;
};

}  // namespace

void ExportKey(RegistryApi& api, RegKey root, const std::string& keyPath, ExportSink& sink) {
  const std::string path = WithoutTrailingBackslash(keyPath);
  const unsigned ansiCodePage = ReadAnsiCodePage(api);
  try {
    ExportInForm(api, root, path, RegForm::kRegedit4, ansiCodePage, sink);
    return;
  } catch (const ENoExactForm&) {
    // A character the code page lacks: the whole file in the form that
    // holds every one.
  }
  sink.Restart();
  try {
    ExportInForm(api, root, path, RegForm::kVersion5, ansiCodePage, sink);
  } catch (const ENoExactForm& error) {
    throw ERegistryException(std::string("Failed to export '") + RootName(root) + "\\" + path +
                             "': " + error.what());
  }
}

void ExportKeyInto(RegistryApi& api, RegKey root, const std::string& keyPath, WholeFile& file) {
  FileSink sink(file);
  ExportKey(api, root, keyPath, sink);
}

bool ExportKeyToFile(RegistryApi& api, RegKey root, const std::string& keyPath,
                     const std::string& fileName, std::string* failure) {
  WholeFile file(fileName);
  if (!file.Open()) {
    if (failure) *failure = file.OpenFailure();
    return false;
  }
  ExportKeyInto(api, root, keyPath, file);
  return file.Publish(true);
}

std::string ExportKeyToText(RegistryApi& api, RegKey root, const std::string& keyPath) {
  std::string text;
  StringSink sink(text);
  ExportKey(api, root, keyPath, sink);
  return text;
}

bool AppendKeyBlocks(RegistryApi& api, RegKey root, const std::string& keyPath, RegLines& out) {
  Exporter exporter(api, root, out, nullptr);
  exporter.Run(WithoutTrailingBackslash(keyPath));
  return exporter.Omitted() == 0;
}

}  // namespace veltrane
