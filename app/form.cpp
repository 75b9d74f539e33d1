#include "app/form.h"

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

LRESULT TForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_GETFONT) return reinterpret_cast<LRESULT>(font_.get());
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
