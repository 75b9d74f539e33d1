#include "controls/accelerator.h"

namespace veltrane {

char AcceleratorOf(const std::string& caption) {
  for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    if (caption[i + 1] == '&') {
      ++i;  // a literal ampersand
      continue;
    }
    return UpperCase1252(caption[i + 1]);
  }
  return 0;
}

bool IsAccelerator(char character, const std::string& caption) {
  const char accelerator = AcceleratorOf(caption);
  return accelerator != 0 && UpperCase1252(character) == accelerator;
}

}  // namespace veltrane
