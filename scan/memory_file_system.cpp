#include "scan/memory_file_system.h"

#include <vector>

#include "base/names.h"
#include "base/text.h"

namespace veltrane {

struct MemoryFileSystem::Node {
  bool folder = true;
  std::map<std::string, std::unique_ptr<Node>> children;  // by folded name (FoldedName)
};

struct MemoryFileSystem::Parsed {
  bool valid = false;
  char drive = 0;
  std::vector<std::string> names;  // folded, "." and ".." resolved
  bool trailingSeparator = false;
  bool wildcardInFolder = false;
};

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsSeparator(char c) { return c == '\\' || c == '/'; }
bool HasWildcard(const std::string& name) { return name.find_first_of("*?") != std::string::npos; }

// "*" matches any run of characters, "?" exactly one; "*.*" matches every
// name, as it does on Windows. Both are folded names, in UTF-8.
bool Matches(const std::string& folded, const std::string& foldedName) {
  if (folded == "*.*") return true;
  const std::u16string pattern = ToUtf16(folded, kUtf8CodePage).value_or(u"");
  const std::u16string name = ToUtf16(foldedName, kUtf8CodePage).value_or(u"");
  std::size_t p = 0, n = 0, star = std::u16string::npos, resume = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
      ++p;
      ++n;
    } else if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = n;
    } else if (star != std::u16string::npos) {
      p = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace

MemoryFileSystem::MemoryFileSystem() = default;
MemoryFileSystem::~MemoryFileSystem() = default;

MemoryFileSystem::Parsed MemoryFileSystem::Parse(const std::string& path) {
  Parsed parsed;
  if (path.size() < 2 || path[1] != ':') return parsed;
  const char drive = Lower(path[0]);
  if (drive < 'a' || drive > 'z') return parsed;
  if (path.size() > 2 && !IsSeparator(path[2])) return parsed;  // drive-relative: not ours
  parsed.drive = drive;
  std::vector<std::string> raw;
  std::string current;
  for (std::size_t i = 2; i < path.size(); ++i) {
    if (IsSeparator(path[i])) {
      raw.push_back(current);
      current.clear();
    } else {
      current.push_back(path[i]);
    }
  }
  raw.push_back(current);
  parsed.trailingSeparator = path.size() > 3 && IsSeparator(path.back());
  for (std::size_t i = 0; i < raw.size(); ++i) {
    std::string name = raw[i];
    const bool last = i + 1 == raw.size();
    if (name == "." || name.empty()) continue;
    if (name == "..") {
      if (!parsed.names.empty()) parsed.names.pop_back();
      continue;
    }
    // The last name loses its trailing blanks and dots.
    if (last) name.erase(name.find_last_not_of(" .") + 1);
    if (name.empty()) continue;
    if (!last && HasWildcard(name)) parsed.wildcardInFolder = true;
    parsed.names.push_back(FoldedName(name));
  }
  parsed.valid = true;
  return parsed;
}

MemoryFileSystem::Node* MemoryFileSystem::Find(const Parsed& parsed, std::size_t components) {
  auto drive = drives_.find(parsed.drive);
  if (drive == drives_.end()) return nullptr;
  Node* node = drive->second.get();
  for (std::size_t i = 0; i < components; ++i) {
    if (!node->folder) return nullptr;
    auto child = node->children.find(parsed.names[i]);
    if (child == node->children.end()) return nullptr;
    node = child->second.get();
  }
  return node;
}

MemoryFileSystem::Node* MemoryFileSystem::Make(const std::string& path, bool folder) {
  const Parsed parsed = Parse(path);
  if (!parsed.valid) return nullptr;
  auto& drive = drives_[parsed.drive];
  if (!drive) drive = std::make_unique<Node>();
  Node* node = drive.get();
  for (std::size_t i = 0; i < parsed.names.size(); ++i) {
    if (!node->folder) return nullptr;
    auto& child = node->children[parsed.names[i]];
    if (!child) {
      child = std::make_unique<Node>();
      child->folder = folder || i + 1 < parsed.names.size();
    }
    node = child.get();
  }
  return node;
}

void MemoryFileSystem::AddFile(const std::string& path) { Make(path, false); }
void MemoryFileSystem::AddFolder(const std::string& path) { Make(path, true); }

bool MemoryFileSystem::Remove(const std::string& path) {
  const Parsed parsed = Parse(path);
  if (!parsed.valid || parsed.names.empty()) return false;
  Node* parent = Find(parsed, parsed.names.size() - 1);
  if (!parent || !parent->folder) return false;
  return parent->children.erase(parsed.names.back()) > 0;
}

bool MemoryFileSystem::FileExists(const std::string& path) {
  ++probes_;
  if (OnProbe) OnProbe(path);
  const Parsed parsed = Parse(path);
  // FindFirstFileA finds nothing for a drive root or a path ending in a
  // separator, and takes no wildcards above the last name.
  if (!parsed.valid || parsed.names.empty() || parsed.trailingSeparator ||
      parsed.wildcardInFolder) {
    return false;
  }
  Node* folder = Find(parsed, parsed.names.size() - 1);
  if (!folder || !folder->folder) return false;
  const std::string& pattern = parsed.names.back();
  if (!HasWildcard(pattern)) {
    auto entry = folder->children.find(pattern);
    return entry != folder->children.end() && !entry->second->folder;
  }
  // The first entry decides. Folders below a drive root list "." and ".."
  // before their own entries, and those are folders.
  const bool driveRoot = parsed.names.size() == 1;
  if (!driveRoot && (Matches(pattern, ".") || Matches(pattern, ".."))) return false;
  for (const auto& [name, node] : folder->children) {
    if (Matches(pattern, name)) return !node->folder;
  }
  return false;
}

bool MemoryFileSystem::FolderExists(const std::string& path) {
  ++probes_;
  if (OnProbe) OnProbe(path);
  const Parsed parsed = Parse(path);
  if (!parsed.valid || parsed.wildcardInFolder ||
      (!parsed.names.empty() && HasWildcard(parsed.names.back()))) {
    return false;
  }
  Node* node = Find(parsed, parsed.names.size());
  return node && node->folder;
}

}  // namespace veltrane
