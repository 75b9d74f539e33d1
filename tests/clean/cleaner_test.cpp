#include "clean/cleaner.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "base/text.h"
#include "clean/backup.h"
#include "clean/reg_import.h"
#include "clean/undo_file.h"
#include "registry/memory_registry.h"
#include "tests/support/files.h"

#include "registry/tregistry.h"
#include "tests/support/forwarding_registry.h"
#include "tests/support/recording_desktop.h"
#include "tests/support/recording_host.h"
#include "tests/support/registry_seed.h"
#include "tests/support/throwaway.h"
#include "tests/support/tree.h"
#ifdef _WIN32
#include "tests/support/wide_seed.h"
#endif

namespace veltrane::testing {
namespace {

// Passes everything through, but refuses to write values: the typed value
// writer then raises.
class RefusingWrites : public ForwardingRegistry {
 public:
  using ForwardingRegistry::ForwardingRegistry;
  long SetValue(RegKey, const std::string&, std::uint32_t, const std::uint8_t*,
                std::uint32_t) override {
    return kErrorAccessDenied;
  }
};

class CleanerTest : public ::testing::Test {
 protected:
  CleanerTest() : api_(MakeTestRegistry()), base_(*api_, "clean") {
    host_.status = "Ready";  // as the status line reads before any command
  }

  // HKCU location of a key below the throwaway key.
  std::string Location(const std::string& below) const { return "HKCU\\" + base_.Path() + below; }

  Finding Row(const char* category, const std::string& name, const std::string& below,
              bool checked = true) {
    return Finding{category, name, "data of " + name, Location(below), checked};
  }

  TreeKey Seeded() {
    TreeKey tree;
    TreeKey& paths = tree.subkeys["Paths"];
    paths.values[""] = Sz("C:\\gone\\default.exe");
    paths.values["gone"] = Sz("C:\\gone.exe");
    paths.values["kept"] = Sz("C:\\kept.exe");
    TreeKey& ext = tree.subkeys["FileExts"].subkeys[".abc"];
    ext.subkeys["OpenWithProgids"].subkeys["deeper"].values["x"] = Dword(1);
    ext.subkeys["UserChoice"].values["Progid"] = Sz("abc");
    tree.subkeys["FileExts"].subkeys[".keep"].values["a"] = Sz("b");
    tree.subkeys["TypedURLs"].values["url1"] = Sz("http://a/");
    tree.subkeys["TypedURLs"].values["url2"] = Sz("http://b/");
    tree.subkeys["RunMRU"].values[""] = Sz("default");
    tree.subkeys["RunMRU"].values["a"] = Sz("cmd\\1");
    tree.subkeys["RecentDocs"].values["0"] = Typed(kRegBinary, "doc");
    tree.subkeys["HKCU inside"].values["v"] = Sz("w");
    seed_.Tree(base_.Path(), tree);
    return tree;
  }

  bool Clean(RegistryApi& registry) {
    CleanContext context{lvax_, lv2_, host_, registry, desktop_, 77, undoFolders_};
    context.backupFolders = backupFolders_;
    const bool cleaned = CleanCommand(context);
    undoFile_ = context.undoFile;
    backupFile_ = context.backupFile;
    return cleaned;
  }

  // The undo files in the folder they go to.
  int UndoFileCount() const {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(undo_.Path())) {
      count += entry.path().filename().string().rfind("veltrane-undo-", 0) == 0;
    }
    return count;
  }

  std::unique_ptr<RegistryApi> api_;
  RegistrySeed seed_{*api_};
  ThrowawayKey base_;
  FindingsList lvax_, lv2_;
  RecordingHost host_;
  RecordingDesktop desktop_;
  TempFolder undo_;
  std::vector<std::string> undoFolders_{undo_.Path()};
  std::optional<std::vector<std::string>> backupFolders_;
  std::string undoFile_, backupFile_;
};

// A value whose own name is "(Default)" is deleted; the key's unnamed
// value, which the same text stands for on other rows, stays as it was.
TEST_F(CleanerTest, ValueLiterallyNamedDefaultIsDeletedNotTheUnnamedValue) {
  TreeKey tree;
  TreeKey& paths = tree.subkeys["Paths"];
  paths.values[""] = Sz("C:\\still\\here.exe");
  paths.values["(Default)"] = Sz("C:\\gone.exe");
  seed_.Tree(base_.Path(), tree);
  Finding literal = Row(kCategoryMissingPath, "(Default)", "\\Paths");
  literal.ValueNameIsLiteral = true;
  lvax_.Assign({literal});

  EXPECT_TRUE(Clean(*api_));

  paths.values.erase("(Default)");
  EXPECT_EQ(Difference(tree, ReadTree(*api_, kHkeyCurrentUser, base_.Path())), "");
}

TEST_F(CleanerTest, EachCategoryDeletesWhatItsRowNames) {
  TreeKey expected = Seeded();
  const std::vector<Finding> rows = {
      Row(kCategoryMissingPath, "gone", "\\Paths"),
      Row(kCategoryMissingPath, "(Default)", "\\Paths"),
      Row(kCategoryMissingPath, "kept", "\\Paths", false),
      Row(kCategoryEmptyExtension, ".abc", "\\FileExts\\"),
      Row(kCategoryTypedUrl, "url1", "\\TypedURLs"),
      Row(kCategoryTypedUrl, "url2", "\\TypedURLs", false),
      Row(kCategoryRunMru, "", "\\RunMRU"),
      Row(kCategoryRecentDocs, "0", "\\RecentDocs"),
      Row("Some other text", "a", "\\RunMRU"),
      Row(kCategoryTypedUrl, "never there", "\\TypedURLs"),
      Row(kCategoryRunMru, "a", "\\Vanished"),
      Row(kCategoryMissingPath, "v", "\\HKCU inside"),
  };
  lvax_.Assign(rows);

  EXPECT_TRUE(Clean(*api_));

  TreeKey& paths = expected.subkeys["Paths"];
  paths.values.erase("gone");
  paths.values[""] = Sz("");  // emptied, not deleted
  expected.subkeys["FileExts"].subkeys.erase(".abc");
  expected.subkeys["TypedURLs"].values.erase("url1");
  expected.subkeys["RunMRU"].values.erase("");  // the empty name is the default value
  expected.subkeys["RecentDocs"].values.erase("0");
  expected.subkeys["HKCU inside"].values.erase("v");
  EXPECT_EQ(Difference(expected, ReadTree(*api_, kHkeyCurrentUser, base_.Path())), "");

  const std::vector<Finding> unticked = {rows[2], rows[5]};
  EXPECT_EQ(lvax_.Rows(), unticked);
  EXPECT_EQ(lv2_.Rows(), unticked);
  EXPECT_EQ(host_.status, "2 Error Found");
  EXPECT_EQ(host_.maximum, 12);
  EXPECT_EQ(host_.position, 12);
  EXPECT_EQ(host_.Numbers(RecordingHost::kPause), std::vector<int>(12, 50));
  ASSERT_GE(host_.events.size(), 2u);
  EXPECT_EQ(host_.events[0], (RecordingHost::Event{RecordingHost::kStatus, "Cleaning Registry"}));
  EXPECT_EQ(host_.events[1], (RecordingHost::Event{RecordingHost::kPump, {}}));
  EXPECT_TRUE(desktop_.calls.empty());

  // Its undo file brings back exactly what it removed: kinds and bytes,
  // the emptied default value, the extension key with its subtree.
  ASSERT_EQ(UndoFileCount(), 1);
  ImportSummary summary;
  RegImportError error;
  ASSERT_TRUE(ImportRegFile(*api_, undoFile_, summary, error)) << error.Text();
  EXPECT_EQ(Difference(Seeded(), ReadTree(*api_, kHkeyCurrentUser, base_.Path())), "");
}

// Names and texts in every script: each row deletes what it names, and the
// undo file (Version 5.00, as Windows-1252 cannot hold them) brings back
// exactly that.
TEST_F(CleanerTest, EveryCategoryInEveryScriptComesBackFromItsUndoFile) {
  using namespace std::string_literals;
  TreeKey tree;
  tree.subkeys["Пути"].values[""] = Sz("C:\\нет\\файл.exe");
  tree.subkeys["Пути"].values["Ωμέγα"] = Typed(kRegExpandSz, "%TEMP%\\日本\0"s);
  TreeKey& ext = tree.subkeys["FileExts"].subkeys[".日本"];
  ext.subkeys["OpenWithList"].values["😀"] = Typed(kRegMultiSz, "один\0δύο\0\0"s);
  tree.subkeys["TypedURLs"].values["url1"] = Sz("http://пример.рф/страница");
  tree.subkeys["RunMRU"].values["ж"] = Sz("ωμέγα.exe\\1");
  tree.subkeys["RecentDocs"].values["文書"] = Typed(kRegBinary, "doc");
  seed_.Tree(base_.Path(), tree);
  lvax_.Assign({Row(kCategoryMissingPath, "(Default)", "\\Пути"),
                Row(kCategoryMissingPath, "Ωμέγα", "\\Пути"),
                Row(kCategoryEmptyExtension, ".日本", "\\FileExts\\"),
                Row(kCategoryTypedUrl, "url1", "\\TypedURLs"),
                Row(kCategoryRunMru, "ж", "\\RunMRU"),
                Row(kCategoryRecentDocs, "文書", "\\RecentDocs")});
  ASSERT_TRUE(Clean(*api_));
  const TreeKey after = ReadTree(*api_, kHkeyCurrentUser, base_.Path());
  EXPECT_EQ(after.subkeys.at("Пути").values, (std::map<std::string, TreeValue>{{"", Sz("")}}));
  EXPECT_TRUE(after.subkeys.at("FileExts").subkeys.empty());
  EXPECT_TRUE(after.subkeys.at("TypedURLs").values.empty());
  EXPECT_TRUE(after.subkeys.at("RunMRU").values.empty());
  EXPECT_TRUE(after.subkeys.at("RecentDocs").values.empty());
  EXPECT_EQ(ReadFile(undoFile_).substr(0, 2), "\xff\xfe");
  ImportSummary summary;
  RegImportError error;
  ASSERT_TRUE(ImportRegFile(*api_, undoFile_, summary, error)) << error.Text();
  EXPECT_EQ(Difference(tree, ReadTree(*api_, kHkeyCurrentUser, base_.Path())), "");
}

#ifndef _WIN32
// What the undo file could not hold exactly is not deleted, and the user is
// told: here a process whose code page is Windows-1252 (the same on Windows
// is the Wine test of a program without the UTF-8 manifest).
TEST(CleanerNativeTest, NothingTheUndoFileCannotHoldIsDeleted) {
  MemoryRegistry api;
  RegistrySeed seed(api);
  seed.Text("Software\\Exts\\.txt\\OpenWithList\\Программа", "a", "b");
  seed.Text("Software\\Paths", "gone", "C:\\gone.exe");
  const TreeKey before = ReadTree(api, kHkeyCurrentUser, "Software");
  api.SetCodePage(kWesternCodePage);
  FindingsList lvax, lv2;
  lvax.Assign({{kCategoryEmptyExtension, ".txt", "", "HKCU\\Software\\Exts\\", true},
               {kCategoryMissingPath, "gone", "C:\\gone.exe", "HKCU\\Software\\Paths", true}});
  RecordingHost host;
  RecordingDesktop desktop;
  TempFolder undo;
  CleanContext context{lvax, lv2, host, api, desktop, 0, {undo.Path()}};
  EXPECT_FALSE(CleanCommand(context));
  api.SetCodePage(kUtf8CodePage);
  EXPECT_EQ(Difference(before, ReadTree(api, kHkeyCurrentUser, "Software")), "");
  ASSERT_EQ(desktop.calls.size(), 1u);
  EXPECT_EQ(desktop.calls[0].text,
            "Nothing was cleaned: Failed to list the subkeys of "
            "'HKEY_CURRENT_USER\\Software\\Exts\\.txt\\OpenWithList': a name or text there has no "
            "exact form in the program's code page");
  EXPECT_EQ(lvax.Count(), 2);
  EXPECT_TRUE(std::filesystem::is_empty(undo.Path()));
}
#endif

TEST_F(CleanerTest, UndoOfAnEmptiedDefaultThatWasNotThereDeletesIt) {
  seed_.Text(base_.Path() + "\\NoDefault", "v", "w");
  const TreeKey before = ReadTree(*api_, kHkeyCurrentUser, base_.Path());
  lvax_.Assign({Row(kCategoryMissingPath, "(Default)", "\\NoDefault")});
  ASSERT_TRUE(Clean(*api_));
  EXPECT_EQ(seed_.Read(base_.Path() + "\\NoDefault", ""), Sz(""));
  EXPECT_NE(ReadFile(undoFile_).find("]\r\n@=-\r\n"), std::string::npos);
  ImportSummary summary;
  RegImportError error;
  ASSERT_TRUE(ImportRegFile(*api_, undoFile_, summary, error)) << error.Text();
  EXPECT_EQ(Difference(before, ReadTree(*api_, kHkeyCurrentUser, base_.Path())), "");
}

// Fails every call that changes the registry once `armed`, noting whether
// the undo file was there by then.
class WatchingDeletions : public ForwardingRegistry {
 public:
  WatchingDeletions(RegistryApi& inner, std::function<int()> undoFiles)
      : ForwardingRegistry(inner), undoFiles_(std::move(undoFiles)) {}
  long DeleteValue(RegKey key, const std::string& name) override {
    Note();
    return ForwardingRegistry::DeleteValue(key, name);
  }
  long DeleteKey(RegKey parent, const std::string& subkey) override {
    Note();
    return ForwardingRegistry::DeleteKey(parent, subkey);
  }
  long SetValue(RegKey key, const std::string& name, std::uint32_t type, const std::uint8_t* data,
                std::uint32_t size) override {
    Note();
    return ForwardingRegistry::SetValue(key, name, type, data, size);
  }
  int changes = 0;
  int changesBeforeUndoFile = 0;

 private:
  void Note() {
    ++changes;
    if (undoFiles_() == 0) ++changesBeforeUndoFile;
  }
  std::function<int()> undoFiles_;
};

TEST_F(CleanerTest, UndoFileIsWrittenBeforeTheFirstDeletion) {
  Seeded();
  lvax_.Assign({Row(kCategoryTypedUrl, "url1", "\\TypedURLs"),
                Row(kCategoryEmptyExtension, ".abc", "\\FileExts\\"),
                Row(kCategoryMissingPath, "(Default)", "\\Paths")});
  WatchingDeletions watching(*api_, [this] { return UndoFileCount(); });
  ASSERT_TRUE(Clean(watching));
  EXPECT_GT(watching.changes, 3);
  EXPECT_EQ(watching.changesBeforeUndoFile, 0);
}

// The window lets messages through while a clean works: a row ticked then
// was not in the undo file, and must not be deleted.
class TickingOnFirstCall final : public ForwardingRegistry {
 public:
  TickingOnFirstCall(RegistryApi& inner, FindingsList& list)
      : ForwardingRegistry(inner), list_(list) {}

 protected:
  void OnCall() override {
    if (!done_) list_.SetChecked(1, true);
    done_ = true;
  }

 private:
  FindingsList& list_;
  bool done_ = false;
};

TEST_F(CleanerTest, ATickChangedWhileTheCleanRunsIsNotActedOn) {
  Seeded();
  lvax_.Assign({Row(kCategoryTypedUrl, "url1", "\\TypedURLs"),
                Row(kCategoryTypedUrl, "url2", "\\TypedURLs", false)});
  TickingOnFirstCall ticking(*api_, lvax_);
  ASSERT_TRUE(Clean(ticking));
  EXPECT_FALSE(seed_.Exists(base_.Path() + "\\TypedURLs", "url1"));
  EXPECT_TRUE(seed_.Exists(base_.Path() + "\\TypedURLs", "url2"));
}

TEST_F(CleanerTest, NoUndoFileNoDeletion) {
  const TreeKey before = Seeded();
  const std::vector<Finding> rows = {Row(kCategoryTypedUrl, "url1", "\\TypedURLs"),
                                     Row(kCategoryTypedUrl, "url2", "\\TypedURLs", false)};
  lvax_.Assign(rows);
  // A folder that cannot be made: its parent is a file.
  WriteFile(undo_.Path() + "file", "");
  undoFolders_ = {undo_.Path() + "file/sub/"};
  EXPECT_FALSE(Clean(*api_));
  EXPECT_EQ(Difference(before, ReadTree(*api_, kHkeyCurrentUser, base_.Path())), "");
  EXPECT_EQ(lvax_.Rows(), rows);
  EXPECT_EQ(host_.status, "Ready") << "the status line reads as before the clean";
  const auto boxes = desktop_.Of(RecordingDesktop::kBox);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text.rfind("Nothing was cleaned: the undo file could not be written to ", 0),
            0u)
      << boxes[0].text;

  // Nothing ticked, or nothing left to delete: no undo file at all.
  desktop_ = RecordingDesktop();
  undoFolders_ = {undo_.Path()};
  lvax_.Assign({Row(kCategoryTypedUrl, "url1", "\\TypedURLs", false),
                Row(kCategoryTypedUrl, "never there", "\\TypedURLs"),
                Row(kCategoryRunMru, "a", "\\Vanished")});
  EXPECT_TRUE(Clean(*api_));
  EXPECT_EQ(undoFile_, "");
  EXPECT_EQ(UndoFileCount(), 0);
}

TEST_F(CleanerTest, WritesTheBackupFirstAndCleansNothingWithNoPlaceForIt) {
  const TreeKey before = Seeded();
  const std::vector<Finding> rows = {Row(kCategoryTypedUrl, "url1", "\\TypedURLs")};
  lvax_.Assign(rows);
  WriteFile(undo_.Path() + "file", "");
  const std::string program = undo_.Path() + "file/program/", user = undo_.Path() + "file/user/";
  backupFolders_ = {program, user};
  EXPECT_FALSE(Clean(*api_));
  EXPECT_EQ(Difference(before, ReadTree(*api_, kHkeyCurrentUser, base_.Path())), "");
  EXPECT_EQ(lvax_.Rows(), rows);
  EXPECT_EQ(host_.status, "Ready");
  const auto boxes = desktop_.Of(RecordingDesktop::kBox);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text.rfind("Nothing was cleaned: the backup could not be written to " +
                                    program + " or " + user + " (cannot create ",
                                0),
            0u)
      << boxes[0].text;
  EXPECT_EQ(UndoFileCount(), 0);

  // With a place, the backup holds what the clean then deletes.
  backupFolders_ = {undo_.Path()};
  EXPECT_TRUE(Clean(*api_));
  EXPECT_EQ(backupFile_, undo_.Path() + kBackupWriteName);
  EXPECT_NE(ReadFile(backupFile_).find("\"url1\"=\"http://a/\""), std::string::npos);
  EXPECT_FALSE(seed_.Exists(base_.Path() + "\\TypedURLs", "url1"));
  EXPECT_EQ(UndoFileCount(), 1);
}

TEST(FallbackNoticeTest, NamesWhatWentToTheUserFolder) {
  const std::string program = "C:\\Program Files\\Veltrane\\", user = "C:\\Users\\me\\Veltrane\\";
  EXPECT_EQ(FallbackNotice(program, program + "backuphkcu.REG", program + "u.reg"), "");
  EXPECT_EQ(FallbackNotice(program, "", ""), "");
  EXPECT_EQ(FallbackNotice(program, user + "backuphkcu.REG", user + "u.reg"),
            "The backup and the undo file of this clean could not be written beside the program, "
            "in C:\\Program Files\\Veltrane\\, and went to C:\\Users\\me\\Veltrane\\ instead.");
  EXPECT_EQ(FallbackNotice(program, program + "backuphkcu.REG", user + "u.reg")
                .rfind("The undo file of this clean could not", 0),
            0u);
}

TEST(UndoFileTest, CleansOfTheSameSecondGetFilesOfTheirOwn) {
  TempFolder folder;
  const LocalTime time{2026, 12, 8, 14, 30, 15};
  std::string error;
  const std::string first = WriteUndoFile({folder.Path()}, "one", time, error);
  const std::string second = WriteUndoFile({folder.Path()}, "two", time, error);
  EXPECT_EQ(first, folder.Path() + "veltrane-undo-20261208-143015.reg");
  EXPECT_EQ(second, folder.Path() + "veltrane-undo-20261208-143015-2.reg");
  EXPECT_EQ(ReadFile(first), "one");
  EXPECT_EQ(ReadFile(second), "two");

  // A folder that takes no file passes the undo file on to the next one.
  WriteFile(folder.Path() + "file", "");
  TempFolder own;
  const std::string moved =
      WriteUndoFile({folder.Path() + "file/sub/", own.Path() + "Veltrane/"}, "x", time, error);
  EXPECT_EQ(moved, own.Path() + "Veltrane/veltrane-undo-20261208-143015.reg");
}

#ifdef _WIN32
// %LOCALAPPDATA% named in any script: the undo files go there all the same.
TEST(UndoFileTest, ThePerUserFolderMayBeNamedInAnyScript) {
  const TempFolder home;
  const std::wstring base = WideOf(home.Path() + "Данные 😀");
  ASSERT_TRUE(CreateDirectoryW(base.c_str(), nullptr));
  wchar_t saved[1024] = L"";
  GetEnvironmentVariableW(L"LOCALAPPDATA", saved, 1024);
  SetEnvironmentVariableW(L"LOCALAPPDATA", base.c_str());
  const std::string folder = PerUserUndoFolder();
  SetEnvironmentVariableW(L"LOCALAPPDATA", saved);
  EXPECT_EQ(folder, home.Path() + "Данные 😀\\Veltrane\\");
  std::string error;
  const std::string file = WriteUndoFile({folder}, "REGEDIT4\r\n", NowLocal(), error);
  EXPECT_EQ(file.rfind(folder + "veltrane-undo-", 0), 0u) << error;
  EXPECT_EQ(ReadFile(file), "REGEDIT4\r\n");
}
#endif

TEST_F(CleanerTest, EmptyListChangesNothing) {
  EXPECT_TRUE(Clean(*api_));
  EXPECT_EQ(host_.status, "Ready");
  EXPECT_TRUE(host_.events.empty());
  EXPECT_EQ(host_.position, 0);
}

TEST_F(CleanerTest, CountsWhatRemains) {
  Seeded();
  struct Case {
    std::vector<bool> ticks;
    const char* status;
  };
  for (const Case& c : {Case{{true, true}, "No Error Found"}, Case{{false}, "1 Error Found"},
                        Case{{false, false, false}, "3 Error Found"}}) {
    std::vector<Finding> rows;
    for (std::size_t i = 0; i < c.ticks.size(); ++i) {
      rows.push_back(
          Row(kCategoryTypedUrl, "url" + std::to_string(i + 1), "\\TypedURLs", c.ticks[i]));
    }
    lvax_.Assign(rows);
    const TreeKey before = ReadTree(*api_, kHkeyCurrentUser, base_.Path());
    Clean(*api_);
    EXPECT_EQ(host_.status, c.status);
    std::vector<Finding> kept;
    for (const Finding& row : rows) {
      if (!row.Checked) kept.push_back(row);
    }
    EXPECT_EQ(lvax_.Rows(), kept);
    if (kept.size() == rows.size()) {
      // Nothing ticked: the registry is not touched.
      EXPECT_EQ(Difference(before, ReadTree(*api_, kHkeyCurrentUser, base_.Path())), "");
    }
  }
}

TEST_F(CleanerTest, WriterErrorStopsAtItsRowAndKeepsTheList) {
  Seeded();
  const std::vector<Finding> rows = {
      Row(kCategoryTypedUrl, "url2", "\\TypedURLs", false),
      Row(kCategoryTypedUrl, "url1", "\\TypedURLs"),
      Row(kCategoryMissingPath, "(Default)", "\\Paths"),
      Row(kCategoryRunMru, "a", "\\RunMRU", false),
      Row(kCategoryRecentDocs, "0", "\\RecentDocs"),
  };
  lvax_.Assign(rows);
  RefusingWrites refusing(*api_);

  EXPECT_FALSE(Clean(refusing));

  const TreeKey after = ReadTree(*api_, kHkeyCurrentUser, base_.Path());
  EXPECT_EQ(after.subkeys.at("TypedURLs").values.count("url1"), 0u);  // acted on before
  EXPECT_EQ(after.subkeys.at("Paths").values.at(""), Sz("C:\\gone\\default.exe"));
  EXPECT_EQ(after.subkeys.at("RecentDocs").values.count("0"), 1u);  // never reached
  EXPECT_EQ(lvax_.Rows(), rows);
  EXPECT_EQ(lv2_.Rows(), std::vector<Finding>{rows[0]});
  EXPECT_EQ(host_.status, "Cleaning Registry");
  const auto boxes = desktop_.Of(RecordingDesktop::kBox);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Failed to set data for ''");
  EXPECT_EQ(boxes[0].number, kMbOk | kMbIconError);
  EXPECT_EQ(boxes[0].window, 77u);
  EXPECT_EQ(host_.Count(RecordingHost::kPause), 0);
}

TEST_F(CleanerTest, OnlyTheLeadingHkcuIsTakenOff) {
  EXPECT_EQ(KeyPathOfLocation("HKCU\\Software\\HKCU\\x"), "\\Software\\HKCU\\x");
  EXPECT_EQ(KeyPathOfLocation("HKCU\\Software\\Microsoft\\FileExts\\"),
            "\\Software\\Microsoft\\FileExts\\");
  EXPECT_EQ(KeyPathOfLocation("HKLM\\Software"), "");
  EXPECT_EQ(KeyPathOfLocation("hkcu\\Software"), "");
}

TEST(SelectCommandTest, CaptionSaysWhatTheNextClickDoes) {
  FindingsList list;
  list.Assign({Finding{"a", "", "", "", true}, Finding{"b", "", "", "", false}});
  std::string caption = kSelectNone;
  caption = SelectCommand(list, caption);
  EXPECT_EQ(caption, kSelectAll);
  EXPECT_FALSE(list.Row(0).Checked);
  EXPECT_FALSE(list.Row(1).Checked);
  caption = SelectCommand(list, caption);
  EXPECT_EQ(caption, kSelectNone);
  EXPECT_TRUE(list.Row(0).Checked);
  EXPECT_TRUE(list.Row(1).Checked);

  FindingsList empty;
  EXPECT_EQ(SelectCommand(empty, kSelectNone), kSelectAll);
  EXPECT_EQ(SelectCommand(empty, kSelectAll), kSelectNone);
}

}  // namespace
}  // namespace veltrane::testing
