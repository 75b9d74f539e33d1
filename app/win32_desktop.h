// The desktop seam on the real shell and window manager (Windows build).
#pragma once

#include "clean/desktop.h"

namespace veltrane {

class Win32Desktop final : public Desktop {
 public:
  std::intptr_t ShellExecute(WindowHandle owner, const std::string& verb, const std::string& file,
                             const std::string& parameters, const std::string& folder,
                             int show) override;
  WindowHandle FindTopLevelWindow(const std::string& title) override;
  bool PostMessage(WindowHandle window, unsigned message, std::uintptr_t wParam,
                   std::intptr_t lParam) override;
  int MessageBox(WindowHandle owner, const std::string& text, const std::string& caption,
                 unsigned flags) override;
};

}  // namespace veltrane
