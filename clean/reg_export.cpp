#include "clean/reg_export.h"

#include <algorithm>
#include <functional>
#include <vector>

#include "base/text.h"
#include "clean/reg_format.h"
#include "registry/tregistry.h"

namespace veltrane {
namespace {

constexpr std::size_t kFlushSize = 1 << 18;

// One export: the wrapper, where its lines go and what to do after each
// key's block. Each key is opened once, its values read with their data in
// one enumeration pass, its subkey names listed, and closed before its
// subkeys are visited, so at most one key is open at a time.
//
// A key that may not be opened keeps its key line and loses the rest; one
// that fails otherwise, or opened but cannot be listed or read, ends the
// export with an error, since a backup that silently lacks entries would
// restore as less than there was. So does a name or text that the program
// cannot read exactly (1113): it would restore as something else.
class Exporter {
 public:
  Exporter(RegistryApi& api, RegKey root, RegLineSink& lines, std::function<void()> afterBlock)
      : registry_(api), root_(root), lines_(lines), afterBlock_(std::move(afterBlock)) {
    registry_.SelectRoot(root);
  }

  void Run(const std::string& keyPath) { WriteKeyBlock(keyPath, true); }

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
        Fail("Failed to open the key", path, result);
      }
    }

    lines_.KeyLine(root_, path);

    if (opened) {
      KeyInfo facts;
      if (registry_.Api().QueryInfoKey(registry_.OpenHandle(), &facts) != kErrorSuccess) {
        Fail("Failed to list the key", path, kErrorSuccess);
      }
      WriteValues(facts, path);
      ListSubkeys(facts, path, subkeys);
      registry_.ClosePath();
    }
    if (afterBlock_) afterBlock_();

    for (const std::string& name : subkeys) {
      WriteKeyBlock(path.empty() ? name : path + "\\" + name, false);
    }
  }

  void WriteValues(const KeyInfo& facts, const std::string& path) {
    const RegKey key = registry_.OpenHandle();
    Reserve(name_, facts.longestValueName * MostBytesPerUnit() + 1);
    Reserve(data_, std::max<std::size_t>(facts.longestData, 1));
    for (std::uint32_t index = 0; index < facts.valueCount; ++index) {
      EnumeratedValue value;
      const long result = EnumValueWithData(registry_.Api(), key, index, name_, data_, value);
      // Fewer values than the key query said: some were deleted meanwhile.
      if (result == kErrorNoMoreItems) break;
      if (result != kErrorSuccess) Fail("Failed to read the values of", path, result);
      lines_.ValueLine(std::string_view(name_.data(), value.nameLength), value.type, data_.data(),
                       value.size);
    }
  }

  void ListSubkeys(const KeyInfo& facts, const std::string& path,
                   std::vector<std::string>& subkeys) {
    RegistryApi& api = registry_.Api();
    const RegKey key = registry_.OpenHandle();
    Reserve(name_, (std::max<std::size_t>(facts.longestSubkeyName, kMaxKeyNameLength) + 1) *
                       MostBytesPerUnit());
    subkeys.reserve(facts.subkeyCount);
    for (std::uint32_t index = 0; index < facts.subkeyCount; ++index) {
      std::uint32_t length = static_cast<std::uint32_t>(name_.size());
      const long result = api.EnumKey(key, index, name_.data(), &length);
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
      subkeys.push_back(std::move(name));
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

  TRegistry registry_;
  RegKey root_;
  RegLineSink& lines_;
  std::function<void()> afterBlock_;
  std::vector<char> name_;
  std::vector<std::uint8_t> data_;
  int omitted_ = 0;
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
