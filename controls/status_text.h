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
// After windows.h, which it needs.
#include <oleacc.h>

#include <functional>
#include <string>

#include "controls/control.h"
#include "controls/layout.h"
#include "controls/tooltip.h"

namespace veltrane {

class TCustomStatusText : public TTextControl {
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
  void SetDrawFocusRect(bool value) { SetProperty(drawFocusRect_, value); }
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

  // Background (brush) colour; clBtnFace at first.
  Color BackgroundColor() const noexcept { return color_; }
  void SetColor(Color color) { SetProperty(color_, color); }
  const std::string& Hint() const noexcept { return tooltip_.Text(); }
  void SetHint(const std::string& hint) { tooltip_.Set(Handle(), hint); }

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

  bool DialogChar(char character) override;

 protected:
  void PointerEntered() override;
  void PointerLeft() override;
  void Draw(HDC dc, int width, int height) override;
  COLORREF EraseColor() const override { return ResolveColor(color_); }
  void Changed(Change) override { Repaint(); }
  AccessibleKind Accessible() const override { return {L"Static", ROLE_SYSTEM_STATICTEXT}; }
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  // The steps of a repaint: true when drawing should go on.
  bool PaintEventAllows();
  // Fits the size to the caption; true when the control was resized.
  bool FitSize();
  UINT TextFormat() const;

  bool drawFocusRect_ = true;
  std::string customProperty_;
  HWND focusControl_ = nullptr;
  bool showAccelChar_ = true;
  TAlignment alignment_ = TAlignment::taLeftJustify;
  bool autoSize_ = true;
  Color color_ = kClBtnFace;
  Tooltip tooltip_;

  bool mouseDown_ = false;
  bool keyDown_ = false;
};

class TStatusText final : public TCustomStatusText {};

}  // namespace veltrane
