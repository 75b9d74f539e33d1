#include <windows.h>

#include <algorithm>
#include <array>

#include "cli/system_text.h"

namespace veltrane::cli {
namespace {

// Bytes of the longest character: 2 in the double-byte code pages, 4 when
// the system runs on UTF-8.
std::size_t LongestCharacter() {
  CPINFO info{};
  return GetCPInfo(CP_ACP, &info) ? std::max<std::size_t>(info.MaxCharSize, 1) : 1;
}

}  // namespace

std::size_t DecodeSystemCharacter(std::string_view bytes, std::u16string& units) {
  // Every ANSI code page is ASCII below 0x80; most registry text is.
  if (static_cast<unsigned char>(bytes.front()) < 0x80) {
    units += static_cast<char16_t>(bytes.front());
    return 1;
  }
  static const std::size_t longest = LongestCharacter();
  std::array<wchar_t, 4> buffer{};
  // The shortest run of bytes that converts is the character; a lead byte
  // alone does not convert.
  for (std::size_t length = 1; length <= std::min(longest, bytes.size()); ++length) {
    const int count =
        MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(length),
                            buffer.data(), static_cast<int>(buffer.size()));
    if (count > 0) {
      units.append(buffer.begin(), buffer.begin() + count);
      return length;
    }
  }
  return 0;
}

}  // namespace veltrane::cli
