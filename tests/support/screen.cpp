#include "tests/support/screen.h"

#include <cstdio>

#include "tests/support/png.h"

namespace veltrane::testing {

Image ReadBitmap(const OffscreenBitmap& bitmap) {
  Image image(bitmap.width(), bitmap.height(), 0);
  GdiFlush();
  const std::uint32_t* p = bitmap.Pixels();
  if (!p) return image;
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const std::uint32_t v = p[static_cast<std::size_t>(y) * image.width + x];
      image.at(x, y) = MakeColor((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }
  }
  return image;
}

Image CaptureClient(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  OffscreenBitmap shot(client.right, client.bottom, 0);
  WindowDC screen(nullptr);
  BitBlt(shot.dc(), 0, 0, client.right, client.bottom, screen.get(), origin.x, origin.y, SRCCOPY);
  return ReadBitmap(shot);
}

Image Crop(const Image& image, int left, int top, int width, int height) {
  Image part(width, height, 0);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if (image.inside(left + x, top + y)) part.at(x, y) = image.at(left + x, top + y);
    }
  }
  return part;
}

std::string Difference(const Image& actual, const Image& expected) {
  char line[160];
  if (actual.width != expected.width || actual.height != expected.height) {
    std::snprintf(line, sizeof line, "size %dx%d, expected %dx%d", actual.width, actual.height,
                  expected.width, expected.height);
    return line;
  }
  std::string out;
  int shown = 0, total = 0;
  for (int y = 0; y < actual.height; ++y) {
    for (int x = 0; x < actual.width; ++x) {
      if (actual.at(x, y) == expected.at(x, y)) continue;
      ++total;
      if (shown < 8) {
        std::snprintf(line, sizeof line, "(%d,%d) is %06X, expected %06X; ", x, y,
                      static_cast<unsigned>(actual.at(x, y)),
                      static_cast<unsigned>(expected.at(x, y)));
        out += line;
        ++shown;
      }
    }
  }
  if (total > 0) {
    std::snprintf(line, sizeof line, "%d pixels differ", total);
    out += line;
  }
  return out;
}

std::string ScreenshotPath(const std::string& name) {
  CreateDirectoryA("screenshots", nullptr);
  return "screenshots\\" + name;
}

bool SavePng(const Image& picture, const std::string& path) {
  if (picture.pixels.empty()) return false;
  std::vector<std::uint32_t> rgb(picture.pixels.size());
  for (std::size_t i = 0; i < rgb.size(); ++i) {
    const Color c = picture.pixels[i];
    rgb[i] = (static_cast<std::uint32_t>(RedOf(c)) << 16) |
             (static_cast<std::uint32_t>(GreenOf(c)) << 8) | static_cast<std::uint32_t>(BlueOf(c));
  }
  return WritePng(path, picture.width, picture.height, rgb);
}

RECT RectIn(HWND window, HWND reference) {
  RECT r{};
  GetWindowRect(window, &r);
  MapWindowPoints(HWND_DESKTOP, reference, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

RECT RectInParent(HWND window) { return RectIn(window, GetParent(window)); }

bool WaitUntil(const std::function<bool()>& done, DWORD milliseconds,
               const std::function<void()>& between) {
  const ULONGLONG until = GetTickCount64() + milliseconds;
  for (;;) {
    if (done()) return true;
    if (GetTickCount64() >= until) return false;
    if (between) {
      between();
    } else {
      Sleep(20);
    }
  }
}

}  // namespace veltrane::testing
