#include <gtest/gtest.h>

#include "registry/memory_registry.h"
#include "registry/tregistry.h"

namespace veltrane {
namespace {

TEST(RegistrySmoke, WritesAndReadsBackThroughTheWrapper) {
  MemoryRegistry api;
  {
    TRegistry reg(api);
    ASSERT_TRUE(reg.OpenPath("\\Software\\Veltrane Test", true));
    reg.WriteText("a", "hello");
  }
  EXPECT_EQ(QueryValueText(api, kHkeyCurrentUser, "SOFTWARE\\veltrane test", "A"), "hello");
  EXPECT_EQ(api.OpenHandleCount(), 0u);
}

}  // namespace
}  // namespace veltrane
