#include "controls/accelerator.h"

namespace veltrane {
namespace {

char UpperCase(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

}  // namespace

char AcceleratorOf(const std::string& caption) {
  for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    if (caption[i + 1] == '&') {
      ++i;  // a literal ampersand
      continue;
    }
    // A byte of a longer character is no key of its own.
    if (static_cast<unsigned char>(caption[i + 1]) >= 0x80) return 0;
    return UpperCase(caption[i + 1]);
  }
  return 0;
}

bool IsAccelerator(char character, const std::string& caption) {
  const char accelerator = AcceleratorOf(caption);
  return accelerator != 0 && UpperCase(character) == accelerator;
}

}  // namespace veltrane
