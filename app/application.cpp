#include "app/application.h"

#include "controls/window.h"

namespace veltrane {

TApplication::TApplication(Desktop& desktop, std::string title)
    : desktop_(desktop), title_(std::move(title)) {
  Window::SetExceptionReporter(
      [this](HWND window, const std::string& text) { ShowException(window, text); });
}

TApplication::~TApplication() { Window::SetExceptionReporter(nullptr); }

void TApplication::ShowException(HWND window, const std::string& text) {
  const HWND owner = window ? GetAncestor(window, GA_ROOT) : nullptr;
  desktop_.MessageBox(reinterpret_cast<WindowHandle>(owner), text, title_, kMbOk | kMbIconError);
}

}  // namespace veltrane
