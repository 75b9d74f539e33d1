// The program's message handling. Every loop of the program (the main loop,
// the pumps inside scans and cleans, the waits of the restore) routes a
// message the same way: Tab to the tab order of the focused window, Enter,
// Escape and accelerator characters to its gradient controls, then the
// modeless Options dialog's keyboard (Escape) through IsDialogMessage, then
// the usual translation and dispatch.
#pragma once

#include <windows.h>

namespace veltrane {

// The modeless dialog whose keyboard IsDialogMessage handles; null for none.
void SetModelessDialog(HWND dialog);

void DispatchAppMessage(MSG& message);

// Handles every message waiting for this thread. A WM_QUIT met here is
// posted again for the main loop, and false comes back.
bool ProcessMessages();

// Waits `milliseconds`, handling messages as they come, so the windows keep
// answering. Ends early at a WM_QUIT (posted again).
void PumpFor(int milliseconds);

// The main loop: until WM_QUIT, whose exit code it returns.
int RunMessageLoop();

}  // namespace veltrane
