// What differs between the systems the program runs on, asked where it is
// asked: functions that newer Windows has and older Windows lacks are
// looked up when first needed, with the older way as the fallback.
#pragma once

#include <windows.h>

namespace veltrane {

// The dpi `window` is shown at: its monitor's (GetDpiForWindow, Windows 10
// version 1607 and later), else the system's, which is then the same for
// every window.
int WindowDpi(HWND window);
// The system's dpi: the screen's LOGPIXELSX.
int SystemDpi();

// AdjustWindowRectEx for a window shown at `dpi` (the frame's own size
// depends on it where the system scales frames per monitor).
void AdjustWindowRectForDpi(RECT* rect, DWORD style, DWORD exStyle, int dpi);
// GetSystemMetrics of `index` for a window shown at `dpi`.
int SystemMetricForDpi(int index, int dpi);

// True when ntdll.dll exports wine_get_version: the program runs under Wine.
bool RunningUnderWine();

}  // namespace veltrane
