#include "app/test_thread.h"

#include <atomic>
#include <map>
#include <memory>
#include <mutex>

#include "base/unique_handle.h"

namespace veltrane {
namespace {

// Without a registered message the hand-over still works on this one: the
// number it carries is checked all the same.
constexpr UINT kFallbackMessage = WM_APP + 1;

// What a hand-over message asks for.
enum : WPARAM { kRunCall = 1, kReportFailure = 2 };

// A call waiting for the interface thread, filed under its number.
struct WaitingCall {
  const std::function<void()>* method;
  const std::function<void()>* handOverFailed;
  HANDLE done;
  bool failed = false;  // the hand-over failed: only the failure handler may run
  bool taken = false;   // the interface thread has it: nothing more may run
};

std::mutex g_lock;
std::map<LPARAM, WaitingCall> g_waiting;
LPARAM g_lastNumber = 0;

std::atomic<int> g_running{0};
std::atomic<TTestThread::Fault> g_fault{TTestThread::Fault::none};

LPARAM File(const WaitingCall& call) {
  const std::lock_guard<std::mutex> lock(g_lock);
  const LPARAM number = ++g_lastNumber;
  g_waiting.emplace(number, call);
  return number;
}

// False when the interface thread has taken the call already (a message
// that carried its number came first): it then runs, and sets its event.
bool MarkFailed(LPARAM number) {
  const std::lock_guard<std::mutex> lock(g_lock);
  WaitingCall& call = g_waiting.at(number);
  if (call.taken) return false;
  call.failed = true;
  return true;
}

void Withdraw(LPARAM number) {
  const std::lock_guard<std::mutex> lock(g_lock);
  g_waiting.erase(number);
}

// The call waiting under `number` for what `request` asks, now taken by
// the interface thread; null when there is none.
const WaitingCall* Take(WPARAM request, LPARAM number) {
  const std::lock_guard<std::mutex> lock(g_lock);
  const auto found = g_waiting.find(number);
  if (found == g_waiting.end()) return nullptr;
  WaitingCall& call = found->second;
  if (call.taken || call.failed != (request == kReportFailure)) return nullptr;
  if (request == kRunCall && !call.done) return nullptr;  // nothing to tell its end by
  call.taken = true;
  // The entry stays where it is until its worker withdraws it, which it
  // does only after the call has run.
  return &call;
}

}  // namespace

TTestThread::TTestThread(HWND target, std::function<void()> method,
                         std::function<void()> handOverFailed)
    : target_(target), method_(std::move(method)), handOverFailed_(std::move(handOverFailed)) {}

bool TTestThread::Start(HWND target, std::function<void()> method,
                        std::function<void()> handOverFailed) {
  auto thread = std::unique_ptr<TTestThread>(
      new TTestThread(target, std::move(method), std::move(handOverFailed)));
  ++g_running;
  const UniqueKernelHandle handle(
      CreateThread(nullptr, 0, &TTestThread::ThreadProc, thread.get(), 0, nullptr));
  if (!handle) {
    --g_running;
    return false;
  }
  // The worker owns itself from here on; nobody keeps its handle.
  thread.release();
  return true;
}

UINT TTestThread::SynchronizeMessage() {
  static const UINT message = [] {
    const UINT registered = RegisterWindowMessageA(kMessageName);
    return registered != 0 ? registered : kFallbackMessage;
  }();
  return message;
}

DWORD WINAPI TTestThread::ThreadProc(void* self) {
  {
    const std::unique_ptr<TTestThread> thread(static_cast<TTestThread*>(self));
    thread->Execute();
  }
  --g_running;
  return 0;
}

void TTestThread::Execute() { Synchronize(method_); }

void TTestThread::Synchronize(const std::function<void()>& method) {
  const Fault fault = g_fault.load();
  const UniqueKernelHandle done(
      fault == Fault::event ? nullptr : CreateEventA(nullptr, TRUE, FALSE, nullptr));
  const LPARAM number = File(WaitingCall{&method, &handOverFailed_, done.get()});
  const bool posted =
      done && fault != Fault::post && PostMessageA(target_, SynchronizeMessage(), kRunCall, number);
  if (!posted && MarkFailed(number)) {
    // Sent, not posted: this returns once the handler has run (at once
    // when the window is gone).
    SendMessageA(target_, SynchronizeMessage(), kReportFailure, number);
  } else {
    WaitForSingleObject(done.get(), INFINITE);
  }
  Withdraw(number);
}

void TTestThread::RunSynchronized(WPARAM wParam, LPARAM lParam) {
  const WaitingCall* call = Take(wParam, lParam);
  if (!call) return;
  if (wParam == kReportFailure) {
    if (*call->handOverFailed) (*call->handOverFailed)();
    return;
  }
  try {
    (*call->method)();
  } catch (...) {
    // An error that escapes the driver ends it quietly: no message.
  }
  // The worker may free the call as soon as the event is set.
  SetEvent(call->done);
}

int TTestThread::Running() { return g_running.load(); }

bool TTestThread::WaitForAll(DWORD milliseconds) {
  const ULONGLONG until = GetTickCount64() + milliseconds;
  while (g_running.load() > 0) {
    if (GetTickCount64() >= until) return false;
    Sleep(5);
  }
  return true;
}

void TTestThread::SetFault(Fault fault) { g_fault = fault; }

}  // namespace veltrane
