#include "controls/window.h"

#include <exception>
#include <vector>

#include "controls/platform.h"

namespace veltrane {
namespace {

// The object of a window is kept twice: in its user data, where the window
// procedure reads it for every message (a read of the window's own
// memory), and as a property, where FromHandle looks for it because any
// window can carry user data but only ours carry this property (a lookup
// that costs a round trip to the server under Wine).
constexpr const char* kObjectProperty = "Veltrane.Window";

void Attach(HWND window, Window* self) {
  SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  if (self) {
    SetPropA(window, kObjectProperty, self);
  } else {
    RemovePropA(window, kObjectProperty);
  }
}

Window::ExceptionReporter& Reporter() {
  static Window::ExceptionReporter reporter;
  return reporter;
}

// The windows below `root` in window order, the focused one first.
std::vector<HWND> ControlsFocusedFirst(HWND root, HWND focus) {
  std::vector<HWND> windows;
  if (focus && focus != root && IsChild(root, focus)) windows.push_back(focus);
  EnumChildWindows(
      root,
      [](HWND child, LPARAM list) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&windows));
  if (focus && focus != root && IsChild(root, focus)) {
    for (std::size_t i = 1; i < windows.size(); ++i) {
      if (windows[i] == focus) {
        windows.erase(windows.begin() + static_cast<std::ptrdiff_t>(i));
        break;
      }
    }
  }
  return windows;
}

template <typename Offer>
bool OfferToControls(HWND root, HWND focus, Offer offer) {
  for (HWND window : ControlsFocusedFirst(root, focus)) {
    if (!IsWindow(window)) continue;
    if (Window* control = Window::FromHandle(window)) {
      // A key may click a button outside any window procedure: its
      // handler's exceptions are reported here, as there.
      try {
        if (offer(*control)) return true;
      } catch (const std::exception& e) {
        Window::ReportException(window, e.what());
        return true;
      }
    }
  }
  return false;
}

}  // namespace

Window::~Window() {
  *alive_ = false;
  if (hwnd_) {
    // Detach first: the derived parts are gone, so nothing may reach them.
    const HWND window = hwnd_;
    Attach(window, nullptr);
    hwnd_ = nullptr;
    DestroyWindow(window);
  }
}

Window* Window::FromHandle(HWND window) noexcept {
  if (!window) return nullptr;
  return static_cast<Window*>(GetPropA(window, kObjectProperty));
}

int Window::DpiOf(HWND window) {
  if (const Window* ours = FromHandle(window)) return ours->Dpi();
  return WindowDpi(window);
}

void Window::SetExceptionReporter(ExceptionReporter reporter) { Reporter() = std::move(reporter); }

void Window::ReportException(HWND window, const std::string& text) {
  if (Reporter()) {
    Reporter()(window, text);
    return;
  }
  HWND owner = window ? GetAncestor(window, GA_ROOT) : nullptr;
  MessageBoxA(owner, text.c_str(), "Error", MB_OK | MB_ICONERROR);
}

void Window::ReportCurrentException(HWND window) noexcept {
  try {
    throw;
  } catch (const std::exception& e) {
    ReportException(window, e.what());
  } catch (...) {
    ReportException(window, "An unknown error occurred.");
  }
}

bool Window::DialogKey(WPARAM, bool) { return false; }
bool Window::DialogChar(char) { return false; }
bool Window::TabKey(bool) { return false; }

ATOM Window::RegisterWindowClass(const char* className, UINT style, HCURSOR cursor,
                                 HBRUSH background, HICON icon) {
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSEXA existing{};
  existing.cbSize = sizeof existing;
  if (const ATOM atom = static_cast<ATOM>(GetClassInfoExA(instance, className, &existing))) {
    return atom;
  }
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.style = style;
  wc.lpfnWndProc = &Window::WindowProcedure;
  wc.hInstance = instance;
  wc.hCursor = cursor ? cursor : LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = background;
  wc.hIcon = icon;
  wc.lpszClassName = className;
  return RegisterClassExA(&wc);
}

bool Window::CreateHandle(ATOM windowClass, DWORD exStyle, const char* title, DWORD style, int x,
                          int y, int width, int height, HWND parent, HMENU menuOrId) {
  if (hwnd_ || !windowClass) return false;
  const HWND window = CreateWindowExA(exStyle, MAKEINTATOM(windowClass), title, style, x, y, width,
                                      height, parent, menuOrId, GetModuleHandleA(nullptr), this);
  return window != nullptr && hwnd_ == window;
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(hwnd_, message, wParam, lParam);
}

void Window::DestroyHandle() {
  if (hwnd_) DestroyWindow(hwnd_);
}

int Window::ShowModal() {
  if (!hwnd_) return 0;
  modalResult_ = 0;
  struct Search {
    HWND self;
    std::vector<HWND> disabled;
  } search{hwnd_, {}};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        if (window != s->self && IsWindowVisible(window) && IsWindowEnabled(window)) {
          s->disabled.push_back(window);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  for (HWND window : search.disabled) EnableWindow(window, FALSE);

  const HWND self = hwnd_;
  const HWND owner = GetWindow(self, GW_OWNER);
  const auto alive = alive_;
  ShowWindow(self, SW_SHOW);
  SetActiveWindow(self);
  MSG message;
  while (*alive && hwnd_ && IsWindowVisible(hwnd_) && modalResult_ == 0) {
    const BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    if (got == -1) break;
    DispatchMessageWithKeys(message);
  }
  // Enable the others before hiding, so that activation goes back to them.
  for (HWND window : search.disabled) {
    if (IsWindow(window)) EnableWindow(window, TRUE);
  }
  if (!*alive) return 2;
  if (IsWindow(self)) ShowWindow(self, SW_HIDE);
  if (owner && IsWindow(owner)) SetActiveWindow(owner);
  if (modalResult_ == 0) modalResult_ = 2;
  return modalResult_;
}

bool ModifierKeysHeld() {
  return GetKeyState(VK_SHIFT) < 0 || GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0;
}

bool CanFocusWindow(HWND window) {
  for (HWND w = window; w; w = GetParent(w)) {
    if (!IsWindowVisible(w) || !IsWindowEnabled(w)) return false;
    if (!(GetWindowLongPtrA(w, GWL_STYLE) & WS_CHILD)) break;
  }
  return window != nullptr;
}

bool TranslateControlKeys(const MSG& message) {
  const bool keyDown = message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN;
  const bool character = message.message == WM_CHAR || message.message == WM_SYSCHAR;
  if (!keyDown && !character) return false;
  const HWND focus = GetFocus();
  const HWND target = focus ? focus : message.hwnd;
  if (!target) return false;
  const HWND root = GetAncestor(target, GA_ROOT);
  if (!root) return false;
  const bool foreignFocus = focus && !Window::FromHandle(focus);

  if (message.message == WM_KEYDOWN && message.wParam == VK_TAB) {
    if (GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0) return false;
    if (foreignFocus) {
      const LRESULT code =
          SendMessageA(focus, WM_GETDLGCODE, message.wParam, reinterpret_cast<LPARAM>(&message));
      if (code & (DLGC_WANTTAB | DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)) return false;
    }
    Window* form = Window::FromHandle(root);
    return form && form->TabKey(GetKeyState(VK_SHIFT) < 0);
  }
  if (keyDown) {
    if (message.wParam != VK_RETURN && message.wParam != VK_ESCAPE) return false;
    if (foreignFocus) {
      const LRESULT code =
          SendMessageA(focus, WM_GETDLGCODE, message.wParam, reinterpret_cast<LPARAM>(&message));
      if (code & (DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)) return false;
    }
    const bool modifiers = ModifierKeysHeld();
    return OfferToControls(
        root, focus, [&](Window& control) { return control.DialogKey(message.wParam, modifiers); });
  }

  const bool alt = message.message == WM_SYSCHAR;
  if (!alt && foreignFocus) {
    const LRESULT code =
        SendMessageA(focus, WM_GETDLGCODE, message.wParam, reinterpret_cast<LPARAM>(&message));
    if (code & (DLGC_WANTCHARS | DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)) return false;
  }
  const char typed = static_cast<char>(message.wParam & 0xFF);
  return OfferToControls(root, focus, [&](Window& control) { return control.DialogChar(typed); });
}

void DispatchMessageWithKeys(const MSG& message) {
  if (TranslateControlKeys(message)) return;
  TranslateMessage(&message);
  DispatchMessageA(&message);
}

LRESULT CALLBACK Window::WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* self = nullptr;
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    self = static_cast<Window*>(create->lpCreateParams);
    if (self) {
      self->hwnd_ = window;
      Attach(window, self);
    }
  } else {
    self = reinterpret_cast<Window*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  }
  if (!self) return DefWindowProcA(window, message, wParam, lParam);

  if (message == WM_NCDESTROY) {
    Attach(window, nullptr);
    self->hwnd_ = nullptr;
    const LRESULT result = DefWindowProcA(window, message, wParam, lParam);
    try {
      self->HandleDestroyed();
    } catch (const std::exception& e) {
      ReportException(nullptr, e.what());
    }
    return result;
  }
  try {
    return self->HandleMessage(message, wParam, lParam);
  } catch (...) {
    ReportCurrentException(window);
  }
  return 0;
}

}  // namespace veltrane
