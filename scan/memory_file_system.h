// A file system held in memory that answers the two existence questions as
// FindFirstFileA and GetFileAttributesA do on Windows: names compare without
// regard to (ASCII) case, blanks and dots at the end of the last name are
// dropped, "\" and "/" both separate names, "." and ".." are followed, and
// "*" and "?" in the last name are wildcards for the file lookup. A folder
// other than a drive root lists "." and ".." first, as Windows does, so a
// pattern they match finds a folder first.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "scan/file_probe.h"

namespace veltrane {

class MemoryFileSystem final : public FileProbe {
 public:
  MemoryFileSystem();
  ~MemoryFileSystem() override;

  // Adds a file or folder by absolute path ("C:\a\b"), with every folder
  // above it. A name already taken by the other kind is left as it is.
  void AddFile(const std::string& path);
  void AddFolder(const std::string& path);
  // Removes the entry and everything below it; false if there was none.
  bool Remove(const std::string& path);

  bool FileExists(const std::string& path) override;
  bool FolderExists(const std::string& path) override;

  // Number of lookups answered so far, and a hook called before each one
  // (tests change the world from it).
  std::uint64_t ProbeCount() const { return probes_; }
  std::function<void(const std::string& path)> OnProbe;

 private:
  struct Node;
  struct Parsed;
  static Parsed Parse(const std::string& path);
  Node* Find(const Parsed& parsed, std::size_t components);
  Node* Make(const std::string& path, bool folder);

  std::map<char, std::unique_ptr<Node>> drives_;
  std::uint64_t probes_ = 0;
};

}  // namespace veltrane
