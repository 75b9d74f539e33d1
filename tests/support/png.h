// A minimal PNG writer for screenshots: 8-bit RGB, no filtering, deflate
// "stored" blocks. Portable.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace veltrane::testing {

// `rgb` holds width * height pixels as 0x00RRGGBB, row by row from the top.
// Returns false when the file cannot be written.
bool WritePng(const std::string& path, int width, int height,
              const std::vector<std::uint32_t>& rgb);

// The PNG file's bytes.
std::vector<unsigned char> EncodePng(int width, int height, const std::vector<std::uint32_t>& rgb);

}  // namespace veltrane::testing
