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
// Properties may be set before or after Create. Enter, Escape and
// accelerators need the message loop to call TranslateControlKeys (see
// window.h); Space, Enter on the focused button, mouse and hover work by
// themselves. A click sets the top-level window's ModalResult when the
// button's is not 0, then runs OnClick.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "controls/color_schemes.h"
#include "controls/handles.h"
#include "controls/layout.h"
#include "controls/paint.h"
#include "controls/tooltip.h"
#include "controls/window.h"

namespace veltrane {

enum class ButtonState { normal, over, down };

class TGradientButton : public Window {
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
  void SetCtl3D(bool value);
  TButtonLayout Layout() const noexcept { return layout_; }
  void SetLayout(TButtonLayout value);
  // The button keeps a copy; null clears the glyph.
  void SetGlyph(HBITMAP glyph);
  HBITMAP Glyph() const noexcept { return glyph_.get(); }
  int Spacing() const noexcept { return spacing_; }
  void SetSpacing(int value);
  bool TransparentGlyph() const noexcept { return transparentGlyph_; }
  void SetTransparentGlyph(bool value);
  bool Gradient() const noexcept { return gradient_; }
  void SetGradient(bool value);
  bool HotTrack() const noexcept { return hotTrack_; }
  void SetHotTrack(bool value) { hotTrack_ = value; }
  bool Cancel() const noexcept { return cancel_; }
  void SetCancel(bool value) { cancel_ = value; }
  bool Default() const noexcept { return default_; }
  void SetDefault(bool value) { default_ = value; }
  int ModalResult() const noexcept { return modalResult_; }
  void SetModalResult(int value) { modalResult_ = value; }

  const std::string& Caption() const noexcept { return caption_; }
  void SetCaption(const std::string& caption);
  const FontDesc& Font() const noexcept { return font_.Desc(); }
  void SetFont(const FontDesc& font);
  bool Enabled() const;
  void SetEnabled(bool enabled);
  bool TabStop() const noexcept { return tabStop_; }
  void SetTabStop(bool value);
  const std::string& Hint() const noexcept { return tooltip_.Text(); }
  void SetHint(const std::string& hint);
  HWND HintWindow() const noexcept { return tooltip_.Handle(); }
  void SetVisible(bool visible);

  // Run-time state.
  ButtonState State() const noexcept { return state_; }
  bool Pressed() const noexcept { return pressed_; }
  bool Focused() const noexcept { return focused_; }

  std::function<void()> OnClick;
  std::function<void()> OnMouseEnter;
  std::function<void()> OnMouseLeave;

  // Clicks the button as the user would (modal result, state, OnClick).
  void Click();
  // Draws the button as it looks now into `dc` at (0, 0), through an
  // off-screen bitmap (WM_PAINT and WM_PRINTCLIENT come here).
  void PaintTo(HDC dc);

  bool DialogKey(WPARAM key, bool modifiers) override;
  bool DialogChar(char character) override;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void Repaint();
  void SetState(ButtonState state);
  void PointerEntered();
  void PointerLeft();
  void MouseMoved(int x, int y);
  void ButtonReleased(UINT message, int x, int y);
  SIZE ClientSize() const;

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
  std::string caption_;
  ControlFont font_;
  bool enabled_ = true;
  bool tabStop_ = true;
  bool visible_ = true;
  Tooltip tooltip_;
  int width_ = 75, height_ = 25;

  ButtonState state_ = ButtonState::normal;
  bool pressed_ = false;
  bool focused_ = false;
  bool pointerInside_ = false;
  bool clickPending_ = false;      // the left button went down here
  bool releasingCapture_ = false;  // our own ReleaseCapture, not a loss
};

}  // namespace veltrane
