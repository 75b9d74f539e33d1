// Which of the main window's commands may run now.
//
// A scan needs the findings list, lv2, the working lists and the status line
// to itself from the click until its driver has ended (the checks count on
// the list growing only by their own rows), and a clean from its start to
// its end. While either runs, a scan, clean or select is refused; every
// other command works. Closing the main window while a scan, a clean or a
// restore runs is remembered, and done once the last of them has ended.
// Portable.
#pragma once

namespace veltrane {

class CommandGate {
 public:
  // True while a scan (from its click to its driver's end) or a clean runs.
  bool ListBusy() const noexcept { return scanning_ || cleaning_; }

  // False, changing nothing, when the list is busy.
  bool TryBeginScan() noexcept { return TryBegin(scanning_); }
  void ScanEnded() noexcept { scanning_ = false; }
  bool TryBeginClean() noexcept { return TryBegin(cleaning_); }
  void CleanEnded() noexcept { cleaning_ = false; }
  bool MaySelect() const noexcept { return !ListBusy(); }

  // Restores may nest (each Apply shows a box that lets messages through).
  void RestoreBegan() noexcept { ++restores_; }
  void RestoreEnded() noexcept {
    if (restores_ > 0) --restores_;
  }

  // The user asks to close the main window: true when it may close now;
  // otherwise the request is kept until CloseDue.
  bool RequestClose() noexcept {
    if (!Running()) return true;
    closeRequested_ = true;
    return false;
  }
  bool CloseRequested() const noexcept { return closeRequested_; }
  // True when a kept close request can be carried out now.
  bool CloseDue() const noexcept { return closeRequested_ && !Running(); }

 private:
  bool Running() const noexcept { return scanning_ || cleaning_ || restores_ > 0; }
  bool TryBegin(bool& flag) noexcept {
    if (ListBusy()) return false;
    flag = true;
    return true;
  }

  bool scanning_ = false;
  bool cleaning_ = false;
  int restores_ = 0;
  bool closeRequested_ = false;
};

}  // namespace veltrane
