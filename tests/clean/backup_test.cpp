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
    std::string failure;
    EXPECT_FALSE(WriteBackupIfMissing(api_, Folder(), &failure));
    EXPECT_NE(failure.find("the backup could not be written to " + Folder()), std::string::npos)
        << failure;
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

// The program's folder first, then the per-user one; a backup in either is
// the backup.
TEST_F(BackupTest, GoesToTheUserFolderWhenTheProgramsFolderTakesNoFile) {
  WriteFile(Folder() + "file", "");
  const std::string refusing = Folder() + "file/program/";  // its parent is a file
  TempFolder user;
  const std::string own = user.Path() + "Veltrane/";  // made on first use

  BackupOutcome outcome = EnsureBackup(api_, {refusing, own});
  EXPECT_EQ(outcome.state, BackupOutcome::kWritten);
  EXPECT_EQ(outcome.file, own + kBackupWriteName);
  EXPECT_NE(ReadFile(outcome.file).find("Software\\Vendor]"), std::string::npos);

  // Found there by the next attempt, even with the program's folder
  // writable again: never written twice.
  outcome = EnsureBackup(api_, {Folder(), own});
  EXPECT_EQ(outcome.state, BackupOutcome::kFound);
  EXPECT_EQ(outcome.file, own + kBackupWriteName);
  EXPECT_EQ(FindBackupFile(Folder()), "");

  // No place at all: the reason names every folder tried.
  outcome = EnsureBackup(api_, {refusing, Folder() + "file/user/"});
  EXPECT_EQ(outcome.state, BackupOutcome::kFailed);
  EXPECT_EQ(outcome.failure.rfind("the backup could not be written to " + refusing + " or " +
                                      Folder() + "file/user/ (cannot create ",
                                  0),
            0u)
      << outcome.failure;
}

#ifndef _WIN32
// Each writer has a temporary of its own, named by its process: process 1
// always runs, and no process has the highest id.
TEST_F(BackupTest, AnotherWriterIsWaitedForAndAnEndedOnesTemporaryRemoved) {
  const std::string ended = Folder() + kBackupWriteName + ".2147483646.partial";
  const std::string running = Folder() + kBackupWriteName + ".1.partial";
  WriteFile(ended, "half");
  WriteFile(running, "half");

  BackupOutcome outcome = EnsureBackup(api_, {Folder()});
  EXPECT_EQ(outcome.state, BackupOutcome::kBusy);
  EXPECT_EQ(outcome.failure,
            "another Veltrane is writing the backup (process 1, in " + Folder() + ")");
  EXPECT_FALSE(std::filesystem::exists(ended));
  EXPECT_TRUE(std::filesystem::exists(running));

  // It finishes while this one waits: its backup is the backup.
  int waits = 0;
  outcome = EnsureBackup(api_, {Folder()}, [&](int) {
    if (++waits < 3) return;
    WriteFile(Folder() + kBackupWriteName, "theirs");
    std::filesystem::remove(running);
  });
  EXPECT_EQ(outcome.state, BackupOutcome::kFound);
  EXPECT_EQ(waits, 3);
  EXPECT_EQ(ReadFile(outcome.file), "theirs");

  // It never finishes: the wait has a bound.
  std::filesystem::remove(outcome.file);
  WriteFile(running, "half");
  waits = 0;
  outcome = EnsureBackup(
      api_, {Folder()}, [&](int) { ++waits; }, 300);
  EXPECT_EQ(outcome.state, BackupOutcome::kBusy);
  EXPECT_EQ(waits, 3);
  EXPECT_EQ(FindBackupFile(Folder()), "");

  // It ended without a backup: this one writes it.
  std::filesystem::rename(running, ended);
  EXPECT_EQ(EnsureBackup(api_, {Folder()}).state, BackupOutcome::kWritten);
  EXPECT_FALSE(std::filesystem::exists(ended));
}
#endif

TEST(ExecutableFolderTest, EndsInASeparatorAndHoldsThisProgram) {
  const std::string folder = ExecutableFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_TRUE(folder.back() == '/' || folder.back() == '\\');
  EXPECT_TRUE(std::filesystem::is_directory(folder));
}

}  // namespace
}  // namespace veltrane::testing
