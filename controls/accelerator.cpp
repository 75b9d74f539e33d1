#include "controls/accelerator.h"

namespace veltrane {

char UpperCase1252(char character) {
  const auto c = static_cast<unsigned char>(character);
  if (c >= 'a' && c <= 'z') return static_cast<char>(c - 32);
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<char>(c - 32);
  switch (c) {
    case 0x9A: return static_cast<char>(0x8A);  // s caron
    case 0x9C: return static_cast<char>(0x8C);  // oe
    case 0x9E: return static_cast<char>(0x8E);  // z caron
    case 0xFF: return static_cast<char>(0x9F);  // y diaeresis
  }
  return character;
}

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
