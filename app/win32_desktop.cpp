#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include "app/win32_desktop.h"

namespace veltrane {
namespace {

const char* OrNull(const std::string& text) { return text.empty() ? nullptr : text.c_str(); }

HWND ToHwnd(WindowHandle window) { return reinterpret_cast<HWND>(window); }

}  // namespace

std::intptr_t Win32Desktop::ShellExecute(WindowHandle owner, const std::string& verb,
                                         const std::string& file, const std::string& parameters,
                                         const std::string& folder, int show) {
  const HINSTANCE result = ShellExecuteA(ToHwnd(owner), OrNull(verb), file.c_str(),
                                         OrNull(parameters), OrNull(folder), show);
  return reinterpret_cast<std::intptr_t>(result);
}

WindowHandle Win32Desktop::FindTopLevelWindow(const std::string& title) {
  return reinterpret_cast<WindowHandle>(FindWindowExA(nullptr, nullptr, nullptr, title.c_str()));
}

bool Win32Desktop::PostMessage(WindowHandle window, unsigned message, std::uintptr_t wParam,
                               std::intptr_t lParam) {
  return PostMessageA(ToHwnd(window), message, wParam, lParam) != 0;
}

int Win32Desktop::MessageBox(WindowHandle owner, const std::string& text,
                             const std::string& caption, unsigned flags) {
  return MessageBoxA(ToHwnd(owner), text.c_str(), caption.c_str(), flags);
}

}  // namespace veltrane
