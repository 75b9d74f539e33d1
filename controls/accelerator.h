// Accelerator characters of captions: "&" marks the character after it,
// "&&" stands for an ampersand. Portable.
#pragma once

#include <string>

#include "registry/code_page.h"

namespace veltrane {

// The marked character of a caption, upper-cased ("E&xit" -> 'X'); 0 when
// the caption marks none. The first single "&" counts.
char AcceleratorOf(const std::string& caption);

// True when `character` (any case) is the caption's accelerator.
bool IsAccelerator(char character, const std::string& caption);

}  // namespace veltrane
