// Helpers of the window tests: a host form, rendering a control into a
// memory bitmap, and a small reference for gradient colours written apart
// from the controls' code.
#pragma once

#include <windows.h>

#include "controls/color.h"
#include "controls/gradient_panel.h"
#include "controls/window.h"
#include "tests/support/screen.h"

namespace veltrane::testing {

// A plain top-level window for the controls under test, at the top left of
// the screen, away from the pointer. Closing hides it.
class TestForm : public Window {
 public:
  bool Create(int width, int height, const char* title = "controls test");
  int closeRequests = 0;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
};

// The marker a render starts from, so untouched pixels show.
inline constexpr Color kMarker = 0x00FF00FF;

// Sends WM_PRINTCLIENT to `window` with a 32-bit memory bitmap of its client
// size, first filled with kMarker, and returns the pixels.
Image Render(HWND window);

// Colour of step i of n from `from` to `to`: each channel starts at the
// start value, gains (to - from) / n in double precision i times, and is
// rounded to nearest with ties to even (the FPU's default mode).
Color GradientStep(Color from, Color to, int n, int i);

// Fills x in [left, right) and y in [top, bottom) of `image` (what lies
// outside it is passed over) with step i of n from `from` to `to`, where i
// counts along the rows (y), the columns (x) or the diagonals (x + y).
enum class Along { kRows, kColumns, kDiagonals };
void FillGradient(Image& image, int left, int top, int right, int bottom, Color from, Color to,
                  int n, Along along);

// The main window's panel look: silver, filled diagonally, no bevel.
void UseMainPanelLook(TGradientPanel& panel);

// Pumps the messages waiting for this thread (paints, posted messages).
void PumpMessages();

}  // namespace veltrane::testing
