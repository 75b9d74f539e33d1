#include "base/text.h"

#include <algorithm>
#include <array>

#include "base/unicode_tables.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace veltrane {
namespace {

constexpr char32_t kLastCodePoint = 0x10FFFF;

bool IsSurrogate(char32_t code) { return code >= 0xD800 && code < 0xE000; }

// The character a UTF-8 sequence at the start of `text` encodes, and its
// bytes; 0 bytes for anything that is not the shortest form of a code point
// (a stray continuation byte, a cut sequence, an encoded surrogate).
std::size_t DecodeUtf8(std::string_view text, char32_t& code) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) {
    code = lead;
    return 1;
  }
  std::size_t size;
  char32_t minimum;
  if (lead >= 0xC2 && lead < 0xE0) {
    size = 2, minimum = 0x80, code = lead & 0x1F;
  } else if (lead >= 0xE0 && lead < 0xF0) {
    size = 3, minimum = 0x800, code = lead & 0x0F;
  } else if (lead >= 0xF0 && lead < 0xF5) {
    size = 4, minimum = 0x10000, code = lead & 0x07;
  } else {
    return 0;
  }
  if (text.size() < size) return 0;
  for (std::size_t i = 1; i < size; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 0;
    code = code << 6 | (byte(i) & 0x3F);
  }
  if (code < minimum || code > kLastCodePoint || IsSurrogate(code)) return 0;
  return size;
}

void AppendUtf8(std::string& out, char32_t code) {
  if (code < 0x80) {
    out.push_back(static_cast<char>(code));
  } else if (code < 0x800) {
    out.push_back(static_cast<char>(0xC0 | code >> 6));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else if (code < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | code >> 12));
    out.push_back(static_cast<char>(0x80 | (code >> 6 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | code >> 18));
    out.push_back(static_cast<char>(0x80 | (code >> 12 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code >> 6 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  }
}

void AppendUtf16(std::u16string& out, char32_t code) {
  if (code < 0x10000) {
    out.push_back(static_cast<char16_t>(code));
  } else {
    out.push_back(static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF)));
  }
}

std::optional<std::u16string> Utf8ToUtf16(std::string_view text) {
  std::u16string units;
  units.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    char32_t code;
    const std::size_t size = DecodeUtf8(text.substr(i), code);
    if (size == 0) return std::nullopt;
    AppendUtf16(units, code);
    i += size;
  }
  return units;
}

std::optional<std::string> Utf16ToUtf8(std::u16string_view units) {
  std::string text;
  text.reserve(units.size() + units.size() / 2);
  for (std::size_t i = 0; i < units.size(); ++i) {
    char32_t code = units[i];
    if (IsSurrogate(code)) {
      const bool pair =
          code < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] < 0xE000;
      if (!pair) return std::nullopt;
      code = 0x10000 + ((code - 0xD800) << 10) + (units[++i] - 0xDC00);
    }
    AppendUtf8(text, code);
  }
  return text;
}

// Windows-1252 is what the registry editor of a Western system reads; off
// Windows there is no system to ask, so it is known here. The five bytes it
// leaves undefined stand for the C1 controls of the same number, as Windows
// has it.
constexpr std::array<char16_t, 32> k1252UpperHalf = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t From1252(unsigned char byte) {
  return byte >= 0x80 && byte < 0xA0 ? k1252UpperHalf[byte - 0x80] : static_cast<char16_t>(byte);
}

#ifndef _WIN32
std::optional<char> To1252(char16_t unit) {
  if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) return static_cast<char>(unit);
  const auto it = std::find(k1252UpperHalf.begin(), k1252UpperHalf.end(), unit);
  if (it == k1252UpperHalf.end()) return std::nullopt;
  return static_cast<char>(0x80 + (it - k1252UpperHalf.begin()));
}
#endif

#ifdef _WIN32
std::optional<std::u16string> SystemToUtf16(std::string_view text, unsigned codePage) {
  const int size = static_cast<int>(text.size());
  const int count =
      MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
  if (count <= 0) return std::nullopt;
  std::u16string units(static_cast<std::size_t>(count), u'\0');
  MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), size,
                      reinterpret_cast<wchar_t*>(units.data()), count);
  return units;
}

std::optional<std::string> SystemFromUtf16(std::u16string_view units, unsigned codePage) {
  const auto* wide = reinterpret_cast<const wchar_t*>(units.data());
  const int size = static_cast<int>(units.size());
  const int count = WideCharToMultiByte(codePage, 0, wide, size, nullptr, 0, nullptr, nullptr);
  if (count <= 0) return std::nullopt;
  std::string text(static_cast<std::size_t>(count), '\0');
  WideCharToMultiByte(codePage, 0, wide, size, text.data(), count, nullptr, nullptr);
  // A character the code page lacks comes out as its default character or
  // a look-alike ("A" for "Ā"): only what reads back the same is exact.
  const auto back = SystemToUtf16(text, codePage);
  if (!back || *back != units) return std::nullopt;
  return text;
}
#endif

}  // namespace

unsigned ProcessCodePage() {
#ifdef _WIN32
  static const unsigned codePage = GetACP();
  return codePage;
#else
  return kUtf8CodePage;
#endif
}

bool IsAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::optional<std::u16string> ToUtf16(std::string_view text, unsigned codePage) {
  if (IsAscii(text)) return std::u16string(text.begin(), text.end());
  if (codePage == kUtf8CodePage) return Utf8ToUtf16(text);
#ifdef _WIN32
  return SystemToUtf16(text, codePage);
#else
  if (codePage != kWesternCodePage) return std::nullopt;
  std::u16string units;
  units.reserve(text.size());
  for (const char c : text) units.push_back(From1252(static_cast<unsigned char>(c)));
  return units;
#endif
}

std::optional<std::string> FromUtf16(std::u16string_view units, unsigned codePage) {
  if (std::all_of(units.begin(), units.end(), [](char16_t unit) { return unit < 0x80; })) {
    std::string text(units.size(), '\0');
    std::transform(units.begin(), units.end(), text.begin(),
                   [](char16_t unit) { return static_cast<char>(unit); });
    return text;
  }
  if (codePage == kUtf8CodePage) return Utf16ToUtf8(units);
#ifdef _WIN32
  return SystemFromUtf16(units, codePage);
#else
  if (codePage != kWesternCodePage) return std::nullopt;
  std::string text;
  text.reserve(units.size());
  for (const char16_t unit : units) {
    const auto byte = To1252(unit);
    if (!byte) return std::nullopt;
    text.push_back(*byte);
  }
  return text;
#endif
}

std::optional<std::string> Recode(std::string_view text, unsigned from, unsigned to) {
  if (from == to || IsAscii(text)) return std::string(text);
  const auto units = ToUtf16(text, from);
  if (!units) return std::nullopt;
  return FromUtf16(*units, to);
}

std::size_t CharacterSize(std::string_view text) {
  if (text.empty()) return 0;
  if (static_cast<unsigned char>(text[0]) < 0x80) return 1;
  if (ProcessCodePage() == kUtf8CodePage) {
    char32_t code;
    return std::max<std::size_t>(DecodeUtf8(text, code), 1);
  }
#ifdef _WIN32
  if (text.size() >= 2 && IsDBCSLeadByte(static_cast<BYTE>(text[0]))) return 2;
#endif
  return 1;
}

std::size_t CharacterCount(std::string_view text) {
  if (IsAscii(text)) return text.size();
  const auto units = ToUtf16(text);
  return units ? units->size() : text.size();
}

std::size_t MostBytesPerUnit() {
  if (ProcessCodePage() == kUtf8CodePage) return 3;
#ifdef _WIN32
  CPINFO info{};
  if (GetCPInfo(CP_ACP, &info)) return std::clamp<std::size_t>(info.MaxCharSize, 1, 3);
#endif
  return 1;
}

std::size_t DecodeCharacter(std::string_view bytes, std::u16string& units, unsigned codePage) {
  const auto first = static_cast<unsigned char>(bytes.front());
  if (first < 0x80) {
    units.push_back(first);
    return 1;
  }
  if (codePage == kUtf8CodePage) {
    char32_t code;
    const std::size_t size = DecodeUtf8(bytes, code);
    if (size > 0) AppendUtf16(units, code);
    return size;
  }
  if (codePage == kWesternCodePage) {
    units.push_back(From1252(first));
    return 1;
  }
#ifdef _WIN32
  // The shortest run of bytes that converts is the character; a lead byte
  // alone does not convert.
  CPINFO info{};
  const std::size_t longest = GetCPInfo(codePage, &info) ? info.MaxCharSize : 1;
  for (std::size_t length = 1; length <= std::min(longest, bytes.size()); ++length) {
    if (const auto decoded = SystemToUtf16(bytes.substr(0, length), codePage)) {
      units += *decoded;
      return length;
    }
  }
#endif
  return 0;
}

namespace {

bool InRanges(char32_t code, const unicode::CodeRange* ranges, std::size_t count) {
  const auto* end = ranges + count;
  const auto* it =
      std::lower_bound(ranges, end, code,
                       [](const unicode::CodeRange& range, char32_t c) { return range.last < c; });
  return it != end && it->first <= code;
}

}  // namespace

std::size_t DisplayWidth(std::string_view text) {
  std::size_t width = 0;
  std::u16string units;
  for (std::size_t i = 0; i < text.size();) {
    units.clear();
    const std::size_t size = DecodeCharacter(text.substr(i), units);
    if (size == 0) {
      ++width, ++i;
      continue;
    }
    i += size;
    char32_t code = units[0];
    if (units.size() == 2) code = 0x10000 + ((code - 0xD800) << 10) + (units[1] - 0xDC00);
    if (InRanges(code, unicode::kZeroWidth, unicode::kZeroWidthCount)) continue;
    width += InRanges(code, unicode::kWide, unicode::kWideCount) ? 2 : 1;
  }
  return width;
}

}  // namespace veltrane
