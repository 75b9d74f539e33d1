// Names of registry keys and values compared as the registry compares
// them: without regard to case, unit by unit in UTF-16, by Unicode's simple
// case mapping. Only the letters whose upper and lower case map to each
// other count as pairs (so upper-casing and lower-casing find the same
// names equal); the dotless i, the long s, the title-case digraphs and the
// Greek symbol forms stay letters of their own, as the registry has them.
// Units of a surrogate pair map to themselves.
#pragma once

#include <string>
#include <string_view>

namespace veltrane {

char16_t LowerCaseBeyondAscii(char16_t unit);
char16_t UpperCaseBeyondAscii(char16_t unit);

inline char16_t LowerCaseUnit(char16_t unit) {
  if (unit >= 0x80) return LowerCaseBeyondAscii(unit);
  return unit >= u'A' && unit <= u'Z' ? static_cast<char16_t>(unit + 32) : unit;
}
inline char16_t UpperCaseUnit(char16_t unit) {
  if (unit >= 0x80) return UpperCaseBeyondAscii(unit);
  return unit >= u'a' && unit <= u'z' ? static_cast<char16_t>(unit - 32) : unit;
}

// Below, equal or above zero as `a` sorts before, with or after `b` in the
// order the registry enumerates names (measured on Wine): unit by unit by
// their lower case, a name that begins another one first. Inline: the
// in-memory registry's trees compare with it all the time.
inline int CompareNames(std::u16string_view a, std::u16string_view b) {
  const std::size_t common = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < common; ++i) {
    if (a[i] == b[i]) continue;
    const char16_t la = LowerCaseUnit(a[i]), lb = LowerCaseUnit(b[i]);
    if (la != lb) return la < lb ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// The same for texts of the process code page. A text that does not
// convert compares by its bytes, ASCII letters without regard to case.
bool SameName(std::string_view a, std::string_view b);
// `name` with every letter lower-cased, as a key for sets and maps of
// names; UTF-8, whatever the process code page. A backslash stays a
// backslash, so a folded path is still cut into names at its backslashes.
std::string FoldedName(std::string_view name);

}  // namespace veltrane
