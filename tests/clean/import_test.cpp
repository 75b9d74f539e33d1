#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "base/text.h"
#include "clean/reg_export.h"
#include "clean/reg_import.h"
#include "registry/memory_registry.h"
#include "tests/clean/editor_forms.h"
#include "tests/support/registry_seed.h"
#include "tests/support/scripts.h"
#include "tests/support/system_words.h"
#include "tests/support/text.h"
#include "tests/support/throwaway.h"
#include "tests/support/tree.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace veltrane::testing {
namespace {

using namespace std::string_literals;

class ImportTest : public ::testing::Test {
 protected:
  ImportTest() : api_(MakeTestRegistry()), base_(*api_, "import") {}

  // The lines joined with CRLF, "$" standing for the throwaway key's full name.
  std::string File(std::initializer_list<std::string> lines) const {
    std::string text;
    for (const std::string& line : lines) {
      text += Replaced(line, "$", "HKEY_CURRENT_USER\\" + base_.Path()) + "\r\n";
    }
    return text;
  }

  TreeKey Tree() { return ReadTree(*api_, kHkeyCurrentUser, base_.Path()); }

  bool Import(const std::string& text) {
    summary_ = {};
    error_ = {};
    return ImportRegText(*api_, text, summary_, error_);
  }

  std::unique_ptr<RegistryApi> api_;
  RegistrySeed seed_{*api_};
  ThrowawayKey base_;
  ImportSummary summary_;
  RegImportError error_;
};

TEST_F(ImportTest, RefusesABadFileWholeNamingTheLine) {
  struct Case {
    std::string text;
    int line;
    const char* message;
  };
  // Every bad file starts with lines that would change the registry, so a
  // refusal that came too late would show.
  const std::string good = "REGEDIT4\r\n\r\n" + File({"[$\\new]", "\"v\"=\"changed\""});
  const std::vector<Case> cases = {
      {"", 1, "does not begin with the line REGEDIT4"},
      {"REGEDIT5\r\n" + File({"[$]"}), 1, "does not begin with the line REGEDIT4"},
      {"\xef\xbb\xbf" + good, 1, "the file is UTF-8 text; save it as UTF-16 LE"},
      {"\xef\xbb\xbfWindows Registry Editor Version 5.00\r\n" + File({"[$]"}), 1,
       "the file is UTF-8 text"},
      {good + File({"[$\\x"}), 5, "no closing bracket"},
      {good + File({"[HKEY_NOWHERE\\x]"}), 5, "unknown root key \"HKEY_NOWHERE\""},
      {good + File({"[HKCU\\Software]"}), 5, "unknown root key \"HKCU\""},
      {good + File({"\"b\"=hex:01,0g"}), 5, "bad hex byte \"0g\""},
      {good + File({"\"b\"=hex:01,123"}), 5, "bad hex byte \"123\""},
      {good + File({"\"b\"=hex:01,\\", "  02,zz,\\", "  03"}), 6, "bad hex byte \"zz\""},
      {good + File({"\"b\"=hex:01,,02"}), 5, "missing between two commas"},
      {good + File({"\"d\"=dword:123456789"}), 5, "one to eight hexadecimal digits"},
      {good + File({"\"d\"=dword:"}), 5, "one to eight hexadecimal digits"},
      {good + File({"\"d\"=dword:0000000g"}), 5, "one to eight hexadecimal digits"},
      {good + File({"", "\"b\"=hex:01,\\", "  02,\\"}), 7, "continued past the end of the file"},
      {good + File({"\"s\"=\"abc"}), 5, "unterminated string"},
      {good + File({"\"abc=\"x\""}), 5, "expected \"=\""},
      {good + File({"\"s\"=\"a\\\\\\\""}), 5, "unterminated string"},
      {good + File({"\"s\"=\"a\\tb\""}), 5, "unknown escape \\t"},
      {good + File({"\"s\"=\"a\" junk"}), 5, "unexpected text after"},
      {good + File({"\"s\"=foo:12"}), 5, "unknown kind of data"},
      {good + File({"\"s\"="}), 5, "no data"},
      {good + File({"\"b\"=hex(xyz):01"}), 5, "type in hex(N)"},
      {good + File({"\"b\"=hex(123456789):01"}), 5, "type in hex(N)"},
      {good + File({"\"b\"=hex(2)01"}), 5, "expected \":\" after hex"},
      {good + File({"[-$\\gone]", "\"v\"=\"x\""}), 6, "follows the deletion"},
      {good + File({"[-HKEY_CURRENT_USER]"}), 5, "root key cannot be deleted"},
      {good + File({"[$\\" + std::string(256, 'k') + "]"}), 5, "longer than 255"},
      {good + File({"just text"}), 5, "expected a key line"},
      {"REGEDIT4\r\n\"v\"=\"x\"\r\n", 2, "before any key line"},
      // Files the registry editor takes only in part: it passes over these
      // lines (or, for a bad header, the whole file).
      {"\r\n" + good, 1, "does not begin"},
      {"REGEDIT4 \r\n" + File({"[$]"}), 1, "does not begin"},
      {"regedit4\r\n" + File({"[$]"}), 1, "does not begin"},
      {good + File({"[ $\\x]"}), 5, "unknown root key \" HKEY_CURRENT_USER\""},
      {good + File({"[ -$\\gone]"}), 5, "unknown root key \" -HKEY_CURRENT_USER\""},
      {good + File({"\"s\"=\"a\" #c"}), 5, "unexpected text after the closing double quote"},
      {good + File({"\"d\"=dword:1 #c"}), 5, "unexpected text after the dword"},
      {good + File({"\"d\"=dword:1 2"}), 5, "unexpected text after the dword"},
      {good + File({"\"d\"=DWORD:1"}), 5, "unknown kind of data"},
      {good + File({"\"d\"=dword:0x1"}), 5, "one to eight hexadecimal digits"},
      {good + File({"\"d\"=dword:000000001"}), 5, "one to eight hexadecimal digits"},
      {good + File({"\"b\"=hex :01"}), 5, "expected \":\" after hex"},
      {good + File({"\"b\"=hex:01 ,02"}), 5, "bad hex byte \"01 \""},
      {good + File({"\"b\"=hex:01,02 #c"}), 5, "bad hex byte \"02 #c\""},
      {good + File({"\"b\"=hex:,"}), 5, "missing before a comma"},
      {good + File({"\"b\"=hex(2 ):41"}), 5, "type in hex(N)"},
      {good + File({"\"b\"=hex:01,0\\", "2"}), 5, "bad hex byte \"0\\\""},
      {good + File({"\"b\"=hex:01,\\,02"}), 5, "after the backslash"},
      {good + File({"\"b\"=hex:01,\\", "# c", "02"}), 6, "bad hex byte \"# c\""},
      {good + File({"\"b\"=hex:01,\\", "", "\"v\"=\"x\""}), 7, "bad hex byte"},
      {good + File({"\"b\"=hex:01,02;,\\", " 03"}), 6, "expected a key line"},
      {good + File({"\"v\"=-x"}), 5, "unexpected text after \"-\""},
      {good + File({"\"v\"=;c"}), 5, "no data"},
      {good + File({"\"s\"=\"abc\\", "def\""}), 5, "unterminated string"},
      {good + File({"\"s\"=\"a\0b\""s}), 5, "a zero character"},
      // Files the editor takes by guessing: it drops the backslash of an
      // unknown escape, and ignores text after a key line, an empty type
      // and an empty dword before a comment.
      {good + File({"\"s\"=\"C:\\Windows\""}), 5, "unknown escape \\W"},
      {good + File({"[$]x"}), 5, "after the closing bracket of the key line"},
      {good + File({"\"b\"=hex():41"}), 5, "type in hex(N)"},
      {good + File({"\"d\"=dword:;c"}), 5, "one to eight hexadecimal digits"},
  };
  const TreeKey seeded = [] {
    TreeKey tree;
    tree.values["v"] = Sz("original");
    tree.subkeys["gone"].values["w"] = Dword(1);
    return tree;
  }();
  seed_.Tree(base_.Path(), seeded);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_FALSE(Import(c.text));
    EXPECT_EQ(error_.line, c.line);
    EXPECT_NE(error_.message.find(c.message), std::string::npos) << error_.message;
    EXPECT_EQ(error_.Text().rfind("line " + std::to_string(c.line) + ": ", 0), 0u);
    EXPECT_EQ(Difference(seeded, Tree()), "");
    EXPECT_EQ(summary_.keys + summary_.values, 0u);
  }
}

TEST_F(ImportTest, ReadsEveryFormTheEditorsWrite) {
  ASSERT_TRUE(Import(File({
      "REGEDIT4",
      "",
      "; a comment, then a blank line with blanks",
      "   ",
      "[$]  ",
      "@=\"default\"",
      "\"quoted \\\"name\\\"\" = \"a\\\\b\\r\\n\"",
      "\"\"=\"also default, written last\"",
      "\"short dword\"=dword:1",
      "\"dword\"=dword:fFfFfFfF",
      "\"bin\"=hex:00,01,02,\\",
      "  0a,0B,\\",
      "\t1",
      "\"trailing comma\"=hex:01,02,",
      "\"empty bin\"=hex:",
      "\"qword\"=hex(B):01,02,03,04,05,06,07,08",
      "\"none\"=hex(0):",
      "  ; comment between values",
      "\"multi\"=hex(7):61,00,00,00",
      "[hkey_current_user\\" + base_.Path().substr(0) + "\\\\doubled\\\\]",
      "\"x\"=\"\xe9\x80\"",
  })));
  TreeKey expected;
  expected.values[""] = Sz("also default, written last");
  expected.values["quoted \"name\""] = Sz("a\\b\r\n");
  expected.values["short dword"] = Dword(1);
  expected.values["dword"] = Dword(0xFFFFFFFFu);
  expected.values["bin"] = Typed(kRegBinary, "\0\1\2\x0a\x0b\1"s);
  expected.values["trailing comma"] = Typed(kRegBinary, "\1\2");
  expected.values["empty bin"] = Typed(kRegBinary, "");
  expected.values["qword"] = Typed(kRegQword, "\1\2\3\4\5\6\7\x08"s);
  expected.values["none"] = Typed(kRegNone, "");
  expected.values["multi"] = Typed(kRegMultiSz, "a\0\0\0"s);
  // The file's Windows-1252 bytes, read as the editor reads them.
  expected.subkeys["doubled"].values["x"] = Sz("é€");
  EXPECT_EQ(Difference(expected, Tree()), "");
  EXPECT_EQ(summary_.keys, 2u);
  EXPECT_EQ(summary_.values, 12u);
}

// Each file of the editor forms table (tests/clean/editor_forms.h) is
// read whole; the Wine test compares what it leaves with the editor.
TEST(ImportFormsTest, ReadsEveryFormTheEditorImports) {
  for (const EditorForm& form : EditorForms()) {
    std::vector<RegOperation> operations;
    RegImportError error;
    EXPECT_TRUE(ParseRegFile(FormBytes(form, "Software\\x", form.encoding), kWesternCodePage,
                             operations, error))
        << form.name << ": " << error.Text();
  }
}

TEST_F(ImportTest, DeletesKeysAndValues) {
  TreeKey seeded;
  seeded.values["keep"] = Sz("k");
  seeded.values["drop"] = Sz("d");
  seeded.values[""] = Sz("default");
  seeded.subkeys["tree"].subkeys["a"].subkeys["b"].values["v"] = Dword(3);
  seeded.subkeys["other"];
  seed_.Tree(base_.Path(), seeded);
  // LF line ends only, as some editors save them.
  const std::string text = Replaced(File({"REGEDIT4", "[-$\\tree]", "[-$\\never there]", "[$]",
                                          "\"drop\"=-", "@=-", "\"never there\"=-"}),
                                    "\r\n", "\n");
  ASSERT_TRUE(Import(text)) << error_.Text();
  TreeKey expected;
  expected.values["keep"] = Sz("k");
  expected.subkeys["other"];
  EXPECT_EQ(Difference(expected, Tree()), "");
  EXPECT_EQ(summary_.deletedKeys, 1u);
  EXPECT_EQ(summary_.deletedValues, 2u);
}

// What the registry editor exports: UTF-16 with a byte-order mark, text data
// of hex(2) and hex(7) in UTF-16 too.
TEST_F(ImportTest, ReadsTheEditorsUtf16Export) {
  const std::u16string text = u"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\" +
                              std::u16string(base_.Path().begin(), base_.Path().end()) +
                              u"]\r\n\"caf\u00e9\"=\"\u20ac 5\"\r\n"
                              u"\"exp\"=hex(2):25,00,ac,20,00,00\r\n"
                              u"\"bin\"=hex:e9\r\n";
  const std::string bytes = Utf16File(text);
  ASSERT_TRUE(Import(bytes)) << error_.Text();
  TreeKey expected;
  expected.values["café"] = Sz("€ 5");
  expected.values["exp"] = Typed(kRegExpandSz, "%€\0"s);
  expected.values["bin"] = Typed(kRegBinary, "\xe9");
  EXPECT_EQ(Difference(expected, Tree()), "");

  // A character the program's code page cannot carry refuses the file: an
  // unpaired surrogate has no UTF-8 form.
  std::string bad = bytes;
  bad.insert(bad.size() - 4, "\x00\xd8", 2);  // U+D800 in the last line
  EXPECT_FALSE(Import(bad));
  EXPECT_EQ(error_.line, 6);
  EXPECT_NE(error_.message.find("U+D800"), std::string::npos);

  std::string odd = "\xff\xfe";
  for (const char c :
       "Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\x]\r\n"
       "\"exp\"=hex(2):25,00,ac\r\n"s) {
    odd.push_back(c);
    odd.push_back('\0');
  }
  EXPECT_FALSE(Import(odd));
  EXPECT_EQ(error_.line, 3);
  EXPECT_NE(error_.message.find("odd number of bytes"), std::string::npos);
}

#ifdef _WIN32
// Under a double-byte system code page (the entry clean_double_byte_tests,
// Japanese) the export writes REGEDIT4 in it, two bytes a character, and the
// second byte of this one is a backslash; the importer reads it back, and
// name limits count characters as the registry does. Elsewhere the test is
// skipped.
TEST(ImportDoubleByteTest, LongestNamesComeBack) {
  const auto api = MakeTestRegistry();
  if (ReadAnsiCodePage(*api) != 932) GTEST_SKIP() << "needs the system code page 932";
  const std::string character = "表";  // U+8868: 95 5C in code page 932
  const auto times = [&](std::size_t count) { return Repeated(character, count); };
  const ThrowawayKey base(*api, "double-byte");
  TreeKey tree;
  tree.subkeys[times(kMaxKeyNameLength)].values[times(kMaxValueNameLength)] = Sz(character);
  RegistrySeed(*api).Tree(base.Path(), tree);
  const TreeKey before = ReadTree(*api, kHkeyCurrentUser, base.Path());
  ASSERT_EQ(Difference(tree, before), "");
  const std::string text = ExportKeyToText(*api, kHkeyCurrentUser, base.Path());
  ASSERT_EQ(text.substr(0, 8), "REGEDIT4");
  EXPECT_NE(text.find("\x95\x5c\x95\x5c"), std::string::npos) << "code page 932";
  TRegistry(*api).RemoveKey(base.Path());

  ImportSummary summary;
  RegImportError error;
  ASSERT_TRUE(ImportRegText(*api, text, summary, error)) << error.Text();
  EXPECT_EQ(Difference(before, ReadTree(*api, kHkeyCurrentUser, base.Path())), "");
  EXPECT_FALSE(ImportRegText(*api,
                             "REGEDIT4\r\n[HKEY_CURRENT_USER\\" + base.Path() + "\\" +
                                 *Recode(times(256), kUtf8CodePage, 932) + "]\r\n",
                             summary, error));
  EXPECT_EQ(error.Text(), "line 2: a key name is longer than 255 characters. Nothing was changed.");
}
#endif

TEST(ImportFileTest, MissingFileIsAnError) {
  MemoryRegistry api;
  ImportSummary summary;
  RegImportError error;
  EXPECT_FALSE(ImportRegFile(api, "no such file.reg", summary, error));
  EXPECT_EQ(error.line, 0);
  EXPECT_EQ(error.Text(), "cannot open no such file.reg: " + NoSuchFileWords());
}

// A pipe or a folder has no end to read up to; a file past the bound is
// refused before any of it is read. The big file is sparse: one byte past
// 1 GiB written at its end.
TEST(ImportFileTest, OnlyARegularFileWithinTheBoundIsRead) {
  const TempFolder folder;
  std::string bytes;
  RegImportError error;
  const std::string big = folder.Path() + "big.reg";
  {
    std::FILE* file = std::fopen(big.c_str(), "wb");
    ASSERT_NE(file, nullptr);
#ifdef _WIN32
    ASSERT_EQ(_fseeki64(file, static_cast<long long>(kMostImportBytes), SEEK_SET), 0);
#else
    ASSERT_EQ(fseeko(file, static_cast<off_t>(kMostImportBytes), SEEK_SET), 0);
#endif
    std::fputc('x', file);
    std::fclose(file);
  }
  EXPECT_FALSE(ReadRegFile(big, bytes, error));
  EXPECT_EQ(error.Text(), "cannot read " + big +
                              ": it holds more than 1073741824 bytes (1 GiB), the most a file to "
                              "import may hold.");
  EXPECT_LT(bytes.capacity(), 1u << 20);
  std::filesystem::remove(big);

  const std::string sub = folder.Path() + "sub";
  std::filesystem::create_directory(sub);
  EXPECT_FALSE(ReadRegFile(sub, bytes, error));
  EXPECT_NE(error.Text().find("it is a folder, not a file."), std::string::npos) << error.Text();
#ifndef _WIN32
  // No writer: the importer must neither wait for one nor read it.
  const std::string pipe = folder.Path() + "pipe";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  EXPECT_FALSE(ReadRegFile(pipe, bytes, error));
  EXPECT_EQ(error.Text(), "cannot read " + pipe + ": it is a pipe, not a file.");
#endif
}

}  // namespace
}  // namespace veltrane::testing
