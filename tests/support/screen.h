// Windows on the screen, for the tests that look at them: what they show
// (as pictures to compare and save), where they are, and waiting for them
// to change.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "controls/color.h"
#include "controls/handles.h"

namespace veltrane::testing {

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

// The pixels of an off-screen bitmap.
Image ReadBitmap(const OffscreenBitmap& bitmap);
// What the screen shows of `window`'s client area.
Image CaptureClient(HWND window);
// The `width` by `height` pixels of `image` from (`left`, `top`); black
// where that runs outside it.
Image Crop(const Image& image, int left, int top, int width, int height);

// Empty when equal; otherwise the size difference or the first few
// differing pixels, for the failure message.
std::string Difference(const Image& actual, const Image& expected);

// "screenshots\<name>" below the working folder, which the tests that run
// there give the build folder; the folder is made when missing.
std::string ScreenshotPath(const std::string& name);
bool SavePng(const Image& picture, const std::string& path);

// `window`'s rectangle in the client coordinates of `reference`, or of
// its parent.
RECT RectIn(HWND window, HWND reference);
RECT RectInParent(HWND window);

// Asks `done` until it is true or `milliseconds` have passed, calling
// `between` in the meantime (20 ms of sleep when empty).
bool WaitUntil(const std::function<bool()>& done, DWORD milliseconds = 20000,
               const std::function<void()>& between = {});

}  // namespace veltrane::testing
