#include "app/message_pump.h"

#include "controls/window.h"

namespace veltrane {
namespace {

HWND g_modelessDialog = nullptr;

}  // namespace

void SetModelessDialog(HWND dialog) { g_modelessDialog = dialog; }

void DispatchAppMessage(MSG& message) {
  if (TranslateControlKeys(message)) return;
  const HWND dialog = g_modelessDialog;
  if (dialog && IsWindow(dialog) && IsWindowVisible(dialog) &&
      (message.hwnd == dialog || IsChild(dialog, message.hwnd)) &&
      IsDialogMessageA(dialog, &message)) {
    return;
  }
  TranslateMessage(&message);
  DispatchMessageA(&message);
}

bool ProcessMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return false;
    }
    DispatchAppMessage(message);
  }
  return true;
}

void PumpFor(int milliseconds) {
  const ULONGLONG until =
      GetTickCount64() + static_cast<ULONGLONG>(milliseconds > 0 ? milliseconds : 0);
  for (;;) {
    if (!ProcessMessages()) return;
    const ULONGLONG now = GetTickCount64();
    if (now >= until) return;
    MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(until - now), QS_ALLINPUT,
                                MWMO_INPUTAVAILABLE);
  }
}

int RunMessageLoop() {
  MSG message;
  for (;;) {
    const BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got == 0) return static_cast<int>(message.wParam);
    if (got == -1) return 1;
    DispatchAppMessage(message);
  }
}

}  // namespace veltrane
