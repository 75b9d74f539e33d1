// The gradient fill shared by the gradient controls, as pure arithmetic: it
// says which lines to draw in which colour, the caller draws them with a
// one-pixel pen (GDI's LineTo leaves out the end point).
#pragma once

#include "controls/color.h"

namespace veltrane {

enum class TFillDirection { fdHorizontal, fdVertical, fdDiagonal };

// Number of colour steps over the rectangle: n + 1 lines are drawn.
constexpr int GradientExtent(int left, int top, int right, int bottom, TFillDirection direction) {
  switch (direction) {
    case TFillDirection::fdHorizontal: return right - left;
    case TFillDirection::fdVertical: return bottom - top;
    case TFillDirection::fdDiagonal: return (bottom - top) + (right - left);
  }
  return 0;
}

// Calls draw(x0, y0, x1, y1, colour) for lines i = 0 .. n. The running
// channels are doubles advanced by a fixed step after each line and rounded
// half to even per line. Line i starts at i, not at left or top, and the far
// end adds right or bottom to the near one: horizontal (i, top)-(i, top +
// bottom), vertical (left, i)-(left + right, i), diagonal (i, top)-(left, i).
// An extent of 0 draws its single line in the start colour.
template <typename Draw>
void ForEachGradientLine(int left, int top, int right, int bottom, TFillDirection direction,
                         Color from, Color to, Draw&& draw) {
  const int n = GradientExtent(left, top, right, bottom, direction);
  double red = RedOf(from), green = GreenOf(from), blue = BlueOf(from);
  double redStep = 0, greenStep = 0, blueStep = 0;
  if (n != 0) {
    redStep = static_cast<double>(RedOf(to) - RedOf(from)) / n;
    greenStep = static_cast<double>(GreenOf(to) - GreenOf(from)) / n;
    blueStep = static_cast<double>(BlueOf(to) - BlueOf(from)) / n;
  }
  for (int i = 0; i <= n; ++i) {
    const Color colour = MakeColor(ChannelOf(red), ChannelOf(green), ChannelOf(blue));
    switch (direction) {
      case TFillDirection::fdHorizontal: draw(i, top, i, top + bottom, colour); break;
      case TFillDirection::fdVertical: draw(left, i, left + right, i, colour); break;
      case TFillDirection::fdDiagonal: draw(i, top, left, i, colour); break;
    }
    red += redStep;
    green += greenStep;
    blue += blueStep;
  }
}

}  // namespace veltrane
