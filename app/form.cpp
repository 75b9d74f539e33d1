#include "app/form.h"

#include <algorithm>

#include "app/resource.h"

namespace veltrane {

bool TForm::CreateForm(const FormLook& look, HWND owner) {
  const ATOM windowClass =
      RegisterWindowClass(look.className, 0, nullptr, look.background,
                          LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_VELTRANE)));
  font_ = CreateFontFrom(look.font);
  RECT frame{0, 0, look.clientWidth, look.clientHeight};
  AdjustWindowRectEx(&frame, look.style, FALSE, 0);
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  return CreateHandle(windowClass, 0, look.caption, look.style,
                      (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                      (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, owner);
}

bool TForm::TabKey(bool backward) {
  if (tabOrder_.empty()) return false;
  const std::size_t count = tabOrder_.size();
  const auto focused = std::find(tabOrder_.begin(), tabOrder_.end(), GetFocus());
  // From the focused stop; from the focus elsewhere, forward to the first
  // stop and backward to the last.
  std::size_t index = focused != tabOrder_.end()
                          ? static_cast<std::size_t>(focused - tabOrder_.begin())
                          : (backward ? 0 : count - 1);
  for (std::size_t step = 0; step < count; ++step) {
    index = backward ? (index + count - 1) % count : (index + 1) % count;
    const HWND next = tabOrder_[index];
    if (IsWindow(next) && CanFocusWindow(next)) {
      SetFocus(next);
      break;
    }
  }
  return true;
}

LRESULT TForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_GETFONT: return reinterpret_cast<LRESULT>(font_.get());
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        const HWND focus = GetFocus();
        if (focus && IsChild(Handle(), focus)) activeControl_ = focus;
      } else if (!HIWORD(wParam) && activeControl_ && IsWindow(activeControl_) &&
                 IsChild(Handle(), activeControl_) && CanFocusWindow(activeControl_)) {
        // In place of the window itself, which the default would focus.
        SetFocus(activeControl_);
        return 0;
      }
      break;
  }
  return Window::HandleMessage(message, wParam, lParam);
}

void CentreOnScreen(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  const int width = r.right - r.left, height = r.bottom - r.top;
  SetWindowPos(window, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
               (GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace veltrane
