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

TGradientProgressBar::TGradientProgressBar() : TControl(200, 16) {
  ApplyProgressScheme(scheme_, colors_);
}

TGradientProgressBar::~TGradientProgressBar() = default;

bool TGradientProgressBar::Create(HWND parent, int left, int top, int width, int height, int id) {
  static const ATOM windowClass = RegisterWindowClass(kClassName, CS_HREDRAW | CS_VREDRAW);
  return CreateControl(windowClass, "", parent, left, top, width, height, id);
}

Color TGradientProgressBar::GetColor(int index) const {
  const auto member = ProgressColorMember(index);
  return member ? colors_.*member : 0;
}

void TGradientProgressBar::SetColor(int index, Color color) {
  const auto member = ProgressColorMember(index);
  if (!member) return;
  colors_.*member = color;
  scheme_ = TProgressColorScheme::csCustom;
  Repaint();
}

void TGradientProgressBar::SetColorScheme(TProgressColorScheme scheme) {
  ApplyProgressScheme(scheme, colors_);
  scheme_ = scheme;
  Repaint();
}

void TGradientProgressBar::SetMax(int value) {
  if (value >= min_) SetProperty(max_, value);
}

void TGradientProgressBar::SetMin(int value) {
  if (value <= max_) SetProperty(min_, value);
}

void TGradientProgressBar::SetPosition(int value) {
  if (value >= min_) SetProperty(position_, value);
}

void TGradientProgressBar::Repaint() {
  // Painted at once, as the scan advances without pumping paint messages.
  if (Handle() && Visible()) {
    InvalidateRect(Handle(), nullptr, FALSE);
    UpdateWindow(Handle());
  }
}

void TGradientProgressBar::Changed(Change change) {
  if (change == Change::content) Repaint();  // disabled, it looks the same
}

void TGradientProgressBar::PaintTo(HDC dc) {
  if (Visible()) TControl::PaintTo(dc);
}

void TGradientProgressBar::Draw(HDC dc, int w, int h) {
  // The control has no frame: its own width and height are the client's.
  const int W = w, H = h;

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
}

}  // namespace veltrane
