// Text edits the tests make to expected and generated files.
#pragma once

#include <string>
#include <string_view>

namespace veltrane::testing {

// `text` with every occurrence of `from` replaced by `to`, left to right.
inline std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at)) {
    text.replace(at, from.size(), to);
    at += to.size();
  }
  return text;
}

// `text` as a UTF-16LE file with its byte-order mark, as the registry
// editor writes one.
inline std::string Utf16File(std::u16string_view text) {
  std::string bytes = "\xFF\xFE";
  for (const char16_t unit : text) {
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
  }
  return bytes;
}

}  // namespace veltrane::testing
