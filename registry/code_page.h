// The 8-bit code page of the program's texts, Windows-1252: its characters
// as Unicode code points, and their letter case. The registry orders names
// by these, the importer reads UTF-16 through them, and accelerator keys
// compare by them. Portable.
#pragma once

#include <optional>

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

}  // namespace veltrane
