// Colours as the Win32 GDI stores them (COLORREF layout: red in the low
// byte, green in the middle byte, blue in the high byte), and the rounding
// the gradients use. Portable: no Win32 header needed.
#pragma once

#include <cstdint>

namespace veltrane {

using Color = std::uint32_t;

inline constexpr Color kWhite = 16777215;
inline constexpr Color kBlack = 0;

// A value with the high bit set names a system colour (GetSysColor index in
// the low byte), as kClWindowText and kClBtnFace below do. The controls
// resolve it when they paint; the gradient arithmetic takes plain colours.
inline constexpr Color kSystemColorFlag = 0x80000000u;
inline constexpr Color kClWindowText = kSystemColorFlag | 8;  // COLOR_WINDOWTEXT
inline constexpr Color kClBtnFace = kSystemColorFlag | 15;    // COLOR_BTNFACE
constexpr bool IsSystemColor(Color c) { return (c & kSystemColorFlag) != 0; }

constexpr int RedOf(Color c) { return static_cast<int>(c & 0xFF); }
constexpr int GreenOf(Color c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int BlueOf(Color c) { return static_cast<int>((c >> 16) & 0xFF); }

constexpr Color MakeColor(int red, int green, int blue) {
  return static_cast<Color>(red & 0xFF) | (static_cast<Color>(green & 0xFF) << 8) |
         (static_cast<Color>(blue & 0xFF) << 16);
}

// Nearest integer, a tie going to the even neighbour (2.5 -> 2, 3.5 -> 4,
// -0.5 -> 0), independent of the floating-point rounding mode.
long long RoundHalfEven(double value);

// A channel value kept in double precision, rounded half to even and held
// to 0..255 (running sums may stray past the ends by a rounding error).
int ChannelOf(double value);

}  // namespace veltrane
