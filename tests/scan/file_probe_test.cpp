#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "scan/file_probe.h"
#include "scan/memory_file_system.h"
#include "tests/scan/support/probe_cases.h"

namespace veltrane::testing {
namespace {

class MemoryFileSystemTest : public ::testing::Test {
 protected:
  MemoryFileSystemTest() {
    files.AddFolder("C:\\");
    files.AddFolder(root);
    for (const ProbeEntry& entry : ProbeLayout()) {
      if (entry.folder) {
        files.AddFolder(root + entry.path);
      } else {
        files.AddFile(root + entry.path);
      }
    }
  }
  const std::string root = "C:\\probe";
  MemoryFileSystem files;
};

TEST_F(MemoryFileSystemTest, AnswersAsWindowsLookupsDo) {
  for (const ProbeCase& test : ProbeCases()) {
    SCOPED_TRACE("\"" + root + test.path + "\"");
    EXPECT_EQ(files.FileExists(root + test.path), test.file);
    EXPECT_EQ(files.FolderExists(root + test.path), test.folder);
  }
  EXPECT_FALSE(files.FileExists("C:\\"));
  EXPECT_TRUE(files.FolderExists("C:\\"));
  EXPECT_FALSE(files.FolderExists("D:\\"));
  EXPECT_FALSE(files.FolderExists("probe"));  // relative paths name nothing here
}

TEST_F(MemoryFileSystemTest, RemovesEntriesWithEverythingBelow) {
  EXPECT_TRUE(files.Remove(root + "\\FOLDER"));
  EXPECT_FALSE(files.FileExists(root + "\\Folder\\Inner.txt"));
  EXPECT_FALSE(files.Remove(root + "\\Folder"));
  EXPECT_TRUE(files.FileExists(root + "\\File.txt"));
}

TEST_F(MemoryFileSystemTest, PathIsMissingDisregardsTrailingBlanksAndStopsAtAZeroByte) {
  struct Case {
    std::string path;
    bool missing;
  };
  const std::vector<Case> cases = {
      {root + "\\File.txt   ", false},
      {root + "\\Folder ", false},
      {root + std::string("\\File.txt\0junk", 14), false},
      {root + "\\Gone  ", true},
      {"   ", true},
      {"", true},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE("\"" + test.path + "\"");
    EXPECT_EQ(PathIsMissing(files, test.path), test.missing);
  }
  // Trailing blanks never reach the lookups.
  std::vector<std::string> seen;
  files.OnProbe = [&](const std::string& path) { seen.push_back(path); };
  PathIsMissing(files, "C:\\Gone \t  ");
  EXPECT_EQ(seen, (std::vector<std::string>{"C:\\Gone \t", "C:\\Gone \t"}));
}

}  // namespace
}  // namespace veltrane::testing
