#include "controls/gradient_panel.h"

namespace veltrane {

TGradientPanel::TGradientPanel() {
  colors_.dark = 0;
  colors_.light = 12632256;
  SetColorScheme(TPanelColorScheme::csDesert);
}

TGradientPanel::~TGradientPanel() = default;

bool TGradientPanel::Create(HWND parent, int left, int top, int width, int height, int id) {
  static const ATOM windowClass = RegisterWindowClass(kClassName, CS_HREDRAW | CS_VREDRAW);
  width_ = width;
  height_ = height;
  font_.Inherit(parent);
  return CreateHandle(windowClass, WS_EX_CONTROLPARENT, caption_.c_str(),
                      WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, left, top, width,
                      height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
}

Color TGradientPanel::GetColor(int index) const {
  switch (index) {
    case kPanelColorFace: return colors_.face;
    case kPanelColorGrad: return colors_.grad;
    case kPanelColorLight: return colors_.light;
    case kPanelColorDark: return colors_.dark;
  }
  return 0;
}

void TGradientPanel::SetColor(int index, Color color) {
  switch (index) {
    case kPanelColorFace: colors_.face = color; break;
    case kPanelColorGrad: colors_.grad = color; break;
    case kPanelColorLight: colors_.light = color; break;
    case kPanelColorDark: colors_.dark = color; break;
    default: return;
  }
  scheme_ = TPanelColorScheme::csCustom;
  Repaint();
}

void TGradientPanel::SetColorScheme(TPanelColorScheme scheme) {
  ApplyPanelScheme(scheme, colors_);
  scheme_ = scheme;
  Repaint();
}

void TGradientPanel::SetFillDirection(TFillDirection direction) {
  direction_ = direction;
  Repaint();
}

void TGradientPanel::SetCaption(const std::string& caption) {
  caption_ = caption;
  if (Handle()) DefWindowProcA(Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(caption_.c_str()));
  Repaint();
}

void TGradientPanel::SetAlignment(TAlignment alignment) {
  alignment_ = alignment;
  Repaint();
}

void TGradientPanel::SetBevelOuter(TPanelBevel bevel) {
  bevelOuter_ = bevel;
  Repaint();
}

void TGradientPanel::SetBevelInner(TPanelBevel bevel) {
  bevelInner_ = bevel;
  Repaint();
}

void TGradientPanel::SetBevelWidth(int width) {
  bevelWidth_ = width < 1 ? 1 : width;
  Repaint();
}

void TGradientPanel::SetFont(const FontDesc& font) {
  if (font_.Set(font)) Repaint();
}

void TGradientPanel::Repaint() {
  face_.reset();
  // Children too: transparent labels show the face through.
  if (Handle()) RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

SIZE TGradientPanel::ClientSize() const {
  if (!Handle()) return SIZE{width_, height_};
  RECT r{};
  GetClientRect(Handle(), &r);
  return SIZE{r.right, r.bottom};
}

const OffscreenBitmap* TGradientPanel::Face() {
  const SIZE size = ClientSize();
  if (face_ && face_->width() == size.cx && face_->height() == size.cy) return face_.get();
  face_ = std::make_unique<OffscreenBitmap>(size.cx, size.cy);
  if (!face_->valid()) return face_.get();
  const HDC dc = face_->dc();
  const int w = size.cx, h = size.cy;

  DrawGradient(dc, 0, 0, w, h, direction_, colors_.face, colors_.grad);

  if (!caption_.empty()) {
    SelectGuard font(dc, font_.Handle());
    SIZE text{}, sample{};
    GetTextExtentPoint32A(dc, caption_.c_str(), static_cast<int>(caption_.size()), &text);
    GetTextExtentPoint32A(dc, kPanelCaptionSample, 8, &sample);
    const bool bothBevels =
        bevelInner_ != TPanelBevel::bvNone && bevelOuter_ != TPanelBevel::bvNone;
    const int x = PanelCaptionLeft(w, text.cx, bevelWidth_, alignment_, bothBevels);
    const int y = PanelCaptionTop(h, sample.cy);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ResolveColor(font_.Desc().color));
    TextOutA(dc, x, y, caption_.c_str(), static_cast<int>(caption_.size()));
  }

  SelectGuard pen(dc, GetStockObject(DC_PEN));
  ForEachBevelFrame(bevelOuter_, bevelInner_, bevelWidth_, colors_.light, colors_.dark,
                    [&](int j, Color topLeft, Color bottomRight) {
                      SetDCPenColor(dc, ResolveColor(topLeft));
                      MoveToEx(dc, j, h - j - 1, nullptr);
                      LineTo(dc, j, j);
                      LineTo(dc, w - j - 1, j);
                      SetDCPenColor(dc, ResolveColor(bottomRight));
                      LineTo(dc, w - j - 1, h - j - 1);
                      LineTo(dc, j, h - j - 1);
                    });
  return face_.get();
}

void TGradientPanel::PaintTo(HDC dc) {
  if (const OffscreenBitmap* face = Face()) face->CopyTo(dc);
}

LRESULT TGradientPanel::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PaintDC paint(Handle());
      PaintTo(paint.get());
      return 0;
    }
    case WM_PRINTCLIENT: PaintTo(reinterpret_cast<HDC>(wParam)); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_SIZE: Repaint(); return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(font_.Handle());
    case WM_SETFONT:
      if (font_.Adopt(reinterpret_cast<HFONT>(wParam)) && lParam) Repaint();
      return 0;
    case WM_SETTEXT: {
      const LRESULT result = DefWindowProcA(Handle(), message, wParam, lParam);
      caption_ = lParam ? reinterpret_cast<const char*>(lParam) : "";
      Repaint();
      return result;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      // Standard children (a check box) draw over our face, not a grey box.
      const auto childDc = reinterpret_cast<HDC>(wParam);
      const auto child = reinterpret_cast<HWND>(lParam);
      POINT origin{0, 0};
      MapWindowPoints(child, Handle(), &origin, 1);
      RECT area{};
      GetClientRect(child, &area);
      if (const OffscreenBitmap* face = Face(); face && face->valid()) {
        BitBlt(childDc, 0, 0, area.right, area.bottom, face->dc(), origin.x, origin.y, SRCCOPY);
      }
      SetBkMode(childDc, TRANSPARENT);
      SetTextColor(childDc, ResolveColor(font_.Desc().color));
      return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
    }
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_HSCROLL:
    case WM_VSCROLL:
      if (const HWND parent = GetParent(Handle())) {
        return SendMessageA(parent, message, wParam, lParam);
      }
      return 0;
  }
  return Window::HandleMessage(message, wParam, lParam);
}

}  // namespace veltrane
