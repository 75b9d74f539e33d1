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

TGradientButton::TGradientButton() : TTextControl(75, 25), colors_(InitialButtonColors()) {
  SetTabStop(true);
}

TGradientButton::~TGradientButton() = default;

bool TGradientButton::Create(HWND parent, int left, int top, int width, int height, int id) {
  static const ATOM windowClass = RegisterWindowClass(kClassName, 0);
  if (!CreateControl(windowClass, parent, left, top, width, height, id)) return false;
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

void TGradientButton::SetGlyph(HBITMAP glyph) {
  glyph_.reset();
  if (glyph) {
    glyph_.reset(static_cast<HBITMAP>(CopyImage(glyph, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  }
  Repaint();
}

void TGradientButton::SetHint(const std::string& hint) {
  tooltip_.Set(Handle(), hint);
  if (Caption().empty()) ShowWindowText();
}

void TGradientButton::Repaint() {
  if (Handle()) InvalidateRect(Handle(), nullptr, FALSE);
}

void TGradientButton::Changed(Change change) {
  if (change != Change::quietFont) Repaint();
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
  if (hotTrack_) SetState(pressed_ ? ButtonState::down : ButtonState::over);
  if (OnMouseEnter) OnMouseEnter();
}

void TGradientButton::PointerLeft() {
  SetState(ButtonState::normal);
  if (OnMouseLeave) OnMouseLeave();
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
  bool pointerGone = false;
  // The click comes before the release's own state change, so a hot-tracking
  // button ends in the over state.
  if (click && x >= 0 && y >= 0 && x < size.cx && y < size.cy) {
    const DWORD pointerBefore = GetMessagePos();
    Click();
    if (!*alive || !Handle()) return;
    // The handler handled messages meanwhile (a modal window, say): the
    // release's position is stale, the pointer may be anywhere now.
    if (GetMessagePos() != pointerBefore) {
      POINT now{};
      pointerGone = !PointerNow(&now);
      x = pointerGone ? -1 : now.x;
      y = pointerGone ? -1 : now.y;
    }
  }
  pressed_ = false;
  if (x > 0 && x < size.cx && y > 0 && y < size.cy) {
    SetState(hotTrack_ ? ButtonState::over : ButtonState::normal);
  } else if (pointerGone) {
    // No leave may come for a pointer that went while another window had
    // it: stop following it here, so its next entry shows the hover again.
    PointerGone();
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
  if (!IsAccelerator(character, Caption())) return false;
  Click();
  return true;
}

void TGradientButton::Draw(HDC dc, int w, int h) {
  const ButtonStateColors c =
      ColorsOfSet(colors_, Enabled() ? SetOfState(state_) : ButtonColorSet::disabled);
  FillArea(dc, 0, 0, w, h, c.face);
  if (gradient_) DrawGradient(dc, 0, 0, w, h, TFillDirection::fdVertical, c.face, c.grad);

  const std::string& caption = Caption();
  SelectGuard font(dc, FontHandle());
  const SIZE text = ProgramTextExtent(dc, caption);
  const SIZE glyph = BitmapSize(glyph_.get());
  ButtonContent content;
  content.width = w;
  content.height = h;
  content.textWidth = text.cx;
  content.textHeight = text.cy;
  content.glyphWidth = glyph.cx;
  content.glyphHeight = glyph.cy;
  content.spacing = ScaleForDpi(spacing_, Dpi());
  content.layout = layout_;
  content.hasCaption = !caption.empty();
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
  if (!caption.empty()) {
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ResolveColor(c.text));
    RECT r{place.textLeft, place.textTop, place.textLeft + text.cx, place.textTop + text.cy};
    DrawProgramText(dc, caption, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP);
  }

  // Border, inner edge and focus rectangle are one pixel at 96 dpi: lines
  // of whole pixels, nested, at other scales.
  const int line = LineWidthForDpi(Dpi());
  for (int k = 0; k < line; ++k) DrawOutline(dc, k, k, w - 1 - k, h - 1 - k, c.border);
  if (ctl3d_) {
    SelectGuard pen(dc, GetStockObject(DC_PEN));
    for (int o = line; o < 2 * line; ++o) {
      SetDCPenColor(dc, ResolveColor(c.light));
      MoveToEx(dc, o, h - 1 - o, nullptr);
      LineTo(dc, o, o);
      LineTo(dc, w - o, o);
      SetDCPenColor(dc, ResolveColor(c.dark));
      MoveToEx(dc, w - 1 - o, o, nullptr);
      LineTo(dc, w - 1 - o, h - 1 - o);
      LineTo(dc, o, h - 1 - o);
    }
  }
  if (focused_) {
    const int inset = ScaleForDpi(3, Dpi());
    for (int k = inset; k < inset + line; ++k) {
      DrawOutline(dc, k, k, w - 1 - k, h - 1 - k, colors_[kColorFocusRect]);
    }
  }
}

LRESULT TGradientButton::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE: Repaint(); break;
    case WM_GETDLGCODE: return DLGC_BUTTON;
    case WM_MOUSEMOVE: PointerMoved(lParam); return 0;
    case WM_MOUSELEAVE: PointerGone(); return 0;
    case WM_LBUTTONDOWN:
      pressed_ = true;
      clickPending_ = true;
      SetState(ButtonState::down);
      if (TabStop() && GetFocus() != Handle()) SetFocus(Handle());
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
  return TTextControl::HandleMessage(message, wParam, lParam);
}

}  // namespace veltrane
