#include "controls/text_label.h"

#include <windowsx.h>

namespace veltrane {
namespace {

// A class brush value this small is a system colour index plus one.
constexpr UINT_PTR kSystemColorBrushes = 64;

}  // namespace

TTextLabel::TTextLabel() : TTextControl(0, 0) {}
TTextLabel::~TTextLabel() = default;

bool TTextLabel::Create(HWND parent, int left, int top, const std::string& caption, int width,
                        int height, int id) {
  static const ATOM windowClass = RegisterWindowClass(kClassName, CS_HREDRAW | CS_VREDRAW);
  SetCaption(caption);
  if (!CreateControl(windowClass, parent, left, top, width, height, id)) return false;
  FitSize();
  return true;
}

void TTextLabel::SetCaption(const std::string& caption) {
  if (caption != Caption()) TTextControl::SetCaption(caption);
}

void TTextLabel::SetTextColor(Color color) {
  FontDesc font = Font();
  font.color = color;
  SetFont(font);
}

void TTextLabel::Changed(Change change) {
  if (!Handle()) return;
  if (change != Change::enabled) FitSize();
  InvalidateRect(Handle(), nullptr, FALSE);
}

UINT TTextLabel::TextFormat() const { return CaptionFormat(alignment_, showAccelChar_); }

void TTextLabel::FitSize() {
  if (!autoSize_ || !Handle()) return;
  const RECT before = PlaceInParent();
  if (!ResizeClient(MeasureText(TextFormat()))) return;
  // A growing label must not leave its old outline on the parent, nor a
  // shrinking one its old text: the parent repaints the union.
  if (const HWND parent = GetParent(Handle())) {
    const RECT after = PlaceInParent();
    RECT both{};
    UnionRect(&both, &before, &after);
    RedrawWindow(parent, &both, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
  }
}

COLORREF TTextLabel::EraseColor() const {
  const HWND parent = Handle() ? GetParent(Handle()) : nullptr;
  if (!transparent_ || !parent) return ResolveColor(color_);
  // Under the parent's face: its class brush, for parents that have one.
  const auto brush = reinterpret_cast<HBRUSH>(GetClassLongPtrA(parent, GCLP_HBRBACKGROUND));
  LOGBRUSH info{};
  if (brush && reinterpret_cast<UINT_PTR>(brush) > kSystemColorBrushes &&
      GetObjectA(brush, sizeof info, &info) == sizeof info && info.lbStyle == BS_SOLID) {
    return info.lbColor;
  }
  if (brush && reinterpret_cast<UINT_PTR>(brush) <= kSystemColorBrushes) {
    return GetSysColor(static_cast<int>(reinterpret_cast<UINT_PTR>(brush)) - 1);
  }
  return GetSysColor(COLOR_3DFACE);
}

void TTextLabel::Draw(HDC dc, int w, int h) {
  const HWND parent = Handle() ? GetParent(Handle()) : nullptr;
  if (transparent_ && parent) {
    // The parent paints itself (its client, not its children) under us.
    POINT origin{0, 0};
    MapWindowPoints(Handle(), parent, &origin, 1);
    POINT old{};
    SetViewportOrgEx(dc, -origin.x, -origin.y, &old);
    SendMessageA(parent, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    SetViewportOrgEx(dc, old.x, old.y, nullptr);
  }
  SelectGuard font(dc, FontHandle());
  SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, Enabled() ? ResolveColor(Font().color) : GetSysColor(COLOR_GRAYTEXT));
  RECT area{0, 0, w, h};
  DrawProgramText(dc, Caption(), &area, TextFormat());
}

LRESULT TTextLabel::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SETCURSOR:
      if (handCursor_ && LOWORD(lParam) == HTCLIENT) {
        SetCursor(LoadCursor(nullptr, IDC_HAND));
        return TRUE;
      }
      break;
    case WM_MOUSEMOVE:
      if (PointerMoved(lParam) && OnMouseMove) {
        OnMouseMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      }
      return 0;
    case WM_MOUSELEAVE: PointerGone(); return 0;
    case WM_LBUTTONDOWN: ClickPressed(); return 0;
    case WM_LBUTTONUP:
      if (ClickReleased(lParam) && OnClick) OnClick();
      return 0;
    case BM_CLICK:
      if (OnClick && Enabled()) OnClick();
      return 0;
  }
  return TTextControl::HandleMessage(message, wParam, lParam);
}

}  // namespace veltrane
