// Any tree, exported, wiped and read back, comes back byte for byte: through
// our importer everywhere, and through the registry editor under Wine.
#include <gtest/gtest.h>

#include <random>

#include "clean/reg_export.h"
#include "clean/reg_import.h"
#include "tests/support/files.h"
#include "tests/support/registry_seed.h"
#include "tests/support/run_program.h"
#include "tests/support/scripts.h"
#include "tests/support/throwaway.h"
#include "tests/support/tree.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace veltrane::testing {
namespace {

using namespace std::string_literals;

TreeKey AwkwardTree() {
  std::string kilobyte;
  for (int i = 0; i < 1024; ++i) kilobyte.push_back(static_cast<char>(i * 7 + 3));
  TreeKey tree;
  tree.values[""] = Sz("");
  tree.values["quote\"d \"name\""] = Sz("\"quoted\" \"text\"");
  tree.values["back\\slash\\"] = Sz("C:\\dir\\");
  tree.values["equals=sign"] = Sz("a=b");
  tree.values["[bracket]"] = Sz("[x]");
  tree.values["@"] = Sz("@");
  tree.values[";semicolon"] = Sz(";");
  tree.values["high é€\u0081\u008dŸÿ"] = Sz("é€\u0081\u008dŸÿ");
  tree.values["line\r\nbreaks\n"] = Sz("\r\nx\ny\r");
  tree.values["tab\there"] = Sz("\t");
  tree.values[" blanks "] = Sz("  ");
  tree.values["empty string"] = Sz("");
  tree.values["empty binary"] = Typed(kRegBinary, "");
  tree.values["kilobyte"] = Typed(kRegBinary, kilobyte);
  tree.values["dword"] = Dword(0x8000001F);
  tree.values["short dword"] = Typed(kRegDword, "\1"s);
  tree.values["long dword"] = Typed(kRegDword, "\1\2\3\4\5\6\7\x08"s);
  tree.values["embedded zero"] = Typed(kRegSz, "a\0b\0"s);
  tree.values["expand"] = Typed(kRegExpandSz, "%USERPROFILE%\\é\0"s);
  tree.values["empty expand"] = Typed(kRegExpandSz, "");
  tree.values["multi"] = Typed(kRegMultiSz, "one\0two \"2\"\0é\0\0"s);
  tree.values["qword"] = Typed(kRegQword, "\xff\xfe\0\0\1\2\3\4"s);
  tree.values["none"] = Typed(kRegNone, "\0\1"s);
  tree.values["empty none"] = Typed(kRegNone, "");
  tree.values["big endian"] = Typed(kRegDwordBigEndian, "\0\0\1\0"s);
  tree.values["odd type"] = Typed(0x7fff1234, kilobyte.substr(0, 30));
  TreeKey& sub = tree.subkeys["sub \"key\" = [x]] é"];
  sub.values["v"] = Sz("w");
  sub.subkeys[" leading blank"].subkeys["-minus"].values[""] = Dword(7);
  tree.subkeys["empty"];
  return tree;
}

// Names and texts in every script, in key names, value names and each kind
// of text data: more than Windows-1252 holds, so the export writes the
// Version 5.00 form.
TreeKey ScriptsTree() {
  TreeKey tree;
  for (const std::string& text : EveryScript()) {
    tree.values[text] = Sz(text);
    tree.values["expand " + text] = Typed(kRegExpandSz, "%TEMP%\\" + text + '\0');
    tree.values["multi " + text] = Typed(kRegMultiSz, text + '\0' + text + "\0\0"s);
    tree.values["bare " + text] = Typed(kRegSz, text);  // no terminating zero
    tree.subkeys[text].values[""] = Sz(text);
  }
  tree.subkeys[kCyrillic].subkeys[kEmoji].values[kGreek] = Sz(kJapanese);
  tree.subkeys["Σ"].subkeys["日本"];
  return tree;
}

class RoundTripTest : public ::testing::Test {
 protected:
  RoundTripTest() : api_(MakeTestRegistry()), base_(*api_, "roundtrip") {}

  // Seeds `tree`, exports, wipes, lets `restore` read the file back and
  // compares.
  template <class Restore>
  void RoundTrip(const TreeKey& tree, Restore restore, bool editorTerminates = false) {
    base_.Remove();
    seed_.Tree(base_.Path(), tree);
    const TreeKey before = ReadTree(*api_, kHkeyCurrentUser, base_.Path());
    const std::string file = folder_.Path() + "backup.reg";
    ASSERT_TRUE(ExportKeyToFile(*api_, kHkeyCurrentUser, base_.Path() + "\\", file));
    base_.Remove();
    ASSERT_FALSE(seed_.Exists(base_.Path()));
    restore(file);
    ASSERT_EQ(Difference(editorTerminates ? Terminated(before) : before,
                         ReadTree(*api_, kHkeyCurrentUser, base_.Path())),
              "");
  }

  // The registry editor gives text data that lacks its terminating zero
  // one at its end when it imports it; nothing else changes.
  static TreeKey Terminated(TreeKey tree) {
    for (auto& [name, value] : tree.values) {
      const bool text =
          value.type == kRegSz || value.type == kRegExpandSz || value.type == kRegMultiSz;
      if (text && !value.data.empty() && value.data.back() != 0) value.data.push_back(0);
    }
    for (auto& [name, sub] : tree.subkeys) sub = Terminated(sub);
    return tree;
  }

  void ImportOurselves(const std::string& file) {
    ImportSummary summary;
    RegImportError error;
    ASSERT_TRUE(ImportRegFile(*api_, file, summary, error)) << error.Text();
  }

  std::unique_ptr<RegistryApi> api_;
  RegistrySeed seed_{*api_};
  ThrowawayKey base_;
  TempFolder folder_;
};

TEST_F(RoundTripTest, AwkwardTreeThroughOurImporter) {
  RoundTrip(AwkwardTree(), [&](const std::string& file) {
    EXPECT_EQ(ReadFile(file).substr(0, 10), "REGEDIT4\r\n") << "Windows-1252 holds it all";
    ImportOurselves(file);
  });
}

TEST_F(RoundTripTest, EveryScriptThroughOurImporter) {
  RoundTrip(ScriptsTree(), [&](const std::string& file) {
    EXPECT_EQ(ReadFile(file).substr(0, 4), "\xff\xfeW\0"s) << "UTF-16: Version 5.00";
    ImportOurselves(file);
  });
}

// The longest names, counted in characters: 255 Cyrillic ones are 510 bytes
// here, 255 Japanese ones 765, and a value name of 16383 of them 49149.
TEST_F(RoundTripTest, LongestNamesOfEveryScript) {
  TreeKey tree;
  TreeKey& japanese = tree.subkeys[Repeated("Д", 255)].subkeys[Repeated("語", 255)];
  japanese.values[Repeated("語", 16383)] = Sz(kEmoji);
  japanese.subkeys[Repeated("😀", 127)];
  RoundTrip(tree, [&](const std::string& file) { ImportOurselves(file); });
}

TEST_F(RoundTripTest, RandomTreesThroughOurImporter) {
  std::mt19937 random(20240501);
  const int rounds = OnRealRegistry() ? 6 : 150;
  for (int round = 0; round < rounds; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    RoundTrip(RandomTree(random, 30, 12, round % 2 == 1),
              [&](const std::string& file) { ImportOurselves(file); });
    if (HasFatalFailure()) return;
  }
}

#ifdef _WIN32

// The system's registry editor reads our backup back as it was, but for
// the terminating zero it adds to text data that lacks one.
TEST_F(RoundTripTest, RegistryEditorImportsOurExport) {
  std::mt19937 random(99);
  for (const TreeKey& tree : {AwkwardTree(), ScriptsTree(), RandomTree(random, 40, 12),
                              RandomTree(random, 40, 12, true)}) {
    RoundTrip(
        tree,
        [&](const std::string& file) {
          ASSERT_EQ(RunProgram("regedit.exe /s \"" + file + "\""), 0);
        },
        true);
    if (HasFatalFailure()) return;
  }
}

// Our importer reads what the editor exports. The editor's export loses
// strings with zeros inside and dwords of other than four bytes, so those
// are left out here.
TEST_F(RoundTripTest, OurImporterReadsTheEditorsExport) {
  TreeKey tree = AwkwardTree();
  tree.values.erase("short dword");
  tree.values.erase("long dword");
  tree.values.erase("embedded zero");
  // And text in every script, which makes the editor's export UTF-16 too;
  // text data without its terminating zero gets one from the editor.
  tree.subkeys["scripts"] = ScriptsTree();
  std::erase_if(tree.subkeys["scripts"].values,
                [](const auto& value) { return value.first.starts_with("bare "); });
  seed_.Tree(base_.Path(), tree);
  const TreeKey before = ReadTree(*api_, kHkeyCurrentUser, base_.Path());
  const std::string file = folder_.Path() + "editor.reg";
  ASSERT_EQ(
      RunProgram("regedit.exe /e \"" + file + "\" \"HKEY_CURRENT_USER\\" + base_.Path() + "\""), 0);
  ASSERT_EQ(ReadFile(file).substr(0, 2), "\xff\xfe");
  base_.Remove();
  ImportOurselves(file);
  EXPECT_EQ(Difference(before, ReadTree(*api_, kHkeyCurrentUser, base_.Path())), "");
}
#endif

}  // namespace
}  // namespace veltrane::testing
