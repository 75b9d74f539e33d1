#include "base/unique_handle.h"

#include <gtest/gtest.h>

#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace veltrane {
namespace {

// Records what it releases; -1 is "no handle", so 0 is a handle like any.
std::vector<int> g_released;
bool g_releaseSucceeds = true;

struct RecordingRelease {
  static int Empty() noexcept { return -1; }
  bool operator()(int handle) const noexcept {
    g_released.push_back(handle);
    return g_releaseSucceeds;
  }
};
using Owner = UniqueHandle<int, RecordingRelease>;

class UniqueHandleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_released.clear();
    g_releaseSucceeds = true;
  }
};

TEST_F(UniqueHandleTest, EachHandleIsReleasedOnceByItsLastOwner) {
  {
    const Owner none;
    EXPECT_FALSE(none);
    Owner zero(0);
    EXPECT_TRUE(zero);
    Owner moved(std::move(zero));
    EXPECT_FALSE(zero);
    Owner other(7);
    other = std::move(moved);  // 7 goes now
    EXPECT_EQ(g_released, std::vector<int>{7});
    other.reset(3);  // and 0
    EXPECT_EQ(3, other.release());
  }
  EXPECT_EQ(g_released, (std::vector<int>{7, 0}));
}

TEST_F(UniqueHandleTest, CloseTellsWhetherTheReleaseSucceeded) {
  Owner failing(4);
  g_releaseSucceeds = false;
  EXPECT_FALSE(failing.Close());
  EXPECT_FALSE(failing);
  EXPECT_TRUE(failing.Close());  // nothing left to release
  EXPECT_EQ(g_released, std::vector<int>{4});
}

#ifdef _WIN32
TEST_F(UniqueHandleTest, SystemOwnersTakeTheSystemsNoHandleValues) {
  WIN32_FIND_DATAA found;
  EXPECT_FALSE(UniqueFindHandle(FindFirstFileA("C:\\no such folder\\x", &found)));
  UniqueKernelHandle event(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  ASSERT_TRUE(event);
  const HANDLE raw = event.get();
  event.reset();
  DWORD flags = 0;
  EXPECT_FALSE(GetHandleInformation(raw, &flags));
}
#else
TEST_F(UniqueHandleTest, DescriptorOwnerClosesTheDescriptor) {
  int ends[2];
  ASSERT_EQ(0, ::pipe(ends));
  UniqueDescriptor read(ends[0]);
  const UniqueDescriptor write(ends[1]);
  EXPECT_TRUE(read.Close());
  EXPECT_EQ(-1, ::fcntl(ends[0], F_GETFD));
  EXPECT_FALSE(UniqueDescriptor());
}
#endif

}  // namespace
}  // namespace veltrane
