// Which of the main window's commands may run now.
//
// A scan needs the findings list, lv2, the working lists and the status line
// to itself from the click until its driver has ended (the checks count on
// the list growing only by their own rows), a clean from its start to its
// end, and a restore changes the registry under both. The long work lets
// waiting messages be handled as it goes, so these commands can be given in
// the middle of one another: while any of them runs, a scan, clean, select
// or restore is refused; every other command works. Closing the main window
// while one runs is remembered, and done once it has ended. Portable.
#pragma once

namespace veltrane {

class CommandGate {
 public:
  // True while a scan (from its click to its driver's end), a clean or a
  // restore runs.
  bool Busy() const noexcept { return scanning_ || cleaning_ || restoring_; }

  // False, changing nothing, when busy.
  bool TryBeginScan() noexcept { return TryBegin(scanning_); }
  void ScanEnded() noexcept { scanning_ = false; }
  bool TryBeginClean() noexcept { return TryBegin(cleaning_); }
  void CleanEnded() noexcept { cleaning_ = false; }
  bool TryBeginRestore() noexcept { return TryBegin(restoring_); }
  void RestoreEnded() noexcept { restoring_ = false; }
  bool MaySelect() const noexcept { return !Busy(); }

  // The user asks to close the main window: true when it may close now;
  // otherwise the request is kept until CloseDue.
  bool RequestClose() noexcept {
    if (!Busy()) return true;
    closeRequested_ = true;
    return false;
  }
  bool CloseRequested() const noexcept { return closeRequested_; }
  // True when a kept close request can be carried out now.
  bool CloseDue() const noexcept { return closeRequested_ && !Busy(); }

 private:
  bool TryBegin(bool& flag) noexcept {
    if (Busy()) return false;
    flag = true;
    return true;
  }

  bool scanning_ = false;
  bool cleaning_ = false;
  bool restoring_ = false;
  bool closeRequested_ = false;
};

}  // namespace veltrane
