// The scan host of the command line: no window, so no pump and no pauses;
// progress goes to the error stream, one line each time the bar moves
// (once per key below SOFTWARE, once per history value or extension).
#pragma once

#include <ostream>
#include <string>

#include "scan/scan_host.h"

namespace veltrane::cli {

class ConsoleHost final : public ScanHost {
 public:
  explicit ConsoleHost(std::ostream& progress) : progress_(progress) {}

  void SetStatus(const std::string& text) override;
  void SetProgressPosition(int position) override;
  void SetProgressMax(int maximum) override;
  int ProgressMax() const override { return maximum_; }
  void ProcessMessages() override {}
  void Pause(int) override {}

  std::string Status() const override { return status_; }
  int Position() const { return position_; }

 private:
  std::ostream& progress_;
  std::string status_;
  int position_ = 0;
  int maximum_ = 100;
  bool moved_ = false;
};

}  // namespace veltrane::cli
