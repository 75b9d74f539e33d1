#include "controls/status_text.h"

#include <windowsx.h>

namespace veltrane {
namespace {

bool ModifiersHeld() {
  return GetKeyState(VK_SHIFT) < 0 || GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0;
}

}  // namespace

TCustomStatusText::TCustomStatusText() = default;
TCustomStatusText::~TCustomStatusText() = default;

bool TCustomStatusText::Create(HWND parent, int left, int top, int width, int height, int id) {
  static const ATOM windowClass =
      RegisterWindowClass(kClassName, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW);
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
  Repaint();
  return Handle() != nullptr;
}

HWND TCustomStatusText::FocusControl() const {
  return focusControl_ && IsWindow(focusControl_) ? focusControl_ : nullptr;
}

void TCustomStatusText::SetDrawFocusRect(bool value) {
  drawFocusRect_ = value;
  Repaint();
}

void TCustomStatusText::SetShowAccelChar(bool value) {
  if (value == showAccelChar_) return;
  showAccelChar_ = value;
  Repaint();
}

void TCustomStatusText::SetAlignment(TAlignment value) {
  if (value == alignment_) return;
  alignment_ = value;
  Repaint();
}

void TCustomStatusText::SetAutoSize(bool value) {
  autoSize_ = value;
  if (value) Repaint();
}

void TCustomStatusText::SetCaption(const std::string& caption) {
  caption_ = caption;
  if (Handle()) DefWindowProcA(Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(caption_.c_str()));
  Repaint();
}

void TCustomStatusText::SetColor(Color color) {
  color_ = color;
  Repaint();
}

void TCustomStatusText::SetFont(const FontDesc& font) {
  if (font_.Set(font)) Repaint();
}

bool TCustomStatusText::Enabled() const {
  return Handle() ? IsWindowEnabled(Handle()) != FALSE : enabled_;
}

void TCustomStatusText::SetEnabled(bool enabled) {
  enabled_ = enabled;
  if (Handle()) EnableWindow(Handle(), enabled ? TRUE : FALSE);
  Repaint();
}

void TCustomStatusText::SetTabStop(bool value) {
  tabStop_ = value;
  if (!Handle()) return;
  LONG_PTR style = GetWindowLongPtrA(Handle(), GWL_STYLE);
  style = value ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP));
  SetWindowLongPtrA(Handle(), GWL_STYLE, style);
}

void TCustomStatusText::SetVisible(bool visible) {
  visible_ = visible;
  if (Handle()) ShowWindow(Handle(), visible ? SW_SHOWNA : SW_HIDE);
}

UINT TCustomStatusText::TextFormat() const {
  UINT format = DT_EXPANDTABS;
  switch (alignment_) {
    case TAlignment::taLeftJustify: format |= DT_LEFT; break;
    case TAlignment::taRightJustify: format |= DT_RIGHT; break;
    case TAlignment::taCenter: format |= DT_CENTER; break;
  }
  if (!showAccelChar_) format |= DT_NOPREFIX;
  return format;
}

bool TCustomStatusText::PaintEventAllows() {
  if (!OnPaint) return true;
  bool continuePainting = true;
  OnPaint(*this, continuePainting);
  return continuePainting;
}

bool TCustomStatusText::FitSize() {
  if (!autoSize_ || !Handle()) return false;
  SIZE text;
  {
    WindowDC screen(nullptr);
    MemoryDC dc(screen.get());
    SelectGuard font(dc.get(), font_.Handle());
    text = MeasureCaption(dc.get(), caption_, TextFormat());
  }
  RECT r{};
  GetClientRect(Handle(), &r);
  const int width = text.cx + 2, height = text.cy + 2;
  if (width == r.right && height == r.bottom) return false;
  RECT place{};
  GetWindowRect(Handle(), &place);
  MapWindowPoints(HWND_DESKTOP, GetParent(Handle()), reinterpret_cast<POINT*>(&place), 2);
  SetWindowPos(Handle(), nullptr, place.left, place.top, width, height,
               SWP_NOZORDER | SWP_NOACTIVATE);
  return true;
}

void TCustomStatusText::Repaint() {
  const auto alive = AliveToken();
  if (!PaintEventAllows() || !*alive) return;
  if (!Handle()) return;
  if (FitSize()) return;  // the resize brings its own paint
  if (IsWindowVisible(Handle())) {
    WindowDC dc(Handle());
    PaintTo(dc.get());
  }
}

void TCustomStatusText::PaintTo(HDC target) {
  RECT client{};
  if (Handle()) {
    GetClientRect(Handle(), &client);
  } else {
    client = RECT{0, 0, width_, height_};
  }
  const int w = client.right, h = client.bottom;
  const COLORREF brush = ResolveColor(color_);
  OffscreenBitmap bitmap(w, h, brush);
  if (!bitmap.valid()) return;
  const HDC dc = bitmap.dc();
  const COLORREF ink = ResolveColor(font_.Desc().color);

  if (Enabled() && Handle() && GetFocus() == Handle() && drawFocusRect_) {
    for (int x = 0; x < w; x += 2) {
      SetPixelV(dc, x, 0, ink);
      SetPixelV(dc, x, h - 1, ink);
    }
    for (int y = 0; y < h; y += 2) {
      SetPixelV(dc, 0, y, ink);
      SetPixelV(dc, w - 1, y, ink);
    }
  } else {
    DrawOutline(dc, 0, 0, w - 1, h - 1, brush);
  }

  SelectGuard font(dc, font_.Handle());
  SetTextColor(dc, ink);
  SetBkColor(dc, brush);
  SetBkMode(dc, OPAQUE);
  UINT format = TextFormat();
  if (Handle() && (GetWindowLongPtrA(Handle(), GWL_EXSTYLE) & WS_EX_RTLREADING)) {
    format |= DT_RTLREADING;
  }
  RECT inside{1, 1, w - 1, h - 1};
  DrawTextA(dc, caption_.c_str(), static_cast<int>(caption_.size()), &inside, format);
  bitmap.CopyTo(target);
}

void TCustomStatusText::Click() {
  if (Handle() && GetFocus() != Handle() && CanFocusWindow(Handle())) SetFocus(Handle());
  if (OnClick) OnClick();
}

bool TCustomStatusText::DialogChar(char character) {
  if (!Handle() || !Enabled() || !showAccelChar_ || mouseDown_ || keyDown_) return false;
  if (!IsAccelerator(character, caption_)) return false;
  if (const HWND target = FocusControl(); target && CanFocusWindow(target)) {
    SetFocus(target);
    return true;
  }
  if (!CanFocusWindow(Handle())) return false;
  const auto alive = AliveToken();
  keyDown_ = true;
  Repaint();
  Click();
  if (!*alive) return true;
  keyDown_ = false;
  Repaint();
  return true;
}

void TCustomStatusText::MouseMoved(int x, int y) {
  RECT r{};
  GetClientRect(Handle(), &r);
  if (!PtInRect(&r, POINT{x, y})) {  // held button: the mouse is ours outside too
    if (pointerInside_) {
      pointerInside_ = false;
      Repaint();
      if (OnMouseLeave) OnMouseLeave();
    }
    return;
  }
  if (!pointerInside_) {
    pointerInside_ = true;
    TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, Handle(), 0};
    TrackMouseEvent(&track);
    Repaint();
    if (OnMouseEnter) OnMouseEnter();
  }
  if (OnMouseMove) OnMouseMove(x, y);
}

LRESULT TCustomStatusText::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  const auto alive = AliveToken();
  switch (message) {
    case WM_PAINT: {
      PaintDC paint(Handle());
      if (!PaintEventAllows() || !*alive || !Handle()) return 0;
      if (FitSize()) return 0;
      PaintTo(paint.get());
      return 0;
    }
    case WM_PRINTCLIENT: PaintTo(reinterpret_cast<HDC>(wParam)); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(font_.Handle());
    case WM_SETFONT:
      if (font_.Adopt(reinterpret_cast<HFONT>(wParam))) Repaint();
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
    case WM_SETFOCUS: Repaint(); return 0;
    case WM_KILLFOCUS:
      mouseDown_ = false;
      keyDown_ = false;
      Repaint();
      return 0;
    case WM_MOUSEMOVE: MouseMoved(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)); return 0;
    case WM_MOUSELEAVE:
      if (pointerInside_) {
        pointerInside_ = false;
        Repaint();
        if (*alive && OnMouseLeave) OnMouseLeave();
      }
      return 0;
    case WM_KEYDOWN:
      if (wParam == VK_SPACE && GetFocus() == Handle() && !ModifiersHeld() && !mouseDown_ &&
          !keyDown_) {
        keyDown_ = true;
        Repaint();
      }
      return 0;
    case WM_KEYUP:
      if (keyDown_) {
        Click();
        if (!*alive) return 0;
        keyDown_ = false;
        Repaint();
      }
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      clickPending_ = true;
      SetCapture(Handle());
      if (!keyDown_) {
        mouseDown_ = true;
        Repaint();
      }
      if (*alive && message == WM_LBUTTONDBLCLK && OnDblClick) OnDblClick();
      return 0;
    case WM_LBUTTONUP: {
      const bool click = clickPending_;
      clickPending_ = false;
      if (GetCapture() == Handle()) ReleaseCapture();
      RECT r{};
      GetClientRect(Handle(), &r);
      const POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      if (click && PtInRect(&r, p)) {
        Click();
        if (!*alive || !Handle()) return 0;
      }
      if (mouseDown_) {
        mouseDown_ = false;
        Repaint();
      }
      return 0;
    }
  }
  return Window::HandleMessage(message, wParam, lParam);
}

}  // namespace veltrane
