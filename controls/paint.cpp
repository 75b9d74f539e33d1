#include "controls/paint.h"

#include <cstdlib>
#include <cstring>
#include <vector>

namespace veltrane {

COLORREF ResolveColor(Color color) {
  if (IsSystemColor(color)) return GetSysColor(static_cast<int>(color & 0xFF));
  return static_cast<COLORREF>(color & 0xFFFFFF);
}

void DrawLine(HDC dc, int x0, int y0, int x1, int y1, Color color) {
  SelectGuard pen(dc, GetStockObject(DC_PEN));
  SetDCPenColor(dc, ResolveColor(color));
  MoveToEx(dc, x0, y0, nullptr);
  LineTo(dc, x1, y1);
}

void DrawGradient(HDC dc, int left, int top, int right, int bottom, TFillDirection direction,
                  Color from, Color to) {
  SelectGuard pen(dc, GetStockObject(DC_PEN));
  ForEachGradientLine(left, top, right, bottom, direction, from, to,
                      [dc](int x0, int y0, int x1, int y1, Color colour) {
                        SetDCPenColor(dc, static_cast<COLORREF>(colour));
                        MoveToEx(dc, x0, y0, nullptr);
                        LineTo(dc, x1, y1);
                      });
}

void DrawOutline(HDC dc, int left, int top, int right, int bottom, Color color) {
  if (right < left || bottom < top) return;
  SelectGuard brush(dc, GetStockObject(DC_BRUSH));
  SetDCBrushColor(dc, ResolveColor(color));
  const RECT r{left, top, right + 1, bottom + 1};
  FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

void FillArea(HDC dc, int left, int top, int right, int bottom, Color color) {
  if (right <= left || bottom <= top) return;
  SelectGuard brush(dc, GetStockObject(DC_BRUSH));
  SetDCBrushColor(dc, ResolveColor(color));
  const RECT r{left, top, right, bottom};
  FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

UniqueFont CreateFontFrom(const FontSpec& spec) {
  LOGFONTA lf{};
  lf.lfHeight = -std::abs(spec.height);
  lf.lfWeight = spec.bold ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = spec.italic ? 1 : 0;
  lf.lfUnderline = spec.underline ? 1 : 0;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
  lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  lf.lfQuality = DEFAULT_QUALITY;
  lf.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
  const std::size_t n = spec.name.size() < LF_FACESIZE - 1 ? spec.name.size() : LF_FACESIZE - 1;
  std::memcpy(lf.lfFaceName, spec.name.data(), n);
  return UniqueFont(CreateFontIndirectA(&lf));
}

FontSpec FontSpecOf(HFONT font) {
  FontSpec spec;
  LOGFONTA lf{};
  if (!font || GetObjectA(font, sizeof lf, &lf) != sizeof lf) return spec;
  spec.name = lf.lfFaceName;
  if (lf.lfHeight < 0) {
    spec.height = -lf.lfHeight;
  } else if (lf.lfHeight > 0) {
    // A cell height: take the character height GDI gives for it.
    MemoryDC dc;
    SelectGuard select(dc.get(), font);
    TEXTMETRICA tm{};
    GetTextMetricsA(dc.get(), &tm);
    spec.height = tm.tmHeight - tm.tmInternalLeading;
  }
  spec.bold = lf.lfWeight >= FW_BOLD;
  spec.italic = lf.lfItalic != 0;
  spec.underline = lf.lfUnderline != 0;
  return spec;
}

bool ControlFont::Set(const FontSpec& spec) {
  explicit_ = true;
  if (spec == spec_ && font_) return false;
  spec_ = spec;
  font_.reset();
  return true;
}

bool ControlFont::Adopt(HFONT font) {
  if (!font) return false;
  FontSpec spec = FontSpecOf(font);
  spec.color = spec_.color;
  return Set(spec);
}

void ControlFont::Inherit(HWND parent) {
  if (explicit_ || !parent) return;
  const auto font = reinterpret_cast<HFONT>(SendMessageA(parent, WM_GETFONT, 0, 0));
  if (!font) return;
  FontSpec spec = FontSpecOf(font);
  spec.color = spec_.color;
  if (!(spec == spec_)) {
    spec_ = spec;
    font_.reset();
  }
}

HFONT ControlFont::Handle() {
  if (!font_) font_ = CreateFontFrom(spec_);
  return font_.get();
}

SIZE MeasureCaption(HDC dc, const std::string& caption, UINT format) {
  std::string text = caption;
  const bool prefixes = (format & DT_NOPREFIX) == 0;
  if (text.empty() || (prefixes && text == "&")) text += ' ';
  RECT r{0, 0, 0, 0};
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r, format | DT_CALCRECT);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

UniqueBitmap CreateBitmapFromColors(int width, int height, const Color* colors) {
  if (width <= 0 || height <= 0 || !colors) return {};
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  UniqueBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap || !bits) return {};
  const int stride = ((width * 3) + 3) & ~3;
  auto* bytes = static_cast<unsigned char*>(bits);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const Color c = colors[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                             static_cast<std::size_t>(x)];
      unsigned char* p = bytes + static_cast<std::ptrdiff_t>(y) * stride + x * 3;
      p[0] = static_cast<unsigned char>(BlueOf(c));
      p[1] = static_cast<unsigned char>(GreenOf(c));
      p[2] = static_cast<unsigned char>(RedOf(c));
    }
  }
  GdiFlush();
  return bitmap;
}

}  // namespace veltrane
