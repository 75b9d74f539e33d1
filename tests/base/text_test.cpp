// The program's texts in UTF-8, UTF-16 and Windows-1252, and names compared
// as the registry compares them. The registry's own order and case rules
// are checked against Wine's registry in the conformance suite.
#include <gtest/gtest.h>

#include "base/names.h"
#include "base/text.h"

namespace veltrane::testing {
namespace {

TEST(Text, ConvertsEveryScriptBothWaysExactly) {
  const struct {
    std::string utf8;
    std::u16string utf16;
  } cases[] = {
      {"", u""},
      {"plain ASCII", u"plain ASCII"},
      {std::string("zero\0inside", 11), std::u16string(u"zero\0inside", 11)},
      {"Äpfel © €", u"Äpfel © €"},
      {"Иван", u"Иван"},
      {"Ωμέγα", u"Ωμέγα"},
      {"日本語", u"日本語"},
      {"😀 outside the plane", u"\xD83D\xDE00 outside the plane"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ToUtf16(c.utf8, kUtf8CodePage), c.utf16) << c.utf8;
    EXPECT_EQ(FromUtf16(c.utf16, kUtf8CodePage), c.utf8) << c.utf8;
  }
  // What has no exact form gives nothing, never a stand-in.
  for (const char* notUtf8 :
       {"\xE9", "\xC3", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "a\x80", "\xE6\x97"}) {
    EXPECT_FALSE(ToUtf16(notUtf8, kUtf8CodePage)) << notUtf8;
  }
  for (const std::u16string& lone : {std::u16string(u"\xD800"), std::u16string(u"a\xDC00"),
                                     std::u16string(u"\xD83D"
                                                    u"x")}) {
    EXPECT_FALSE(FromUtf16(lone, kUtf8CodePage));
  }
}

TEST(Text, RecodesBetweenTheProgramsAndTheWesternCodePage) {
  EXPECT_EQ(Recode("Café €\u0081ÿ", kUtf8CodePage, kWesternCodePage), "Caf\xE9 \x80\x81\xFF");
  EXPECT_EQ(Recode("Caf\xE9 \x80\x81\xFF", kWesternCodePage, kUtf8CodePage), "Café €\u0081ÿ");
  EXPECT_FALSE(Recode("Иван", kUtf8CodePage, kWesternCodePage));
  EXPECT_FALSE(Recode("Ā", kUtf8CodePage, kWesternCodePage)) << "no look-alike A";
  EXPECT_EQ(Recode("ASCII\\[]", kUtf8CodePage, 932), "ASCII\\[]") << "ASCII fits any";
}

TEST(Text, CountsCharactersAsTheRegistryDoes) {
  if (ProcessCodePage() != kUtf8CodePage) GTEST_SKIP() << "the program's code page is UTF-8";
  EXPECT_EQ(CharacterCount("Д語😀"), 4u) << "the emoji is two UTF-16 units";
  EXPECT_EQ(CharacterSize("Д語"), 2u);
  EXPECT_EQ(CharacterSize("語"), 3u);
  EXPECT_EQ(CharacterSize("😀"), 4u);
  EXPECT_EQ(CharacterSize("\xE6\x97"), 1u) << "a cut sequence is a byte at a time";
  EXPECT_EQ(MostBytesPerUnit(), 3u);
}

TEST(Text, MeasuresTheColumnsAConsoleShows) {
  EXPECT_EQ(DisplayWidth("Value"), 5u);
  EXPECT_EQ(DisplayWidth("Дом"), 3u);
  EXPECT_EQ(DisplayWidth("日本語"), 6u);
  EXPECT_EQ(DisplayWidth("😀"), 2u);
  EXPECT_EQ(DisplayWidth("e\u0301"), 1u) << "a combining accent takes no column";
}

TEST(Names, AreTheSameNameInAnyLetterCaseOfAnyScript) {
  for (const auto& [a, b] : {std::pair{"Software", "SOFTWARE"},
                             {"Äpfel", "äPFEL"},
                             {"Дом", "дОМ"},
                             {"Ωμέγα", "ωΜΈΓΑ"},
                             {"ÿ", "Ÿ"},
                             {"ǆ", "Ǆ"},
                             {"😀x", "😀X"}}) {
    EXPECT_TRUE(SameName(a, b)) << a << " " << b;
    EXPECT_EQ(FoldedName(a), FoldedName(b));
  }
  // Letters whose case does not map both ways stay names of their own.
  for (const auto& [a, b] : {std::pair{"ı", "I"},
                             {"ß", "ẞ"},
                             {"µ", "Μ"},
                             {"ς", "Σ"},
                             {"ǅ", "Ǆ"},
                             {"𐐀", "𐐨"},
                             {"a", "a "}}) {
    EXPECT_FALSE(SameName(a, b)) << a << " " << b;
  }
  EXPECT_EQ(FoldedName("ÄБ\\ΩX"), "äб\\ωx");
}

TEST(Names, SortByTheirLowerCaseUnitsAsWinesRegistryDoes) {
  const auto before = [](const char16_t* a, const char16_t* b) {
    return CompareNames(a, b) < 0 && CompareNames(b, a) > 0;
  };
  EXPECT_TRUE(before(u"_", u"A")) << "'_' lies between 'Z' and 'a'";
  EXPECT_TRUE(before(u"Z", u"{"));
  EXPECT_TRUE(before(u"a", u"ab"));
  EXPECT_TRUE(before(u"ÿ", u"Ā"));
  EXPECT_TRUE(before(u"Я", u"ẞ"));
  EXPECT_TRUE(before(u"\xD83D\xDE00", u"\xE000")) << "surrogates below the rest";
  EXPECT_EQ(CompareNames(u"Дом", u"дОМ"), 0);
}

TEST(Names, CasePairsMapBothWays) {
  int pairs = 0;
  for (char32_t unit = 0; unit < 0x10000; ++unit) {
    const auto u = static_cast<char16_t>(unit);
    if (LowerCaseUnit(u) == u) continue;
    ++pairs;
    EXPECT_EQ(UpperCaseUnit(LowerCaseUnit(u)), u) << std::hex << unsigned(unit);
  }
  EXPECT_GT(pairs, 1000);
}

}  // namespace
}  // namespace veltrane::testing
