// TApplication: the program-wide title and the error box. While it lives,
// an error that escapes a handler of any of the program's windows is shown
// in an error message box with the error's text, captioned with the
// application title, and the program goes on.
#pragma once

#include <windows.h>

#include <string>

#include "clean/desktop.h"

namespace veltrane {

class TApplication {
 public:
  explicit TApplication(Desktop& desktop, std::string title = "veltrane");
  ~TApplication();
  TApplication(const TApplication&) = delete;
  TApplication& operator=(const TApplication&) = delete;

  const std::string& Title() const noexcept { return title_; }
  void SetTitle(std::string title) { title_ = std::move(title); }

  // The error box, owned by the top-level window of `window`.
  void ShowException(HWND window, const std::string& text);

 private:
  Desktop& desktop_;
  std::string title_;
};

}  // namespace veltrane
