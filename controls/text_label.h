// TTextLabel: a one-line text label that sizes itself to its caption and,
// by default, lets its parent show through (over a gradient panel it asks
// the panel to paint its face first, via WM_PRINTCLIENT). Optional hand
// cursor; click, mouse-move, enter and leave callbacks, for labels that act
// as commands or links.
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

#include <functional>
#include <string>

#include "controls/layout.h"
#include "controls/paint.h"
#include "controls/window.h"

namespace veltrane {

class TTextLabel : public Window {
 public:
  static constexpr const char* kClassName = "VeltraneTextLabel";

  TTextLabel();
  ~TTextLabel() override;

  // With AutoSize on (the default) the size follows the caption and font;
  // otherwise it is width by height.
  bool Create(HWND parent, int left, int top, const std::string& caption, int width = 0,
              int height = 0, int id = 0);

  const std::string& Caption() const noexcept { return caption_; }
  void SetCaption(const std::string& caption);
  const FontDesc& Font() const noexcept { return font_.Desc(); }
  // No repaint or resize when nothing changes, so hover handlers may set the
  // same font on every mouse move.
  void SetFont(const FontDesc& font);
  // The font colour alone.
  void SetTextColor(Color color);
  bool Transparent() const noexcept { return transparent_; }
  void SetTransparent(bool value);
  // Background when not transparent; clBtnFace at first.
  Color BackgroundColor() const noexcept { return color_; }
  void SetColor(Color color);
  bool HandCursor() const noexcept { return handCursor_; }
  void SetHandCursor(bool value) { handCursor_ = value; }
  bool AutoSize() const noexcept { return autoSize_; }
  void SetAutoSize(bool value);
  bool ShowAccelChar() const noexcept { return showAccelChar_; }
  void SetShowAccelChar(bool value);
  TAlignment Alignment() const noexcept { return alignment_; }
  void SetAlignment(TAlignment value);
  bool Enabled() const;
  void SetEnabled(bool enabled);
  void SetVisible(bool visible);

  std::function<void()> OnClick;
  std::function<void(int x, int y)> OnMouseMove;
  std::function<void()> OnMouseEnter;
  std::function<void()> OnMouseLeave;

  bool PointerInside() const noexcept { return pointerInside_; }

  // Draws the label, with its parent's face under it when transparent, into
  // `dc` at (0, 0).
  void PaintTo(HDC dc);

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void Changed();
  void FitSize();
  UINT TextFormat() const;

  std::string caption_;
  ControlFont font_;
  bool transparent_ = true;
  Color color_ = kClBtnFace;
  bool handCursor_ = false;
  bool autoSize_ = true;
  bool showAccelChar_ = true;
  TAlignment alignment_ = TAlignment::taLeftJustify;
  bool enabled_ = true;
  bool visible_ = true;
  int width_ = 0, height_ = 0;

  bool pointerInside_ = false;
  bool clickPending_ = false;
};

}  // namespace veltrane
