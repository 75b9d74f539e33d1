// TGradientProgressBar: a progress bar drawn with a gradient background and
// a gradient fill in a one-pixel frame, horizontal (filling left to right)
// or vertical (bottom to top). Nothing is drawn while it is hidden.
//
//   TGradientProgressBar pb;                   // csDesert, 0..100, 200 x 16
//   pb.SetColorScheme(TProgressColorScheme::csGrass);
//   pb.Create(panel.Handle(), 504, 0, 187, 25);
//   pb.SetVisible(false);
//   pb.SetPosition(37);
#pragma once

#include <windows.h>

#include "controls/color_schemes.h"
#include "controls/control.h"

namespace veltrane {

enum class TProgressBarOrientation { pbHorizontal, pbVertical };

class TGradientProgressBar : public TControl {
 public:
  using TColorScheme = TProgressColorScheme;
  static constexpr const char* kClassName = "VeltraneGradientProgressBar";

  TGradientProgressBar();
  ~TGradientProgressBar() override;

  bool Create(HWND parent, int left, int top, int width = 200, int height = 16, int id = 0);

  // Colours by number: 0 border, 10 and 11 background start and end, 20 and
  // 21 fill start and end (ProgressColorIndex). Setting one makes the scheme
  // csCustom.
  Color GetColor(int index) const;
  void SetColor(int index, Color color);
  const ProgressColors& Colors() const noexcept { return colors_; }
  TProgressColorScheme ColorScheme() const noexcept { return scheme_; }
  void SetColorScheme(TProgressColorScheme scheme);

  // Position takes any value not below Min (none above Max is refused: the
  // fill then runs past the frame); Min any value not above Max; Max any
  // value not below Min. A refused value is ignored.
  int Max() const noexcept { return max_; }
  void SetMax(int value);
  int Min() const noexcept { return min_; }
  void SetMin(int value);
  int Position() const noexcept { return position_; }
  void SetPosition(int value);
  // Stored only.
  int Step() const noexcept { return step_; }
  void SetStep(int value) { SetProperty(step_, value); }
  TProgressBarOrientation Orientation() const noexcept { return orientation_; }
  void SetOrientation(TProgressBarOrientation value) { SetProperty(orientation_, value); }

  // Draws the bar into `dc` at (0, 0); draws nothing while hidden.
  void PaintTo(HDC dc) override;

 protected:
  void Draw(HDC dc, int width, int height) override;
  void Changed(Change change) override;

 private:
  void Repaint();

  ProgressColors colors_{};
  TProgressColorScheme scheme_ = TProgressColorScheme::csDesert;
  int max_ = 100, min_ = 0, position_ = 0, step_ = 10;
  TProgressBarOrientation orientation_ = TProgressBarOrientation::pbHorizontal;
};

}  // namespace veltrane
