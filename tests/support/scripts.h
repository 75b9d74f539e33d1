// Names and texts in the scripts a registry holds beside ASCII, in the
// program's own form (UTF-8): Latin-1, Cyrillic, Greek, Japanese and an
// emoji outside the Basic Multilingual Plane (a surrogate pair in UTF-16).
#pragma once

#include <string>
#include <vector>

namespace veltrane::testing {

inline const std::string kLatin1 = "Äpfel & Crème ©";
inline const std::string kCyrillic = "Иван Д";
inline const std::string kGreek = "Ωμέγα σ";
inline const std::string kJapanese = "日本語のテキスト";
inline const std::string kEmoji = "😀🎉";

inline std::vector<std::string> EveryScript() {
  return {kLatin1, kCyrillic, kGreek, kJapanese, kEmoji};
}

// `count` times `text`.
inline std::string Repeated(const std::string& text, std::size_t count) {
  std::string result;
  for (std::size_t i = 0; i < count; ++i) result += text;
  return result;
}

}  // namespace veltrane::testing
