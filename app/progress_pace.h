// When the main window shows the progress of long work: the rows found and
// the key being examined come faster than a screen can usefully show them,
// and under Wine each showing costs a round trip or more to the X server.
// So what arrives within about 30 ms of the last showing waits for the next
// one, and the gap also grows to 19 times what the last showing took, so
// that showing the work never takes more than about a twentieth of it.
// Portable.
#pragma once

#include <algorithm>
#include <chrono>

namespace veltrane {

class ProgressPace {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr Clock::duration kShortestGap = std::chrono::milliseconds(30);
  static constexpr int kGapPerCost = 19;

  // True when progress may be shown at `now`; always at first.
  bool Due(Clock::time_point now) const {
    return !shown_ || now - lastEnd_ >= std::max(kShortestGap, lastCost_ * kGapPerCost);
  }
  // A showing ran from `start` to `end`.
  void Shown(Clock::time_point start, Clock::time_point end) {
    shown_ = true;
    lastEnd_ = end;
    lastCost_ = end - start;
  }

 private:
  bool shown_ = false;
  Clock::time_point lastEnd_{};
  Clock::duration lastCost_{};
};

}  // namespace veltrane
