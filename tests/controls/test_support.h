// Helpers of the window tests: a host form, rendering a control into a
// memory bitmap, an image type with a readable difference, and a small
// reference for gradient colours written apart from the controls' code.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "controls/color.h"
#include "controls/handles.h"
#include "controls/window.h"

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

struct Image {
  int width = 0, height = 0;
  std::vector<Color> pixels;  // COLORREF values, row by row

  Image() = default;
  Image(int w, int h, Color fill) : width(w), height(h), pixels(std::size_t(w) * h, fill) {}
  Color& at(int x, int y) { return pixels[std::size_t(y) * width + x]; }
  Color at(int x, int y) const { return pixels[std::size_t(y) * width + x]; }
  bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
  void set(int x, int y, Color c) {
    if (inside(x, y)) at(x, y) = c;
  }
};

// The marker a render starts from, so untouched pixels show.
inline constexpr Color kMarker = 0x00FF00FF;

// Sends WM_PRINTCLIENT to `window` with a 32-bit memory bitmap of its client
// size, first filled with kMarker, and returns the pixels.
Image Render(HWND window);

// The pixels of an off-screen bitmap.
Image ReadBitmap(const OffscreenBitmap& bitmap);

// Empty when equal; otherwise the size difference or the first few
// differing pixels, for the failure message.
std::string Difference(const Image& actual, const Image& expected);

// Colour of step i of n from `from` to `to`: each channel starts at the
// start value, gains (to - from) / n in double precision i times, and is
// rounded to nearest with ties to even (the FPU's default mode).
Color GradientStep(Color from, Color to, int n, int i);

// Pumps the messages waiting for this thread (paints, posted messages).
void PumpMessages();

}  // namespace veltrane::testing
