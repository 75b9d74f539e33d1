// When the main window shows the progress of long work: at once at first,
// then no sooner than 30 ms after the last showing, and no sooner than 19
// times what that showing took.
#include "app/progress_pace.h"

#include <gtest/gtest.h>

namespace veltrane {
namespace {

using std::chrono::milliseconds;

TEST(ProgressPace, ShowsAtOnceThenAtScreenPaceAndNeverForMoreThanATwentiethOfTheTime) {
  const ProgressPace::Clock::time_point start{};
  ProgressPace pace;
  EXPECT_TRUE(pace.Due(start)) << "the first progress shows at once";

  struct Case {
    int costMs;      // how long the last showing took
    int dueAfterMs;  // how long after its end the next one may come
  };
  for (const Case c : {Case{0, 30}, Case{1, 30}, Case{10, 190}, Case{40, 760}}) {
    SCOPED_TRACE(c.costMs);
    const auto end = start + milliseconds(1000 + c.costMs);
    pace.Shown(end - milliseconds(c.costMs), end);
    EXPECT_FALSE(pace.Due(end));
    EXPECT_FALSE(pace.Due(end + milliseconds(c.dueAfterMs - 1)));
    EXPECT_TRUE(pace.Due(end + milliseconds(c.dueAfterMs)));
  }
}

}  // namespace
}  // namespace veltrane
