// The text helpers beside the registry wrapper: no registry involved.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "registry/memory_registry.h"
#include "registry/tregistry.h"
#include "registry/typed_value.h"
#include "tests/support/registry_seed.h"

namespace veltrane::testing {
namespace {

using ::testing::ElementsAreArray;

TEST(RemoveAll, TakesOutEveryOccurrenceIncludingOnesARemovalForms) {
  const struct {
    const char *text, *expected;
  } cases[] = {
      {"C:\\WINDOWS", "C:\\"},
      {"C:\\Windows", "C:\\Windows"},
      {"D:\\WINNT", "D:\\WINNT"},
      {"X:\\WINWINDOWSDOWS", "X:\\"},
      {"WINDOWSWINDOWS", ""},
      {"WINWINWINDOWSDOWSDOWS", ""},
      {"", ""},
      {"WINDOW", "WINDOW"},
  };
  for (const auto& c : cases) EXPECT_EQ(RemoveAll("WINDOWS", c.text), c.expected) << c.text;
  EXPECT_EQ(RemoveAll("", "abc"), "abc");
  EXPECT_EQ(RemoveAll("a", std::string("a\0a\0", 4)), std::string("\0\0", 2));
}

TEST(SystemDriveRoot, IsTheSystemRootWithoutWindows) {
  const struct {
    const char* systemRoot;
    std::string expected;
  } cases[] = {{"C:\\WINDOWS", "C:\\"}, {"C:\\windows", "C:\\windows"}, {nullptr, ""}};
  for (const auto& c : cases) {
    MemoryRegistry api;
    RegistrySeed machine(api, kHkeyLocalMachine);
    const std::string version = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
    ASSERT_NO_THROW(machine.Key(version));
    if (c.systemRoot) machine.Text(version, "SystemRoot", c.systemRoot);
    EXPECT_EQ(ReadSystemDriveRoot(api), c.expected);
    EXPECT_EQ(api.OpenHandleCount(), 0u);
  }
}

TEST(SplitText, CutsAtEverySeparatorAndKeepsEmptyPiecesButNotALastOne) {
  const struct {
    std::string text;
    char separator;
    std::vector<std::string> lines;
  } cases[] = {
      {"whole text", ',', {" whole text"}},
      {"a,,b", ',', {" a", " ", " b"}},
      {"a,", ',', {" a"}},
      {",a", ',', {" ", " a"}},
      {"", ',', {}},
      {",", ',', {" "}},
      {"a, b ,c", ',', {" a", "  b ", " c"}},
      {"C:/x/y.exe", '/', {" C:", " x", " y.exe"}},
      {std::string("a\0b", 3), '\0', {" a", " b"}},
      {"\xff\xfe\xff", '\xff', {" ", " \xfe"}},
  };
  for (const auto& c : cases) {
    TextList list{"left over"};
    SplitText(c.text, c.separator, list);
    EXPECT_THAT(list, ElementsAreArray(c.lines)) << c.text;
  }
}

TEST(Variant, ConvertsNumbersAndTextsOnDemand) {
  EXPECT_EQ(Variant().AsText(), "");
  EXPECT_EQ(Variant().AsInt32(), 0);
  EXPECT_EQ(Variant(-42).AsText(), "-42");
  EXPECT_EQ(Variant("2147483647").AsInt32(), 2147483647);
  EXPECT_EQ(Variant(" -7 ").AsInt32(), -7);
  for (const char* bad : {"", "abc", "4 2", "12x", "2147483648", "+", "0x10"}) {
    EXPECT_THROW(Variant(bad).AsInt32(), EVariantError) << bad;
  }
  EXPECT_THROW(Variant(std::int64_t{1} << 40).AsInt32(), EVariantError);
}

}  // namespace
}  // namespace veltrane::testing
