#include "controls/paint.h"

#include "base/text.h"

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

UniqueFont CreateFontFrom(const FontDesc& desc, int dpi) {
  LOGFONTA lf{};
  lf.lfHeight = -ScaleForDpi(std::abs(desc.height), dpi);
  lf.lfWeight = desc.bold ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = desc.italic ? 1 : 0;
  lf.lfUnderline = desc.underline ? 1 : 0;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
  lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  lf.lfQuality = DEFAULT_QUALITY;
  lf.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
  const std::size_t n = desc.name.size() < LF_FACESIZE - 1 ? desc.name.size() : LF_FACESIZE - 1;
  std::memcpy(lf.lfFaceName, desc.name.data(), n);
  return UniqueFont(CreateFontIndirectA(&lf));
}

FontDesc FontDescOf(HFONT font, int dpi) {
  FontDesc desc;
  LOGFONTA lf{};
  if (!font || GetObjectA(font, sizeof lf, &lf) != sizeof lf) return desc;
  desc.name = lf.lfFaceName;
  if (lf.lfHeight < 0) {
    desc.height = -lf.lfHeight;
  } else if (lf.lfHeight > 0) {
    // A cell height: take the character height GDI gives for it.
    MemoryDC dc;
    SelectGuard select(dc.get(), font);
    TEXTMETRICA tm{};
    GetTextMetricsA(dc.get(), &tm);
    desc.height = tm.tmHeight - tm.tmInternalLeading;
  }
  desc.height = UnscaleForDpi(desc.height, dpi);
  desc.bold = lf.lfWeight >= FW_BOLD;
  desc.italic = lf.lfItalic != 0;
  desc.underline = lf.lfUnderline != 0;
  return desc;
}

bool ControlFont::Set(const FontDesc& desc) {
  explicit_ = true;
  if (desc == desc_ && font_) return false;
  desc_ = desc;
  font_.reset();
  return true;
}

bool ControlFont::Adopt(HFONT font) {
  if (!font) return false;
  FontDesc desc = FontDescOf(font, dpi_);
  desc.color = desc_.color;
  return Set(desc);
}

void ControlFont::Inherit(HWND parent) {
  if (explicit_ || !parent) return;
  const auto font = reinterpret_cast<HFONT>(SendMessageA(parent, WM_GETFONT, 0, 0));
  if (!font) return;
  FontDesc desc = FontDescOf(font, dpi_);
  desc.color = desc_.color;
  if (!(desc == desc_)) {
    desc_ = desc;
    font_.reset();
  }
}

bool ControlFont::SetDpi(int dpi) {
  if (dpi == dpi_) return false;
  dpi_ = dpi;
  font_.reset();
  return true;
}

HFONT ControlFont::Handle() {
  if (!font_) font_ = CreateFontFrom(desc_, dpi_);
  return font_.get();
}

std::wstring GdiText(const std::string& text) {
  if (const auto units = ToUtf16(text)) return std::wstring(units->begin(), units->end());
  std::wstring bytes;
  for (const char c : text) bytes.push_back(static_cast<unsigned char>(c));
  return bytes;
}

int DrawProgramText(HDC dc, const std::string& text, RECT* rect, UINT format) {
  const std::wstring wide = GdiText(text);
  return DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), rect, format);
}

SIZE ProgramTextExtent(HDC dc, const std::string& text) {
  const std::wstring wide = GdiText(text);
  SIZE size{0, 0};
  GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
  return size;
}

void ProgramTextOut(HDC dc, int x, int y, const std::string& text) {
  const std::wstring wide = GdiText(text);
  TextOutW(dc, x, y, wide.c_str(), static_cast<int>(wide.size()));
}

SIZE MeasureCaption(HDC dc, const std::string& caption, UINT format) {
  std::string text = caption;
  const bool prefixes = (format & DT_NOPREFIX) == 0;
  if (text.empty() || (prefixes && text == "&")) text += ' ';
  RECT r{0, 0, 0, 0};
  DrawProgramText(dc, text, &r, format | DT_CALCRECT);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

UINT CaptionFormat(TAlignment alignment, bool showAccelChar) {
  UINT format = DT_EXPANDTABS;
  switch (alignment) {
    case TAlignment::taLeftJustify: format |= DT_LEFT; break;
    case TAlignment::taRightJustify: format |= DT_RIGHT; break;
    case TAlignment::taCenter: format |= DT_CENTER; break;
  }
  if (!showAccelChar) format |= DT_NOPREFIX;
  return format;
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
