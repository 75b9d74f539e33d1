// TGradientButton: a push button drawn entirely by the program. A vertical
// gradient face, a one-pixel border, an optional inner light and dark edge,
// an optional glyph beside the caption and a focus rectangle, each with its
// own colours for the states normal, over (pointer on it), down (pressed)
// and disabled. Named schemes set all colours at once.
//
//   TGradientButton button;                       // csNeoDesert, 75 x 25
//   button.SetColorScheme(TColorScheme::csNeoSilver);
//   button.SetGlyph(bitmap.get());                // copied
//   button.SetHint("scan registry");
//   button.OnClick = [this] { GradientButton1Click(); };
//   button.Create(panel.Handle(), 8, 96, 33, 30);
//
// A button without a caption has its hint as its window text, which is not
// drawn: a screen reader names the button by it (a push button, as the
// system's Button would be).
//
// Properties may be set before or after Create. Enter, Escape and
// accelerators need the message loop to call TranslateControlKeys (see
// window.h); Space, Enter on the focused button, mouse and hover work by
// themselves. A click sets the top-level window's ModalResult when the
// button's is not 0, then runs OnClick.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <oleacc.h>

#include <functional>
#include <string>

#include "controls/color_schemes.h"
#include "controls/control.h"
#include "controls/handles.h"
#include "controls/layout.h"
#include "controls/paint.h"
#include "controls/tooltip.h"

namespace veltrane {

enum class ButtonState { normal, over, down };

class TGradientButton : public TTextControl {
 public:
  static constexpr const char* kClassName = "VeltraneGradientButton";

  TGradientButton();
  ~TGradientButton() override;

  // Makes the window: a visible child of `parent`, a tab stop unless
  // SetTabStop(false) came first. The font is the parent's (WM_GETFONT)
  // unless SetFont came first.
  bool Create(HWND parent, int left, int top, int width = 75, int height = 25, int id = 0);

  // The 25 colours by number (ButtonColorIndex). Setting one makes the
  // scheme csCustom.
  Color GetColor(int index) const;
  void SetColor(int index, Color color);
  const ButtonColors& Colors() const noexcept { return colors_; }

  TColorScheme ColorScheme() const noexcept { return scheme_; }
  // A scheme other than csCustom writes its colours and its Gradient.
  void SetColorScheme(TColorScheme scheme);

  bool Ctl3D() const noexcept { return ctl3d_; }
  void SetCtl3D(bool value) { SetProperty(ctl3d_, value); }
  TButtonLayout Layout() const noexcept { return layout_; }
  void SetLayout(TButtonLayout value) { SetProperty(layout_, value); }
  // The button keeps a copy; null clears the glyph.
  void SetGlyph(HBITMAP glyph);
  HBITMAP Glyph() const noexcept { return glyph_.get(); }
  int Spacing() const noexcept { return spacing_; }
  void SetSpacing(int value) { SetProperty(spacing_, value); }
  bool TransparentGlyph() const noexcept { return transparentGlyph_; }
  void SetTransparentGlyph(bool value) { SetProperty(transparentGlyph_, value); }
  bool Gradient() const noexcept { return gradient_; }
  void SetGradient(bool value) { SetProperty(gradient_, value); }
  bool HotTrack() const noexcept { return hotTrack_; }
  void SetHotTrack(bool value) { hotTrack_ = value; }
  bool Cancel() const noexcept { return cancel_; }
  void SetCancel(bool value) { cancel_ = value; }
  bool Default() const noexcept { return default_; }
  void SetDefault(bool value) { default_ = value; }
  int ModalResult() const noexcept { return modalResult_; }
  void SetModalResult(int value) { modalResult_ = value; }

  const std::string& Hint() const noexcept { return tooltip_.Text(); }
  void SetHint(const std::string& hint);
  HWND HintWindow() const noexcept { return tooltip_.Handle(); }

  // Run-time state.
  ButtonState State() const noexcept { return state_; }
  bool Pressed() const noexcept { return pressed_; }
  bool Focused() const noexcept { return focused_; }

  std::function<void()> OnClick;
  std::function<void()> OnMouseEnter;
  std::function<void()> OnMouseLeave;

  // Clicks the button as the user would (modal result, state, OnClick).
  void Click();

  bool DialogKey(WPARAM key, bool modifiers) override;
  bool DialogChar(char character) override;

 protected:
  void Draw(HDC dc, int width, int height) override;
  void Changed(Change change) override;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void PointerEntered() override;
  void PointerLeft() override;
  AccessibleKind Accessible() const override { return {L"Button", ROLE_SYSTEM_PUSHBUTTON}; }
  std::string WindowText() const override { return Caption().empty() ? Hint() : Caption(); }

 private:
  void Repaint();
  void SetState(ButtonState state) { SetProperty(state_, state); }
  void ButtonReleased(UINT message, int x, int y);

  ButtonColors colors_;
  TColorScheme scheme_ = TColorScheme::csNeoDesert;
  bool ctl3d_ = true;
  TButtonLayout layout_ = TButtonLayout::blGlyphLeft;
  UniqueBitmap glyph_;
  int spacing_ = 4;
  bool transparentGlyph_ = true;
  bool gradient_ = true;
  bool hotTrack_ = true;
  bool cancel_ = false;
  bool default_ = false;
  int modalResult_ = 0;
  Tooltip tooltip_;

  ButtonState state_ = ButtonState::normal;
  bool pressed_ = false;
  bool focused_ = false;
  bool clickPending_ = false;      // the left button went down here
  bool releasingCapture_ = false;  // our own ReleaseCapture, not a loss
};

}  // namespace veltrane
