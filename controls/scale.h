// Display scale: the program's geometry, fonts and lines are given for a
// display of 96 dots per inch (100%) and scaled by dpi / 96 for the
// display the window is on. Portable arithmetic; at 96 dpi every value
// comes back unchanged.
#pragma once

namespace veltrane {

inline constexpr int kDefaultDpi = 96;

// value * dpi / 96, rounded to the nearest pixel, halves away from zero
// (as MulDiv rounds): 13 becomes 20 at 144 dpi.
int ScaleForDpi(int value, int dpi);

// The 96-dpi value that ScaleForDpi makes `value` of, for a display of at
// least 96 dpi (a font height read back from a scaled font, say).
int UnscaleForDpi(int value, int dpi);

// How many pixels a line one pixel thick at 96 dpi is drawn with: whole
// pixels only, so that lines stay sharp (1 up to 191 dpi, 2 from 192).
int LineWidthForDpi(int dpi);

// The scale, in per cent, of the pictures made for a display of `dpi`:
// the nearest of 100, 125, 150, 175 and 200, the lower one on a tie.
int PictureScaleForDpi(int dpi);

}  // namespace veltrane
