// What the file lookups answer, as a table shared by the in-memory file
// system's test and the same test on the real file system under Wine: the
// fake must answer as the platform does.
#pragma once

#include <string>
#include <vector>

namespace veltrane::testing {

// Made below a root folder before the cases run.
struct ProbeEntry {
  const char* path;  // below the root, with a leading backslash
  bool folder;
};
inline const std::vector<ProbeEntry>& ProbeLayout() {
  static const std::vector<ProbeEntry> layout = {
      {"\\Folder", true},
      {"\\Folder\\Inner.txt", false},
      {"\\File.txt", false},
      {"\\app.exe", false},
  };
  return layout;
}

struct ProbeCase {
  std::string path;  // appended to the root
  bool file;         // FileExists
  bool folder;       // FolderExists
};
inline const std::vector<ProbeCase>& ProbeCases() {
  static const std::vector<ProbeCase> cases = {
      {"", false, true},  // the root folder itself: found, but a folder
      {"\\File.txt", true, false},
      {"\\FILE.TXT", true, false},
      {"\\File.txt ", true, false},
      {"\\File.txt.", true, false},
      {"\\File.txt\\", false, false},
      {"\\Folder", false, true},
      {"\\Folder\\", false, true},
      {"\\folder\\inner.TXT", true, false},
      {"\\Folder/Inner.txt", true, false},
      {"\\Folder\\..\\File.txt", true, false},
      {"\\Folder\\.\\Inner.txt", true, false},
      {"\\Folder\\\\Inner.txt", true, false},
      {"\\Fil?.txt", true, false},
      {"\\File.*", true, false},
      {"\\*.exe", true, false},
      {"\\Fold*", false, false},          // the first match is a folder
      {"\\Folder\\*", false, false},      // "." comes first
      {"\\F*\\Inner.txt", false, false},  // no wildcards above the last name
      {"\\Missing.txt", false, false},
      {"\\Missing\\", false, false},
      {"\\Missing\\File.txt", false, false},
  };
  return cases;
}

}  // namespace veltrane::testing
