// TForm: the base of the program's three top-level windows. It registers
// the window's class with the program's icon, makes the window with a
// fixed frame around a client area of the size given, in the middle of
// the screen, and keeps the window's font, which it answers to WM_GETFONT
// so that the controls on it take that font.
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
    int clientWidth, clientHeight;
    FontDesc font;
  };
  // False when the window could not be made.
  bool CreateForm(const FormLook& look, HWND owner);

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  UniqueFont font_;
  std::vector<HWND> tabOrder_;
  HWND activeControl_ = nullptr;
};

// Moves `window` to the middle of the screen, keeping its size.
void CentreOnScreen(HWND window);

}  // namespace veltrane
