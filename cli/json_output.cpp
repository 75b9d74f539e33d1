#include "cli/json_output.h"

namespace veltrane::cli {
namespace {

void AppendUtf8(std::string& out, char32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

void AppendUnitEscape(std::string& out, char16_t unit) {
  static const char kHex[] = "0123456789abcdef";
  out += "\\u";
  for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(unit >> shift) & 15];
}

void AppendJsonCharacter(std::string& out, char32_t code) {
  switch (code) {
    case '"': out += "\\\""; return;
    case '\\': out += "\\\\"; return;
    case '\b': out += "\\b"; return;
    case '\f': out += "\\f"; return;
    case '\n': out += "\\n"; return;
    case '\r': out += "\\r"; return;
    case '\t': out += "\\t"; return;
    default: break;
  }
  // Control characters would reach a terminal as they are: escaped. So is
  // a lone surrogate, which has no UTF-8 form.
  if (code < 0x20 || (code >= 0x7F && code < 0xA0) || (code >= 0xD800 && code < 0xE000)) {
    AppendUnitEscape(out, static_cast<char16_t>(code));
  } else {
    AppendUtf8(out, code);
  }
}

void AppendUnits(std::string& out, const std::u16string& units) {
  for (std::size_t i = 0; i < units.size(); ++i) {
    const char16_t unit = units[i];
    const bool pair = unit >= 0xD800 && unit < 0xDC00 && i + 1 < units.size() &&
                      units[i + 1] >= 0xDC00 && units[i + 1] < 0xE000;
    if (pair) {
      AppendJsonCharacter(out, 0x10000 + ((char32_t{unit} - 0xD800) << 10) + (units[++i] - 0xDC00));
    } else {
      AppendJsonCharacter(out, unit);
    }
  }
}

}  // namespace

std::string JsonString(std::string_view text, const CharacterDecoder& decode) {
  std::string json = "\"";
  std::u16string units;
  for (std::size_t at = 0; at < text.size();) {
    units.clear();
    const std::size_t taken = decode(text.substr(at), units);
    if (taken == 0) {
      AppendUnitEscape(json, static_cast<unsigned char>(text[at]));
      ++at;
    } else {
      AppendUnits(json, units);
      at += taken;
    }
  }
  return json + '"';
}

void WriteJson(std::ostream& out, const std::vector<Finding>& rows, const std::string& status,
               const CharacterDecoder& decode) {
  out << "{\n  \"Findings\": [";
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const Finding& row = rows[i];
    out << (i == 0 ? "\n" : ",\n")
        << "    {\"CleanDetails\": " << JsonString(row.CleanDetails, decode)
        << ", \"ValueName\": " << JsonString(row.ValueName, decode)
        << ", \"ValueData\": " << JsonString(row.ValueData, decode)
        << ", \"RegistryLocation\": " << JsonString(row.RegistryLocation, decode)
        << ", \"Ticked\": " << (row.Checked ? "true" : "false") << '}';
  }
  out << (rows.empty() ? "],\n" : "\n  ],\n") << "  \"Status\": " << JsonString(status, decode)
      << "\n}\n";
}

}  // namespace veltrane::cli
