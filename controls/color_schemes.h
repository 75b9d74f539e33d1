// The named colour schemes of the gradient button, panel and progress bar,
// and what applying one does to a control's colours. Portable.
#pragma once

#include <array>

#include "controls/color.h"

namespace veltrane {

// ---- Gradient button ------------------------------------------------------

enum class TColorScheme {
  csNeoDesert,
  csNeoSky,
  csNeoGrass,
  csNeoSilver,
  csNeoRose,
  csNeoSun,
  csDesert,
  csGrass,
  csSky,
  csSun,
  csRose,
  csSilver,
  csCustom,
};

// The 25 colour properties of a button, by number: four sets of six (normal,
// over, down, disabled), each Face, Grad, Dark, Light, Border, Text, then
// the focus rectangle.
enum ButtonColorIndex : int {
  kColorFace = 0,
  kColorGrad = 1,
  kColorDark = 2,
  kColorLight = 3,
  kColorBorder = 4,
  kColorText = 5,
  kOverColorFace = 6,
  kOverColorGrad = 7,
  kOverColorDark = 8,
  kOverColorLight = 9,
  kOverColorBorder = 10,
  kOverColorText = 11,
  kDownColorFace = 12,
  kDownColorGrad = 13,
  kDownColorDark = 14,
  kDownColorLight = 15,
  kDownColorBorder = 16,
  kDownColorText = 17,
  kDisabledColorFace = 18,
  kDisabledColorGrad = 19,
  kDisabledColorDark = 20,
  kDisabledColorLight = 21,
  kDisabledColorBorder = 22,
  kDisabledColorText = 23,
  kColorFocusRect = 24,
  kButtonColorCount = 25,
};

using ButtonColors = std::array<Color, kButtonColorCount>;

// The four colour sets, by the first index of each.
enum class ButtonColorSet : int { normal = 0, over = 6, down = 12, disabled = 18 };

struct ButtonStateColors {
  Color face, grad, dark, light, border, text;
};

ButtonStateColors ColorsOfSet(const ButtonColors& colors, ButtonColorSet set);

// Writes the scheme's colours and its gradient switch. A Neo scheme sets all
// 25 colours and turns the gradient on; a flat scheme turns it off and keeps
// the four gradient colours; csCustom changes nothing.
void ApplyButtonScheme(TColorScheme scheme, ButtonColors& colors, bool& gradient);

// ---- Gradient panel -------------------------------------------------------

enum class TPanelColorScheme { csCustom, csDesert, csGrass, csSilver, csSky, csRose, csSun };

struct PanelColors {
  Color face, grad, light, dark;
};

// The panel's four colours numbered for their shared setter.
enum PanelColorIndex : int {
  kPanelColorFace = 0,
  kPanelColorGrad,
  kPanelColorLight,
  kPanelColorDark
};

// The colour numbered `index`; null for a number that names none.
Color PanelColors::*PanelColorMember(int index);

// Writes a scheme's colours (face white); csCustom changes nothing.
void ApplyPanelScheme(TPanelColorScheme scheme, PanelColors& colors);

// ---- Gradient progress bar ------------------------------------------------

enum class TProgressColorScheme {
  csCustom,
  csDesert,
  csGrass,
  csSilver,
  csSky,
  csRose,
  csSun,
  csHackers,
  csNight,
  csVelvet,
  csMetal,
  csViolet,
  csToxic,
};

struct ProgressColors {
  Color border, backFace, backGrad, foreFace, foreGrad;
};

// The bar's colour properties are numbered 0, 10, 11, 20 and 21.
enum ProgressColorIndex : int {
  kProgressColorBorder = 0,
  kProgressBackColorFace = 10,
  kProgressBackColorGrad = 11,
  kProgressForeColorFace = 20,
  kProgressForeColorGrad = 21,
};

// The colour numbered `index`; null for a number that names none.
Color ProgressColors::*ProgressColorMember(int index);

// Writes all five colours of a scheme; csCustom changes nothing.
void ApplyProgressScheme(TProgressColorScheme scheme, ProgressColors& colors);

}  // namespace veltrane

namespace veltrane {

// A new button's colours: csNeoDesert, then white for the over, down and
// disabled gradient ends (so its scheme still reads csNeoDesert).
ButtonColors InitialButtonColors();

}  // namespace veltrane
