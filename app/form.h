// TForm: the base of the program's three top-level windows. It registers
// the window's class with the program's icon, makes the window with a
// fixed frame around a client area of the size given, in the middle of
// the screen, and keeps the window's font, which it answers to WM_GETFONT
// so that the controls on it take that font.
//
// Display scale: sizes and fonts are given for 96 dpi. The window takes
// the dpi of the monitor it is made on (the system's, where the system
// knows no other) and scales its client area, its font, its icons and its
// controls by dpi / 96. Dragged to a monitor of another scale (Windows
// sends WM_DPICHANGED), it scales its controls again and takes the place
// the system suggests, which WM_GETDPISCALEDSIZE makes exactly the scaled
// client area within the new frame.
//
// Keyboard, as dialogs have it: Tab and Shift+Tab go round the controls of
// the tab order, skipping those that cannot take the focus; the control
// that had the focus when the window was deactivated (Alt+Tab, a modal
// window) has it again when the window is activated.
#pragma once

#include <windows.h>

#include <utility>
#include <vector>

#include "controls/handles.h"
#include "controls/paint.h"
#include "controls/window.h"

namespace veltrane {

class TForm : public Window {
 public:
  HFONT FormFont() const noexcept { return font_.get(); }

  // The controls Tab goes through, in order; with none, Tab is left to
  // the message loop.
  void SetTabOrder(std::vector<HWND> controls) { tabOrder_ = std::move(controls); }
  bool TabKey(bool backward) override;
  // The control that takes the focus when the window is next activated.
  void SetActiveControl(HWND control) { activeControl_ = control; }

 protected:
  struct FormLook {
    const char* className;
    HBRUSH background;
    const char* caption;
    DWORD style;
    int clientWidth, clientHeight;  // at 96 dpi
    FontDesc font;                  // at 96 dpi
  };
  // False when the window could not be made.
  bool CreateForm(const FormLook& look, HWND owner);

  // A value given for 96 dpi, for the window's dpi.
  int Scaled(int value) const { return ScaleForDpi(value, Dpi()); }

  // After the window's font and every control of ours on it took a new
  // dpi: the window scales what else it has (standard controls, pictures).
  // The window's old font still exists until this returns.
  virtual void DpiChanged() {}

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  // The window's frame around its client area scaled for `dpi`.
  SIZE FrameSize(int dpi) const;
  // The icons of the title bar and the task bar, at their sizes for the
  // window's dpi.
  void SetIcons();
  // The window takes `dpi`: its font, icons and controls.
  void ApplyDpi(int dpi);

  FontDesc fontDesc_;
  DWORD style_ = 0;
  int clientWidth_ = 0, clientHeight_ = 0;
  UniqueFont font_;
  UniqueIcon smallIcon_, bigIcon_;
  std::vector<HWND> tabOrder_;
  HWND activeControl_ = nullptr;
};

// Moves `window` to the middle of the screen, keeping its size.
void CentreOnScreen(HWND window);

}  // namespace veltrane
