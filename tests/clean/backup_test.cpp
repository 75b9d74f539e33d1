#include "clean/backup.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "clean/reg_export.h"
#include "registry/memory_registry.h"
#include "tests/support/failing_registry.h"
#include "tests/support/files.h"
#include "tests/support/registry_seed.h"
#include "tests/support/throwaway.h"
#include "tests/support/tree.h"

namespace veltrane::testing {
namespace {

class BackupTest : public ::testing::Test {
 protected:
  BackupTest() { seed_.Text("Software\\Vendor", "path", "C:\\x"); }

  std::string Folder() const { return folder_.Path(); }

  MemoryRegistry api_;
  RegistrySeed seed_{api_};
  TempFolder folder_;
};

TEST_F(BackupTest, FirstBackupIsWrittenAndNeverReplaced) {
  EXPECT_EQ(FindBackupFile(Folder()), "");
  EXPECT_TRUE(WriteBackupIfMissing(api_, Folder()));
  const std::string file = FindBackupFile(Folder());
  ASSERT_NE(file, "");
  const std::string first = ReadFile(file);
  EXPECT_EQ(first.rfind("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software]\r\n", 0), 0u);
  EXPECT_NE(first.find("[HKEY_CURRENT_USER\\Software\\Vendor]\r\n\"path\"=\"C:\\\\x\"\r\n"),
            std::string::npos);

  // A later scan finds it and leaves it be, whatever the registry holds now.
  seed_.Key("Software\\Later");
  EXPECT_FALSE(WriteBackupIfMissing(api_, Folder()));
  EXPECT_EQ(ReadFile(file), first);

  // Deleted between two scans: the next one writes a fresh backup.
  std::filesystem::remove(file);
  EXPECT_TRUE(WriteBackupIfMissing(api_, Folder()));
  EXPECT_NE(ReadFile(FindBackupFile(Folder())).find("Software\\Later]"), std::string::npos);
}

TEST_F(BackupTest, NameInAnyLetterCaseIsTheBackup) {
  WriteFile(Folder() + "BackupHKCU.Reg", "old");
  EXPECT_EQ(std::filesystem::path(FindBackupFile(Folder())).filename().string(), "BackupHKCU.Reg");
  EXPECT_FALSE(WriteBackupIfMissing(api_, Folder()));
  EXPECT_EQ(ReadFile(Folder() + "BackupHKCU.Reg"), "old");
}

TEST_F(BackupTest, FolderOfThatNameIsNoBackup) {
  std::filesystem::create_directory(Folder() + kBackupFileName);
  EXPECT_EQ(FindBackupFile(Folder()), "");
  // The export is attempted. Where names ignore case the folder stands in
  // its way and nothing is written; elsewhere backuphkcu.REG is a file of
  // its own.
  const bool written = WriteBackupIfMissing(api_, Folder());
#ifdef _WIN32
  EXPECT_FALSE(written);
  EXPECT_TRUE(std::filesystem::is_directory(Folder() + kBackupFileName));
#else
  EXPECT_TRUE(written);
  EXPECT_EQ(FindBackupFile(Folder()), Folder() + kBackupWriteName);
#endif
}

#ifndef _WIN32
TEST_F(BackupTest, CutOffBackupIsRemoved) {
  for (int i = 0; i < 200; ++i) {
    seed_.Key("Software\\Bulk\\k" + std::to_string(i));
  }
  {
    FileSizeLimit limit(300);
    EXPECT_THROW(WriteBackupIfMissing(api_, Folder()), EInOutError);
  }
  EXPECT_EQ(FindBackupFile(Folder()), "");
  EXPECT_FALSE(std::filesystem::exists(Folder() + kBackupWriteName));
}
#endif

// Whatever registry call fails mid-way, no backup is left to stand in for
// a whole one, and the next scan writes a whole one.
TEST_F(BackupTest, ExportInterruptedAtAnyCallLeavesNoBackup) {
  for (int i = 0; i < 4; ++i) {
    seed_.Raw("Software\\Vendor\\k" + std::to_string(i), "bin", kRegBinary, "\x01\x02");
  }
  const std::string whole = ExportKeyToText(api_, kHkeyCurrentUser, "Software");
  FailingRegistry counting(api_, 0);
  ExportKeyToText(counting, kHkeyCurrentUser, "Software");
  for (std::uint64_t failAt = 1; failAt <= counting.calls; ++failAt) {
    SCOPED_TRACE("call " + std::to_string(failAt));
    FailingRegistry failing(api_, failAt);
    EXPECT_ANY_THROW(WriteBackupIfMissing(failing, Folder()));
    EXPECT_EQ(FindBackupFile(Folder()), "");
    EXPECT_TRUE(std::filesystem::is_empty(Folder()));
  }
  EXPECT_TRUE(WriteBackupIfMissing(api_, Folder()));
  EXPECT_EQ(ReadFile(FindBackupFile(Folder())), whole);
}

TEST(ExecutableFolderTest, EndsInASeparatorAndHoldsThisProgram) {
  const std::string folder = ExecutableFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_TRUE(folder.back() == '/' || folder.back() == '\\');
  EXPECT_TRUE(std::filesystem::is_directory(folder));
}

}  // namespace
}  // namespace veltrane::testing
