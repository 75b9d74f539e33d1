// The findings and the status text as one JSON document, for scripts.
#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/system_text.h"
#include "scan/findings.h"

namespace veltrane::cli {

// A JSON string (quotes included) of an 8-bit text: each character decoded
// by `decode` and written in UTF-8; the quote, the backslash and the control
// characters (below 32, 127 and 128 to 159) escaped. A byte that begins no
// character is written as \u00XX of its value, so every byte of a registry
// text comes through (a zero byte as \u0000).
std::string JsonString(std::string_view text,
                       const CharacterDecoder& decode = DecodeSystemCharacter);

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
               const CharacterDecoder& decode = DecodeSystemCharacter);

}  // namespace veltrane::cli
