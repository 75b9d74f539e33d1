// The program's texts and their forms. Its texts are 8-bit strings in the
// process code page, which its manifest makes UTF-8; the registry holds
// UTF-16; the registry editor reads REGEDIT4 files in the system's ANSI code
// page. Every conversion here is exact or gives nothing: a character that
// has no form on the other side (an unpaired surrogate, a byte sequence
// that is no character, a letter the code page lacks) is never replaced by
// a stand-in such as "?".
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace veltrane {

inline constexpr unsigned kUtf8CodePage = 65001;
inline constexpr unsigned kWesternCodePage = 1252;

// The code page of the program's 8-bit texts: the one Windows runs the
// process in (UTF-8 under the manifest, the system's ANSI code page where
// the manifest is not honoured); UTF-8 off Windows.
unsigned ProcessCodePage();

// UTF-16 and 8-bit text in `codePage`. Off Windows only UTF-8 and
// Windows-1252 are known; any other code page converts ASCII alone.
std::optional<std::u16string> ToUtf16(std::string_view text, unsigned codePage = ProcessCodePage());
std::optional<std::string> FromUtf16(std::u16string_view units,
                                     unsigned codePage = ProcessCodePage());
// `text` of code page `from` in code page `to`.
std::optional<std::string> Recode(std::string_view text, unsigned from, unsigned to);

bool IsAscii(std::string_view text);

// The bytes of the character that `text` (in the process code page) begins
// with: a whole UTF-8 sequence, or a lead byte of a double-byte code page
// with the byte after it, else 1 (0 for an empty text). A trail byte of a
// double-byte character may be a backslash or a bracket, which must not be
// read as one.
std::size_t CharacterSize(std::string_view text);
// The characters of `text` as the registry counts a name's length: its
// UTF-16 units (its bytes when it does not convert).
std::size_t CharacterCount(std::string_view text);
// The most bytes of the process code page that one UTF-16 unit may need:
// 3 in UTF-8, 2 in a double-byte code page, else 1. A name of n
// characters fits in n times as many bytes.
std::size_t MostBytesPerUnit();

// Decodes the character at the start of `bytes` (not empty) in `codePage`,
// appending its UTF-16 units to `units`. Returns the bytes it took, or 0
// when they begin no character of the code page.
std::size_t DecodeCharacter(std::string_view bytes, std::u16string& units,
                            unsigned codePage = ProcessCodePage());

// The columns a console gives `text` (in the process code page): two for a
// wide East Asian character, none for a combining mark, one for the rest
// (and for each byte that begins no character).
std::size_t DisplayWidth(std::string_view text);

}  // namespace veltrane
