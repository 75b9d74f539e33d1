// The findings and the status text as one JSON document, for scripts.
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "base/text.h"
#include "scan/findings.h"

namespace veltrane::cli {

// Decodes the character at the start of `bytes` (never empty), appending its
// UTF-16 units to `units`. Returns how many bytes it took, or 0 when the
// bytes there begin no character.
using CharacterDecoder = std::function<std::size_t(std::string_view bytes, std::u16string& units)>;

// The program's texts are in the process code page.
inline std::size_t DecodeProgramCharacter(std::string_view bytes, std::u16string& units) {
  return DecodeCharacter(bytes, units);
}

// A JSON string (quotes included) of an 8-bit text: each character decoded
// by `decode` and written in UTF-8; the quote, the backslash and the control
// characters (below 32, 127 and 128 to 159) escaped. A byte that begins no
// character is written as \u00XX of its value, so every byte of a text
// comes through (a zero byte as \u0000).
std::string JsonString(std::string_view text,
                       const CharacterDecoder& decode = DecodeProgramCharacter);

// One JSON document, a finding to a line:
//   {
//     "Findings": [
//       {"CleanDetails": ..., "ValueName": ..., "ValueData": ...,
//        "RegistryLocation": ..., "Ticked": true},
//       ...
//     ],
//     "Status": ...
//   }
void WriteJson(std::ostream& out, const std::vector<Finding>& rows, const std::string& status,
               const CharacterDecoder& decode = DecodeProgramCharacter);

}  // namespace veltrane::cli
