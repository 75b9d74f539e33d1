// TTestThread: carries one scan command from the click to the interface
// thread. Its only act is to hand the call to the thread that owns the main
// window, as a synchronous call, and wait until that call has run (or
// failed); then it ends and frees itself. It never touches a control.
//
// The hand-over: the worker posts kWmSynchronize to the target window with
// a SynchronizeCall in lParam and waits on the call's event. The target's
// window procedure passes lParam to RunSynchronized, which runs the call,
// swallows whatever it throws (an error ends the driver quietly) and sets
// the event.
#pragma once

#include <windows.h>

#include <functional>

namespace veltrane {

inline constexpr UINT kWmSynchronize = WM_APP + 1;

class TTestThread {
 public:
  // Starts a worker that hands `method` to `target`'s thread and frees
  // itself afterwards. False when no thread could be started; `method` then
  // never runs.
  static bool Start(HWND target, std::function<void()> method);

  // For the target's window procedure, with the lParam of kWmSynchronize.
  static void RunSynchronized(LPARAM call);

  // Workers that have not yet ended.
  static int Running();
  // Waits until every worker has ended, at most `milliseconds`. True when
  // none is left.
  static bool WaitForAll(DWORD milliseconds);

  TTestThread(const TTestThread&) = delete;
  TTestThread& operator=(const TTestThread&) = delete;

 private:
  TTestThread(HWND target, std::function<void()> method);
  static DWORD WINAPI ThreadProc(void* self);
  void Execute();
  void Synchronize(const std::function<void()>& method);

  HWND target_;
  std::function<void()> method_;
};

}  // namespace veltrane
