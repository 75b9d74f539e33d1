#include "app/form.h"

#include <algorithm>

#include "app/resource.h"
#include "controls/control.h"
#include "controls/platform.h"

namespace veltrane {
namespace {

// WM_GETDPISCALEDSIZE, which the headers give only from Windows 10 on.
constexpr UINT kGetDpiScaledSize = 0x02E4;

}  // namespace

bool TForm::CreateForm(const FormLook& look, HWND owner) {
  const ATOM windowClass =
      RegisterWindowClass(look.className, 0, nullptr, look.background,
                          LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_VELTRANE)));
  fontDesc_ = look.font;
  style_ = look.style;
  clientWidth_ = look.clientWidth;
  clientHeight_ = look.clientHeight;
  RECT frame{0, 0, look.clientWidth, look.clientHeight};
  AdjustWindowRectEx(&frame, look.style, FALSE, 0);
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  if (!CreateHandle(windowClass, 0, look.caption, look.style,
                    (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                    (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, owner)) {
    return false;
  }
  StoreDpi(WindowDpi(Handle()));
  font_ = CreateFontFrom(fontDesc_, Dpi());
  if (Dpi() != kDefaultDpi) {
    // Made at its size for 96 dpi, the window takes its size for its
    // monitor before anything is put on it.
    const SIZE size = FrameSize(Dpi());
    SetWindowPos(Handle(), nullptr, (GetSystemMetrics(SM_CXSCREEN) - size.cx) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - size.cy) / 2, size.cx, size.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    SetIcons();
  }
  return true;
}

SIZE TForm::FrameSize(int dpi) const {
  RECT frame{0, 0, ScaleForDpi(clientWidth_, dpi), ScaleForDpi(clientHeight_, dpi)};
  AdjustWindowRectForDpi(&frame, style_, 0, dpi);
  return SIZE{frame.right - frame.left, frame.bottom - frame.top};
}

void TForm::SetIcons() {
  const HINSTANCE module = GetModuleHandleA(nullptr);
  const auto icon = [&](int widthIndex, int heightIndex) {
    return UniqueIcon(static_cast<HICON>(LoadImageA(
        module, MAKEINTRESOURCEA(IDI_VELTRANE), IMAGE_ICON, SystemMetricForDpi(widthIndex, Dpi()),
        SystemMetricForDpi(heightIndex, Dpi()), 0)));
  };
  UniqueIcon small = icon(SM_CXSMICON, SM_CYSMICON);
  UniqueIcon big = icon(SM_CXICON, SM_CYICON);
  SendMessageA(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.get()));
  SendMessageA(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.get()));
  // The icons they replace go only now that the window no longer shows them.
  smallIcon_ = std::move(small);
  bigIcon_ = std::move(big);
}

void TForm::ApplyDpi(int dpi) {
  if (dpi <= 0 || dpi == Dpi()) return;
  StoreDpi(dpi);
  const UniqueFont old = std::move(font_);
  font_ = CreateFontFrom(fontDesc_, dpi);
  // Parents come before their children here, so each control is placed
  // within a parent that already has its new size.
  EnumChildWindows(
      Handle(),
      [](HWND child, LPARAM newDpi) -> BOOL {
        if (auto* control = dynamic_cast<TControl*>(Window::FromHandle(child))) {
          control->SetDpi(static_cast<int>(newDpi));
        }
        return TRUE;
      },
      dpi);
  SetIcons();
  DpiChanged();
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
    case WM_DPICHANGED: {
      ApplyDpi(LOWORD(wParam));
      if (const auto* place = reinterpret_cast<const RECT*>(lParam)) {
        SetWindowPos(Handle(), nullptr, place->left, place->top, place->right - place->left,
                     place->bottom - place->top, SWP_NOZORDER | SWP_NOACTIVATE);
      }
      return 0;
    }
    case kGetDpiScaledSize:
      // A maximised or minimised window keeps the size the system gives it.
      if (IsZoomed(Handle()) || IsIconic(Handle())) break;
      *reinterpret_cast<SIZE*>(lParam) = FrameSize(static_cast<int>(wParam));
      return TRUE;
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
