#include "registry/value_delivery.h"

#include <cstring>
#include <string>

#include "base/text.h"
#include "registry/registry_api.h"

namespace veltrane {

long HandOutData(const std::uint8_t* bytes, std::uint32_t size, bool text, std::uint8_t* data,
                 std::uint32_t* dataSize) {
  if (!dataSize) return kErrorSuccess;
  if (data && *dataSize < size) {
    *dataSize = size;
    return kErrorMoreData;
  }
  if (data && size > 0) {
    std::memcpy(data, bytes, size);
    if (text && size < *dataSize && bytes[size - 1] != 0) data[size] = 0;
  }
  *dataSize = size;
  return kErrorSuccess;
}

long HandOutText(const std::uint8_t* stored, std::size_t storedSize, unsigned codePage,
                 std::uint8_t* data, std::uint32_t* dataSize) {
  if (!dataSize) return kErrorSuccess;
  if (storedSize % 2 != 0) return kErrorNoUnicodeTranslation;
  const std::size_t count = storedSize / 2;
  bool ascii = true;
  for (std::size_t i = 0; i < count && ascii; ++i) {
    ascii = stored[2 * i] < 0x80 && stored[2 * i + 1] == 0;
  }
  if (ascii) {  // most text: the same in every code page, and no copy made
    const auto size = static_cast<std::uint32_t>(count);
    if (data && *dataSize < size) {
      *dataSize = size;
      return kErrorMoreData;
    }
    if (data) {
      for (std::size_t i = 0; i < count; ++i) data[i] = stored[2 * i];
      if (size > 0 && size < *dataSize && data[size - 1] != 0) data[size] = 0;
    }
    *dataSize = size;
    return kErrorSuccess;
  }
  std::u16string units(count, u'\0');
  for (std::size_t i = 0; i < count; ++i) {
    units[i] = static_cast<char16_t>(stored[2 * i] | stored[2 * i + 1] << 8);
  }
  const auto text = FromUtf16(units, codePage);
  if (!text) return kErrorNoUnicodeTranslation;
  return HandOutData(reinterpret_cast<const std::uint8_t*>(text->data()),
                     static_cast<std::uint32_t>(text->size()), true, data, dataSize);
}

}  // namespace veltrane
