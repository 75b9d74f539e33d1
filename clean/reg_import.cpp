#include "clean/reg_import.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <memory>

#include <sys/stat.h>
#include <sys/types.h>
#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

#include "clean/file_error.h"
#include "clean/import_journal.h"
#include "clean/reg_format.h"
#include "clean/unique_file.h"
#include "registry/tregistry.h"
#include "registry/typed_value.h"
#include "registry/unique_key.h"

namespace veltrane {
namespace {

// Access for the key the value lines go to: write them, and read what they
// replace.
constexpr std::uint32_t kValueAccess = kKeyWrite | kKeyQueryValue;

struct ApplyFailure {
  int line;
  std::string message;
};

// Applies the operations in file order, recording before each change what
// it replaces. A step the registry refuses ends the run with an
// ApplyFailure; the caller then undoes the journal.
class Applier {
 public:
  // `unchanged`: values known to hold already what their lines ask
  // (GatherImportUndo), which need no reading; empty when unknown.
  Applier(RegistryApi& api, ImportJournal& journal, ImportSummary& summary,
          const std::vector<bool>& unchanged)
      : api_(api), journal_(journal), summary_(summary), unchanged_(unchanged) {}

  void Run(const std::vector<RegOperation>& operations) {
    for (std::size_t i = 0; i < operations.size(); ++i) {
      known_ = i < unchanged_.size() && unchanged_[i];
      const RegOperation& operation = operations[i];
      switch (operation.kind) {
        case RegOperation::kOpenKey: OpenKeyLine(operation, HasValueLines(operations, i)); break;
        case RegOperation::kDeleteKey: DeleteKeyLine(operation); break;
        case RegOperation::kSetValue: SetValueLine(operation); break;
        case RegOperation::kDeleteValue: DeleteValueLine(operation); break;
      }
    }
  }

 private:
  [[noreturn]] static void Fail(const RegOperation& operation, const std::string& what, long code) {
    throw ApplyFailure{operation.line, what + ": " + SystemErrorText(code)};
  }

  bool Exists(const RegOperation& operation, const std::string& path, bool askRegistry = false) {
    if (!askRegistry && journal_.InsideCreated(operation.root, path)) return true;
    const long result = KeyPresence(api_, operation.root, path);
    if (result != kErrorSuccess && result != kErrorFileNotFound) {
      Fail(operation, "cannot open the key " + KeyName(operation.root, path), result);
    }
    return result == kErrorSuccess;
  }

  void OpenKeyLine(const RegOperation& operation, bool hasValues) {
    current_.reset();
    root_ = operation.root;
    path_ = operation.path;
    fresh_ = journal_.InsideCreated(root_, path_);
    if (!fresh_) {
      const long result = OpenOwnedKey(api_, root_, path_, kValueAccess, current_);
      if (result == kErrorSuccess) {
        ++summary_.keys;
        return;
      }
      // A key that is there but will not open for writing, with nothing
      // to write in it: the export writes such bare lines for keys it
      // could not read, and the file asks nothing of them.
      if (result == kErrorAccessDenied && !hasValues) {
        ++summary_.passedOver;
        return;
      }
      if (result != kErrorFileNotFound) {
        Fail(operation, "cannot open the key " + KeyName(root_, path_), result);
      }
      journal_.KeyCreated(operation.line, root_,
                          TopmostMissing(path_, [&](const std::string& above) {
                            return Exists(operation, above);
                          }));
      fresh_ = true;
    }
    const long result = CreateOwnedKey(api_, root_, path_, kValueAccess, current_);
    if (result != kErrorSuccess) {
      Fail(operation, "cannot create the key " + KeyName(root_, path_), result);
    }
    ++summary_.keys;
  }

  void DeleteKeyLine(const RegOperation& operation) {
    current_.reset();
    if (!journal_.InsideCreated(operation.root, operation.path)) {
      SavedTree tree;
      const long result = ReadSavedTree(api_, operation.root, operation.path, tree);
      // A key that is not there is as good as deleted.
      if (result == kErrorFileNotFound) return;
      if (result != kErrorSuccess) {
        Fail(operation, "cannot read the key " + KeyName(operation.root, operation.path), result);
      }
      journal_.TreeDeleting(operation.line, operation.root, operation.path, std::move(tree));
    }
    TRegistry registry(api_);
    registry.SelectRoot(operation.root);
    if (registry.RemoveKey("\\" + operation.path)) {
      ++summary_.deletedKeys;
    } else if (Exists(operation, operation.path, true)) {
      Fail(operation, "cannot delete the key " + KeyName(operation.root, operation.path),
           kErrorAccessDenied);
    }
  }

  // What the value held before, recorded unless the key is new. False when
  // it already holds `wanted` (or is absent and `wanted` is null): nothing
  // to change.
  bool RecordValue(const RegOperation& operation, const SavedValue* wanted) {
    if (fresh_) return true;
    if (known_) return false;
    SavedValue before;
    const long result = ReadSavedValue(api_, current_.get(), operation.name, before);
    if (result != kErrorSuccess) {
      Fail(operation, "cannot read " + ValueWords(operation.name) + " before changing it", result);
    }
    if (!wanted ? !before.existed
                : before.existed && before.type == wanted->type && before.data == wanted->data) {
      return false;
    }
    journal_.ValueChanging(operation.line, root_, path_, operation.name, std::move(before));
    return true;
  }

  void SetValueLine(const RegOperation& operation) {
    const SavedValue wanted{true, operation.type, operation.data};
    if (RecordValue(operation, &wanted)) {
      const long result =
          api_.SetValue(current_.get(), operation.name, operation.type, operation.data.data(),
                        static_cast<std::uint32_t>(operation.data.size()));
      if (result != kErrorSuccess) {
        Fail(operation, "cannot write " + ValueWords(operation.name), result);
      }
    }
    ++summary_.values;
  }

  void DeleteValueLine(const RegOperation& operation) {
    if (!RecordValue(operation, nullptr)) return;
    const long result = api_.DeleteValue(current_.get(), operation.name);
    if (result == kErrorSuccess) {
      ++summary_.deletedValues;
    } else if (result != kErrorFileNotFound) {
      Fail(operation, "cannot delete " + ValueWords(operation.name), result);
    }
  }

  RegistryApi& api_;
  ImportJournal& journal_;
  ImportSummary& summary_;
  const std::vector<bool>& unchanged_;
  bool known_ = false;  // the operation at hand is known to change nothing
  UniqueKey current_;   // the key the value lines go to
  RegKey root_ = 0;
  std::string path_;
  bool fresh_ = false;  // the current key lies inside a key this import made
};

// The registry's 8-bit functions end a name at a zero byte, so a name
// holding one would reach another key or value than the file names (a
// deletion of "A\<zero>x" would take A itself).
bool NamesAreWhole(const std::vector<RegOperation>& operations, RegImportError& error) {
  for (const RegOperation& operation : operations) {
    if (operation.path.find('\0') != std::string::npos ||
        operation.name.find('\0') != std::string::npos) {
      error = {operation.line, "a name holds a zero character, which the registry cannot take"};
      return false;
    }
  }
  return true;
}

// Opens the file for reading. A pipe with no writer opens at once rather
// than waiting for one: it is refused anyway.
UniqueFile OpenForReading(const std::string& fileName) {
#ifdef _WIN32
  return UniqueFile(std::fopen(fileName.c_str(), "rb"));
#else
  const int descriptor = ::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (descriptor < 0) return nullptr;
  ::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
  UniqueFile file(::fdopen(descriptor, "rb"));
  if (!file) ::close(descriptor);
  return file;
#endif
}

// What the open file is when it is not a regular file ("a pipe"), with
// its size in `size`; null for a regular file. A pipe or a device has no
// end to read up to, and a folder no text.
const char* NotARegularFile(std::FILE* file, std::uint64_t& size) {
#ifdef _WIN32
  struct _stat64 facts;
  if (_fstat64(_fileno(file), &facts) != 0) return "something other than a file";
#else
  struct stat facts;
  if (::fstat(fileno(file), &facts) != 0) return "something other than a file";
#endif
  size = static_cast<std::uint64_t>(facts.st_size);
  if (S_ISREG(facts.st_mode)) return nullptr;
  if (S_ISDIR(facts.st_mode)) return "a folder";
  if (S_ISFIFO(facts.st_mode)) return "a pipe";
  if (S_ISCHR(facts.st_mode) || S_ISBLK(facts.st_mode)) return "a device";
  return "something other than a file";
}

std::string Sentence(std::string text) {
  if (!text.empty() && text.back() != '.') text.push_back('.');
  return text;
}

}  // namespace

bool ImportRegText(RegistryApi& api, std::string_view bytes, ImportSummary& summary,
                   RegImportError& error, ImportUndo* undo) {
  summary = ImportSummary{};
  std::vector<RegOperation> operations;
  if (!ParseRegFile(bytes, ReadAnsiCodePage(api), operations, error) ||
      !NamesAreWhole(operations, error)) {
    error.message = Sentence(error.message) + " Nothing was changed.";
    return false;
  }
  std::vector<bool> unchanged;
  if (undo && !WriteImportUndo(api, operations, *undo, error, &unchanged)) {
    error.message = Sentence(error.message) + " Nothing was changed.";
    return false;
  }
  ImportJournal journal;
  try {
    Applier(api, journal, summary, unchanged).Run(operations);
    return true;
  } catch (const ApplyFailure& failure) {
    error.line = failure.line;
    error.message = Sentence(failure.message);
  } catch (const std::exception& failure) {
    // Out of memory while recording, say: put back what was done so far.
    error.line = 0;
    error.message = Sentence(failure.what());
  }
  summary = ImportSummary{};
  const std::vector<std::string> left = journal.Undo(api);
  if (left.empty()) {
    error.message += " Nothing was changed.";
  } else {
    error.message += " Putting back what the import had changed failed for " +
                     std::to_string(left.size()) + (left.size() == 1 ? " change" : " changes") +
                     ", so the registry still differs from before: ";
    for (std::size_t i = 0; i < left.size(); ++i) error.message += (i ? "; " : "") + left[i];
    error.message += ".";
    if (undo && !undo->file.empty()) {
      error.message += " Importing " + undo->file + " puts back the rest.";
    }
  }
  return false;
}

bool ReadRegFile(const std::string& fileName, std::string& bytes, RegImportError& error) {
  bytes.clear();
  UniqueFile file = OpenForReading(fileName);
  if (!file) {
    error = {0, FileFailure("open", fileName, LastLibraryFileError())};
    return false;
  }
  std::uint64_t size = 0;
  if (const char* what = NotARegularFile(file.get(), size)) {
    error = {0, "cannot read " + fileName + ": it is " + what + ", not a file."};
    return false;
  }
  const auto tooLarge = [&] {
    bytes = std::string();
    error = {0, "cannot read " + fileName + ": it holds more than " +
                    std::to_string(kMostImportBytes) +
                    " bytes (1 GiB), the most a file to import may hold."};
    return false;
  };
  if (size > kMostImportBytes) return tooLarge();
  // One byte more than the file holds, to see whether it grew meanwhile;
  // whatever it does, no more than the bound is ever read.
  bytes.resize(static_cast<std::size_t>(size) + 1);
  std::size_t filled = 0;
  for (;;) {
    if (filled == bytes.size()) {
      if (filled > kMostImportBytes) return tooLarge();
      bytes.resize(static_cast<std::size_t>(
          std::min<std::uint64_t>(kMostImportBytes + 1, filled + filled / 2 + (1 << 16))));
    }
    const std::size_t count =
        std::fread(bytes.data() + filled, 1, bytes.size() - filled, file.get());
    if (count == 0) break;
    filled += count;
  }
  if (std::ferror(file.get())) {
    bytes = std::string();
    error = {0, FileFailure("read", fileName, LastLibraryFileError())};
    return false;
  }
  if (filled > kMostImportBytes) return tooLarge();
  bytes.resize(filled);
  return true;
}

bool ImportRegFile(RegistryApi& api, const std::string& fileName, ImportSummary& summary,
                   RegImportError& error, ImportUndo* undo) {
  summary = ImportSummary{};
  if (undo) undo->file.clear();
  std::string bytes;
  return ReadRegFile(fileName, bytes, error) && ImportRegText(api, bytes, summary, error, undo);
}

}  // namespace veltrane
