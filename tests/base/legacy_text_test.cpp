// A program without the UTF-8 manifest, under Wine: its code page is the
// prefix's legacy one, Windows-1252, which carries little beyond Latin-1.
#include <gtest/gtest.h>

#include "base/names.h"
#include "base/text.h"

namespace veltrane::testing {
namespace {

TEST(LegacyCodePage, CarriesWindows1252AndNothingMore) {
  ASSERT_EQ(ProcessCodePage(), kWesternCodePage);
  EXPECT_EQ(ToUtf16("Caf\xE9 \x80"), u"Café €");
  EXPECT_EQ(FromUtf16(u"Café €"), "Caf\xE9 \x80");
  for (const char16_t* beyond : {u"Иван", u"Ωμέγα", u"日本", u"\xD83D\xDE00", u"Ā"}) {
    EXPECT_FALSE(FromUtf16(beyond)) << "never a question mark";
  }
  EXPECT_EQ(CharacterCount("Caf\xE9"), 4u);
  EXPECT_EQ(MostBytesPerUnit(), 1u);
  EXPECT_TRUE(SameName("\xC4pfel", "\xE4PFEL"));
}

}  // namespace
}  // namespace veltrane::testing
