#include "controls/handles.h"

namespace veltrane {

OffscreenBitmap::OffscreenBitmap(int width, int height, COLORREF background)
    : width_(width > 0 ? width : 0), height_(height > 0 ? height : 0) {
  if (width_ == 0 || height_ == 0 || !dc_) return;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width_;
  info.bmiHeader.biHeight = -height_;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  bitmap_.reset(CreateDIBSection(dc_.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap_ || !bits) {
    bitmap_.reset();
    return;
  }
  previous_ = SelectObject(dc_.get(), bitmap_.get());
  bits_ = static_cast<std::uint32_t*>(bits);
  const std::uint32_t pixel = (static_cast<std::uint32_t>(GetRValue(background)) << 16) |
                              (static_cast<std::uint32_t>(GetGValue(background)) << 8) |
                              GetBValue(background);
  const std::size_t count = static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_);
  for (std::size_t i = 0; i < count; ++i) bits_[i] = pixel;
}

OffscreenBitmap::~OffscreenBitmap() {
  if (previous_) SelectObject(dc_.get(), previous_);
}

COLORREF OffscreenBitmap::PixelAt(int x, int y) const noexcept {
  if (!bits_ || x < 0 || y < 0 || x >= width_ || y >= height_) return 0xFFFFFFFF;
  GdiFlush();
  const std::uint32_t p = bits_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                                static_cast<std::size_t>(x)];
  return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

void OffscreenBitmap::CopyTo(HDC target, int x, int y) const {
  if (!bits_ || !target) return;
  GdiFlush();
  BitBlt(target, x, y, width_, height_, dc_.get(), 0, 0, SRCCOPY);
}

}  // namespace veltrane
