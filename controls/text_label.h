// TTextLabel: a one-line text label that sizes itself to its caption and,
// by default, lets its parent show through (over a gradient panel it asks
// the panel to paint its face first, via WM_PRINTCLIENT). Optional hand
// cursor; click, mouse-move, enter and leave callbacks, for labels that act
// as commands or links. A screen reader meets a label with a click handler
// as a link (BM_CLICK clicks it, as it does a button), any other as text;
// both are named by their caption.
//
//   TTextLabel lscan;
//   lscan.SetFont({"Tahoma", 13, /*bold*/ true, false, /*underline*/ true});
//   lscan.SetHandCursor(true);
//   lscan.OnClick = [this] { lscanClick(); };
//   lscan.OnMouseMove = [this](int, int) { lscan.SetTextColor(MakeColor(0, 0, 255)); };
//   lscan.OnMouseLeave = [this] { lscan.SetTextColor(kBlack); };
//   lscan.Create(panel.Handle(), 64, 16, "scan registry");
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <oleacc.h>

#include <functional>
#include <string>

#include "controls/control.h"
#include "controls/layout.h"

namespace veltrane {

class TTextLabel : public TTextControl {
 public:
  static constexpr const char* kClassName = "VeltraneTextLabel";

  TTextLabel();
  ~TTextLabel() override;

  // With AutoSize on (the default) the size follows the caption and font;
  // otherwise it is width by height.
  bool Create(HWND parent, int left, int top, const std::string& caption, int width = 0,
              int height = 0, int id = 0);

  // No repaint or resize when nothing changes, so hover handlers may set the
  // same caption or font on every mouse move.
  void SetCaption(const std::string& caption);
  // The font colour alone.
  void SetTextColor(Color color);
  bool Transparent() const noexcept { return transparent_; }
  void SetTransparent(bool value) { SetProperty(transparent_, value); }
  // Background when not transparent; clBtnFace at first.
  Color BackgroundColor() const noexcept { return color_; }
  void SetColor(Color color) { SetProperty(color_, color); }
  bool HandCursor() const noexcept { return handCursor_; }
  void SetHandCursor(bool value) { handCursor_ = value; }
  bool AutoSize() const noexcept { return autoSize_; }
  void SetAutoSize(bool value) { SetProperty(autoSize_, value); }
  bool ShowAccelChar() const noexcept { return showAccelChar_; }
  void SetShowAccelChar(bool value) { SetProperty(showAccelChar_, value); }
  TAlignment Alignment() const noexcept { return alignment_; }
  void SetAlignment(TAlignment value) { SetProperty(alignment_, value); }

  std::function<void()> OnClick;
  std::function<void(int x, int y)> OnMouseMove;
  std::function<void()> OnMouseEnter;
  std::function<void()> OnMouseLeave;

 protected:
  void PointerEntered() override {
    if (OnMouseEnter) OnMouseEnter();
  }
  void PointerLeft() override {
    if (OnMouseLeave) OnMouseLeave();
  }
  // The label, with its parent's face under it when transparent.
  void Draw(HDC dc, int width, int height) override;
  COLORREF EraseColor() const override;
  void Changed(Change change) override;
  AccessibleKind Accessible() const override {
    if (OnClick) return {L"Button", ROLE_SYSTEM_LINK};
    return {L"Static", ROLE_SYSTEM_STATICTEXT};
  }
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void FitSize();
  UINT TextFormat() const;

  bool transparent_ = true;
  Color color_ = kClBtnFace;
  bool handCursor_ = false;
  bool autoSize_ = true;
  bool showAccelChar_ = true;
  TAlignment alignment_ = TAlignment::taLeftJustify;
};

}  // namespace veltrane
