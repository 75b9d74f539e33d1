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
#include "controls/control.h"
#include "controls/gradient.h"
#include "controls/handles.h"
#include "controls/layout.h"

namespace veltrane {

class TGradientPanel : public TTextControl {
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
  void SetFillDirection(TFillDirection direction) { SetProperty(direction_, direction); }

  TAlignment Alignment() const noexcept { return alignment_; }
  void SetAlignment(TAlignment alignment) { SetProperty(alignment_, alignment); }
  TPanelBevel BevelOuter() const noexcept { return bevelOuter_; }
  void SetBevelOuter(TPanelBevel bevel) { SetProperty(bevelOuter_, bevel); }
  TPanelBevel BevelInner() const noexcept { return bevelInner_; }
  void SetBevelInner(TPanelBevel bevel) { SetProperty(bevelInner_, bevel); }
  int BevelWidth() const noexcept { return bevelWidth_; }
  void SetBevelWidth(int width) { SetProperty(bevelWidth_, width < 1 ? 1 : width); }

  // Draws the panel's face (gradient, caption, bevels; not the children)
  // into `dc` at (0, 0), from the face kept since the last change.
  void PaintTo(HDC dc) override;

 protected:
  void Draw(HDC dc, int width, int height) override;
  void Changed(Change change) override;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void Repaint();
  const OffscreenBitmap* Face();

  PanelColors colors_{};
  TPanelColorScheme scheme_ = TPanelColorScheme::csCustom;
  TFillDirection direction_ = TFillDirection::fdVertical;
  TAlignment alignment_ = TAlignment::taCenter;
  TPanelBevel bevelOuter_ = TPanelBevel::bvRaised;
  TPanelBevel bevelInner_ = TPanelBevel::bvNone;
  int bevelWidth_ = 1;
  // The face as last drawn; dropped by every change.
  std::unique_ptr<OffscreenBitmap> face_;
};

}  // namespace veltrane
