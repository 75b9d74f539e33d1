#include "controls/scale.h"

#include <cstdlib>
#include <initializer_list>

namespace veltrane {
namespace {

// numerator / denominator to the nearest integer, halves away from zero;
// the denominator is positive.
int RoundedQuotient(long long numerator, long long denominator) {
  const long long half = denominator / 2;
  const long long magnitude = (std::llabs(numerator) + half) / denominator;
  return static_cast<int>(numerator < 0 ? -magnitude : magnitude);
}

}  // namespace

int ScaleForDpi(int value, int dpi) {
  if (dpi == kDefaultDpi) return value;
  return RoundedQuotient(static_cast<long long>(value) * dpi, kDefaultDpi);
}

int UnscaleForDpi(int value, int dpi) {
  if (dpi == kDefaultDpi || dpi <= 0) return value;
  return RoundedQuotient(static_cast<long long>(value) * kDefaultDpi, dpi);
}

int LineWidthForDpi(int dpi) { return dpi < 2 * kDefaultDpi ? 1 : dpi / kDefaultDpi; }

int PictureScaleForDpi(int dpi) {
  const int percent = dpi * 100 / kDefaultDpi;
  int best = 100;
  for (const int scale : {125, 150, 175, 200}) {
    if (std::abs(percent - scale) < std::abs(percent - best)) best = scale;
  }
  return best;
}

}  // namespace veltrane
