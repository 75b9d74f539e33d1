// Accelerator characters of captions: "&" marks the character after it,
// "&&" stands for an ampersand. The program's captions are ASCII, and a
// character beyond ASCII reaches a window of the UTF-8 process as several
// bytes, so letter case is that of ASCII. Portable.
#pragma once

#include <string>

namespace veltrane {

// The marked character of a caption, upper-cased ("E&xit" -> 'X'); 0 when
// the caption marks none, or marks a character beyond ASCII. The first
// single "&" counts.
char AcceleratorOf(const std::string& caption);

// True when `character` (any case) is the caption's accelerator.
bool IsAccelerator(char character, const std::string& caption);

}  // namespace veltrane
