#include "controls/status_text.h"

#include <windowsx.h>

namespace veltrane {
TCustomStatusText::TCustomStatusText() : TTextControl(65, 17) {}
TCustomStatusText::~TCustomStatusText() = default;

bool TCustomStatusText::Create(HWND parent, int left, int top, int width, int height, int id) {
  static const ATOM windowClass =
      RegisterWindowClass(kClassName, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW);
  if (!CreateControl(windowClass, parent, left, top, width, height, id)) return false;
  if (!tooltip_.Text().empty()) tooltip_.Set(Handle(), tooltip_.Text());
  Repaint();
  return Handle() != nullptr;
}

HWND TCustomStatusText::FocusControl() const {
  return focusControl_ && IsWindow(focusControl_) ? focusControl_ : nullptr;
}

void TCustomStatusText::SetShowAccelChar(bool value) {
  if (value != showAccelChar_) SetProperty(showAccelChar_, value);
}

void TCustomStatusText::SetAlignment(TAlignment value) {
  if (value != alignment_) SetProperty(alignment_, value);
}

void TCustomStatusText::SetAutoSize(bool value) {
  autoSize_ = value;
  if (value) Repaint();
}

UINT TCustomStatusText::TextFormat() const { return CaptionFormat(alignment_, showAccelChar_); }

bool TCustomStatusText::PaintEventAllows() {
  if (!OnPaint) return true;
  bool continuePainting = true;
  OnPaint(*this, continuePainting);
  return continuePainting;
}

bool TCustomStatusText::FitSize() {
  if (!autoSize_ || !Handle()) return false;
  const SIZE text = MeasureText(TextFormat());
  return ResizeClient(SIZE{text.cx + 2, text.cy + 2});
}

void TCustomStatusText::Repaint() {
  const auto alive = AliveToken();
  if (!PaintEventAllows() || !*alive) return;
  if (!Handle()) return;
  const RECT before = PlaceInParent();
  if (FitSize()) {
    // The resize leaves the parent to paint what a longer text covered, and
    // that would wait until messages are handled, which long work does only
    // now and then: paint it now, and the new text with it.
    const RECT after = PlaceInParent();
    RECT both{};
    UnionRect(&both, &before, &after);
    RedrawWindow(GetParent(Handle()), &both, nullptr,
                 RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    return;
  }
  if (IsWindowVisible(Handle())) {
    WindowDC dc(Handle());
    PaintTo(dc.get());
  }
}

void TCustomStatusText::Draw(HDC dc, int w, int h) {
  const COLORREF brush = ResolveColor(color_);
  const COLORREF ink = ResolveColor(Font().color);

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

  SelectGuard font(dc, FontHandle());
  SetTextColor(dc, ink);
  SetBkColor(dc, brush);
  SetBkMode(dc, OPAQUE);
  UINT format = TextFormat();
  if (Handle() && (GetWindowLongPtrA(Handle(), GWL_EXSTYLE) & WS_EX_RTLREADING)) {
    format |= DT_RTLREADING;
  }
  RECT inside{1, 1, w - 1, h - 1};
  DrawProgramText(dc, Caption(), &inside, format);
}

void TCustomStatusText::Click() {
  if (Handle() && GetFocus() != Handle() && CanFocusWindow(Handle())) SetFocus(Handle());
  if (OnClick) OnClick();
}

bool TCustomStatusText::DialogChar(char character) {
  if (!Handle() || !Enabled() || !showAccelChar_ || mouseDown_ || keyDown_) return false;
  if (!IsAccelerator(character, Caption())) return false;
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

void TCustomStatusText::PointerEntered() {
  const auto alive = AliveToken();
  Repaint();
  if (*alive && OnMouseEnter) OnMouseEnter();
}

void TCustomStatusText::PointerLeft() {
  const auto alive = AliveToken();
  Repaint();
  if (*alive && OnMouseLeave) OnMouseLeave();
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
    case WM_SETFOCUS: Repaint(); return 0;
    case WM_KILLFOCUS:
      mouseDown_ = false;
      keyDown_ = false;
      Repaint();
      return 0;
    case WM_MOUSEMOVE:
      if (PointerMoved(lParam) && OnMouseMove) {
        OnMouseMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      }
      return 0;
    case WM_MOUSELEAVE: PointerGone(); return 0;
    case WM_KEYDOWN:
      if (wParam == VK_SPACE && GetFocus() == Handle() && !ModifierKeysHeld() && !mouseDown_ &&
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
      ClickPressed();
      if (!keyDown_) {
        mouseDown_ = true;
        Repaint();
      }
      if (*alive && message == WM_LBUTTONDBLCLK && OnDblClick) OnDblClick();
      return 0;
    case WM_CAPTURECHANGED:
      // The press lost the mouse before its release (our own release lets
      // the mouse go only after it has ended the press).
      if (ClickPending() && reinterpret_cast<HWND>(lParam) != Handle() && mouseDown_) {
        mouseDown_ = false;
        Repaint();
        if (!*alive) return 0;
      }
      break;
    case WM_LBUTTONUP:
      if (ClickReleased(lParam)) {
        Click();
        if (!*alive || !Handle()) return 0;
      }
      if (mouseDown_) {
        mouseDown_ = false;
        Repaint();
      }
      return 0;
  }
  return TTextControl::HandleMessage(message, wParam, lParam);
}

}  // namespace veltrane
