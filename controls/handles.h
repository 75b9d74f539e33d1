// Owners for the Win32 handles the windows and their painting use: each
// handle has exactly one owner, which releases it. Owners move but do not
// copy, and never turn into a raw handle by themselves. UniqueHandle and the
// owners of kernel handles, searches and keys are in base/unique_handle.h.
//
//   UniqueWindow      DestroyWindow
//   UniqueBitmap,
//   UniqueBrush,
//   UniquePen,
//   UniqueFont        DeleteObject
//   UniqueIcon        DestroyIcon
//   MemoryDC          CreateCompatibleDC / DeleteDC
//   WindowDC          GetDC / ReleaseDC
//   PaintDC           BeginPaint / EndPaint (WM_PAINT only)
//   SelectGuard       SelectObject, putting the previous object back
//   OffscreenBitmap   a 32-bit top-down DIB section in its own memory DC:
//                     the controls draw into one and copy it in one step
#pragma once

#include <windows.h>

#include <cstdint>

#include "base/unique_handle.h"

namespace veltrane {

struct GdiObjectRelease {
  void operator()(HGDIOBJ object) const noexcept { DeleteObject(object); }
};
struct WindowRelease {
  void operator()(HWND window) const noexcept {
    if (IsWindow(window)) DestroyWindow(window);
  }
};

struct IconRelease {
  void operator()(HICON icon) const noexcept { DestroyIcon(icon); }
};

using UniqueWindow = UniqueHandle<HWND, WindowRelease>;
using UniqueBitmap = UniqueHandle<HBITMAP, GdiObjectRelease>;
using UniqueBrush = UniqueHandle<HBRUSH, GdiObjectRelease>;
using UniquePen = UniqueHandle<HPEN, GdiObjectRelease>;
using UniqueFont = UniqueHandle<HFONT, GdiObjectRelease>;
using UniqueIcon = UniqueHandle<HICON, IconRelease>;

// A memory DC compatible with `like` (the screen when null).
class MemoryDC {
 public:
  explicit MemoryDC(HDC like = nullptr) : dc_(CreateCompatibleDC(like)) {}
  MemoryDC(const MemoryDC&) = delete;
  MemoryDC& operator=(const MemoryDC&) = delete;
  ~MemoryDC() {
    if (dc_) DeleteDC(dc_);
  }
  HDC get() const noexcept { return dc_; }
  explicit operator bool() const noexcept { return dc_ != nullptr; }

 private:
  HDC dc_;
};

// The DC of a window's client area (of the screen when the window is null).
class WindowDC {
 public:
  explicit WindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;
  ~WindowDC() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  HDC get() const noexcept { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

class PaintDC {
 public:
  explicit PaintDC(HWND window) : window_(window) { dc_ = BeginPaint(window, &paint_); }
  PaintDC(const PaintDC&) = delete;
  PaintDC& operator=(const PaintDC&) = delete;
  ~PaintDC() { EndPaint(window_, &paint_); }
  HDC get() const noexcept { return dc_; }
  const PAINTSTRUCT& info() const noexcept { return paint_; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

class SelectGuard {
 public:
  SelectGuard(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  SelectGuard(const SelectGuard&) = delete;
  SelectGuard& operator=(const SelectGuard&) = delete;
  ~SelectGuard() {
    if (previous_ && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
  }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// A 32-bit top-down DIB section of width by height selected into its own
// memory DC, filled with `background`. Pixels() gives the rows directly
// (0x00RRGGBB per pixel, the DIB layout, not a COLORREF). An empty size
// makes an invalid bitmap that draws nothing.
class OffscreenBitmap {
 public:
  OffscreenBitmap(int width, int height, COLORREF background = RGB(255, 255, 255));
  OffscreenBitmap(const OffscreenBitmap&) = delete;
  OffscreenBitmap& operator=(const OffscreenBitmap&) = delete;
  ~OffscreenBitmap();

  bool valid() const noexcept { return bits_ != nullptr; }
  HDC dc() const noexcept { return dc_.get(); }
  int width() const noexcept { return width_; }
  int height() const noexcept { return height_; }
  const std::uint32_t* Pixels() const noexcept { return bits_; }
  // The pixel as a COLORREF; 0xFFFFFFFF outside.
  COLORREF PixelAt(int x, int y) const noexcept;
  // Copies the whole bitmap to `target` at (x, y) in one BitBlt.
  void CopyTo(HDC target, int x = 0, int y = 0) const;

 private:
  int width_, height_;
  MemoryDC dc_;
  UniqueBitmap bitmap_;
  HGDIOBJ previous_ = nullptr;
  std::uint32_t* bits_ = nullptr;
};

}  // namespace veltrane
