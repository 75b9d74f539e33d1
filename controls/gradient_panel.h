// TGradientPanel: a container whose face is a colour gradient (horizontal,
// vertical or diagonal) framed by bevels in its own light and dark colours.
// Other controls are its children and paint over it: the panel clips them
// out (WS_CLIPCHILDREN), redraws them with itself, paints its face under
// standard children (WM_CTLCOLORSTATIC/BTN) and into any DC on
// WM_PRINTCLIENT (how transparent labels get their background). It passes
// WM_COMMAND, WM_NOTIFY, WM_DRAWITEM, WM_MEASUREITEM and scroll messages on
// to its own parent, so a window handles its controls' notifications
// whether they sit on a panel or not.
//
//   TGradientPanel panel;                       // csDesert, fdVertical
//   panel.SetColorScheme(TPanelColorScheme::csSilver);
//   panel.SetFillDirection(TFillDirection::fdDiagonal);
//   panel.SetBevelOuter(TPanelBevel::bvNone);
//   panel.Create(form.Handle(), 0, 0, 704, 322);
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "controls/color_schemes.h"
#include "controls/gradient.h"
#include "controls/handles.h"
#include "controls/layout.h"
#include "controls/paint.h"
#include "controls/window.h"

namespace veltrane {

class TGradientPanel : public Window {
 public:
  using TColorScheme = TPanelColorScheme;
  static constexpr const char* kClassName = "VeltraneGradientPanel";

  TGradientPanel();
  ~TGradientPanel() override;

  bool Create(HWND parent, int left, int top, int width, int height, int id = 0);

  // The four colours by number (PanelColorIndex): face, grad, light, dark.
  // Setting one makes the scheme csCustom.
  Color GetColor(int index) const;
  void SetColor(int index, Color color);
  Color ColorFace() const noexcept { return colors_.face; }
  Color ColorGrad() const noexcept { return colors_.grad; }
  Color ColorLight() const noexcept { return colors_.light; }
  Color ColorDark() const noexcept { return colors_.dark; }
  void SetColorFace(Color c) { SetColor(kPanelColorFace, c); }
  void SetColorGrad(Color c) { SetColor(kPanelColorGrad, c); }
  void SetColorLight(Color c) { SetColor(kPanelColorLight, c); }
  void SetColorDark(Color c) { SetColor(kPanelColorDark, c); }

  TPanelColorScheme ColorScheme() const noexcept { return scheme_; }
  void SetColorScheme(TPanelColorScheme scheme);
  TFillDirection FillDirection() const noexcept { return direction_; }
  void SetFillDirection(TFillDirection direction);

  const std::string& Caption() const noexcept { return caption_; }
  void SetCaption(const std::string& caption);
  TAlignment Alignment() const noexcept { return alignment_; }
  void SetAlignment(TAlignment alignment);
  TPanelBevel BevelOuter() const noexcept { return bevelOuter_; }
  void SetBevelOuter(TPanelBevel bevel);
  TPanelBevel BevelInner() const noexcept { return bevelInner_; }
  void SetBevelInner(TPanelBevel bevel);
  int BevelWidth() const noexcept { return bevelWidth_; }
  void SetBevelWidth(int width);
  const FontDesc& Font() const noexcept { return font_.Desc(); }
  void SetFont(const FontDesc& font);

  // Draws the panel's face (gradient, caption, bevels; not the children)
  // into `dc` at (0, 0).
  void PaintTo(HDC dc);

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void Repaint();
  const OffscreenBitmap* Face();
  SIZE ClientSize() const;

  PanelColors colors_{};
  TPanelColorScheme scheme_ = TPanelColorScheme::csCustom;
  TFillDirection direction_ = TFillDirection::fdVertical;
  std::string caption_;
  TAlignment alignment_ = TAlignment::taCenter;
  TPanelBevel bevelOuter_ = TPanelBevel::bvRaised;
  TPanelBevel bevelInner_ = TPanelBevel::bvNone;
  int bevelWidth_ = 1;
  ControlFont font_;
  int width_ = 0, height_ = 0;
  // The face as last drawn; dropped by every change.
  std::unique_ptr<OffscreenBitmap> face_;
};

}  // namespace veltrane
