// GDI drawing shared by the controls: lines with the end point left out,
// the gradient fill, one-pixel outlines, measuring and writing captions, and
// fonts described by value.
#pragma once

#include <windows.h>

#include <string>

#include "controls/color.h"
#include "controls/gradient.h"
#include "controls/handles.h"
#include "controls/layout.h"
#include "controls/scale.h"

namespace veltrane {

// A system colour (kClWindowText, ...) becomes its current value.
COLORREF ResolveColor(Color color);

// A one-pixel line from (x0, y0) to (x1, y1), the end point left out, with
// the DC pen in `color` (the DC's pen is put back afterwards).
void DrawLine(HDC dc, int x0, int y0, int x1, int y1, Color color);

// The shared gradient fill (gradient.h) drawn as lines.
void DrawGradient(HDC dc, int left, int top, int right, int bottom, TFillDirection direction,
                  Color from, Color to);

// A one-pixel rectangle outline through (left, top) and (right, bottom),
// both corners included; the interior is left alone.
void DrawOutline(HDC dc, int left, int top, int right, int bottom, Color color);

// Fills the rectangle [left, right) x [top, bottom).
void FillArea(HDC dc, int left, int top, int right, int bottom, Color color);

// A font by value. `height` is the character height in pixels at 96 dpi (a
// negative LOGFONT height there): 13 for Tahoma 10 points.
struct FontDesc {
  std::string name = "Tahoma";
  int height = 11;
  bool bold = false;
  bool italic = false;
  bool underline = false;
  Color color = kClWindowText;

  bool operator==(const FontDesc&) const = default;
};

// The font for a display of `dpi`: its height scaled by dpi / 96.
UniqueFont CreateFontFrom(const FontDesc& desc, int dpi = kDefaultDpi);

// The program's text as GDI's UTF-16 calls take it. GDI's 8-bit calls read
// the system's legacy code page whatever the process's own, so the program's
// UTF-8 is drawn through these; a byte that begins no character stands for
// the character of its own number.
std::wstring GdiText(const std::string& text);
int DrawProgramText(HDC dc, const std::string& text, RECT* rect, UINT format);
SIZE ProgramTextExtent(HDC dc, const std::string& text);
void ProgramTextOut(HDC dc, int x, int y, const std::string& text);
// The description of an existing font made for a display of `dpi` (the
// colour is left at its default).
FontDesc FontDescOf(HFONT font, int dpi = kDefaultDpi);

// A control's font: a description and the GDI font made from it for the
// control's dpi, made again when either changes. Until one is set,
// Inherit takes the parent's font (WM_GETFONT), so controls look like
// their window.
class ControlFont {
 public:
  const FontDesc& Desc() const noexcept { return desc_; }
  // True when the description changed.
  bool Set(const FontDesc& desc);
  // Adopts `font`'s face, height and style, keeping the colour.
  bool Adopt(HFONT font);
  // Takes the parent's font when none was set explicitly.
  void Inherit(HWND parent);
  // True when the dpi changed.
  bool SetDpi(int dpi);
  HFONT Handle();

 private:
  FontDesc desc_;
  UniqueFont font_;
  int dpi_ = kDefaultDpi;
  bool explicit_ = false;
};

// Size of a caption laid out by DrawText with `format` | DT_CALCRECT. An
// empty caption, or "&" alone when prefixes are processed, is measured with
// a blank appended, so it keeps one line's height.
SIZE MeasureCaption(HDC dc, const std::string& caption, UINT format);

// The DrawText format of a label's caption: tabs expanded, aligned by
// `alignment`, "&" marking the accelerator unless `showAccelChar` is false.
UINT CaptionFormat(TAlignment alignment, bool showAccelChar);

// A 24-bit bitmap of width by height from colours given row by row, top
// row first (for glyphs made in code and for tests).
UniqueBitmap CreateBitmapFromColors(int width, int height, const Color* colors);

}  // namespace veltrane
