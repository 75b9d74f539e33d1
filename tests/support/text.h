// Text edits the tests make to expected and generated files.
#pragma once

#include <string>

namespace veltrane::testing {

// `text` with every occurrence of `from` replaced by `to`, left to right.
inline std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at)) {
    text.replace(at, from.size(), to);
    at += to.size();
  }
  return text;
}

}  // namespace veltrane::testing
