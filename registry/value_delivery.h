// How the query calls (RegQueryValueExA, RegEnumValueA) hand a value's data
// out, shared by both backends: too small a buffer gets 234 and the size
// needed, and nothing else; string data that lacks its terminating zero
// gets one after it when there is room; string data kept in UTF-16 is
// converted and sized in the 8-bit code page, 1113 when it has no exact
// form there.
#pragma once

#include <cstddef>
#include <cstdint>

namespace veltrane {

// `size` bytes of data as they are (`text`: string data, for the zero).
// `dataSize` may be null (nothing asked), `data` too (the size asked).
long HandOutData(const std::uint8_t* bytes, std::uint32_t size, bool text, std::uint8_t* data,
                 std::uint32_t* dataSize);

// String data held in UTF-16 (`storedSize` bytes, little-endian), in
// `codePage`.
long HandOutText(const std::uint8_t* stored, std::size_t storedSize, unsigned codePage,
                 std::uint8_t* data, std::uint32_t* dataSize);

}  // namespace veltrane
