// Accelerator characters of captions: "&" marks the character after it,
// "&&" stands for an ampersand. Portable.
#pragma once

#include <string>

namespace veltrane {

// Upper case of a character of code page 1252.
char UpperCase1252(char character);

// The marked character of a caption, upper-cased ("E&xit" -> 'X'); 0 when
// the caption marks none. The first single "&" counts.
char AcceleratorOf(const std::string& caption);

// True when `character` (any case) is the caption's accelerator.
bool IsAccelerator(char character, const std::string& caption);

}  // namespace veltrane
