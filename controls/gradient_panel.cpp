#include "controls/gradient_panel.h"

namespace veltrane {

TGradientPanel::TGradientPanel() : TTextControl(0, 0) {
  colors_.dark = 0;
  colors_.light = 12632256;
  SetColorScheme(TPanelColorScheme::csDesert);
}

TGradientPanel::~TGradientPanel() = default;

bool TGradientPanel::Create(HWND parent, int left, int top, int width, int height, int id) {
  static const ATOM windowClass = RegisterWindowClass(kClassName, CS_HREDRAW | CS_VREDRAW);
  return CreateControl(windowClass, parent, left, top, width, height, id, WS_CLIPCHILDREN,
                       WS_EX_CONTROLPARENT);
}

Color TGradientPanel::GetColor(int index) const {
  const auto member = PanelColorMember(index);
  return member ? colors_.*member : 0;
}

void TGradientPanel::SetColor(int index, Color color) {
  const auto member = PanelColorMember(index);
  if (!member) return;
  colors_.*member = color;
  scheme_ = TPanelColorScheme::csCustom;
  Repaint();
}

void TGradientPanel::SetColorScheme(TPanelColorScheme scheme) {
  ApplyPanelScheme(scheme, colors_);
  scheme_ = scheme;
  Repaint();
}

void TGradientPanel::Repaint() {
  face_.reset();
  // Children too: transparent labels show the face through.
  if (Handle()) RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void TGradientPanel::Changed(Change change) {
  switch (change) {
    case Change::content: Repaint(); break;
    // Not shown until the next paint, which must not find the old face.
    case Change::quietFont: face_.reset(); break;
    case Change::enabled: break;  // the face looks the same
  }
}

const OffscreenBitmap* TGradientPanel::Face() {
  const SIZE size = ClientSize();
  if (face_ && face_->width() == size.cx && face_->height() == size.cy) return face_.get();
  face_ = std::make_unique<OffscreenBitmap>(size.cx, size.cy);
  if (face_->valid()) Draw(face_->dc(), size.cx, size.cy);
  return face_.get();
}

void TGradientPanel::Draw(HDC dc, int w, int h) {
  DrawGradient(dc, 0, 0, w, h, direction_, colors_.face, colors_.grad);
  // A bevel's frames are one pixel each at 96 dpi, whole pixels elsewhere.
  const int bevel = bevelWidth_ * LineWidthForDpi(Dpi());

  if (const std::string& caption = Caption(); !caption.empty()) {
    SelectGuard font(dc, FontHandle());
    SIZE text{}, sample{};
    text = ProgramTextExtent(dc, caption);
    sample = ProgramTextExtent(dc, kPanelCaptionSample);
    const bool bothBevels =
        bevelInner_ != TPanelBevel::bvNone && bevelOuter_ != TPanelBevel::bvNone;
    const int x = PanelCaptionLeft(w, text.cx, bevel, alignment_, bothBevels);
    const int y = PanelCaptionTop(h, sample.cy);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ResolveColor(Font().color));
    ProgramTextOut(dc, x, y, caption);
  }

  SelectGuard pen(dc, GetStockObject(DC_PEN));
  ForEachBevelFrame(bevelOuter_, bevelInner_, bevel, colors_.light, colors_.dark,
                    [&](int j, Color topLeft, Color bottomRight) {
                      SetDCPenColor(dc, ResolveColor(topLeft));
                      MoveToEx(dc, j, h - j - 1, nullptr);
                      LineTo(dc, j, j);
                      LineTo(dc, w - j - 1, j);
                      SetDCPenColor(dc, ResolveColor(bottomRight));
                      LineTo(dc, w - j - 1, h - j - 1);
                      LineTo(dc, j, h - j - 1);
                    });
}

void TGradientPanel::PaintTo(HDC dc) {
  if (const OffscreenBitmap* face = Face()) face->CopyTo(dc);
}

LRESULT TGradientPanel::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE: Repaint(); return 0;
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
      SetTextColor(childDc, ResolveColor(Font().color));
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
  return TTextControl::HandleMessage(message, wParam, lParam);
}

}  // namespace veltrane
