// TTestThread: carries one scan command from the click to the interface
// thread. Its only act is to hand the call to the thread that owns the main
// window, as a synchronous call, and wait until that call has run (or
// failed); then it ends and frees itself. It never touches a control.
//
// The hand-over: the worker files its call under a fresh number, posts
// SynchronizeMessage() (a registered message) to the target window with
// that number in lParam, and waits on the call's event. The target's window
// procedure passes the message's parameters to RunSynchronized, which runs
// only a call that is waiting under that number, swallows whatever it
// throws (an error ends the driver quietly) and sets the event. Anything
// else (a number nobody waits under, a message another program made up) is
// ignored: lParam is never taken for a pointer.
//
// A hand-over that fails (no event could be made, or the post was refused)
// runs the call's failure handler on the interface thread instead, through
// a sent message, which does not queue behind the posted ones; the worker
// waits until it has run.
#pragma once

#include <windows.h>

#include <functional>

namespace veltrane {

class TTestThread {
 public:
  // Starts a worker that hands `method` to `target`'s thread and frees
  // itself afterwards; when the hand-over fails, `handOverFailed` runs on
  // that thread instead. False when no thread could be started; neither
  // then runs.
  static bool Start(HWND target, std::function<void()> method,
                    std::function<void()> handOverFailed);

  // The message of the hand-over, registered once per session under this
  // name.
  static constexpr const char* kMessageName = "Veltrane.TTestThread.Synchronize";
  static UINT SynchronizeMessage();
  // For the target's window procedure, with the parameters of
  // SynchronizeMessage(). What the failure handler throws goes on to the
  // caller.
  static void RunSynchronized(WPARAM wParam, LPARAM lParam);

  // Workers that have not yet ended.
  static int Running();
  // Waits until every worker has ended, at most `milliseconds`. True when
  // none is left.
  static bool WaitForAll(DWORD milliseconds);

  // For tests: the step at which the following hand-overs fail.
  enum class Fault { none, event, post };
  static void SetFault(Fault fault);

  TTestThread(const TTestThread&) = delete;
  TTestThread& operator=(const TTestThread&) = delete;

 private:
  TTestThread(HWND target, std::function<void()> method, std::function<void()> handOverFailed);
  static DWORD WINAPI ThreadProc(void* self);
  void Execute();
  void Synchronize(const std::function<void()>& method);

  HWND target_;
  std::function<void()> method_;
  std::function<void()> handOverFailed_;
};

}  // namespace veltrane
