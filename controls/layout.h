// Placement arithmetic of the gradient controls: where a button puts its
// glyph and caption, how much of a progress bar is filled, where a panel
// writes its caption and which frames make its bevels. Portable; "div" in
// the comments is integer division truncating toward zero, as C++'s.
#pragma once

#include "controls/color.h"

namespace veltrane {

// ---- Gradient button ------------------------------------------------------

enum class TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

struct ButtonContent {
  int width = 0, height = 0;            // the button
  int textWidth = 0, textHeight = 0;    // the caption as measured
  int glyphWidth = 0, glyphHeight = 0;  // 0 by 0 when there is no glyph
  int spacing = 4;
  TButtonLayout layout = TButtonLayout::blGlyphLeft;
  bool hasCaption = false;
  bool hasGlyph = false;
  bool down = false;  // pressed look: both move by (1, 1)
};

struct ButtonPlacement {
  int textLeft, textTop;
  int glyphLeft, glyphTop;  // meaningful when the button has a glyph
};

// The caption is centred; the glyph goes beside it by the layout, the pair
// kept centred, with `spacing` between them only when there is a caption.
ButtonPlacement PlaceButtonContent(const ButtonContent& content);

// ---- Gradient progress bar ------------------------------------------------

// Filled width of a horizontal bar whose client is `clientWidth` wide:
// round((clientWidth - 2) * (position - min) / (max - min)), the product in
// integers, the quotient in double precision, halves to even. With max equal
// to min the bar is empty at min and full above it.
int ProgressFillWidth(int clientWidth, int position, int min, int max);

// Top row of the filled part of a vertical bar:
// clientHeight - round((clientHeight - 2) * (position - min) / |max - min| + 1).
// With max equal to min: clientHeight - 1 at min, 1 above it.
int ProgressFillTop(int clientHeight, int position, int min, int max);

// ---- Gradient panel -------------------------------------------------------

enum class TAlignment { taLeftJustify, taRightJustify, taCenter };
enum class TPanelBevel { bvNone, bvLowered, bvRaised, bvSpace };

// Left of the caption. `bothBevels` is true when neither the inner nor the
// outer bevel is bvNone: the text then keeps clear of both.
int PanelCaptionLeft(int clientWidth, int textWidth, int bevelWidth, TAlignment alignment,
                     bool bothBevels);

// Top of the caption, centred by the height of the sample "AaBbCcDd".
constexpr int PanelCaptionTop(int clientHeight, int sampleHeight) {
  return (clientHeight - sampleHeight) / 2;
}

// The text a panel measures to centre its caption vertically.
inline constexpr const char* kPanelCaptionSample = "AaBbCcDd";

// Calls frame(inset, topLeft, bottomRight) for every one-pixel frame of the
// panel's bevels, outer first. A bevel of width w at inset k is w frames at
// k .. k + w - 1; the inner bevel starts at w when there is an outer bevel,
// else at 0. Lowered frames are dark at the top left and light at the
// bottom right; raised and space frames the other way round.
template <typename Frame>
void ForEachBevelFrame(TPanelBevel outer, TPanelBevel inner, int bevelWidth, Color light,
                       Color dark, Frame&& frame) {
  auto bevel = [&](TPanelBevel kind, int inset) {
    if (kind == TPanelBevel::bvNone) return;
    const bool lowered = kind == TPanelBevel::bvLowered;
    for (int j = inset; j < inset + bevelWidth; ++j) {
      frame(j, lowered ? dark : light, lowered ? light : dark);
    }
  };
  bevel(outer, 0);
  bevel(inner, outer == TPanelBevel::bvNone ? 0 : bevelWidth);
}

}  // namespace veltrane
