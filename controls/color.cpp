#include "controls/color.h"

#include <cmath>

namespace veltrane {

long long RoundHalfEven(double value) {
  const double below = std::floor(value);
  const double fraction = value - below;
  long long result = static_cast<long long>(below);
  if (fraction > 0.5) {
    ++result;
  } else if (fraction == 0.5 && (result % 2 != 0)) {
    ++result;
  }
  return result;
}

int ChannelOf(double value) {
  const long long rounded = RoundHalfEven(value);
  if (rounded < 0) return 0;
  if (rounded > 255) return 255;
  return static_cast<int>(rounded);
}

}  // namespace veltrane
