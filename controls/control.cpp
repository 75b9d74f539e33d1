#include "controls/control.h"

#include <windowsx.h>

#include "controls/accessible.h"

namespace veltrane {

bool TControl::Visible() const {
  if (!Handle()) return visible_;
  return (GetWindowLongPtrA(Handle(), GWL_STYLE) & WS_VISIBLE) != 0;
}

void TControl::SetVisible(bool visible) {
  visible_ = visible;
  if (Handle()) ShowWindow(Handle(), visible ? SW_SHOWNA : SW_HIDE);
}

bool TControl::Enabled() const { return Handle() ? IsWindowEnabled(Handle()) != FALSE : enabled_; }

void TControl::SetEnabled(bool enabled) {
  enabled_ = enabled;
  if (Handle()) EnableWindow(Handle(), enabled ? TRUE : FALSE);
  Changed(Change::content);
}

void TControl::SetTabStop(bool value) {
  tabStop_ = value;
  if (!Handle()) return;
  LONG_PTR style = GetWindowLongPtrA(Handle(), GWL_STYLE);
  style = value ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP));
  SetWindowLongPtrA(Handle(), GWL_STYLE, style);
}

bool TControl::CreateControl(ATOM windowClass, const char* title, HWND parent, int left, int top,
                             int width, int height, int id, DWORD style, DWORD exStyle) {
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  StoreDpi(DpiOf(parent));
  const int dpi = Dpi();
  style |= WS_CHILD | WS_CLIPSIBLINGS;
  if (visible_) style |= WS_VISIBLE;
  if (tabStop_) style |= WS_TABSTOP;
  if (!enabled_) style |= WS_DISABLED;
  return CreateHandle(windowClass, exStyle, title, style, ScaleForDpi(left, dpi),
                      ScaleForDpi(top, dpi), ScaleForDpi(width, dpi), ScaleForDpi(height, dpi),
                      parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
}

void TControl::SetDpi(int dpi) {
  if (dpi == Dpi()) return;
  StoreDpi(dpi);
  if (Handle()) {
    SetWindowPos(Handle(), nullptr, ScaleForDpi(left_, dpi), ScaleForDpi(top_, dpi),
                 ScaleForDpi(width_, dpi), ScaleForDpi(height_, dpi),
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  DpiChanged();
}

SIZE TControl::ClientSize() const {
  if (!Handle()) return SIZE{width_, height_};
  RECT r{};
  GetClientRect(Handle(), &r);
  return SIZE{r.right, r.bottom};
}

RECT TControl::PlaceInParent() const {
  RECT place{};
  GetWindowRect(Handle(), &place);
  MapWindowPoints(HWND_DESKTOP, GetParent(Handle()), reinterpret_cast<POINT*>(&place), 2);
  return place;
}

bool TControl::ResizeClient(SIZE size) {
  const SIZE now = ClientSize();
  if (size.cx == now.cx && size.cy == now.cy) return false;
  const RECT place = PlaceInParent();
  SetWindowPos(Handle(), nullptr, place.left, place.top, size.cx, size.cy,
               SWP_NOZORDER | SWP_NOACTIVATE);
  return true;
}

void TControl::ClickPressed() {
  clickPending_ = true;
  SetCapture(Handle());
}

bool TControl::ClickReleased(LPARAM lParam) {
  const bool click = clickPending_;
  clickPending_ = false;
  if (GetCapture() == Handle()) ReleaseCapture();
  RECT r{};
  GetClientRect(Handle(), &r);
  return click && PtInRect(&r, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
}

bool TControl::PointerMoved(LPARAM lParam) {
  RECT r{};
  GetClientRect(Handle(), &r);
  if (!PtInRect(&r, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)})) {
    PointerGone();
    return false;
  }
  if (pointerInside_) return true;
  pointerInside_ = true;
  TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, Handle(), 0};
  TrackMouseEvent(&track);
  const auto alive = AliveToken();
  PointerEntered();
  return *alive;
}

bool TControl::PointerNow(POINT* point) const {
  POINT screen{};
  if (!Handle() || !GetCursorPos(&screen)) return false;
  *point = screen;
  ScreenToClient(Handle(), point);
  return WindowFromPoint(screen) == Handle();
}

void TControl::PointerGone() {
  if (!pointerInside_) return;
  pointerInside_ = false;
  PointerLeft();
}

void TControl::PaintTo(HDC target) {
  const SIZE size = ClientSize();
  OffscreenBitmap bitmap(size.cx, size.cy, EraseColor());
  if (!bitmap.valid()) return;
  Draw(bitmap.dc(), size.cx, size.cy);
  bitmap.CopyTo(target);
}

LRESULT TControl::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PaintDC paint(Handle());
      PaintTo(paint.get());
      return 0;
    }
    case WM_PRINTCLIENT: PaintTo(reinterpret_cast<HDC>(wParam)); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_ENABLE:
      enabled_ = wParam != FALSE;
      Changed(Change::enabled);
      return 0;
    case WM_SHOWWINDOW: visible_ = wParam != FALSE; break;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lParam) != Handle()) clickPending_ = false;
      break;
    case WM_GETOBJECT:
      if (const AccessibleKind kind = Accessible(); kind.standardClass) {
        if (const LRESULT answer =
                AnswerGetObject(Handle(), wParam, lParam, kind.standardClass, kind.role)) {
          return answer;
        }
      }
      break;
  }
  return Window::HandleMessage(message, wParam, lParam);
}

void TTextControl::SetCaption(const std::string& caption) {
  caption_ = caption;
  ShowWindowText();
  Changed(Change::content);
}

void TTextControl::ShowWindowText() {
  if (!Handle()) return;
  const std::string text = WindowText();
  DefWindowProcA(Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void TTextControl::SetFont(const FontDesc& font) {
  if (font_.Set(font)) Changed(Change::content);
}

bool TTextControl::CreateControl(ATOM windowClass, HWND parent, int left, int top, int width,
                                 int height, int id, DWORD style, DWORD exStyle) {
  // The parent's font is read back at the parent's dpi, which the control
  // takes.
  font_.SetDpi(DpiOf(parent));
  font_.Inherit(parent);
  return TControl::CreateControl(windowClass, WindowText().c_str(), parent, left, top, width,
                                 height, id, style, exStyle);
}

void TTextControl::DpiChanged() {
  font_.SetDpi(Dpi());
  TControl::DpiChanged();
}

SIZE TTextControl::MeasureText(UINT format) {
  WindowDC screen(nullptr);
  MemoryDC dc(screen.get());
  SelectGuard font(dc.get(), font_.Handle());
  return MeasureCaption(dc.get(), caption_, format);
}

LRESULT TTextControl::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_GETFONT: return reinterpret_cast<LRESULT>(font_.Handle());
    case WM_SETFONT:
      if (font_.Adopt(reinterpret_cast<HFONT>(wParam))) {
        Changed(lParam ? Change::content : Change::quietFont);
      }
      return 0;
    case WM_SETTEXT: {
      const LRESULT result = DefWindowProcA(Handle(), message, wParam, lParam);
      caption_ = lParam ? reinterpret_cast<const char*>(lParam) : "";
      if (WindowText() != caption_) ShowWindowText();
      Changed(Change::content);
      return result;
    }
  }
  return TControl::HandleMessage(message, wParam, lParam);
}

}  // namespace veltrane
