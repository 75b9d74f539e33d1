#include "tests/controls/test_support.h"

#include <cmath>

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

Image Render(HWND window) {
  RECT r{};
  GetClientRect(window, &r);
  OffscreenBitmap bitmap(r.right, r.bottom, kMarker);
  if (!bitmap.valid()) return {};
  SendMessageA(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(bitmap.dc()), PRF_CLIENT);
  return ReadBitmap(bitmap);
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

void FillGradient(Image& image, int left, int top, int right, int bottom, Color from, Color to,
                  int n, Along along) {
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) {
      const int i = along == Along::kRows ? y : along == Along::kColumns ? x : x + y;
      image.set(x, y, GradientStep(from, to, n, i));
    }
  }
}

void UseMainPanelLook(TGradientPanel& panel) {
  panel.SetColorScheme(TPanelColorScheme::csSilver);
  panel.SetFillDirection(TFillDirection::fdDiagonal);
  panel.SetBevelOuter(TPanelBevel::bvNone);
}

void PumpMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

}  // namespace veltrane::testing
