// A scan host that records what the checks report, keeps the progress
// bar's rules (nothing below 0 is taken) and runs a test's hook from the
// message pump.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "scan/scan_host.h"

namespace veltrane::testing {

class RecordingHost : public ScanHost {
 public:
  enum Kind { kStatus, kPosition, kMax, kPump, kPause, kHideCopyList, kRefreshStatusLine };
  struct Event {
    Kind kind;
    std::string text;
    int number = 0;
    bool operator==(const Event&) const = default;
  };

  void SetStatus(const std::string& text) override {
    status = text;
    events.push_back({kStatus, text, 0});
  }
  std::string Status() const override { return status; }
  void SetProgressPosition(int value) override {
    if (value < 0) return;
    position = value;
    events.push_back({kPosition, {}, value});
  }
  void SetProgressMax(int value) override {
    if (value < 0) return;
    maximum = value;
    events.push_back({kMax, {}, value});
  }
  int ProgressMax() const override { return maximum; }
  void ProcessMessages() override {
    events.push_back({kPump, {}, 0});
    ++pumps;
    if (onPump) onPump(pumps);
  }
  void Pause(int milliseconds) override { events.push_back({kPause, {}, milliseconds}); }
  void HideCopyList() override { events.push_back({kHideCopyList, {}, 0}); }
  void RefreshStatusLine() override { events.push_back({kRefreshStatusLine, {}, 0}); }

  std::vector<int> Numbers(Kind kind) const {
    std::vector<int> numbers;
    for (const Event& event : events) {
      if (event.kind == kind) numbers.push_back(event.number);
    }
    return numbers;
  }
  std::vector<std::string> Statuses() const {
    std::vector<std::string> texts;
    for (const Event& event : events) {
      if (event.kind == kStatus) texts.push_back(event.text);
    }
    return texts;
  }
  int Count(Kind kind) const { return static_cast<int>(Numbers(kind).size()); }

  std::vector<Event> events;
  std::string status;
  int position = 0;
  int maximum = 100;  // the bar's maximum before any scan
  int pumps = 0;
  // Called from ProcessMessages with the number of pumps so far (1 first).
  std::function<void(int pump)> onPump;
};

}  // namespace veltrane::testing
