#include "controls/gradient_progress_bar.h"

#include "controls/layout.h"
#include "controls/paint.h"

namespace veltrane {
namespace {

// The colour of a pixel of the bar's bitmap; on a bar too small to have
// that pixel, the border colour (which is drawn over it anyway).
Color PixelOr(HDC dc, int x, int y, Color fallback) {
  const COLORREF pixel = GetPixel(dc, x, y);
  return pixel == CLR_INVALID ? fallback : static_cast<Color>(pixel);
}

}  // namespace

TGradientProgressBar::TGradientProgressBar() { ApplyProgressScheme(scheme_, colors_); }

TGradientProgressBar::~TGradientProgressBar() = default;

bool TGradientProgressBar::Create(HWND parent, int left, int top, int width, int height, int id) {
  static const ATOM windowClass = RegisterWindowClass(kClassName, CS_HREDRAW | CS_VREDRAW);
  width_ = width;
  height_ = height;
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
  if (visible_) style |= WS_VISIBLE;
  return CreateHandle(windowClass, 0, "", style, left, top, width, height, parent,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
}

Color TGradientProgressBar::GetColor(int index) const {
  switch (index) {
    case kProgressColorBorder: return colors_.border;
    case kProgressBackColorFace: return colors_.backFace;
    case kProgressBackColorGrad: return colors_.backGrad;
    case kProgressForeColorFace: return colors_.foreFace;
    case kProgressForeColorGrad: return colors_.foreGrad;
  }
  return 0;
}

void TGradientProgressBar::SetColor(int index, Color color) {
  switch (index) {
    case kProgressColorBorder: colors_.border = color; break;
    case kProgressBackColorFace: colors_.backFace = color; break;
    case kProgressBackColorGrad: colors_.backGrad = color; break;
    case kProgressForeColorFace: colors_.foreFace = color; break;
    case kProgressForeColorGrad: colors_.foreGrad = color; break;
    default: return;
  }
  scheme_ = TProgressColorScheme::csCustom;
  Repaint();
}

void TGradientProgressBar::SetColorScheme(TProgressColorScheme scheme) {
  ApplyProgressScheme(scheme, colors_);
  scheme_ = scheme;
  Repaint();
}

void TGradientProgressBar::SetMax(int value) {
  if (value < min_) return;
  max_ = value;
  Repaint();
}

void TGradientProgressBar::SetMin(int value) {
  if (value > max_) return;
  min_ = value;
  Repaint();
}

void TGradientProgressBar::SetPosition(int value) {
  if (value < min_) return;
  position_ = value;
  Repaint();
}

void TGradientProgressBar::SetStep(int value) {
  step_ = value;
  Repaint();
}

void TGradientProgressBar::SetOrientation(TProgressBarOrientation value) {
  orientation_ = value;
  Repaint();
}

bool TGradientProgressBar::Visible() const {
  if (!Handle()) return visible_;
  return (GetWindowLongPtrA(Handle(), GWL_STYLE) & WS_VISIBLE) != 0;
}

void TGradientProgressBar::SetVisible(bool visible) {
  visible_ = visible;
  if (Handle()) ShowWindow(Handle(), visible ? SW_SHOWNA : SW_HIDE);
}

void TGradientProgressBar::Repaint() {
  // Painted at once, as the scan advances without pumping paint messages.
  if (Handle() && Visible()) {
    InvalidateRect(Handle(), nullptr, FALSE);
    UpdateWindow(Handle());
  }
}

SIZE TGradientProgressBar::ClientSize() const {
  if (!Handle()) return SIZE{width_, height_};
  RECT r{};
  GetClientRect(Handle(), &r);
  return SIZE{r.right, r.bottom};
}

void TGradientProgressBar::PaintTo(HDC target) {
  if (!Visible()) return;
  const SIZE size = ClientSize();
  // The control has no frame: its own width and height are the client's.
  const int w = size.cx, h = size.cy, W = w, H = h;
  OffscreenBitmap bitmap(w, h);
  if (!bitmap.valid()) return;
  const HDC dc = bitmap.dc();

  if (orientation_ == TProgressBarOrientation::pbHorizontal) {
    const int f = ProgressFillWidth(w, position_, min_, max_);
    DrawGradient(dc, 1, 1, w - 1, h - 1, TFillDirection::fdVertical, colors_.backFace,
                 colors_.backGrad);
    DrawGradient(dc, 0, 0, f, h, TFillDirection::fdVertical, colors_.foreFace, colors_.foreGrad);
    DrawLine(dc, 1, 1, 1, H, PixelOr(dc, 1, 1, colors_.border));
    DrawLine(dc, f, 1, f, H, PixelOr(dc, 2, H - 2, colors_.border));
  } else {
    const int t = ProgressFillTop(h, position_, min_, max_);
    DrawGradient(dc, 1, 1, w - 1, h, TFillDirection::fdHorizontal, colors_.backFace,
                 colors_.backGrad);
    DrawGradient(dc, 0, t, w, h, TFillDirection::fdHorizontal, colors_.foreFace, colors_.foreGrad);
    DrawLine(dc, 1, h - 2, w, h - 2, PixelOr(dc, 2, H - 2, colors_.border));
    DrawLine(dc, 1, t, w, t, PixelOr(dc, W - 3, H - 3, colors_.border));
  }
  DrawOutline(dc, 0, 0, w - 1, h - 1, colors_.border);
  bitmap.CopyTo(target);
}

LRESULT TGradientProgressBar::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PaintDC paint(Handle());
      PaintTo(paint.get());
      return 0;
    }
    case WM_PRINTCLIENT: PaintTo(reinterpret_cast<HDC>(wParam)); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_SHOWWINDOW: visible_ = wParam != FALSE; break;
  }
  return Window::HandleMessage(message, wParam, lParam);
}

}  // namespace veltrane
