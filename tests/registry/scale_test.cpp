// The in-memory registry at the size of a large real one: a million keys,
// lists and deletions that stay linear. Call counts show that no operation
// repeats work per entry.
#include <gtest/gtest.h>

#include <memory>

#include "registry/memory_registry.h"
#include "registry/tregistry.h"

namespace veltrane {
namespace {

// Makes `count` subkeys named k0, k1, ... below `parent`.
void MakeSubkeys(MemoryRegistry& api, RegKey parent, int count) {
  for (int i = 0; i < count; ++i) {
    RegKey key = 0;
    ASSERT_EQ(api.CreateKeyEx(parent, "k" + std::to_string(i), kKeyAllAccess, &key, nullptr), 0);
    api.CloseKey(key);
  }
}

TEST(MemoryRegistryScale, ListsAHundredThousandSubkeysWithOneCallEach) {
  MemoryRegistry api;
  RegKey wide = 0;
  ASSERT_EQ(api.CreateKeyEx(kHkeyCurrentUser, "Wide", kKeyAllAccess, &wide, nullptr), 0);
  MakeSubkeys(api, wide, 100000);
  api.CloseKey(wide);

  TRegistry reg(api);
  ASSERT_TRUE(reg.OpenPath("\\Wide", false));
  const std::uint64_t before = api.CallCount();
  TextList list;
  reg.ListSubkeyNames(list);
  EXPECT_EQ(api.CallCount() - before, 1u + 100000u);  // the key query, then one call per name
  ASSERT_EQ(list.size(), 100000u);
  EXPECT_EQ(list.front(), "k0");
  EXPECT_EQ(list[1], "k1");
  EXPECT_EQ(list[2], "k10");  // registry order, not numeric
  EXPECT_EQ(list.back(), "k99999");

  reg.ClosePath();
  const std::uint64_t beforeRemoval = api.CallCount();
  EXPECT_TRUE(reg.RemoveKey("\\Wide"));
  EXPECT_EQ(api.CallCount() - beforeRemoval, 5u * 100001u - 1u);
  EXPECT_EQ(api.OpenHandleCount(), 0u);
}

TEST(MemoryRegistryScale, HoldsAndRemovesAMillionKeys) {
  MemoryRegistry api;
  RegKey top = 0;
  ASSERT_EQ(api.CreateKeyEx(kHkeyCurrentUser, "Big", kKeyAllAccess, &top, nullptr), 0);
  // 100 branches of 100 keys of 100 leaves: 1,010,100 keys.
  for (int b = 0; b < 100; ++b) {
    RegKey branch = 0;
    ASSERT_EQ(api.CreateKeyEx(top, "b" + std::to_string(b), kKeyAllAccess, &branch, nullptr), 0);
    for (int m = 0; m < 100; ++m) {
      RegKey middle = 0;
      api.CreateKeyEx(branch, "m" + std::to_string(m), kKeyAllAccess, &middle, nullptr);
      MakeSubkeys(api, middle, 100);
      api.CloseKey(middle);
    }
    api.CloseKey(branch);
  }
  api.CloseKey(top);
  EXPECT_EQ(api.OpenHandleCount(), 0u);

  RegKey leaf = 0;
  EXPECT_EQ(api.OpenKeyEx(kHkeyCurrentUser, "BIG\\B57\\M3\\K99", kKeyRead, &leaf), 0);
  api.CloseKey(leaf);

  TRegistry reg(api);
  const std::uint64_t before = api.CallCount();
  EXPECT_TRUE(reg.RemoveKey("\\Big"));
  // Per key: open, query, close, delete, and its own enumeration by its
  // parent; the top key has no parent here.
  const std::uint64_t keys = 1 + 100 + 100 * 100 + 100 * 100 * 100;
  EXPECT_EQ(api.CallCount() - before, 5 * keys - 1);
  EXPECT_EQ(api.OpenKeyEx(kHkeyCurrentUser, "Big", kKeyRead, &leaf), kErrorFileNotFound);
  EXPECT_EQ(api.OpenHandleCount(), 0u);
}

// A chain of `depth` keys named d below HKEY_CURRENT_USER.
void MakeChain(MemoryRegistry& api, int depth) {
  RegKey key = kHkeyCurrentUser;
  for (int level = 0; level < depth; ++level) {
    RegKey next = 0;
    ASSERT_EQ(api.CreateKeyEx(key, "d", kKeyAllAccess, &next, nullptr), 0);
    if (key != kHkeyCurrentUser) api.CloseKey(key);
    key = next;
  }
  api.CloseKey(key);
}

TEST(MemoryRegistryScale, TearsDownADeepTreeWithoutRecursing) {
  auto api = std::make_unique<MemoryRegistry>();
  MakeChain(*api, 200000);
  api.reset();  // would overflow the stack if each level freed the next
}

TEST(MemoryRegistryScale, RemovesAChainOfAnyDepthWithoutRecursing) {
  MemoryRegistry api;
  MakeChain(api, 200000);
  TRegistry reg(api);
  EXPECT_TRUE(reg.RemoveKey("\\d"));
  RegKey key = 0;
  EXPECT_EQ(api.OpenKeyEx(kHkeyCurrentUser, "d", kKeyRead, &key), kErrorFileNotFound);
  EXPECT_EQ(api.OpenHandleCount(), 0u);
}

}  // namespace
}  // namespace veltrane
