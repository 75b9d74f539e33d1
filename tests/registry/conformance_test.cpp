// One suite for every backend: what the raw calls answer, and what the
// wrapper, QueryValueText and WriteTypedValue make of it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

#include "base/names.h"
#include "base/text.h"
#include "registry/tregistry.h"
#include "registry/typed_value.h"
#include "tests/registry/registry_fixture.h"
#include "tests/support/forwarding_registry.h"
#include "tests/support/scripts.h"

namespace veltrane::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::ThrowsMessage;

std::string Bytes(std::size_t count, char fill = 'x') { return std::string(count, fill); }

// Every byte from 1 to 255, then a zero.
std::string EveryByte() {
  std::string text;
  for (int c = 1; c < 256; ++c) text.push_back(static_cast<char>(c));
  return text + '\0';
}

bool IsString(std::uint32_t type) {
  return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
}

// Says a key's longest names are shorter than they are, as a key changed
// since the query would, so that listings must grow their buffers.
class Understating final : public ForwardingRegistry {
 public:
  using ForwardingRegistry::ForwardingRegistry;
  long QueryInfoKey(RegKey key, KeyInfo* info) override {
    const long result = ForwardingRegistry::QueryInfoKey(key, info);
    info->longestSubkeyName /= 3;
    info->longestValueName /= 3;
    return result;
  }
};

// Says a key's longest names are 0xFFFFFFFF characters long, as a broken
// backend might: listings must neither wrap that to an empty buffer nor ask
// for gigabytes.
class Overstating final : public ForwardingRegistry {
 public:
  using ForwardingRegistry::ForwardingRegistry;
  long QueryInfoKey(RegKey key, KeyInfo* info) override {
    const long result = ForwardingRegistry::QueryInfoKey(key, info);
    info->longestSubkeyName = info->longestValueName = 0xFFFFFFFFu;
    return result;
  }
};

// Notes the name of every key deleted, in order.
class DeletionLog final : public ForwardingRegistry {
 public:
  using ForwardingRegistry::ForwardingRegistry;
  long DeleteKey(RegKey parent, const std::string& subkey) override {
    deleted.push_back(subkey);
    return ForwardingRegistry::DeleteKey(parent, subkey);
  }
  std::vector<std::string> deleted;
};

using RawCalls = RegistryTest;
VELTRANE_ON_EVERY_BACKEND(RawCalls);

TEST_P(RawCalls, StoresDataOfEveryKindAndSizeByteForByte) {
  const struct {
    std::uint32_t type;
    std::string data;
  } cases[] = {
      {kRegSz, ""},
      {kRegSz, "abc"},  // no terminating zero
      {kRegSz, std::string("abc\0", 4)},
      {kRegSz, std::string("ab\0cd\0", 6)},
      {kRegSz, "\u0081\u008d\u008f\u0090\u009d"},  // what code page 1252 leaves undefined
      {kRegSz, kLatin1 + kCyrillic + kGreek + kJapanese + kEmoji + '\0'},
      {kRegMultiSz, kCyrillic + '\0' + kEmoji + '\0' + '\0'},
      {kRegExpandSz, "%TEMP%\\" + kJapanese},
      {kRegExpandSz, "%PATH%"},
      {kRegMultiSz, std::string("a\0b\0\0", 5)},
      {kRegMultiSz, std::string("a\0b", 3)},
      {kRegSz, Bytes(255)},
      {kRegSz, Bytes(256)},
      {kRegSz, Bytes(257)},
      {kRegSz, Bytes(1 << 20)},
      {kRegBinary, ""},
      {kRegBinary, EveryByte()},
      {kRegBinary, Bytes(257, '\0')},
      {kRegBinary, Bytes(1 << 20, '\xff')},
      {kRegDword, "\x01\x02"},
      {kRegNone, "abc"},
      {kRegQword, "12345678"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "type " << c.type << ", " << c.data.size() << " bytes");
    const auto size = static_cast<std::uint32_t>(c.data.size());
    Put("", "v", c.type, c.data);
    std::uint32_t type = 0;
    EXPECT_EQ(Get("", "v", &type), c.data);
    EXPECT_EQ(type, c.type);

    // One byte of room more: string data without its zero gets one.
    std::string buffer(size + 2, '\xee');
    std::uint32_t capacity = size + 1;
    ASSERT_EQ(api().QueryValue(key_, "v", &type, reinterpret_cast<std::uint8_t*>(buffer.data()),
                               &capacity),
              0);
    EXPECT_EQ(capacity, size);
    const bool terminated = c.data.empty() || c.data.back() == '\0';
    EXPECT_EQ(buffer[size], IsString(c.type) && !terminated ? '\0' : '\xee');

    // The registry keeps text in UTF-16: two bytes a unit.
    KeyInfo facts;
    ASSERT_EQ(api().QueryInfoKey(key_, &facts), 0);
    EXPECT_EQ(facts.longestData, IsString(c.type) ? 2 * ToUtf16(c.data)->size() : size);
    if (size > 0) {
      // One byte short: 234, the size needed, the buffer untouched.
      buffer.assign(size + 2, '\xee');
      capacity = size - 1;
      EXPECT_EQ(api().QueryValue(key_, "v", nullptr, reinterpret_cast<std::uint8_t*>(buffer.data()),
                                 &capacity),
                kErrorMoreData);
      EXPECT_EQ(capacity, size);
      EXPECT_EQ(buffer, std::string(size + 2, '\xee'));
    }
    EXPECT_EQ(api().DeleteValue(key_, "v"), 0);
  }
}

TEST_P(RawCalls, EnumerationTellsHowMuchRoomItNeeds) {
  MakeKey("abcdef");
  Put("", "abcdef", kRegBinary, "\x11\x22\x33");
  char name[16];
  std::uint8_t data[16];
  std::uint32_t length = 6, type = 0, size = sizeof data;

  std::fill(std::begin(name), std::end(name), '\xee');
  EXPECT_EQ(api().EnumKey(key_, 0, name, &length), kErrorMoreData);
  EXPECT_EQ(length, 6u);
  EXPECT_EQ(name[0], '\xee');
  length = 7;
  EXPECT_EQ(api().EnumKey(key_, 0, name, &length), 0);
  EXPECT_EQ(std::string(name, length), "abcdef");
  EXPECT_EQ(api().EnumKey(key_, 1, name, &length), kErrorNoMoreItems);

  // Name too short: the name cut to fit, the rest delivered.
  length = 4;
  EXPECT_EQ(api().EnumValue(key_, 0, name, &length, &type, data, &size), kErrorMoreData);
  EXPECT_EQ(length, 4u);
  EXPECT_STREQ(name, "abc");
  EXPECT_EQ(type, kRegBinary);
  EXPECT_EQ(size, 3u);
  EXPECT_EQ(data[2], 0x33);

  // Data too short: its size, and nothing written.
  std::fill(std::begin(name), std::end(name), '\xee');
  length = sizeof name;
  size = 2;
  data[0] = 0;
  EXPECT_EQ(api().EnumValue(key_, 0, name, &length, &type, data, &size), kErrorMoreData);
  EXPECT_EQ(size, 3u);
  EXPECT_EQ(name[0], '\xee');
  EXPECT_EQ(data[0], 0);
  EXPECT_EQ(api().EnumValue(key_, 1, name, &length, nullptr, nullptr, nullptr), kErrorNoMoreItems);
}

TEST_P(RawCalls, NamesInEveryScriptEnumerateInTheRegistrysOrderKeepingTheirFirstSpelling) {
  // Characters on both sides of the letters ('[' and '_' lie between 'Z'
  // and 'a'), letter pairs of several scripts, letters without a pair,
  // and units of surrogate pairs, which sort below the rest of the plane.
  const std::vector<std::string> characters = {
      "a", "A", "z",  "Z",  "_", "[",  "`",  "{", "~", "0", " ", "-",      "é",     "É", "ß",
      "ẞ", "ı", "I",  "µ",  "Ä", "ä",  "ÿ",  "Ÿ", "Д", "д", "я", "Я",      "Ω",     "ω", "ς",
      "Σ", "σ", "日", "本", "ｱ", "Ａ", "ａ", "😀", "🎉", "𐐀", "𐐨", "\uE000", "\uFFFD"};
  const auto less = [](const std::string& a, const std::string& b) {
    return CompareNames(*ToUtf16(a), *ToUtf16(b)) < 0;
  };
  std::set<std::string, decltype(less)> expected(less);
  unsigned seed = 7;
  const auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 16; };
  for (std::size_t i = 0; i < 400; ++i) {
    std::string name;
    const std::size_t length = i < characters.size() ? 1 : 1 + next() % 3;
    for (std::size_t j = 0; j < length; ++j) {
      name += characters[i < characters.size() ? i : next() % characters.size()];
    }
    expected.insert(name);  // keeps the first of two spellings, as the registry does
    MakeKey(name);
    Put("", name, kRegDword, "1234");
  }
  std::vector<std::string> keys, values;
  char name[64];
  std::uint32_t length = sizeof name;
  for (std::uint32_t i = 0; api().EnumKey(key_, i, name, &length) == 0; ++i, length = sizeof name) {
    keys.emplace_back(name, length);
  }
  for (std::uint32_t i = 0; api().EnumValue(key_, i, name, &length, nullptr, nullptr, nullptr) == 0;
       ++i, length = sizeof name) {
    values.emplace_back(name, length);
  }
  const std::vector<std::string> order(expected.begin(), expected.end());
  EXPECT_EQ(keys, order);
  EXPECT_EQ(values, order);
}

TEST_P(RawCalls, OpensNamesInAnyLetterCaseOfAnyScript) {
  const struct {
    const char *made, *asked;
    bool same;
  } cases[] = {
      {"Äpfel", "äPFEL", true}, {"Дом", "дОМ", true},   {"Ωμέγα", "ωΜΈΓΑ", true}, {"ÿ", "Ÿ", true},
      {"ǆ", "Ǆ", true},         {"日本", "日本", true}, {"😀x", "😀X", true},       {"ı", "I", false},
      {"ß", "ẞ", false},        {"µ", "Μ", false},      {"ς", "Σ", false},        {"𐐀", "𐐨", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.made);
    MakeKey(c.made);
    Put("", c.made, kRegDword, "1234");
    EXPECT_EQ(KeyExists(c.asked), c.same);
    EXPECT_EQ(Get("", c.asked), c.same ? "1234" : "<missing>");
    EXPECT_EQ(SameName(c.made, c.asked), c.same);
  }
}

TEST_P(RawCalls, TextWithNoExactFormGives1113AndNothingElse) {
  // An unpaired surrogate has no UTF-8 form; neither has any byte sequence
  // that is no UTF-8.
  const std::u16string lone = u"lone \xD800 surrogate";
  MakeWideKey(lone);
  PutWide(lone, u"text");
  PutWide(u"data", lone);
  PutWide(u"good", u"Иван");
  char name[64];
  std::uint8_t data[64];
  std::uint32_t length = sizeof name, size = sizeof data, type = 0;
  EXPECT_EQ(api().EnumKey(key_, 0, name, &length), kErrorNoUnicodeTranslation);
  // Values enumerate as "data", "good", "lone ...".
  EXPECT_EQ(api().EnumValue(key_, 0, name, &length, &type, data, &size),
            kErrorNoUnicodeTranslation);
  length = sizeof name, size = sizeof data;
  EXPECT_EQ(api().EnumValue(key_, 0, name, &length, nullptr, nullptr, nullptr), 0)
      << "the name alone is fine";
  length = sizeof name, size = sizeof data;
  EXPECT_EQ(api().EnumValue(key_, 1, name, &length, &type, data, &size), 0);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(data), size), std::string("Иван\0", 9));
  length = sizeof name, size = sizeof data;
  EXPECT_EQ(api().EnumValue(key_, 2, name, &length, &type, data, &size),
            kErrorNoUnicodeTranslation);
  size = sizeof data;
  EXPECT_EQ(api().QueryValue(key_, "data", &type, data, &size), kErrorNoUnicodeTranslation);
  EXPECT_EQ(api().QueryValue(key_, "data", nullptr, nullptr, &size), kErrorNoUnicodeTranslation);
  EXPECT_EQ(api().QueryValue(key_, "data", &type, nullptr, nullptr), 0);
  EXPECT_EQ(type, kRegSz);

  RegKey key = 0;
  const std::string notText = "\xC3(\xFF";
  EXPECT_EQ(api().CreateKeyEx(key_, notText, kKeyAllAccess, &key, nullptr),
            kErrorNoUnicodeTranslation);
  EXPECT_EQ(api().OpenKeyEx(key_, notText, kKeyRead, &key), kErrorNoUnicodeTranslation);
  EXPECT_EQ(api().SetValue(key_, notText, kRegDword, data, 4), kErrorNoUnicodeTranslation);
  EXPECT_EQ(
      api().SetValue(key_, "v", kRegSz, reinterpret_cast<const std::uint8_t*>(notText.data()), 3),
      kErrorNoUnicodeTranslation);
  EXPECT_EQ(api().SetValue(key_, "v", kRegBinary,
                           reinterpret_cast<const std::uint8_t*>(notText.data()), 3),
            0)
      << "binary data is no text";

  // The wrapper lists the rest and says it passed a name over.
  TRegistry reg(api());
  ASSERT_TRUE(reg.OpenPath(Abs(), false));
  TextList list;
  reg.ListValueNames(list);
  EXPECT_THAT(list, ElementsAre("data", "good", "v"));
  EXPECT_FALSE(reg.ListedEveryName());
  reg.ListSubkeyNames(list);
  EXPECT_TRUE(list.empty());
  EXPECT_FALSE(reg.ListedEveryName());
  long outcome = 0;
  EXPECT_EQ(QueryValueText(api(), kHkeyCurrentUser, Rel(), "data", &outcome), "");
  EXPECT_EQ(outcome, kErrorNoUnicodeTranslation);
  EXPECT_EQ(QueryValueText(api(), kHkeyCurrentUser, Rel(), "good", &outcome), "Иван");
  EXPECT_EQ(outcome, 0);
  DeleteWideKey(lone);  // no 8-bit name reaches it
}

TEST_P(RawCalls, EnforcesTheLimitsOfNamesInCharacters) {
  // 255 characters, however many bytes they take here.
  for (const std::string& letter : {std::string("k"), std::string("Д"), std::string("語")}) {
    SCOPED_TRACE(letter);
    RegKey key = 0;
    EXPECT_EQ(api().CreateKeyEx(key_, Repeated(letter, 255), kKeyAllAccess, &key, nullptr), 0);
    api().CloseKey(key);
    EXPECT_TRUE(KeyExists(Repeated(letter == "k" ? "K" : letter, 255) + "\\"));
    EXPECT_EQ(api().CreateKeyEx(key_, Repeated(letter, 257), kKeyAllAccess, &key, nullptr),
              kErrorInvalidParameter);
    EXPECT_EQ(api().OpenKeyEx(key_, Repeated(letter, 257), kKeyRead, &key), kErrorInvalidParameter);
  }
  Put("", Bytes(16383, 'v'), kRegSz, "");
  EXPECT_EQ(Get("", Bytes(16383, 'V')), "");
  EXPECT_EQ(api().SetValue(key_, Bytes(16384, 'v'), kRegSz, nullptr, 0), kErrorInvalidParameter);
  Put("", Repeated("語", 16383), kRegSz, "");
  EXPECT_EQ(api().SetValue(key_, Repeated("語", 16384), kRegSz, nullptr, 0),
            kErrorInvalidParameter);
}

TEST_P(RawCalls, TakesDoubledAndTrailingBackslashesAndLongPaths) {
  MakeKey("a\\\\b\\");
  EXPECT_TRUE(KeyExists("A\\B"));
  EXPECT_TRUE(KeyExists("a\\\\\\b\\\\"));
  RegKey key = 0;
  EXPECT_EQ(api().OpenKeyEx(key_, "\\a", kKeyRead, &key), kErrorBadPathname);
  EXPECT_EQ(api().CreateKeyEx(key_, "\\a", kKeyAllAccess, &key, nullptr), kErrorBadPathname);

  // Longer than Wine's 8-bit calls take (260 characters): 6 names of 60.
  std::string deep;
  for (char c : std::string("uvwxyz")) deep += (deep.empty() ? "" : "\\") + Bytes(60, c);
  MakeKey(deep);
  EXPECT_TRUE(KeyExists(deep));
  EXPECT_EQ(api().OpenKey(key_, deep, &key), 0);
  api().CloseKey(key);
  EXPECT_EQ(api().DeleteKey(key_, deep), 0);
  EXPECT_FALSE(KeyExists(deep));
}

TEST_P(RawCalls, AnswersStaleClosedAndUnderprivilegedHandles) {
  MakeKey("leaf\\child");
  RegKey leaf = 0, other = 0, same = 0;
  ASSERT_EQ(api().OpenKeyEx(key_, "leaf", kKeyAllAccess, &leaf), 0);
  ASSERT_EQ(api().OpenKeyEx(key_, "leaf", kKeyAllAccess, &other), 0);
  EXPECT_EQ(api().OpenKey(leaf, "", &same), 0);
  EXPECT_EQ(same, leaf) << "an empty path gives the same handle back";
  EXPECT_EQ(api().DeleteKey(key_, "leaf"), kErrorAccessDenied) << "it has a subkey";
  EXPECT_EQ(api().DeleteKey(key_, "nothing"), kErrorFileNotFound);
  EXPECT_EQ(api().DeleteKey(leaf, "child"), 0);
  EXPECT_EQ(api().DeleteKey(leaf, ""), 0) << "an empty path deletes the key itself";
  EXPECT_FALSE(KeyExists("leaf"));
  MakeKey("leaf");  // a new key of the same name revives no old handle

  KeyInfo facts;
  char name[8];
  std::uint32_t length = sizeof name;
  RegKey key = 0;
  for (RegKey stale : {leaf, other}) {
    EXPECT_EQ(api().QueryInfoKey(stale, &facts), kErrorKeyDeleted);
    EXPECT_EQ(api().EnumKey(stale, 0, name, &length), kErrorKeyDeleted);
    EXPECT_EQ(api().QueryValue(stale, "", nullptr, nullptr, nullptr), kErrorKeyDeleted);
    EXPECT_EQ(api().SetValue(stale, "x", kRegBinary, nullptr, 0), kErrorKeyDeleted);
    EXPECT_EQ(api().CreateKeyEx(stale, "x", kKeyAllAccess, &key, nullptr), kErrorKeyDeleted);
    EXPECT_EQ(api().CloseKey(stale), 0);
    EXPECT_EQ(api().CloseKey(stale), kErrorInvalidHandle);
  }
  ASSERT_EQ(api().OpenKeyEx(key_, "leaf", kKeyRead, &key), 0);
  EXPECT_EQ(api().SetValue(key, "x", kRegBinary, nullptr, 0), kErrorAccessDenied);
  api().CloseKey(key);
  ASSERT_EQ(api().OpenKeyEx(key_, "leaf", kKeyWrite, &key), 0);
  EXPECT_EQ(api().SetValue(key, "x", kRegBinary, nullptr, 0), 0);
  EXPECT_EQ(api().QueryValue(key, "x", nullptr, nullptr, nullptr), kErrorAccessDenied);
  EXPECT_EQ(api().SetValue(key, "x", kRegBinary, nullptr, 4), kErrorNoAccess);
  api().CloseKey(key);
}

using Wrapper = RegistryTest;
VELTRANE_ON_EVERY_BACKEND(Wrapper);

TEST_P(Wrapper, OpensByAbsoluteAndRelativePathsKeepingTheOldKeyOnFailure) {
  MakeKey("Microsoft");
  TRegistry reg(api());
  EXPECT_EQ(reg.RootHandle(), kHkeyCurrentUser);
  EXPECT_EQ(reg.AccessMask(), kKeyAllAccess);
  ASSERT_TRUE(reg.OpenPath(Abs() + "\\", false));
  EXPECT_EQ(reg.OpenKeyPath(), Rel() + "\\");
  ASSERT_TRUE(reg.OpenPath("Microsoft", false));
  EXPECT_EQ(reg.OpenKeyPath(), Rel() + "\\\\Microsoft");
  const RegKey open = reg.OpenHandle();

  EXPECT_FALSE(reg.OpenPath("Missing", false));
  EXPECT_FALSE(reg.OpenPath(Abs("Missing"), false));
  EXPECT_EQ(reg.OpenHandle(), open);
  EXPECT_EQ(reg.OpenKeyPath(), Rel() + "\\\\Microsoft");
  EXPECT_FALSE(KeyExists("Missing"));

  ASSERT_TRUE(reg.OpenPath("a\\b\\c", true));  // relative to Microsoft
  EXPECT_TRUE(KeyExists("Microsoft\\a\\b\\c"));
  ASSERT_TRUE(reg.OpenPath(Abs("Microsoft"), false));
  EXPECT_EQ(reg.OpenKeyPath(), Rel("Microsoft"));
  ASSERT_TRUE(reg.OpenPath("", true));  // the same key again, nothing made
  EXPECT_EQ(reg.OpenKeyPath(), Rel("Microsoft") + "\\");
  TextList list;
  reg.ListSubkeyNames(list);
  EXPECT_THAT(list, ElementsAre("a"));

  reg.SelectRoot(kHkeyCurrentUser);
  EXPECT_NE(reg.OpenHandle(), 0u) << "the same root keeps the key";
  reg.SelectRoot(kHkeyLocalMachine);
  EXPECT_EQ(reg.OpenHandle(), 0u);
  EXPECT_EQ(reg.OpenKeyPath(), "");
  reg.ClosePath();  // nothing open: nothing happens
}

TEST_P(Wrapper, ListsNamesWithAndWithoutTheLeadingBlank) {
  Put("k", "a", kRegSz, "x");
  Put("k", "", kRegSz, "");
  const std::string longName = Repeated("é", 200);
  MakeKey("k\\" + longName);
  MakeKey("k\\B");
  for (RegistryApi* through : {&api(), static_cast<RegistryApi*>(nullptr)}) {
    Understating understating(api());
    TRegistry reg(through ? *through : understating);
    TextList list{"stale line"};
    reg.ListSubkeys(list);
    EXPECT_TRUE(list.empty()) << "no key open";
    ASSERT_TRUE(reg.OpenPath(Abs("k"), false));
    reg.ListValues(list);
    EXPECT_THAT(list, ElementsAre(" ", " a"));
    reg.ListValueNames(list);
    EXPECT_THAT(list, ElementsAre("", "a"));
    reg.ListSubkeys(list);
    EXPECT_THAT(list, ElementsAre(" B", " " + longName));
    reg.ListSubkeyNames(list);
    EXPECT_THAT(list, ElementsAre("B", longName));
  }
}

// Buffers sized from the key query, which counts characters, hold names of
// two and three bytes a character without asking twice.
TEST_P(Wrapper, ListsOpensAndRemovesTheLongestNamesOfEveryScript) {
  const std::string cyrillic = Repeated("Д", 255), japanese = Repeated("語", 255);
  const std::string longValue = Repeated("語", 16383);
  MakeKey("long\\" + cyrillic + "\\" + japanese);
  MakeKey("long\\" + japanese);
  Put("long\\" + japanese, longValue, kRegSz, kJapanese + '\0');
  CountingRegistry counted(api());
  TRegistry reg(counted);
  ASSERT_TRUE(reg.OpenPath(Abs("long"), false));
  TextList list;
  counted.calls = 0;
  reg.ListSubkeyNames(list);
  EXPECT_THAT(list, ElementsAre(cyrillic, japanese));
  EXPECT_EQ(counted.calls, 3u) << "one query, one call for each name";
  ASSERT_TRUE(reg.OpenPath(japanese, false));
  reg.ListValueNames(list);
  EXPECT_THAT(list, ElementsAre(longValue));
  EXPECT_EQ(reg.ReadText(longValue), kJapanese);
  std::vector<char> name;
  std::vector<std::uint8_t> data;
  EnumeratedValue value;
  ASSERT_EQ(EnumValueWithData(api(), reg.OpenHandle(), 0, name, data, value), 0);
  EXPECT_EQ(std::string(name.data(), value.nameLength), longValue);
  ASSERT_TRUE(reg.OpenPath(Abs("long\\" + cyrillic + "\\" + japanese), false));
  reg.ClosePath();
  EXPECT_TRUE(reg.RemoveKey(Abs("long")));
  EXPECT_FALSE(KeyExists("long"));
}

TEST_P(Wrapper, ReadsEachKindAsTheCallerAsks) {
  const std::string multi("a\0b\0\0", 5);
  Put("", "sz", kRegSz, std::string("text\0", 5));
  Put("", "inner", kRegSz, std::string("ab\0cd\0", 6));
  Put("", "expand", kRegExpandSz, std::string("%PATH%\0", 7));
  Put("", "dword", kRegDword, "\xff\xff\xff\xff");
  Put("", "short", kRegDword, "\x2a");
  Put("", "bin", kRegBinary, "\x01\x02\x03");
  Put("", "empty", kRegBinary, "");
  Put("", "multi", kRegMultiSz, multi);
  Put("", "qword", kRegQword, "12345678");
  TRegistry reg(api());
  ASSERT_TRUE(reg.OpenPath(Abs(), false));

  const struct {
    const char* name;
    TRegDataType kind;
    std::int64_t size;
  } facts[] = {{"sz", vkString, 5},        {"expand", vkExpandString, 7}, {"dword", vkInteger, 4},
               {"bin", vkBinary, 3},       {"multi", vkUnknown, 5},       {"qword", vkUnknown, 8},
               {"missing", vkUnknown, -1}, {"empty", vkBinary, 0}};
  for (const auto& f : facts) {
    EXPECT_EQ(reg.ValueKind(f.name), f.kind) << f.name;
    EXPECT_EQ(reg.ValueSize(f.name), f.size) << f.name;
  }

  EXPECT_EQ(reg.ReadText("sz"), "text");
  EXPECT_EQ(reg.ReadText("inner"), "ab");
  EXPECT_EQ(reg.ReadText("expand"), "%PATH%");
  EXPECT_EQ(reg.ReadText("missing"), "");
  EXPECT_EQ(reg.ReadText("empty"), "");
  EXPECT_EQ(reg.ReadNumber("dword"), -1);
  EXPECT_EQ(reg.ReadNumber("short"), 42);

  std::uint8_t buffer[8] = {9, 9, 9, 9, 9, 9, 9, 9};
  EXPECT_EQ(reg.ReadBytes("missing", buffer, 8), 0);
  EXPECT_EQ(buffer[0], 9);
  EXPECT_EQ(reg.ReadBytes("empty", buffer, 0), 0);
  EXPECT_EQ(reg.ReadBytes("bin", buffer, 3), 3);
  EXPECT_EQ(buffer[2], 3);
  EXPECT_EQ(reg.ReadBytes("multi", buffer, 8), 5);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 5), multi);

  const struct {
    std::function<void()> read;
    const char* message;
  } failures[] = {
      {[&] { reg.ReadText("dword"); }, "Invalid data type for 'dword'"},
      {[&] { reg.ReadText("bin"); }, "Invalid data type for 'bin'"},
      {[&] { reg.ReadNumber("sz"); }, "Failed to get data for 'sz'"},  // 5 bytes
      {[&] { reg.ReadNumber("qword"); }, "Failed to get data for 'qword'"},
      {[&] { reg.ReadNumber("bin"); }, "Invalid data type for 'bin'"},
      {[&] { reg.ReadNumber("Missing"); }, "Failed to get data for 'Missing'"},
      {[&] { reg.ReadBytes("bin", buffer, 2); }, "Invalid data type for 'bin'"},
      {[&] { reg.ReadBytes("sz", buffer, 8); }, "Invalid data type for 'sz'"},
  };
  for (const auto& f : failures) {
    EXPECT_THAT(f.read, ThrowsMessage<ERegistryException>(f.message));
  }
}

TEST_P(Wrapper, WritesEveryKindAndRaisesWhereItCannot) {
  TRegistry reg(api());
  ASSERT_TRUE(reg.OpenPath(Abs(), false));
  reg.WriteText("", "");
  std::uint32_t type = 0;
  EXPECT_EQ(Get("", "", &type), std::string(1, '\0'));
  EXPECT_EQ(type, kRegSz);
  reg.WriteText("inner", std::string("a\0b", 3));
  EXPECT_EQ(Get("", "inner"), std::string("a\0b\0", 4));
  reg.WriteExpandText("expand", "%TEMP%");
  EXPECT_EQ(Get("", "expand", &type), std::string("%TEMP%\0", 7));
  EXPECT_EQ(type, kRegExpandSz);
  reg.WriteNumber("Expand", -2);  // same value, other spelling: kind and data replaced
  EXPECT_EQ(Get("", "expand", &type), "\xfe\xff\xff\xff");
  EXPECT_EQ(type, kRegDword);
  for (std::size_t size : {0, 255, 256, 257, 1 << 20}) {
    const std::string data = Bytes(size, '\x9d');
    reg.WriteBytes("bin", data.data(), static_cast<std::int64_t>(size));
    EXPECT_EQ(Get("", "bin", &type), data);
    EXPECT_EQ(type, kRegBinary);
  }
  EXPECT_TRUE(reg.RemoveValue("BIN"));
  EXPECT_FALSE(reg.RemoveValue("bin"));

  TRegistry reader(api(), kKeyRead);
  ASSERT_TRUE(reader.OpenPath(Abs(), false));
  EXPECT_THAT([&] { reader.WriteText("v", "x"); },
              ThrowsMessage<ERegistryException>("Failed to set data for 'v'"));
  EXPECT_EQ(reader.OpenKeyPath(), Rel()) << "the key stays open";
  TRegistry closed(api());
  EXPECT_THAT([&] { closed.WriteNumber("n", 1); },
              ThrowsMessage<ERegistryException>("Failed to set data for 'n'"));
  EXPECT_THAT([&] { closed.ReadNumber("n"); },
              ThrowsMessage<ERegistryException>("Failed to get data for 'n'"));
  EXPECT_FALSE(closed.RemoveValue("n"));
  EXPECT_EQ(closed.ReadText("n"), "");
}

TEST_P(Wrapper, RemovesWholeTreesAndGivesTheOpenKeyBack) {
  for (const char* path : {"t\\a\\b\\c", "t\\a\\b2", "t\\z", "t\\a\\b\\c2\\d"}) MakeKey(path);
  Put("t\\a\\b", "v", kRegSz, "x");
  TRegistry reg(api());
  ASSERT_TRUE(reg.OpenPath(Abs(), false));
  const RegKey open = reg.OpenHandle();
  EXPECT_TRUE(reg.RemoveKey("t\\a"));
  EXPECT_FALSE(KeyExists("t\\a"));
  EXPECT_TRUE(KeyExists("t\\z"));
  EXPECT_EQ(reg.OpenHandle(), open);
  EXPECT_EQ(reg.OpenKeyPath(), Rel());

  EXPECT_FALSE(reg.RemoveKey("t\\a"));
  EXPECT_FALSE(reg.RemoveKey(""));  // would be the open key itself
  EXPECT_FALSE(reg.RemoveKey("\\"));
  EXPECT_TRUE(KeyExists(""));
  EXPECT_TRUE(reg.RemoveKey(Abs("t") + "\\"));
  EXPECT_FALSE(KeyExists("t"));

  // Names longer than the key query admits still go.
  MakeKey("u\\" + Bytes(250, 'n') + "\\" + Bytes(240, 'm'));
  Understating understating(api());
  TRegistry fooled(understating);
  EXPECT_TRUE(fooled.RemoveKey(Abs("u")));
  EXPECT_FALSE(KeyExists("u"));
}

TEST_P(Wrapper, RemovesTheLastEnumeratedSubkeyFirstDepthFirstAndTheKeyItselfLast) {
  for (const char* path : {"t\\a\\b\\c", "t\\a\\b\\c2\\d", "t\\a\\b2"}) MakeKey(path);
  DeletionLog log(api());
  TRegistry reg(log);
  ASSERT_TRUE(reg.OpenPath(Abs("t"), false));
  EXPECT_TRUE(reg.RemoveKey("a"));
  EXPECT_THAT(log.deleted, ElementsAre("b2", "d", "c2", "c", "b", "a"));
}

TEST_P(Wrapper, ListsAndRemovesWhenTheKeyQueryOverstatesNameLengths) {
  MakeKey("o\\sub\\deeper");
  Put("o", "value", kRegSz, std::string("x\0", 2));
  Overstating overstating(api());
  TRegistry reg(overstating);
  ASSERT_TRUE(reg.OpenPath(Abs("o"), false));
  TextList list;
  reg.ListSubkeys(list);
  EXPECT_THAT(list, ElementsAre(" sub"));
  reg.ListValueNames(list);
  EXPECT_THAT(list, ElementsAre("value"));
  reg.ClosePath();
  EXPECT_TRUE(reg.RemoveKey(Abs("o")));
  EXPECT_FALSE(KeyExists("o"));
}

TEST_P(Wrapper, AnswersCallsOnAKeyDeletedUnderIt) {
  MakeKey("gone\\sub");
  Put("gone", "v", kRegSz, std::string("x\0", 2));
  TRegistry reg(api());
  ASSERT_TRUE(reg.OpenPath(Abs("gone"), false));
  Wipe(api(), key_, "gone");
  TextList list{"stale line"};
  reg.ListValues(list);
  EXPECT_TRUE(list.empty());
  EXPECT_EQ(reg.ValueKind("v"), vkUnknown);
  EXPECT_EQ(reg.ValueSize("v"), -1);
  EXPECT_EQ(reg.ReadText("v"), "");
  EXPECT_THROW(reg.ReadNumber("v"), ERegistryException);
  EXPECT_THROW(reg.WriteText("v", "x"), ERegistryException);
  EXPECT_FALSE(reg.RemoveValue("v"));
  EXPECT_FALSE(reg.RemoveKey("sub"));
  EXPECT_FALSE(reg.OpenPath("sub", true));
  EXPECT_TRUE(reg.OpenPath(Abs(), false));
  EXPECT_FALSE(KeyExists("gone"));
}

TEST_P(Wrapper, QueryValueTextReadsAtMost256BytesLessTheLast) {
  const struct {
    std::uint32_t type;
    std::string data, expected;
  } cases[] = {
      {kRegSz, Bytes(255) + '\0', Bytes(255)},
      {kRegSz, Bytes(256) + '\0', ""},
      {kRegSz, Bytes(300) + '\0', ""},
      {kRegSz, "abc", "ab"},
      {kRegSz, "", ""},
      {kRegBinary, Bytes(256, '\x90'), Bytes(255, '\x90')},
      {kRegDword, "\x41\x42\x43\x44", "ABC"},
      {kRegMultiSz, std::string("a\0b\0\0", 5), std::string("a\0b\0", 4)},
  };
  for (const auto& c : cases) {
    Put("q", "v", c.type, c.data);
    EXPECT_EQ(QueryValueText(api(), kHkeyCurrentUser, Rel("q"), "V"), c.expected) << c.data.size();
    EXPECT_EQ(QueryValueText(api(), kHkeyCurrentUser, Rel("q") + "\\", "v"), c.expected);
  }
  EXPECT_EQ(QueryValueText(api(), kHkeyCurrentUser, Rel("q"), "missing"), "");
  EXPECT_EQ(QueryValueText(api(), kHkeyCurrentUser, Rel("missing"), "v"), "");
  EXPECT_EQ(QueryValueText(api(), kHkeyCurrentUser, "\\" + Rel("q"), "v"), "");
  // An empty path reads from the given key itself and leaves it open.
  Put("", "here", kRegSz, std::string("ok\0", 3));
  EXPECT_EQ(QueryValueText(api(), key_, "", "here"), "ok");
  KeyInfo facts;
  EXPECT_EQ(api().QueryInfoKey(key_, &facts), 0);
}

TEST_P(Wrapper, WriteTypedValueCreatesTheKeyAndWritesTheKindAsked) {
  WriteTypedValue(api(), kHkeyCurrentUser, Abs("new\\deeper"), "", vkString, "");
  std::uint32_t type = 0;
  EXPECT_EQ(Get("new\\deeper", "", &type), std::string(1, '\0'));
  EXPECT_EQ(type, kRegSz);
  const struct {
    TRegDataType kind;
    Variant value;
    std::uint32_t type;
    std::string data;
  } cases[] = {
      {vkInteger, "42", kRegDword, std::string("\x2a\0\0\0", 4)},
      {vkInteger, Variant(-1), kRegDword, "\xff\xff\xff\xff"},
      {vkBinary, "abc", kRegBinary, "abc"},
      {vkBinary, Variant(12), kRegBinary, "12"},
      {vkString, Variant(7), kRegSz, std::string("7\0", 2)},
      {vkExpandString, "%x%", kRegExpandSz, std::string("%x%\0", 4)},
  };
  for (const auto& c : cases) {
    WriteTypedValue(api(), kHkeyCurrentUser, Abs(), "v", c.kind, c.value);
    EXPECT_EQ(Get("", "v", &type), c.data);
    EXPECT_EQ(type, c.type);
  }
  // The key is opened for writing only, so the kind cannot be looked up.
  EXPECT_THAT([&] { WriteTypedValue(api(), kHkeyCurrentUser, Abs(), "v", vkUnknown, "x"); },
              ThrowsMessage<EWriteError>(SystemErrorText(kErrorCantWrite)));
  EXPECT_THROW(WriteTypedValue(api(), kHkeyCurrentUser, Abs(), "v", vkInteger, "4x"),
               EVariantError);
  EXPECT_THROW(WriteTypedValue(api(), kHkeyCurrentUser, "\\\\bad", "v", vkString, ""), EWriteError);
  EXPECT_EQ(Get("", "v"), std::string("%x%\0", 4));
}

// Access rules per key: only the in-memory registry enforces them here.
TEST_P(Wrapper, KeysThatOpenOnlyForReadingRefuseWhatNeedsMore) {
  if (!Memory()) GTEST_SKIP() << "Wine grants every open";
  MakeKey("locked\\child");
  MakeKey("open\\inner");
  Memory()->RestrictAccess(kHkeyCurrentUser, Rel("locked"), kKeyRead);
  Memory()->RestrictAccess(kHkeyCurrentUser, Rel("open\\inner"), kKeyRead);

  TRegistry full(api());
  EXPECT_FALSE(full.OpenPath(Abs("locked"), false));
  EXPECT_FALSE(full.OpenPath(Abs("locked\\new"), true));
  EXPECT_FALSE(KeyExists("locked\\new"));
  TRegistry reader(api(), kKeyRead);
  ASSERT_TRUE(reader.OpenPath(Abs("locked"), false));
  TextList list;
  reader.ListSubkeyNames(list);
  EXPECT_THAT(list, ElementsAre("child"));

  EXPECT_FALSE(full.RemoveKey(Abs("locked")));
  EXPECT_TRUE(KeyExists("locked\\child"));
  EXPECT_FALSE(full.RemoveKey(Abs("open")));  // its subkey cannot go, so neither can it
  EXPECT_TRUE(KeyExists("open\\inner"));
  EXPECT_THAT([&] { WriteTypedValue(api(), kHkeyCurrentUser, Abs("locked"), "", vkString, ""); },
              ThrowsMessage<EWriteError>(HasSubstr("denied")));
  Memory()->RestrictAccess(kHkeyCurrentUser, Rel("locked"), 0xFFFFFFFFu);
  Memory()->RestrictAccess(kHkeyCurrentUser, Rel("open\\inner"), 0xFFFFFFFFu);
}

}  // namespace
}  // namespace veltrane::testing
