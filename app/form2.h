// TForm2: the About dialog. Product name, version, copyright, the web link
// (Label8) and the mail link (Label9), and a Close button. Shown modally by
// the main window; its first instance serves as the splash window at
// start-up. Closing it only hides it.
#pragma once

#include <windows.h>

#include "app/form.h"
#include "clean/desktop.h"
#include "controls/gradient_button.h"
#include "controls/gradient_panel.h"
#include "controls/handles.h"
#include "controls/text_label.h"
#include "controls/window.h"

namespace veltrane {

// A timer with no handler: it never fires, so it is only its properties.
struct TTimer {
  bool Enabled = true;
  unsigned Interval = 1000;
};

class TForm2 final : public TForm {
 public:
  static constexpr const char* kClassName = "VeltraneAboutDialog";
  static constexpr int kClientWidth = 344;
  static constexpr int kClientHeight = 195;

  explicit TForm2(Desktop& desktop);
  ~TForm2() override;

  // Makes the dialog, hidden, centred on the screen; `owner` may be null.
  bool Create(HWND owner);
  // The splash: shown at once and painted now, without a message loop.
  void ShowSplash();
  // Modal showing, centred on the screen each time.
  int ShowModal();

  void Label8Click();
  void Label8MouseMove(int x, int y);
  void Label8MouseLeave();
  void Label9Click();
  void clsbtnClick();

  TGradientPanel GradientPanel1;
  TTextLabel Label2, Label3, Label4, Label5, Label6, Label7, Label8, Label9;
  TGradientButton clsbtn;
  TTimer Timer1;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void CreateControls();

  Desktop& desktop_;
};

}  // namespace veltrane
