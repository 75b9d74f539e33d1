#include "base/names.h"

#include <algorithm>
#include <optional>

#include "base/text.h"
#include "base/unicode_tables.h"

namespace veltrane {
namespace {

char16_t Map(char16_t unit, const unicode::CaseRun* runs, std::size_t count) {
  const auto* end = runs + count;
  const auto* run = std::lower_bound(
      runs, end, unit, [](const unicode::CaseRun& r, char16_t u) { return r.last < u; });
  if (run == end || run->first > unit || (unit - run->first) % run->stride != 0) return unit;
  return static_cast<char16_t>(unit + run->delta);
}

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

}  // namespace

char16_t LowerCaseBeyondAscii(char16_t unit) {
  return Map(unit, unicode::kToLower, unicode::kToLowerCount);
}

char16_t UpperCaseBeyondAscii(char16_t unit) {
  return Map(unit, unicode::kToUpper, unicode::kToUpperCount);
}

bool SameName(std::string_view a, std::string_view b) {
  if (IsAscii(a) && IsAscii(b)) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
             return AsciiLower(x) == AsciiLower(y);
           });
  }
  return FoldedName(a) == FoldedName(b);
}

std::string FoldedName(std::string_view name) {
  std::optional<std::u16string> units = ToUtf16(name);
  if (units) {
    for (char16_t& unit : *units) unit = LowerCaseUnit(unit);
    // Lower case never makes a surrogate of a letter, so this converts.
    if (auto folded = FromUtf16(*units, kUtf8CodePage)) return *std::move(folded);
  }
  std::string folded(name);
  std::transform(folded.begin(), folded.end(), folded.begin(), AsciiLower);
  return folded;
}

}  // namespace veltrane
