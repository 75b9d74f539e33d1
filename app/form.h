// TForm: the base of the program's three top-level windows. It registers
// the window's class with the program's icon, makes the window with a
// fixed frame around a client area of the size given, in the middle of
// the screen, and keeps the window's font, which it answers to WM_GETFONT
// so that the controls on it take that font.
#pragma once

#include <windows.h>

#include "controls/handles.h"
#include "controls/paint.h"
#include "controls/window.h"

namespace veltrane {

class TForm : public Window {
 public:
  HFONT FormFont() const noexcept { return font_.get(); }

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
};

// Moves `window` to the middle of the screen, keeping its size.
void CentreOnScreen(HWND window);

}  // namespace veltrane
