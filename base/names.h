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

char16_t LowerCaseUnit(char16_t unit);
char16_t UpperCaseUnit(char16_t unit);

// Below, equal or above zero as `a` sorts before, with or after `b` in the
// order the registry enumerates names (measured on Wine): unit by unit by
// their lower case, a name that begins another one first.
int CompareNames(std::u16string_view a, std::u16string_view b);

// The same for texts of the process code page. A text that does not
// convert compares by its bytes, ASCII letters without regard to case.
bool SameName(std::string_view a, std::string_view b);
// `name` with every letter lower-cased, as a key for sets and maps of
// names; UTF-8, whatever the process code page. A backslash stays a
// backslash, so a folded path is still cut into names at its backslashes.
std::string FoldedName(std::string_view name);

}  // namespace veltrane
