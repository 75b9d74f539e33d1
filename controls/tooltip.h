// A hint for one control: a tooltip window that shows the text while the
// pointer rests on the control.
#pragma once

#include <windows.h>

#include <string>

#include "controls/handles.h"

namespace veltrane {

class Tooltip {
 public:
  // Shows `text` as the hint of `tool`; an empty text removes the hint.
  // Returns false when the tooltip window could not be made.
  bool Set(HWND tool, const std::string& text);
  const std::string& Text() const noexcept { return text_; }
  HWND Handle() const noexcept { return tip_.get(); }

 private:
  UniqueWindow tip_;
  std::string text_;
};

}  // namespace veltrane
