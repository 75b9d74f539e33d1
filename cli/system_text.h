// Texts of the system code page as Unicode, for the JSON output: registry
// names and data are 8-bit strings in that code page.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace veltrane::cli {

// Decodes the character at the start of `bytes` (never empty), appending its
// UTF-16 units to `units`. Returns how many bytes it took, or 0 when the
// bytes there begin no character of the code page.
using CharacterDecoder = std::function<std::size_t(std::string_view bytes, std::u16string& units)>;

// The system code page: on Windows the ANSI code page, tried one character
// at a time; elsewhere Windows-1252, in which every byte is a character.
std::size_t DecodeSystemCharacter(std::string_view bytes, std::u16string& units);

}  // namespace veltrane::cli
