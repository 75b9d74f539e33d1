#include "controls/layout.h"

#include <cstdlib>

namespace veltrane {
namespace {

// GDI coordinates live within 2^27; a position far above Max must not
// overflow an int on its way there.
int ToCoordinate(long long value) {
  constexpr long long kLimit = 1LL << 27;
  if (value > kLimit) return static_cast<int>(kLimit);
  if (value < -kLimit) return static_cast<int>(-kLimit);
  return static_cast<int>(value);
}

}  // namespace

ButtonPlacement PlaceButtonContent(const ButtonContent& c) {
  ButtonPlacement p{};
  p.textLeft = (c.width - c.textWidth) / 2;
  p.textTop = (c.height - c.textHeight) / 2;
  if (c.hasGlyph) {
    const int gw = c.glyphWidth, gh = c.glyphHeight, sp = c.spacing;
    const int up = sp / 2 + sp % 2;  // the larger half of the spacing
    switch (c.layout) {
      case TButtonLayout::blGlyphLeft:
        p.glyphTop = (c.height - gh) / 2;
        p.glyphLeft = p.textLeft - gw / 2;
        p.textLeft += gw / 2;
        if (c.hasCaption) {
          p.glyphLeft -= up;
          p.textLeft += sp / 2;
        }
        break;
      case TButtonLayout::blGlyphRight:
        p.glyphTop = (c.height - gh) / 2;
        p.glyphLeft = p.textLeft + c.textWidth - gw / 2;
        p.textLeft -= gw / 2;
        if (c.hasCaption) {
          p.glyphLeft += up;
          p.textLeft -= sp / 2;
        }
        break;
      case TButtonLayout::blGlyphTop:
        p.glyphLeft = (c.width - gw) / 2;
        p.glyphTop = p.textTop - gh / 2 - gh % 2;
        p.textTop += gh / 2;
        if (c.hasCaption) {
          p.glyphTop -= up;
          p.textTop += sp / 2;
        }
        break;
      case TButtonLayout::blGlyphBottom:
        p.glyphLeft = (c.width - gw) / 2;
        p.glyphTop = p.textTop + c.textHeight - gh / 2;
        p.textTop -= gh / 2;
        if (c.hasCaption) {
          p.glyphTop += up;
          p.textTop -= sp / 2;
        }
        break;
    }
    if (c.down) {
      ++p.glyphLeft;
      ++p.glyphTop;
    }
  }
  if (c.down) {
    ++p.textLeft;
    ++p.textTop;
  }
  return p;
}

int ProgressFillWidth(int clientWidth, int position, int min, int max) {
  const long long inside = static_cast<long long>(clientWidth) - 2;
  const long long done = static_cast<long long>(position) - min;
  const long long range = static_cast<long long>(max) - min;
  if (range == 0) return done > 0 ? static_cast<int>(inside) : 0;
  const long long width = RoundHalfEven(static_cast<double>(inside) * static_cast<double>(done) /
                                        static_cast<double>(range));
  return ToCoordinate(width);
}

int ProgressFillTop(int clientHeight, int position, int min, int max) {
  const long long inside = static_cast<long long>(clientHeight) - 2;
  const long long done = static_cast<long long>(position) - min;
  const long long range = std::llabs(static_cast<long long>(max) - min);
  if (range == 0) return done > 0 ? 1 : clientHeight - 1;
  const long long filled = RoundHalfEven(
      static_cast<double>(inside) * static_cast<double>(done) / static_cast<double>(range) + 1.0);
  return ToCoordinate(clientHeight - filled);
}

int PanelCaptionLeft(int clientWidth, int textWidth, int bevelWidth, TAlignment alignment,
                     bool bothBevels) {
  switch (alignment) {
    case TAlignment::taLeftJustify: return bevelWidth + 2 + (bothBevels ? bevelWidth : 0);
    case TAlignment::taRightJustify:
      return clientWidth - bevelWidth - textWidth - 2 - (bothBevels ? bevelWidth : 0);
    case TAlignment::taCenter: return (clientWidth - textWidth) / 2;
  }
  return 0;
}

}  // namespace veltrane
