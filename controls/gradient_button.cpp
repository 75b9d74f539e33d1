#include "controls/gradient_button.h"

#include <windowsx.h>

namespace veltrane {
namespace {

ButtonColorSet SetOfState(ButtonState state) {
  switch (state) {
    case ButtonState::over: return ButtonColorSet::over;
    case ButtonState::down: return ButtonColorSet::down;
    case ButtonState::normal: break;
  }
  return ButtonColorSet::normal;
}

SIZE BitmapSize(HBITMAP bitmap) {
  BITMAP info{};
  if (!bitmap || !GetObjectA(bitmap, sizeof info, &info)) return SIZE{0, 0};
  return SIZE{info.bmWidth, info.bmHeight < 0 ? -info.bmHeight : info.bmHeight};
}

}  // namespace

TGradientButton::TGradientButton() : colors_(InitialButtonColors()) {}

TGradientButton::~TGradientButton() = default;

bool TGradientButton::Create(HWND parent, int left, int top, int width, int height, int id) {
  static const ATOM windowClass = RegisterWindowClass(kClassName, 0);
  width_ = width;
  height_ = height;
  font_.Inherit(parent);
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
  if (visible_) style |= WS_VISIBLE;
  if (tabStop_) style |= WS_TABSTOP;
  if (!enabled_) style |= WS_DISABLED;
  if (!CreateHandle(windowClass, 0, caption_.c_str(), style, left, top, width, height, parent,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)))) {
    return false;
  }
  if (!tooltip_.Text().empty()) tooltip_.Set(Handle(), tooltip_.Text());
  return true;
}

Color TGradientButton::GetColor(int index) const {
  if (index < 0 || index >= kButtonColorCount) return 0;
  return colors_[static_cast<std::size_t>(index)];
}

void TGradientButton::SetColor(int index, Color color) {
  if (index < 0 || index >= kButtonColorCount) return;
  colors_[static_cast<std::size_t>(index)] = color;
  scheme_ = TColorScheme::csCustom;
  Repaint();
}

void TGradientButton::SetColorScheme(TColorScheme scheme) {
  ApplyButtonScheme(scheme, colors_, gradient_);
  scheme_ = scheme;
  Repaint();
}

void TGradientButton::SetCtl3D(bool value) {
  ctl3d_ = value;
  Repaint();
}

void TGradientButton::SetLayout(TButtonLayout value) {
  layout_ = value;
  Repaint();
}

void TGradientButton::SetGlyph(HBITMAP glyph) {
  glyph_.reset();
  if (glyph) {
    glyph_.reset(static_cast<HBITMAP>(CopyImage(glyph, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  }
  Repaint();
}

void TGradientButton::SetSpacing(int value) {
  spacing_ = value;
  Repaint();
}

void TGradientButton::SetTransparentGlyph(bool value) {
  transparentGlyph_ = value;
  Repaint();
}

void TGradientButton::SetGradient(bool value) {
  gradient_ = value;
  Repaint();
}

void TGradientButton::SetCaption(const std::string& caption) {
  caption_ = caption;
  if (Handle()) DefWindowProcA(Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(caption_.c_str()));
  Repaint();
}

void TGradientButton::SetFont(const FontDesc& font) {
  if (font_.Set(font)) Repaint();
}

bool TGradientButton::Enabled() const {
  return Handle() ? IsWindowEnabled(Handle()) != FALSE : enabled_;
}

void TGradientButton::SetEnabled(bool enabled) {
  enabled_ = enabled;
  if (Handle()) EnableWindow(Handle(), enabled ? TRUE : FALSE);
  Repaint();
}

void TGradientButton::SetTabStop(bool value) {
  tabStop_ = value;
  if (!Handle()) return;
  LONG_PTR style = GetWindowLongPtrA(Handle(), GWL_STYLE);
  style = value ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP));
  SetWindowLongPtrA(Handle(), GWL_STYLE, style);
}

void TGradientButton::SetHint(const std::string& hint) { tooltip_.Set(Handle(), hint); }

void TGradientButton::SetVisible(bool visible) {
  visible_ = visible;
  if (Handle()) ShowWindow(Handle(), visible ? SW_SHOWNA : SW_HIDE);
}

void TGradientButton::Repaint() {
  if (Handle()) InvalidateRect(Handle(), nullptr, FALSE);
}

void TGradientButton::SetState(ButtonState state) {
  state_ = state;
  Repaint();
}

SIZE TGradientButton::ClientSize() const {
  if (!Handle()) return SIZE{width_, height_};
  RECT r{};
  GetClientRect(Handle(), &r);
  return SIZE{r.right, r.bottom};
}

void TGradientButton::Click() {
  if (modalResult_ != 0 && Handle()) {
    if (Window* form = Window::FromHandle(GetAncestor(Handle(), GA_ROOT))) {
      form->SetModalResult(modalResult_);
    }
  }
  SetState(ButtonState::normal);
  if (OnClick) OnClick();
}

void TGradientButton::PointerEntered() {
  pointerInside_ = true;
  TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, Handle(), 0};
  TrackMouseEvent(&track);
  if (hotTrack_) SetState(pressed_ ? ButtonState::down : ButtonState::over);
  if (OnMouseEnter) OnMouseEnter();
}

void TGradientButton::PointerLeft() {
  pointerInside_ = false;
  SetState(ButtonState::normal);
  if (OnMouseLeave) OnMouseLeave();
}

void TGradientButton::MouseMoved(int x, int y) {
  const SIZE size = ClientSize();
  const bool inside = x >= 0 && y >= 0 && x < size.cx && y < size.cy;
  if (inside && !pointerInside_) {
    PointerEntered();
  } else if (!inside && pointerInside_) {
    PointerLeft();
  }
}

void TGradientButton::ButtonReleased(UINT message, int x, int y) {
  const auto alive = AliveToken();
  const bool click = message == WM_LBUTTONUP && clickPending_;
  if (message == WM_LBUTTONUP) {
    clickPending_ = false;
    if (GetCapture() == Handle()) {
      releasingCapture_ = true;
      ReleaseCapture();
      releasingCapture_ = false;
    }
  }
  const SIZE size = ClientSize();
  // The click comes before the release's own state change, so a hot-tracking
  // button ends in the over state.
  if (click && x >= 0 && y >= 0 && x < size.cx && y < size.cy) {
    Click();
    if (!*alive || !Handle()) return;
  }
  pressed_ = false;
  if (x > 0 && x < size.cx && y > 0 && y < size.cy) {
    SetState(hotTrack_ ? ButtonState::over : ButtonState::normal);
  }
}

bool TGradientButton::DialogKey(WPARAM key, bool modifiers) {
  if (!Handle() || !CanFocusWindow(Handle())) return false;
  const bool focused = GetFocus() == Handle();
  if (((key == VK_RETURN && focused) || (key == VK_ESCAPE && cancel_)) && !modifiers) {
    Click();
    return true;
  }
  if (key == VK_RETURN && default_) {
    Click();
    return true;
  }
  return false;
}

bool TGradientButton::DialogChar(char character) {
  if (!Handle() || !CanFocusWindow(Handle())) return false;
  if (!IsAccelerator(character, caption_)) return false;
  Click();
  return true;
}

void TGradientButton::PaintTo(HDC target) {
  const SIZE size = ClientSize();
  const int w = size.cx, h = size.cy;
  OffscreenBitmap bitmap(w, h);
  if (!bitmap.valid()) return;
  const HDC dc = bitmap.dc();

  const ButtonStateColors c =
      ColorsOfSet(colors_, Enabled() ? SetOfState(state_) : ButtonColorSet::disabled);
  FillArea(dc, 0, 0, w, h, c.face);
  if (gradient_) DrawGradient(dc, 0, 0, w, h, TFillDirection::fdVertical, c.face, c.grad);

  SelectGuard font(dc, font_.Handle());
  SIZE text{0, 0};
  GetTextExtentPoint32A(dc, caption_.c_str(), static_cast<int>(caption_.size()), &text);
  const SIZE glyph = BitmapSize(glyph_.get());
  ButtonContent content;
  content.width = w;
  content.height = h;
  content.textWidth = text.cx;
  content.textHeight = text.cy;
  content.glyphWidth = glyph.cx;
  content.glyphHeight = glyph.cy;
  content.spacing = spacing_;
  content.layout = layout_;
  content.hasCaption = !caption_.empty();
  content.hasGlyph = glyph.cx > 0 && glyph.cy > 0;
  content.down = state_ == ButtonState::down;
  const ButtonPlacement place = PlaceButtonContent(content);

  if (content.hasGlyph) {
    MemoryDC glyphDc(dc);
    SelectGuard select(glyphDc.get(), glyph_.get());
    if (transparentGlyph_) {
      const COLORREF transparent = GetPixel(glyphDc.get(), 0, 0);
      GdiTransparentBlt(dc, place.glyphLeft, place.glyphTop, glyph.cx, glyph.cy, glyphDc.get(), 0,
                        0, glyph.cx, glyph.cy, transparent);
    } else {
      BitBlt(dc, place.glyphLeft, place.glyphTop, glyph.cx, glyph.cy, glyphDc.get(), 0, 0, SRCCOPY);
    }
  }
  if (!caption_.empty()) {
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ResolveColor(c.text));
    RECT r{place.textLeft, place.textTop, place.textLeft + text.cx, place.textTop + text.cy};
    DrawTextA(dc, caption_.c_str(), static_cast<int>(caption_.size()), &r,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP);
  }

  DrawOutline(dc, 0, 0, w - 1, h - 1, c.border);
  if (ctl3d_) {
    SelectGuard pen(dc, GetStockObject(DC_PEN));
    SetDCPenColor(dc, ResolveColor(c.light));
    MoveToEx(dc, 1, h - 2, nullptr);
    LineTo(dc, 1, 1);
    LineTo(dc, w - 1, 1);
    SetDCPenColor(dc, ResolveColor(c.dark));
    MoveToEx(dc, w - 2, 1, nullptr);
    LineTo(dc, w - 2, h - 2);
    LineTo(dc, 1, h - 2);
  }
  if (focused_) DrawOutline(dc, 3, 3, w - 4, h - 4, colors_[kColorFocusRect]);
  bitmap.CopyTo(target);
}

LRESULT TGradientButton::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PaintDC paint(Handle());
      PaintTo(paint.get());
      return 0;
    }
    case WM_PRINTCLIENT: PaintTo(reinterpret_cast<HDC>(wParam)); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_SIZE: Repaint(); break;
    case WM_GETDLGCODE: return DLGC_BUTTON;
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
    case WM_ENABLE:
      enabled_ = wParam != FALSE;
      Repaint();
      return 0;
    case WM_SHOWWINDOW: visible_ = wParam != FALSE; break;
    case WM_MOUSEMOVE: MouseMoved(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)); return 0;
    case WM_MOUSELEAVE:
      if (pointerInside_) PointerLeft();
      return 0;
    case WM_LBUTTONDOWN:
      pressed_ = true;
      clickPending_ = true;
      SetState(ButtonState::down);
      if (tabStop_ && GetFocus() != Handle()) SetFocus(Handle());
      if (Handle()) SetCapture(Handle());
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      ButtonReleased(message, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return 0;
    case WM_CAPTURECHANGED:
      // Capture taken away mid-press (a window popped up, say): no release
      // will come, so do not stay pressed.
      if (!releasingCapture_ && reinterpret_cast<HWND>(lParam) != Handle() && pressed_) {
        pressed_ = false;
        clickPending_ = false;
        SetState(ButtonState::normal);
      }
      return 0;
    case WM_SETFOCUS:
      focused_ = true;
      Repaint();
      return 0;
    case WM_KILLFOCUS:
      focused_ = false;
      SetState(ButtonState::normal);
      return 0;
    case WM_KEYDOWN:
      if (wParam == VK_SPACE) {
        SetState(ButtonState::down);
      } else if (wParam == VK_RETURN) {
        Click();
      }
      return 0;
    case WM_KEYUP:
      if (wParam == VK_SPACE) {
        SetState(ButtonState::normal);
        Click();
      }
      return 0;
    case BM_CLICK:
      if (Enabled()) Click();
      return 0;
  }
  return Window::HandleMessage(message, wParam, lParam);
}

}  // namespace veltrane
