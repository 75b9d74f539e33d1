#include "controls/text_label.h"

#include <windowsx.h>

namespace veltrane {
namespace {

// A class brush value this small is a system colour index plus one.
constexpr UINT_PTR kSystemColorBrushes = 64;

}  // namespace

TTextLabel::TTextLabel() = default;
TTextLabel::~TTextLabel() = default;

bool TTextLabel::Create(HWND parent, int left, int top, const std::string& caption, int width,
                        int height, int id) {
  static const ATOM windowClass = RegisterWindowClass(kClassName, CS_HREDRAW | CS_VREDRAW);
  caption_ = caption;
  width_ = width;
  height_ = height;
  font_.Inherit(parent);
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
  if (visible_) style |= WS_VISIBLE;
  if (!enabled_) style |= WS_DISABLED;
  if (!CreateHandle(windowClass, 0, caption_.c_str(), style, left, top, width, height, parent,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)))) {
    return false;
  }
  FitSize();
  return true;
}

void TTextLabel::SetCaption(const std::string& caption) {
  if (caption == caption_) return;
  caption_ = caption;
  if (Handle()) DefWindowProcA(Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(caption_.c_str()));
  Changed();
}

void TTextLabel::SetFont(const FontDesc& font) {
  if (font_.Set(font)) Changed();
}

void TTextLabel::SetTextColor(Color color) {
  FontDesc font = font_.Desc();
  font.color = color;
  SetFont(font);
}

void TTextLabel::SetTransparent(bool value) {
  transparent_ = value;
  Changed();
}

void TTextLabel::SetColor(Color color) {
  color_ = color;
  Changed();
}

void TTextLabel::SetAutoSize(bool value) {
  autoSize_ = value;
  Changed();
}

void TTextLabel::SetShowAccelChar(bool value) {
  showAccelChar_ = value;
  Changed();
}

void TTextLabel::SetAlignment(TAlignment value) {
  alignment_ = value;
  Changed();
}

bool TTextLabel::Enabled() const {
  return Handle() ? IsWindowEnabled(Handle()) != FALSE : enabled_;
}

void TTextLabel::SetEnabled(bool enabled) {
  enabled_ = enabled;
  if (Handle()) EnableWindow(Handle(), enabled ? TRUE : FALSE);
  Changed();
}

void TTextLabel::SetVisible(bool visible) {
  visible_ = visible;
  if (Handle()) ShowWindow(Handle(), visible ? SW_SHOWNA : SW_HIDE);
}

void TTextLabel::Changed() {
  if (!Handle()) return;
  FitSize();
  InvalidateRect(Handle(), nullptr, FALSE);
}

UINT TTextLabel::TextFormat() const {
  UINT format = DT_EXPANDTABS;
  switch (alignment_) {
    case TAlignment::taLeftJustify: format |= DT_LEFT; break;
    case TAlignment::taRightJustify: format |= DT_RIGHT; break;
    case TAlignment::taCenter: format |= DT_CENTER; break;
  }
  if (!showAccelChar_) format |= DT_NOPREFIX;
  return format;
}

void TTextLabel::FitSize() {
  if (!autoSize_ || !Handle()) return;
  SIZE text;
  {
    WindowDC screen(nullptr);
    MemoryDC dc(screen.get());
    SelectGuard font(dc.get(), font_.Handle());
    text = MeasureCaption(dc.get(), caption_, TextFormat());
  }
  RECT r{};
  GetClientRect(Handle(), &r);
  if (text.cx == r.right && text.cy == r.bottom) return;
  // A growing label must not leave its old outline on the parent, nor a
  // shrinking one its old text: the parent repaints the union.
  RECT place{};
  GetWindowRect(Handle(), &place);
  const HWND parent = GetParent(Handle());
  MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&place), 2);
  SetWindowPos(Handle(), nullptr, place.left, place.top, text.cx, text.cy,
               SWP_NOZORDER | SWP_NOACTIVATE);
  if (parent) {
    RECT now{};
    GetWindowRect(Handle(), &now);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&now), 2);
    UnionRect(&place, &place, &now);
    RedrawWindow(parent, &place, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
  }
}

void TTextLabel::PaintTo(HDC target) {
  RECT client{};
  if (Handle()) {
    GetClientRect(Handle(), &client);
  } else {
    client = RECT{0, 0, width_, height_};
  }
  const int w = client.right, h = client.bottom;
  const HWND parent = Handle() ? GetParent(Handle()) : nullptr;
  COLORREF back = ResolveColor(color_);
  if (transparent_ && parent) {
    const auto brush = reinterpret_cast<HBRUSH>(GetClassLongPtrA(parent, GCLP_HBRBACKGROUND));
    LOGBRUSH info{};
    if (brush && reinterpret_cast<UINT_PTR>(brush) > kSystemColorBrushes &&
        GetObjectA(brush, sizeof info, &info) == sizeof info && info.lbStyle == BS_SOLID) {
      back = info.lbColor;
    } else if (brush && reinterpret_cast<UINT_PTR>(brush) <= kSystemColorBrushes) {
      back = GetSysColor(static_cast<int>(reinterpret_cast<UINT_PTR>(brush)) - 1);
    } else {
      back = GetSysColor(COLOR_3DFACE);
    }
  }
  OffscreenBitmap bitmap(w, h, back);
  if (!bitmap.valid()) return;
  const HDC dc = bitmap.dc();
  if (transparent_ && parent) {
    // The parent paints itself (its client, not its children) under us.
    POINT origin{0, 0};
    MapWindowPoints(Handle(), parent, &origin, 1);
    POINT old{};
    SetViewportOrgEx(dc, -origin.x, -origin.y, &old);
    SendMessageA(parent, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    SetViewportOrgEx(dc, old.x, old.y, nullptr);
  }
  SelectGuard font(dc, font_.Handle());
  SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, Enabled() ? ResolveColor(font_.Desc().color) : GetSysColor(COLOR_GRAYTEXT));
  RECT area{0, 0, w, h};
  DrawTextA(dc, caption_.c_str(), static_cast<int>(caption_.size()), &area, TextFormat());
  bitmap.CopyTo(target);
}

LRESULT TTextLabel::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  const auto alive = AliveToken();
  switch (message) {
    case WM_PAINT: {
      PaintDC paint(Handle());
      PaintTo(paint.get());
      return 0;
    }
    case WM_PRINTCLIENT: PaintTo(reinterpret_cast<HDC>(wParam)); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(font_.Handle());
    case WM_SETFONT:
      if (font_.Adopt(reinterpret_cast<HFONT>(wParam))) Changed();
      return 0;
    case WM_SETTEXT: {
      const LRESULT result = DefWindowProcA(Handle(), message, wParam, lParam);
      caption_ = lParam ? reinterpret_cast<const char*>(lParam) : "";
      Changed();
      return result;
    }
    case WM_ENABLE:
      enabled_ = wParam != FALSE;
      InvalidateRect(Handle(), nullptr, FALSE);
      return 0;
    case WM_SHOWWINDOW: visible_ = wParam != FALSE; break;
    case WM_SETCURSOR:
      if (handCursor_ && LOWORD(lParam) == HTCLIENT) {
        SetCursor(LoadCursor(nullptr, IDC_HAND));
        return TRUE;
      }
      break;
    case WM_MOUSEMOVE: {
      // While the button is held the label keeps the mouse, so the pointer
      // may be outside.
      RECT r{};
      GetClientRect(Handle(), &r);
      const POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      if (!PtInRect(&r, p)) {
        if (pointerInside_) {
          pointerInside_ = false;
          if (OnMouseLeave) OnMouseLeave();
        }
        return 0;
      }
      if (!pointerInside_) {
        pointerInside_ = true;
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, Handle(), 0};
        TrackMouseEvent(&track);
        if (OnMouseEnter) OnMouseEnter();
        if (!*alive) return 0;
      }
      if (OnMouseMove) OnMouseMove(p.x, p.y);
      return 0;
    }
    case WM_MOUSELEAVE:
      if (pointerInside_) {
        pointerInside_ = false;
        if (OnMouseLeave) OnMouseLeave();
      }
      return 0;
    case WM_LBUTTONDOWN:
      clickPending_ = true;
      SetCapture(Handle());
      return 0;
    case WM_LBUTTONUP: {
      const bool click = clickPending_;
      clickPending_ = false;
      if (GetCapture() == Handle()) ReleaseCapture();
      RECT r{};
      GetClientRect(Handle(), &r);
      const POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      if (click && PtInRect(&r, p) && OnClick) OnClick();
      return 0;
    }
  }
  return Window::HandleMessage(message, wParam, lParam);
}

}  // namespace veltrane
