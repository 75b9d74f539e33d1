#include "app/test_thread.h"

#include <atomic>
#include <memory>

#include "controls/handles.h"

namespace veltrane {
namespace {

struct HandleRelease {
  void operator()(HANDLE handle) const noexcept { CloseHandle(handle); }
};
using UniqueKernelHandle = UniqueHandle<HANDLE, HandleRelease>;

struct SynchronizeCall {
  const std::function<void()>* method;
  HANDLE done;
};

std::atomic<int> g_running{0};

}  // namespace

TTestThread::TTestThread(HWND target, std::function<void()> method)
    : target_(target), method_(std::move(method)) {}

bool TTestThread::Start(HWND target, std::function<void()> method) {
  auto thread = std::unique_ptr<TTestThread>(new TTestThread(target, std::move(method)));
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
  const UniqueKernelHandle done(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  if (!done) return;
  SynchronizeCall call{&method, done.get()};
  if (!PostMessageA(target_, kWmSynchronize, 0, reinterpret_cast<LPARAM>(&call))) return;
  WaitForSingleObject(done.get(), INFINITE);
}

void TTestThread::RunSynchronized(LPARAM lParam) {
  auto* call = reinterpret_cast<SynchronizeCall*>(lParam);
  if (!call) return;
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

}  // namespace veltrane
