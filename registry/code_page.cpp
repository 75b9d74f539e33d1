#include "registry/code_page.h"

#include <algorithm>
#include <array>

#ifdef _WIN32
#include <windows.h>
#endif

namespace veltrane {
namespace {

// 0x80 .. 0x9F; the rest of the code page is Latin-1.
constexpr std::array<char16_t, 32> kUpperHalf = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Upper and lower case of the upper half's letters: Š š, Œ œ, Ž ž, Ÿ ÿ.
constexpr std::array<std::array<unsigned char, 2>, 4> kCasePairs = {
    {{0x8A, 0x9A}, {0x8C, 0x9C}, {0x8E, 0x9E}, {0x9F, 0xFF}}};

}  // namespace

char16_t Cp1252ToUnicode(unsigned char byte) {
  return byte >= 0x80 && byte < 0xA0 ? kUpperHalf[byte - 0x80] : static_cast<char16_t>(byte);
}

std::optional<unsigned char> UnicodeToCp1252(char16_t unit) {
  if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) return static_cast<unsigned char>(unit);
  const auto it = std::find(kUpperHalf.begin(), kUpperHalf.end(), unit);
  if (it == kUpperHalf.end()) return std::nullopt;
  return static_cast<unsigned char>(0x80 + (it - kUpperHalf.begin()));
}

std::string LowerCased1252(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = LowerCase1252(c);
  return lower;
}

char LowerCase1252(char character) {
  const auto c = static_cast<unsigned char>(character);
  if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) {
    return static_cast<char>(c + 32);
  }
  for (const auto& [upper, lower] : kCasePairs) {
    if (c == upper) return static_cast<char>(lower);
  }
  return character;
}

char UpperCase1252(char character) {
  const auto c = static_cast<unsigned char>(character);
  if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) {
    return static_cast<char>(c - 32);
  }
  for (const auto& [upper, lower] : kCasePairs) {
    if (c == lower) return static_cast<char>(upper);
  }
  return character;
}

std::size_t CharacterSize(std::string_view text) {
  if (text.empty()) return 0;
#ifdef _WIN32
  if (text.size() >= 2 && IsDBCSLeadByte(static_cast<BYTE>(text[0]))) return 2;
#endif
  return 1;
}

std::size_t CharacterCount(std::string_view text) {
#ifdef _WIN32
  if (text.empty()) return 0;
  const int units =
      MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (units > 0) return static_cast<std::size_t>(units);
#endif
  return text.size();
}

}  // namespace veltrane
