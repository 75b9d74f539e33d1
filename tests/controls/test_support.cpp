#include "tests/controls/test_support.h"

#include <cmath>
#include <cstdio>

#include "controls/handles.h"

namespace veltrane::testing {

bool TestForm::Create(int width, int height, const char* title) {
  static const ATOM cls = RegisterWindowClass("VeltraneTestForm", 0, nullptr,
                                              reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  // A popup shown without activation: under Wine without a window manager,
  // hiding an activated or framed window waits two seconds for the manager.
  if (!CreateHandle(cls, 0, title, WS_POPUP | WS_CLIPCHILDREN, 0, 0, width, height, nullptr)) {
    return false;
  }
  ShowWindow(Handle(), SW_SHOWNOACTIVATE);
  UpdateWindow(Handle());
  return true;
}

LRESULT TestForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    ++closeRequests;
    ShowWindow(Handle(), SW_HIDE);
    return 0;
  }
  return Window::HandleMessage(message, wParam, lParam);
}

Image ReadBitmap(const OffscreenBitmap& bitmap) {
  Image image(bitmap.width(), bitmap.height(), 0);
  GdiFlush();
  const std::uint32_t* p = bitmap.Pixels();
  if (!p) return image;
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const std::uint32_t v = p[static_cast<std::size_t>(y) * image.width + x];
      image.at(x, y) = MakeColor((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }
  }
  return image;
}

Image Render(HWND window) {
  RECT r{};
  GetClientRect(window, &r);
  OffscreenBitmap bitmap(r.right, r.bottom, kMarker);
  if (!bitmap.valid()) return {};
  SendMessageA(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(bitmap.dc()), PRF_CLIENT);
  return ReadBitmap(bitmap);
}

std::string Difference(const Image& actual, const Image& expected) {
  char line[160];
  if (actual.width != expected.width || actual.height != expected.height) {
    std::snprintf(line, sizeof line, "size %dx%d, expected %dx%d", actual.width, actual.height,
                  expected.width, expected.height);
    return line;
  }
  std::string out;
  int shown = 0, total = 0;
  for (int y = 0; y < actual.height; ++y) {
    for (int x = 0; x < actual.width; ++x) {
      if (actual.at(x, y) == expected.at(x, y)) continue;
      ++total;
      if (shown < 8) {
        std::snprintf(line, sizeof line, "(%d,%d) is %06X, expected %06X; ", x, y,
                      static_cast<unsigned>(actual.at(x, y)),
                      static_cast<unsigned>(expected.at(x, y)));
        out += line;
        ++shown;
      }
    }
  }
  if (total > 0) {
    std::snprintf(line, sizeof line, "%d pixels differ", total);
    out += line;
  }
  return out;
}

Color GradientStep(Color from, Color to, int n, int i) {
  const int a[3] = {RedOf(from), GreenOf(from), BlueOf(from)};
  const int b[3] = {RedOf(to), GreenOf(to), BlueOf(to)};
  int out[3];
  for (int c = 0; c < 3; ++c) {
    const double step = n == 0 ? 0.0 : static_cast<double>(b[c] - a[c]) / n;
    double v = a[c];
    for (int k = 0; k < i; ++k) v += step;
    out[c] = static_cast<int>(std::nearbyint(v));
  }
  return MakeColor(out[0], out[1], out[2]);
}

void PumpMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

}  // namespace veltrane::testing
