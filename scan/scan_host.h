// What the checks need from the window they report to: the status line,
// the progress bar, a message pump and a pause. The main window implements
// it with its controls, the command line with a terminal, tests with a
// recorder.
#pragma once

#include <string>

namespace veltrane {

class ScanHost {
 public:
  virtual ~ScanHost() = default;
  virtual void SetStatus(const std::string& text) = 0;
  // The text the status line shows (or will show at its next repaint).
  virtual std::string Status() const = 0;
  // The progress bar's rules hold: a position below its minimum (0) and a
  // maximum below its minimum are ignored.
  virtual void SetProgressPosition(int position) = 0;
  virtual void SetProgressMax(int maximum) = 0;
  virtual int ProgressMax() const = 0;
  // Let waiting window messages be handled.
  virtual void ProcessMessages() = 0;
  // Wait `milliseconds` (the command line does not).
  virtual void Pause(int milliseconds) = 0;
  // The driver's first two steps: hide the copy list lv2; hide the status
  // line and show it again at once. A host without those windows ignores
  // them.
  virtual void HideCopyList() {}
  virtual void RefreshStatusLine() {}
};

}  // namespace veltrane
