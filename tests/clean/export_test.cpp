#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include <random>

#include "base/text.h"
#include "clean/reg_export.h"
#include "clean/reg_format.h"
#include "registry/memory_registry.h"
#include "registry/tregistry.h"
#include "tests/support/files.h"
#include "tests/support/registry_seed.h"
#include "tests/support/text.h"
#include "tests/support/throwaway.h"
#include "tests/support/tree.h"

namespace veltrane::testing {
namespace {

std::string Range(int first, int count) {
  std::string bytes;
  for (int i = 0; i < count; ++i) bytes.push_back(static_cast<char>(first + i));
  return bytes;
}

TreeKey PlainForms() {
  TreeKey tree;
  tree.values[""] = Sz("C:\\dir");
  tree.values["a\\b"] = Dword(31);
  tree.values["bin0"] = Typed(kRegBinary, "");
  tree.values["bin26"] = Typed(kRegBinary, Range(0, 26));
  tree.values["bin27"] = Typed(kRegBinary, Range(0, 27));
  tree.values["bin60"] = Typed(kRegBinary, Range(100, 60));
  tree.values["empty"] = Sz("");
  tree.values["neg"] = Dword(0xFFFFFFFFu);
  tree.subkeys["b"].subkeys["c"].values["deep"] = Dword(0);
  tree.subkeys["A"].values["x"] = Sz("y");
  return tree;
}

TreeKey Fidelity() {
  using namespace std::string_literals;
  TreeKey tree;
  tree.values["big"] = Typed(kRegDwordBigEndian, "\0\0\0\1"s);
  tree.values["dw2"] = Typed(kRegDword, "\1\2"s);
  tree.values["dw6"] = Typed(kRegDword, "\1\2\3\4\5\6"s);
  tree.values["embedded"] = Typed(kRegSz, "ab\0cd\0"s);
  tree.values["emptysz"] = Typed(kRegSz, "");
  tree.values["expand"] = Typed(kRegExpandSz, "%TEMP%\\x\0"s);
  tree.values["expandlong"] = Typed(kRegExpandSz, "%SystemRoot%\\system32\\a;b;c;d\0"s);
  tree.values["line\r\nbreak"] = Sz("one\rtwo\nthree\"q\"");
  tree.values["multi"] = Typed(kRegMultiSz, "a\0bc\0\0"s);
  tree.values["none"] = Typed(kRegNone, "");
  tree.values["odd"] = Typed(0x12345, "\xAA");
  tree.values["quote\"d"] = Sz("x");
  tree.values["qword"] = Typed(kRegQword, "\1\2\3\4\5\6\7\x08"s);
  tree.values["été"] = Sz("€ÿ");  // Windows-1252 in the file
  tree.subkeys["sub"];
  // A line break in a key name has no form in a key line: left out.
  tree.subkeys["bad\nkey"].subkeys["child"].values["v"] = Sz("lost");
  return tree;
}

class ExportTest : public ::testing::Test {
 protected:
  ExportTest() : api_(MakeTestRegistry()), base_(*api_, "export") {}

  // Exports the seeded tree through the file and names the key as the
  // golden files do.
  std::string ExportSeeded(const TreeKey& tree) {
    seed_.Tree(base_.Path(), tree);
    const std::string file = folder_.Path() + "out.reg";
    EXPECT_TRUE(ExportKeyToFile(*api_, kHkeyCurrentUser, base_.Path() + "\\", file));
    return Replaced(ReadFile(file), base_.Path(), "Software\\Golden");
  }

  static std::string Golden(const std::string& name) {
    return ReadFile(std::string(VELTRANE_GOLDEN_DIR) + name);
  }

  std::unique_ptr<RegistryApi> api_;
  RegistrySeed seed_{*api_};
  ThrowawayKey base_;
  TempFolder folder_;
};

TEST_F(ExportTest, MatchesTheGoldenFiles) {
  struct Case {
    const char* golden;
    TreeKey tree;
  };
  for (const Case& c : {Case{"empty_key.reg", {}}, Case{"plain_forms.reg", PlainForms()},
                        Case{"fidelity.reg", Fidelity()}}) {
    SCOPED_TRACE(c.golden);
    base_.Remove();
    EXPECT_EQ(ExportSeeded(c.tree), Golden(c.golden));
  }
}

TEST_F(ExportTest, TrailingBackslashNamesTheSameKey) {
  seed_.Tree(base_.Path(), PlainForms());
  const std::string with = ExportKeyToText(*api_, kHkeyCurrentUser, base_.Path() + "\\");
  EXPECT_EQ(with, ExportKeyToText(*api_, kHkeyCurrentUser, base_.Path()));
  EXPECT_NE(with.find("\r\n[HKEY_CURRENT_USER\\" + base_.Path() + "]\r\n"), std::string::npos);
}

TEST_F(ExportTest, FileThatCannotBeCreatedIsLeftAlone) {
  const std::string file = folder_.Path() + "missing folder" + "/out.reg";
  EXPECT_FALSE(ExportKeyToFile(*api_, kHkeyCurrentUser, "Software", file));
  EXPECT_EQ(ReadFile(file), "");
}

TEST_F(ExportTest, MissingKeyGivesItsKeyLineAlone) {
  EXPECT_EQ(ExportKeyToText(*api_, kHkeyCurrentUser, base_.Path() + "\\nothing"),
            "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\" + base_.Path() + "\\nothing]\r\n");
}

#ifndef _WIN32
TEST(ExportNativeTest, StringsWithoutTerminatorAndKeysThatDoNotOpen) {
  using namespace std::string_literals;
  MemoryRegistry api;
  TreeKey tree;
  tree.values["unterminated"] = Typed(kRegSz, "abc");
  tree.values["multi unterminated"] = Typed(kRegMultiSz, "ab");
  tree.subkeys["locked"].values["hidden"] = Sz("h");
  tree.subkeys["locked"].subkeys["inner"];
  tree.subkeys["open"].values["v"] = Dword(2);
  RegistrySeed(api).Tree("Software\\Golden", tree);
  api.RestrictAccess(kHkeyCurrentUser, "Software\\Golden\\locked", kKeyRead);
  EXPECT_EQ(ExportKeyToText(api, kHkeyCurrentUser, "Software\\Golden"),
            ReadFile(std::string(VELTRANE_GOLDEN_DIR) + "native_only.reg"));
}

// The form follows the system's code page (Control\\Nls\\CodePage, ACP):
// REGEDIT4 in it while it holds every text, else the whole file UTF-16.
TEST(ExportNativeTest, WritesTheFormTheSystemsCodePageHolds) {
  MemoryRegistry api;
  RegistrySeed(api).Text("Software\\x", "é", "€");
  EXPECT_EQ(ExportKeyToText(api, kHkeyCurrentUser, "Software\\x"),
            "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\x]\r\n\"\xE9\"=\"\x80\"\r\n");
  const std::string version5 = Utf16File(
      u"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\x]\r\n"
      u"\"é\"=\"€\"\r\n");
  // A code page said to be UTF-8 holds only ASCII: Wine writes 65001 there
  // when a program of UTF-8 starts first after a change of locale.
  for (const char* codePage : {"65001", "1251"}) {
    RegistrySeed(api, kHkeyLocalMachine)
        .Text("SYSTEM\\CurrentControlSet\\Control\\Nls\\CodePage", "ACP", codePage);
    EXPECT_EQ(ExportKeyToText(api, kHkeyCurrentUser, "Software\\x"), version5) << codePage;
  }
}

// A name or text the program's code page cannot carry exactly fails the
// export, naming its key, and leaves no file: here a process whose code
// page is Windows-1252 looks at Cyrillic.
TEST(ExportNativeTest, FailsAndNamesTheKeyRatherThanWriteAStandIn) {
  MemoryRegistry api;
  RegistrySeed(api).Text("Software\\x\\Иван", "v", "w");
  RegistrySeed(api).Text("Software\\y", "Иван", "w");
  api.SetCodePage(kWesternCodePage);
  TempFolder folder;
  const std::string file = folder.Path() + "out.reg";
  const struct {
    const char *key, *message;
  } cases[] = {
      {"Software\\x", "Failed to list the subkeys of 'HKEY_CURRENT_USER\\Software\\x'"},
      {"Software\\y", "Failed to read the values of 'HKEY_CURRENT_USER\\Software\\y'"},
  };
  for (const auto& c : cases) {
    EXPECT_THAT([&] { ExportKeyToFile(api, kHkeyCurrentUser, c.key, file); },
                ::testing::ThrowsMessage<ERegistryException>(::testing::StartsWith(
                    std::string(c.message) +
                    ": a name or text there has no exact form in the program's code page")));
    EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));
  }
}

TEST(ExportNativeTest, FailedWriteRaisesWithTheSystemCodeAndLeavesTheOldFile) {
  MemoryRegistry api;
  RegistrySeed(api).Tree("Software\\x", PlainForms());
  TempFolder folder;
  const std::string file = folder.Path() + "out.reg";
  WriteFile(file, "old");
  {
    FileSizeLimit limit(100);
    try {
      ExportKeyToFile(api, kHkeyCurrentUser, "Software\\x", file);
      ADD_FAILURE() << "no error raised";
    } catch (const EInOutError& error) {
      EXPECT_EQ(error.Code(), EFBIG);
      // The file the caller named, never the temporary, and the system's reason.
      EXPECT_EQ(std::string(error.what()),
                "cannot write " + file + ": " + std::strerror(EFBIG) + ".");
    }
  }
  // Whole or not at all: the file of that name is as it was, and the
  // half-written temporary is gone.
  EXPECT_EQ(ReadFile(file), "old");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 1);
}

// Each key is opened, asked about, closed and its values and subkeys
// enumerated once: no per-value queries.
TEST(ExportNativeTest, CallsTheRegistryOncePerKeyAndValue) {
  MemoryRegistry api;
  std::mt19937 random(7);
  const TreeKey tree = RandomTree(random, 300, 12);
  RegistrySeed(api).Tree("Software\\calls", tree);
  std::size_t keys = 0, values = 0;
  const auto count = [&](const auto& self, const TreeKey& key) -> void {
    ++keys;
    values += key.values.size();
    for (const auto& [name, sub] : key.subkeys) self(self, sub);
  };
  count(count, tree);
  const auto before = api.CallCount();
  ExportKeyToText(api, kHkeyCurrentUser, "Software\\calls");
  // Open, query, close per key, one enumeration per value and per subkey,
  // and one to look for the system's code page (not there: 1252).
  EXPECT_EQ(api.CallCount() - before, 3 * keys + values + (keys - 1) + 1);
  EXPECT_EQ(api.OpenHandleCount(), 0u);
}
#endif

// The writer the export would be with one wrapper call per value (kind,
// then text, number or size and bytes), as the key wrapper offers them.
// The one-pass export must write the same bytes.
class PerValueExport {
 public:
  PerValueExport(RegistryApi& api, RegKey root) : api_(api), registry_(api), root_(root) {
    registry_.SelectRoot(root);
  }
  std::string Run(const std::string& path) {
    out_ = RegLines();
    Block(path);
    return out_.File(kWesternCodePage);
  }

 private:
  void Block(const std::string& path) {
    out_.KeyLine(root_, path);
    registry_.OpenPath(path, false);
    TextList names, subkeys;
    registry_.ListValueNames(names);
    registry_.ListSubkeyNames(subkeys);
    for (const std::string& name : names) Value(name);
    registry_.ClosePath();
    for (const std::string& sub : subkeys) {
      if (sub.find_first_of("\r\n") == std::string::npos) Block(path + "\\" + sub);
    }
  }

  void Value(const std::string& name) {
    const TRegDataType kind = registry_.ValueKind(name);
    const std::int64_t size = registry_.ValueSize(name);
    std::uint32_t type = 0;
    std::uint32_t rawSize = 0;
    api_.QueryValue(registry_.OpenHandle(), name, &type, nullptr, &rawSize);
    if (kind == vkString && IsPlainText(Raw(name).data(), Raw(name).size())) {
      const std::string text = registry_.ReadText(name) + '\0';
      out_.ValueLine(name, kRegSz, reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    } else if (kind == vkInteger && size == 4) {
      const std::uint32_t number = static_cast<std::uint32_t>(registry_.ReadNumber(name));
      const std::uint8_t bytes[4] = {
          static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(number >> 8),
          static_cast<std::uint8_t>(number >> 16), static_cast<std::uint8_t>(number >> 24)};
      out_.ValueLine(name, kRegDword, bytes, 4);
    } else if (kind == vkBinary) {
      std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
      registry_.ReadBytes(name, bytes.data(), size);
      out_.ValueLine(name, kRegBinary, bytes.data(), bytes.size());
    } else {
      const std::vector<std::uint8_t> bytes = Raw(name);
      out_.ValueLine(name, type, bytes.data(), bytes.size());
    }
  }

  std::vector<std::uint8_t> Raw(const std::string& name) {
    std::uint32_t size = 0;
    api_.QueryValue(registry_.OpenHandle(), name, nullptr, nullptr, &size);
    std::vector<std::uint8_t> bytes(size + 1);
    std::uint32_t length = size + 1;
    api_.QueryValue(registry_.OpenHandle(), name, nullptr, bytes.data(), &length);
    bytes.resize(std::min(size, length));
    return bytes;
  }

  RegistryApi& api_;
  TRegistry registry_;
  RegKey root_;
  RegLines out_;
};

TEST_F(ExportTest, OnePassWritesWhatPerValueReadsWrite) {
  std::mt19937 random(1234);
  for (int round = 0; round < (OnRealRegistry() ? 3 : 20); ++round) {
    base_.Remove();
    seed_.Tree(base_.Path(), RandomTree(random, 25, 10));
    seed_.Tree(base_.Path(), Fidelity());
    PerValueExport reference(*api_, kHkeyCurrentUser);
    ASSERT_EQ(ExportKeyToText(*api_, kHkeyCurrentUser, base_.Path()), reference.Run(base_.Path()))
        << "round " << round;
  }
}

TEST(EscapeTest, EscapesAsTheRegistryEditorReadsThem) {
  EXPECT_EQ(EscapeBackslashes("a\\b\\\\c\"\r\n"), "a\\\\b\\\\\\\\c\"\r\n");
  EXPECT_EQ(EscapeQuoted("a\\b\"c\rd\ne\t"), "a\\\\b\\\"c\\rd\\ne\t");
  EXPECT_EQ(RootName(kHkeyClassesRoot), "HKEY_CLASSES_ROOT");
  EXPECT_EQ(RootName(kHkeyDynData), "HKEY_DYN_DATA");
  EXPECT_EQ(RootName(0x1234), "");
  EXPECT_EQ(RootFromName("hkey_local_machine"), kHkeyLocalMachine);
  EXPECT_EQ(RootFromName("HKLM"), std::nullopt);
}

}  // namespace
}  // namespace veltrane::testing
