// TCustomStatusText / TStatusText: a static text control that draws its
// caption itself and, by default, sizes itself to the caption (text width +
// 2 by text height + 2, keeping its left and top). It can take the focus
// (then, with DrawFocusRect, a dotted frame in the font colour shows), and
// its accelerator character focuses FocusControl or clicks it.
//
//   TStatusText st;                             // 65 x 17, AutoSize on
//   st.SetColor(14344414);
//   st.Create(panel2.Handle(), 48, 3, 137, 18);
//   st.SetCaption("Ready");                     // resizes at once
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "controls/layout.h"
#include "controls/paint.h"
#include "controls/tooltip.h"
#include "controls/window.h"

namespace veltrane {

class TCustomStatusText : public Window {
 public:
  // Called first on every repaint; clearing `continuePainting` makes the
  // control draw (and size) nothing itself for that repaint.
  using TStatusPaintEvent = std::function<void(TCustomStatusText& sender, bool& continuePainting)>;
  static constexpr const char* kClassName = "VeltraneStatusText";

  TCustomStatusText();
  ~TCustomStatusText() override;

  bool Create(HWND parent, int left, int top, int width = 65, int height = 17, int id = 0);

  TStatusPaintEvent OnPaint;
  bool DrawFocusRect() const noexcept { return drawFocusRect_; }
  void SetDrawFocusRect(bool value);
  // Stored only.
  const std::string& CustomProperty() const noexcept { return customProperty_; }
  void SetCustomProperty(const std::string& value) { customProperty_ = value; }
  // The control the accelerator focuses; reads null once that window is gone.
  HWND FocusControl() const;
  void SetFocusControl(HWND control) { focusControl_ = control; }
  bool ShowAccelChar() const noexcept { return showAccelChar_; }
  void SetShowAccelChar(bool value);
  TAlignment Alignment() const noexcept { return alignment_; }
  void SetAlignment(TAlignment value);
  bool AutoSize() const noexcept { return autoSize_; }
  void SetAutoSize(bool value);

  const std::string& Caption() const noexcept { return caption_; }
  void SetCaption(const std::string& caption);
  // Background (brush) colour; clBtnFace at first.
  Color BackgroundColor() const noexcept { return color_; }
  void SetColor(Color color);
  const FontDesc& Font() const noexcept { return font_.Desc(); }
  void SetFont(const FontDesc& font);
  bool Enabled() const;
  void SetEnabled(bool enabled);
  bool TabStop() const noexcept { return tabStop_; }
  void SetTabStop(bool value);
  const std::string& Hint() const noexcept { return tooltip_.Text(); }
  void SetHint(const std::string& hint) { tooltip_.Set(Handle(), hint); }
  void SetVisible(bool visible);

  std::function<void()> OnClick;
  std::function<void()> OnDblClick;
  std::function<void(int x, int y)> OnMouseMove;
  std::function<void()> OnMouseEnter;
  std::function<void()> OnMouseLeave;

  // Run-time state.
  bool MouseDownFlag() const noexcept { return mouseDown_; }
  bool KeyDownFlag() const noexcept { return keyDown_; }

  // OnPaint, then (with AutoSize) fit the size, then draw on the window.
  void Repaint();
  // The click: the control takes the focus, then OnClick runs.
  void Click();
  // Draws the control as it looks now into `dc` at (0, 0).
  void PaintTo(HDC dc);

  bool DialogChar(char character) override;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  // The steps of a repaint: true when drawing should go on.
  bool PaintEventAllows();
  // Fits the size to the caption; true when the control was resized.
  bool FitSize();
  UINT TextFormat() const;
  void MouseMoved(int x, int y);

  bool drawFocusRect_ = true;
  std::string customProperty_;
  HWND focusControl_ = nullptr;
  bool showAccelChar_ = true;
  TAlignment alignment_ = TAlignment::taLeftJustify;
  bool autoSize_ = true;
  std::string caption_;
  Color color_ = kClBtnFace;
  ControlFont font_;
  bool enabled_ = true;
  bool tabStop_ = false;
  bool visible_ = true;
  Tooltip tooltip_;
  int width_ = 65, height_ = 17;

  bool mouseDown_ = false;
  bool keyDown_ = false;
  bool pointerInside_ = false;
  bool clickPending_ = false;
};

class TStatusText final : public TCustomStatusText {};

}  // namespace veltrane
