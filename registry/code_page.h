// The 8-bit code page of the program's texts, Windows-1252: its characters
// as Unicode code points, and their letter case. The registry orders names
// by these, the importer reads UTF-16 through them, and accelerator keys
// compare by them. Portable; on Windows the character counts below follow
// the system's code page, which may have two-byte characters.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace veltrane {

// The code point of a byte of Windows-1252 (the five bytes it leaves
// undefined stand for the C1 controls of the same number, as Windows has it).
char16_t Cp1252ToUnicode(unsigned char byte);
// The byte of Windows-1252 for a code point; nothing when it has none.
std::optional<unsigned char> UnicodeToCp1252(char16_t unit);

// Letter case within Windows-1252: A-Z, the Latin-1 letters and the four
// pairs of its upper half (Š š, Œ œ, Ž ž, Ÿ ÿ).
char LowerCase1252(char character);
char UpperCase1252(char character);
// A name lower-cased that way, for comparing names as the registry does.
std::string LowerCased1252(std::string_view text);

// The bytes of the character that `text` begins with: 2 for a lead byte of
// the system's double-byte code page and the byte after it, else 1 (0 for
// an empty text). The trail byte of such a character may be a backslash
// or a bracket, which must not be read as one.
std::size_t CharacterSize(std::string_view text);
// The characters of `text` as the registry counts a name's length: UTF-16
// units of its form in the system code page, one a byte in Windows-1252.
std::size_t CharacterCount(std::string_view text);

}  // namespace veltrane
