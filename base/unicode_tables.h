// Tables of Unicode properties the program needs, generated from the
// Unicode data by scripts/make_unicode_tables.py (unicode_tables.cpp).
#pragma once

#include <cstddef>
#include <cstdint>

namespace veltrane::unicode {

// Every `stride`-th unit from `first` to `last` maps to itself plus `delta`.
struct CaseRun {
  char16_t first, last;
  std::int32_t delta;
  std::uint8_t stride;
};

// The letter-case pairs of UTF-16 units that map both ways, in order.
extern const CaseRun kToLower[];
extern const std::size_t kToLowerCount;
extern const CaseRun kToUpper[];
extern const std::size_t kToUpperCount;

struct CodeRange {
  char32_t first, last;
};

// Code points a console shows two columns wide (East Asian wide and full
// width), and those it shows in no column of their own (combining marks).
extern const CodeRange kWide[];
extern const std::size_t kWideCount;
extern const CodeRange kZeroWidth[];
extern const std::size_t kZeroWidthCount;

}  // namespace veltrane::unicode
