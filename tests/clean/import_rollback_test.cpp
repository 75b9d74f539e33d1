// The importer applies a file all or nothing: whichever registry call
// fails, the registry reads afterwards exactly as before; and however it
// ends, its undo file puts the registry back.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "clean/reg_export.h"
#include "clean/reg_import.h"
#include "registry/memory_registry.h"
#include "tests/support/failing_registry.h"
#include "tests/support/registry_seed.h"
#include "tests/support/text.h"
#include "tests/support/throwaway.h"
#include "tests/support/tree.h"

namespace veltrane::testing {
namespace {

// What a killed process leaves: the import stops at its `killAt`th change
// (1 first) and puts nothing back, as Killed is no error it handles. With
// `refuseAt`, the registry refuses that change first, so that the kill can
// come while the import puts things back.
struct Killed {};
class KillingRegistry final : public ForwardingRegistry {
 public:
  KillingRegistry(RegistryApi& inner, int killAt, int refuseAt = 0)
      : ForwardingRegistry(inner), killAt_(killAt), refuseAt_(refuseAt) {}
  int changes = 0;

  long CreateKeyEx(RegKey p, const std::string& s, std::uint32_t a, RegKey* r,
                   std::uint32_t* d) override {
    if (Refused()) return kErrorCantWrite;
    return ForwardingRegistry::CreateKeyEx(p, s, a, r, d);
  }
  long SetValue(RegKey k, const std::string& n, std::uint32_t t, const std::uint8_t* d,
                std::uint32_t s) override {
    if (Refused()) return kErrorCantWrite;
    return ForwardingRegistry::SetValue(k, n, t, d, s);
  }
  long DeleteValue(RegKey k, const std::string& n) override {
    if (Refused()) return kErrorCantWrite;
    return ForwardingRegistry::DeleteValue(k, n);
  }
  long DeleteKey(RegKey p, const std::string& s) override {
    if (Refused()) return kErrorCantWrite;
    return ForwardingRegistry::DeleteKey(p, s);
  }

 private:
  bool Refused() {
    if (++changes == killAt_) throw Killed{};
    return changes == refuseAt_;
  }
  int killAt_;
  int refuseAt_;
};

class ImportRollbackTest : public ::testing::Test {
 protected:
  ImportRollbackTest() : api_(MakeTestRegistry()), base_(*api_, "rollback") {}

  void Seed() {
    base_.Remove();
    TreeKey tree;
    tree.values["kept"] = Sz("as it was");
    tree.values["changed"] = Dword(1);
    tree.values["dropped"] = Typed(kRegBinary, "\x01\x02");
    tree.values[""] = Sz("old default");
    TreeKey& doomed = tree.subkeys["doomed"];
    doomed.values["a"] = Typed(kRegMultiSz, std::string("x\0y\0\0", 5));
    doomed.subkeys["deep"].subkeys["deeper"].values["b"] = Typed(kRegExpandSz, "%x%");
    tree.subkeys["existing"].values["v"] = Sz("v");
    seed_.Tree(base_.Path(), tree);
  }

  // A file that touches every kind of change: new keys at several depths,
  // values changed, added, left equal and deleted, the default value, a
  // subtree deleted and a key made anew inside a key made before it.
  std::string MixedFile() const {
    return Replaced(
        "REGEDIT4\r\n\r\n"
        "[$]\r\n\"changed\"=dword:00000002\r\n\"kept\"=\"as it was\"\r\n\"added\"=\"new\"\r\n"
        "\"dropped\"=-\r\n@=\"new default\"\r\n"
        "[$\\new\\a\\b]\r\n\"x\"=hex(b):01,02,03,04,05,06,07,08\r\n"
        "[$\\existing\\made]\r\n@=\"m\"\r\n"
        "[-$\\doomed]\r\n"
        "[$\\new\\a]\r\n\"y\"=\"inside a new key\"\r\n"
        "[$\\existing]\r\n\"v\"=-\r\n\"w\"=dword:7\r\n",
        "$", "HKEY_CURRENT_USER\\" + base_.Path());
  }

  TreeKey Tree() { return ReadTree(*api_, kHkeyCurrentUser, base_.Path()); }

  std::unique_ptr<RegistryApi> api_;
  RegistrySeed seed_{*api_};
  ThrowawayKey base_;
};

TEST_F(ImportRollbackTest, FailureAtAnyCallLeavesTheRegistryAsItWas) {
  Seed();
  const TreeKey before = Tree();
  const std::string file = MixedFile();
  // The full run, to learn how many calls it makes.
  FailingRegistry counting(*api_, 0);
  ImportSummary summary;
  RegImportError error;
  ASSERT_TRUE(ImportRegText(counting, file, summary, error)) << error.Text();
  const TreeKey after = Tree();
  ASSERT_NE(Difference(before, after), "");

  std::uint64_t refused = 0;
  for (std::uint64_t failAt = 1; failAt <= counting.calls; ++failAt) {
    SCOPED_TRACE("call " + std::to_string(failAt) + " of " + std::to_string(counting.calls));
    Seed();
    FailingRegistry failing(*api_, failAt);
    error = {};
    const bool imported = ImportRegText(failing, file, summary, error);
    ASSERT_TRUE(failing.failed);
    if (imported) {
      // A failed call the importer could do without (closing a key).
      EXPECT_EQ(Difference(after, Tree()), "");
      continue;
    }
    ++refused;
    EXPECT_EQ(Difference(before, Tree()), "");
    EXPECT_GT(error.line, 1);
    EXPECT_NE(error.message.find("Nothing was changed."), std::string::npos) << error.message;
    EXPECT_EQ(summary.keys + summary.values + summary.deletedKeys + summary.deletedValues, 0u);
  }
  // Nearly every call matters; only a few (closing keys) can fail unseen.
  EXPECT_GT(refused, counting.calls * 3 / 4) << counting.calls;
}

TEST_F(ImportRollbackTest, WhatCannotBePutBackIsNamed) {
  Seed();
  // The first call after the file's first change fails, and so does every
  // call of the putting back.
  FailingRegistry failing(*api_, 0);
  ImportSummary summary;
  RegImportError error;
  const std::string file = Replaced("REGEDIT4\r\n[$\\brand new]\r\n\"v\"=\"1\"\r\n", "$",
                                    "HKEY_CURRENT_USER\\" + base_.Path());
  ASSERT_TRUE(ImportRegText(failing, file, summary, error));
  base_.Remove();
  Seed();
  FailingRegistry breaking(*api_, failing.calls, /*failFrom*/ true);
  EXPECT_FALSE(ImportRegText(breaking, file, summary, error));
  EXPECT_EQ(error.line, 3);
  EXPECT_NE(error.message.find("cannot write the value \"v\""), std::string::npos);
  EXPECT_NE(error.message.find("failed for 1 change, so the registry still differs from before: "
                               "the key HKEY_CURRENT_USER\\" +
                               base_.Path() + "\\brand new, created by line 2, is still there."),
            std::string::npos)
      << error.message;
}

TEST_F(ImportRollbackTest, KilledAtAnyChangeItsUndoFilePutsTheRegistryBack) {
  Seed();
  const TreeKey before = Tree();
  const std::string file = MixedFile();
  const TempFolder folder;
  ImportSummary summary;
  RegImportError error;
  // Killed at each change; then, after a refused change, at each change of
  // the putting back.
  std::vector<std::pair<int, int>> moments;
  for (int killAt = 1; killAt <= 40; ++killAt) moments.emplace_back(killAt, 0);
  for (const int refuseAt : {3, 8, 12}) {
    for (int later = 1; later <= 6; ++later) moments.emplace_back(refuseAt + later, refuseAt);
  }
  moments.emplace_back(0, 0);  // not killed: runs whole
  for (const auto& [killAt, refuseAt] : moments) {
    SCOPED_TRACE("killed at change " + std::to_string(killAt) + ", change " +
                 std::to_string(refuseAt) + " refused");
    KillingRegistry killing(*api_, killAt, refuseAt);
    std::string written;
    ImportUndo undo{.folders = {folder.Path()}, .written = [&](const std::string& name) {
                      written = name;
                      EXPECT_EQ(killing.changes, 0) << "the undo file came after a change";
                    }};
    try {
      const bool whole = ImportRegText(killing, file, summary, error, &undo);
      // Ran to its end: whole, or put back after the refusal.
      EXPECT_EQ(whole, refuseAt == 0 || refuseAt > killing.changes) << error.Text();
    } catch (const Killed&) {
    }
    ASSERT_EQ(written, undo.file);
    ASSERT_EQ(written.rfind(folder.Path() + "veltrane-undo-import-", 0), 0u) << written;
    ASSERT_TRUE(ImportRegFile(*api_, written, summary, error)) << error.Text();
    EXPECT_EQ(Difference(before, Tree()), "");
    std::remove(written.c_str());
  }
  // Once applied, the file changes nothing: no undo file.
  ASSERT_TRUE(ImportRegText(*api_, file, summary, error)) << error.Text();
  ImportUndo undo{.folders = {folder.Path()}};
  ASSERT_TRUE(ImportRegText(*api_, file, summary, error, &undo)) << error.Text();
  EXPECT_EQ(undo.file, "");
  EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));
}

// The registry's functions would cut such a name short, and the deletion
// of a subkey would become the deletion of its parent.
TEST_F(ImportRollbackTest, NameWithAZeroByteIsRefused) {
  Seed();
  const TreeKey before = Tree();
  ImportSummary summary;
  RegImportError error;
  const std::string key = "HKEY_CURRENT_USER\\" + base_.Path();
  EXPECT_FALSE(ImportRegText(
      *api_, "REGEDIT4\r\n[" + key + "]\r\n\"v\"=\"1\"\r\n[-" + key + "\\" + '\0' + "x]\r\n",
      summary, error));
  EXPECT_EQ(error.line, 4);
  EXPECT_EQ(Difference(before, Tree()), "");
}

#ifndef _WIN32
// The export writes a bare key line for a key it could not read (one the
// user may read but not change); the program's own backup must restore
// past it.
TEST(ImportAccessTest, BareLineOfAKeyThatWillNotOpenForWritingIsPassedOver) {
  MemoryRegistry api;
  RegistrySeed seed(api);
  seed.Text("Software\\base\\locked", "kept", "k");
  seed.Text("Software\\base", "v", "old");
  seed.Text("Software\\base\\z after", "w", "1");
  api.RestrictAccess(kHkeyCurrentUser, "Software\\base\\locked", kKeyRead);
  const std::string backup = ExportKeyToText(api, kHkeyCurrentUser, "Software\\base");
  ASSERT_NE(backup.find("\r\n[HKEY_CURRENT_USER\\Software\\base\\locked]\r\n\r\n"),
            std::string::npos);
  seed.Text("Software\\base", "v", "changed since");
  seed.DeleteTree("Software\\base\\z after");
  ImportSummary summary;
  RegImportError error;
  ASSERT_TRUE(ImportRegText(api, backup, summary, error)) << error.Text();
  EXPECT_EQ(summary.passedOver, 1u);
  EXPECT_EQ(seed.Read("Software\\base", "v"), Sz("old"));
  EXPECT_EQ(seed.Read("Software\\base\\z after", "w"), Sz("1"));

  // With a value to write in it, the locked key fails the import, which
  // then puts back what it had done.
  EXPECT_FALSE(
      ImportRegText(api,
                    "REGEDIT4\r\n[HKEY_CURRENT_USER\\Software\\base]\r\n\"v\"=\"newer\"\r\n"
                    "[HKEY_CURRENT_USER\\Software\\base\\made]\r\n"
                    "[HKEY_CURRENT_USER\\Software\\base\\locked]\r\n\"kept\"=\"changed\"\r\n",
                    summary, error));
  EXPECT_EQ(error.line, 5);
  EXPECT_EQ(error.message,
            "cannot open the key HKEY_CURRENT_USER\\Software\\base\\locked: Access is denied. "
            "Nothing was changed.");
  EXPECT_EQ(seed.Read("Software\\base", "v"), Sz("old"));
  EXPECT_FALSE(seed.Exists("Software\\base\\made"));
  EXPECT_EQ(seed.Read("Software\\base\\locked", "kept"), Sz("k"));
  EXPECT_EQ(summary.keys + summary.values, 0u);
  EXPECT_EQ(api.OpenHandleCount(), 0u);
}
#endif

}  // namespace
}  // namespace veltrane::testing
