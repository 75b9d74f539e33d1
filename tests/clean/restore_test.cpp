#include "clean/restore.h"

#include <gtest/gtest.h>

#include "clean/backup.h"
#include "clean/reg_export.h"
#include "clean/reg_import.h"
#include "registry/memory_registry.h"
#include "registry/tregistry.h"
#include "tests/support/files.h"
#include "tests/support/recording_desktop.h"
#include "tests/support/registry_seed.h"
#include "tests/support/throwaway.h"
#include "tests/support/tree.h"

namespace veltrane::testing {
namespace {

using enum RecordingDesktop::Kind;

class RestoreTest : public ::testing::Test {
 protected:
  void SetProductName(const std::string& name) {
    RegistrySeed(api_, kHkeyLocalMachine)
        .Text("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "ProductName", name);
  }

  RestoreResult Restore(bool underWine = false) {
    RestoreContext context{api_,           desktop_,  55,
                           folder_.Path(), underWine, [this](int ms) { waits_.push_back(ms); }};
    context.pollMs = 100;
    context.timeoutMs = 2000;
    context.userFolder = UserFolder();
    return RestoreFromBackup(context);
  }

  // A backup beside the program, and an editor that imports it at the
  // Enter key-down (or, with `imports` false, does nothing at all).
  void BackupAndEditor(bool imports = true) {
    RegistrySeed(api_).Text("Software\\Vendor", "path", "C:\\kept");
    if (FindBackupFile(folder_.Path()).empty()) {
      ASSERT_TRUE(WriteBackupIfMissing(api_, folder_.Path()));
    }
    TRegistry(api_).RemoveKey("\\Software\\Vendor");
    desktop_.onPost = [this, imports](unsigned message) {
      if (message != kWmKeyDown || !imports) return;
      ImportSummary summary;
      RegImportError error;
      ImportRegFile(api_, FindBackupFile(folder_.Path()), summary, error);
    };
  }

  std::string UserFolder() const { return folder_.Path() + "user/"; }
  // The box of a restore of `file` that took effect, less the undo file it
  // may name after it.
  static std::string Completed(const std::string& file) {
    return std::string(kRestoreComplete) + "\n\nRestored from " + file + ".";
  }

  // The undo file a "Restore Complete" message names; empty when none.
  static std::string UndoFileNamed(const std::string& text) {
    const std::string lead = "\n\nImporting ";
    const std::string tail = " undoes this restore.";
    const std::size_t at = text.find(lead);
    if (at == std::string::npos || !text.ends_with(tail)) return {};
    return text.substr(at + lead.size(), text.size() - at - lead.size() - tail.size());
  }

  // The named undo file, written before the restore began, takes away the
  // key the restore brought back.
  void UndoTakesBackTheVendorKey(const std::string& text) {
    const std::string undo = UndoFileNamed(text);
    ASSERT_EQ(undo.rfind(folder_.Path() + "veltrane-undo-import-", 0), 0u) << text;
    ImportSummary summary;
    RegImportError error;
    ASSERT_TRUE(ImportRegFile(api_, undo, summary, error)) << error.Text();
    EXPECT_FALSE(RegistrySeed(api_).Exists("Software\\Vendor"));
  }

  MemoryRegistry api_;
  RecordingDesktop desktop_;
  TempFolder folder_;
  std::vector<int> waits_;
};

TEST(VistaTest, OnlyTheThreeSpellingsCount) {
  for (const char* name : {"Windows Vista (TM) Ultimate", "WINDOWS VISTA", "vista", "xVistax"}) {
    EXPECT_TRUE(IsVistaProductName(name)) << name;
  }
  for (const char* name : {"", "Microsoft Windows XP", "Windows 7", "ViStA", "VIsta", "Vist"}) {
    EXPECT_FALSE(IsVistaProductName(name)) << name;
  }
}

TEST_F(RestoreTest, VistaHandsTheFileToTheShell) {
  BackupAndEditor();
  SetProductName("Windows Vista (TM) Home Premium");
  EXPECT_EQ(Restore(), RestoreResult::kHandedToShell);
  ASSERT_EQ(desktop_.calls.size(), 1u);
  const auto& call = desktop_.calls[0];
  EXPECT_EQ(call.kind, kShell);
  EXPECT_EQ(call.text, "backuphkcu.reg");
  EXPECT_EQ(call.verb, "open");
  EXPECT_EQ(call.parameters, "");
  EXPECT_EQ(call.folder, folder_.Path());
  EXPECT_EQ(call.number, 5u);
  EXPECT_EQ(call.window, 55u);
}

TEST_F(RestoreTest, EditorIsDrivenToTheEndThenCompleteIsShown) {
  for (const char* product : {"Microsoft Windows XP", "ViStA", ""}) {
    SCOPED_TRACE(product);
    desktop_ = RecordingDesktop();
    BackupAndEditor();
    desktop_.findsBeforeWindow = 3;  // the editor takes a while to show
    waits_.clear();
    if (*product) SetProductName(product);
    EXPECT_EQ(Restore(), RestoreResult::kRestored);

    const auto shell = desktop_.Of(kShell);
    ASSERT_EQ(shell.size(), 1u);
    EXPECT_EQ(shell[0].text, "regedit.exe");
    EXPECT_EQ(shell[0].verb, "open");
    EXPECT_EQ(shell[0].parameters, "/i backuphkcu.reg");
    EXPECT_EQ(shell[0].folder, folder_.Path());
    EXPECT_EQ(shell[0].number, 0u);
    for (const auto& find : desktop_.Of(kFind)) EXPECT_EQ(find.text, "Registry Editor");
    // The waits kept the program live while the editor started.
    EXPECT_EQ(waits_, std::vector<int>(3, 100));

    const auto posts = desktop_.Of(kPost);
    ASSERT_EQ(posts.size(), 2u);
    EXPECT_EQ(posts[0].number, kWmKeyDown);
    EXPECT_EQ(posts[0].wParam, 13u);
    EXPECT_EQ(posts[1].number, kWmQuit);
    // The same window gets both, in this order.
    EXPECT_EQ(posts[0].window, desktop_.editorWindow);
    EXPECT_EQ(posts[1].window, desktop_.editorWindow);

    const auto boxes = desktop_.Of(kBox);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text.rfind(Completed(FindBackupFile(folder_.Path())), 0), 0u);
    EXPECT_EQ(boxes[0].verb, "Veltrane");
    EXPECT_EQ(boxes[0].number, kMbOk | kMbIconInformation);
    EXPECT_EQ(desktop_.calls.back().kind, kBox);
    EXPECT_EQ(RegistrySeed(api_).Read("Software\\Vendor", "path"), Sz("C:\\kept"));
    UndoTakesBackTheVendorKey(boxes[0].text);
  }
}

// The editor reports nothing: the registry is compared with the backup
// once it has ended, and only a registry that shows every line counts.
TEST_F(RestoreTest, EditorThatDidNotImportIsNoRestore) {
  BackupAndEditor(/*imports*/ false);
  EXPECT_EQ(Restore(), RestoreResult::kFailed);
  const auto boxes = desktop_.Of(kBox);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text.rfind("The backup was not restored in full: the registry does not show "
                                "line ",
                                0),
            0u)
      << boxes[0].text;
  EXPECT_EQ(boxes[0].number, kMbOk | kMbIconError);
}

TEST_F(RestoreTest, NoBackupStartsNothing) {
  for (const char* product : {"Windows Vista", "Windows 7"}) {
    SetProductName(product);
    desktop_ = RecordingDesktop();
    EXPECT_EQ(Restore(), RestoreResult::kFailed);
    EXPECT_TRUE(desktop_.Of(kShell).empty());
    ASSERT_EQ(desktop_.Of(kBox).size(), 1u);
    EXPECT_EQ(desktop_.Of(kBox)[0].text,
              "The backup could not be restored: there is no backuphkcu.reg in " + folder_.Path() +
                  " or " + UserFolder());
  }
}

TEST_F(RestoreTest, EditorThatNeverShowsIsAFailureAfterTheTimeout) {
  BackupAndEditor();
  desktop_.findsBeforeWindow = 1 << 30;
  EXPECT_EQ(Restore(), RestoreResult::kFailed);
  EXPECT_TRUE(desktop_.Of(kPost).empty());
  const auto boxes = desktop_.Of(kBox);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].text, kRestoreComplete);
  EXPECT_EQ(boxes[0].number, kMbOk | kMbIconError);
  int waited = 0;
  for (const int ms : waits_) waited += ms;
  EXPECT_EQ(waited, 2000);
}

TEST_F(RestoreTest, EditorThatCannotStartFailsAtOnce) {
  BackupAndEditor();
  desktop_.shellResult = 2;  // file not found
  EXPECT_EQ(Restore(), RestoreResult::kFailed);
  EXPECT_TRUE(desktop_.Of(kFind).empty());
  ASSERT_EQ(desktop_.Of(kBox).size(), 1u);
  EXPECT_EQ(desktop_.Of(kBox)[0].number, kMbOk | kMbIconError);
}

TEST_F(RestoreTest, UnderWineTheBackupIsImportedByUs) {
  SetProductName("Microsoft Windows 10");
  RegistrySeed(api_).Text("Software\\Vendor", "path", "C:\\kept");
  ASSERT_TRUE(WriteBackupIfMissing(api_, folder_.Path()));
  // The clean that followed the backup.
  TRegistry registry(api_);
  ASSERT_TRUE(registry.RemoveKey("\\Software\\Vendor"));

  EXPECT_EQ(Restore(true), RestoreResult::kRestored);
  EXPECT_TRUE(desktop_.Of(kShell).empty());
  EXPECT_TRUE(desktop_.Of(kFind).empty());
  ASSERT_EQ(desktop_.Of(kBox).size(), 1u);
  EXPECT_EQ(desktop_.Of(kBox)[0].text.rfind(Completed(FindBackupFile(folder_.Path())), 0), 0u);
  EXPECT_EQ(ReadTree(api_, kHkeyCurrentUser, "Software\\Vendor").values.at("path"), Sz("C:\\kept"));
  UndoTakesBackTheVendorKey(desktop_.Of(kBox)[0].text);
}

// A backup an earlier version wrote: REGEDIT4 in Windows-1252, the system's
// code page, read as the registry editor reads it, whichever way it is
// restored.
TEST_F(RestoreTest, AnEarlierBackupInWindows1252RestoresExactly) {
  const std::string earlier =
      "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Caf\xe9 \x80]\r\n"
      "\"Na\xefve \x8a\"=\"\xa9 \xff \x9c\"\r\n"
      "\"exp\"=hex(2):25,e9,80,25,00\r\n"
      "\"multi\"=hex(7):e9,00,9f,00,00\r\n";
  TreeKey expected;
  expected.values["Naïve Š"] = Sz("© ÿ œ");
  expected.values["exp"] = Typed(kRegExpandSz, std::string("%é€%\0", 8));
  expected.values["multi"] = Typed(kRegMultiSz, std::string("é\0Ÿ\0\0", 7));
  for (const bool underWine : {true, false}) {
    SCOPED_TRACE(underWine ? "our importer" : "the editor, checked line by line");
    TRegistry(api_).RemoveKey("\\Software\\Café €");
    desktop_ = RecordingDesktop();
    WriteFile(folder_.Path() + "backuphkcu.reg", earlier);
    if (!underWine) BackupAndEditor();
    EXPECT_EQ(Restore(underWine), RestoreResult::kRestored);
    EXPECT_EQ(desktop_.Of(kBox).back().text.rfind(Completed(folder_.Path() + "backuphkcu.reg"), 0),
              0u);
    EXPECT_NE(UndoFileNamed(desktop_.Of(kBox).back().text), "");
    EXPECT_EQ(Difference(expected, ReadTree(api_, kHkeyCurrentUser, "Software\\Café €")), "");
  }
}

// A backup that had to go to the per-user folder is restored from there,
// by name, with the editor started in that folder.
TEST_F(RestoreTest, TheBackupInTheUserFolderIsRestoredAndNamed) {
  SetProductName("Microsoft Windows 10");
  RegistrySeed(api_).Text("Software\\Vendor", "path", "C:\\kept");
  ASSERT_TRUE(WriteBackupIfMissing(api_, UserFolder()));
  for (const bool underWine : {true, false}) {
    TRegistry(api_).RemoveKey("\\Software\\Vendor");
    desktop_ = RecordingDesktop();
    if (!underWine) {
      desktop_.onPost = [this](unsigned message) {
        ImportSummary summary;
        RegImportError error;
        if (message == kWmKeyDown)
          ImportRegFile(api_, FindBackupFile(UserFolder()), summary, error);
      };
    }
    EXPECT_EQ(Restore(underWine), RestoreResult::kRestored);
    EXPECT_EQ(desktop_.Of(kBox).back().text.rfind(Completed(UserFolder() + kBackupWriteName), 0),
              0u);
    if (!underWine) {
      EXPECT_EQ(desktop_.Of(kShell)[0].folder, UserFolder());
    }
    EXPECT_EQ(RegistrySeed(api_).Read("Software\\Vendor", "path"), Sz("C:\\kept"));
  }
}

TEST_F(RestoreTest, UnderWineAFailedImportSaysSo) {
  // No backup at all.
  EXPECT_EQ(Restore(true), RestoreResult::kFailed);
  ASSERT_EQ(desktop_.Of(kBox).size(), 1u);
  EXPECT_NE(desktop_.Of(kBox)[0].text.find("no backuphkcu.reg"), std::string::npos);

  // A damaged one changes nothing and names its line.
  desktop_ = RecordingDesktop();
  WriteFile(folder_.Path() + "backuphkcu.reg",
            "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\New]\r\n\"v\"=dword:xyz\r\n");
  EXPECT_EQ(Restore(true), RestoreResult::kFailed);
  const auto boxes = desktop_.Of(kBox);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text,
            "The backup could not be restored: line 4: a dword needs one to eight hexadecimal "
            "digits. Nothing was changed.");
  EXPECT_EQ(boxes[0].number, kMbOk | kMbIconError);
  EXPECT_FALSE(RegistrySeed(api_).Exists("Software\\New"));
}

}  // namespace
}  // namespace veltrane::testing
