// TForm3: the Options dialog, modeless. The check box cbrestore enables and
// disables Apply; Apply restores the registry from backuphkcu.reg beside
// the executable (refused, with a beep, while a scan, a clean or another
// restore runs); Close (and the title bar's close box, and Escape) hides
// the dialog. The restore lets waiting messages be handled as it goes
// (WorkPacer), so every window keeps answering.
#pragma once

#include <windows.h>

#include "app/app_services.h"
#include "app/command_gate.h"
#include "app/form.h"
#include "app/work_pacer.h"
#include "controls/gradient_button.h"
#include "controls/gradient_panel.h"
#include "controls/handles.h"
#include "controls/text_label.h"
#include "controls/window.h"

namespace veltrane {

class TForm3 final : public TForm {
 public:
  static constexpr const char* kClassName = "VeltraneOptionsDialog";
  static constexpr int kClientWidth = 344;
  static constexpr int kClientHeight = 184;

  TForm3(AppServices& services, CommandGate& gate);
  ~TForm3() override;

  // Makes the dialog, hidden, in the middle of the screen, owned by `owner`
  // (the main window).
  bool Create(HWND owner);
  // Shows the dialog without making it modal; when it is already shown, it
  // comes to the front.
  void ShowOptions();

  void cbrestoreClick();
  void applybtnClick();
  void closebtnClick();

  bool RestoreChecked() const;

  TGradientPanel GradientPanel1;
  TTextLabel Label2;
  UniqueWindow cbrestore;
  TGradientButton applybtn, closebtn;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  // Ends a restore in the gate however it ends, and carries out a close of
  // the main window that waited for it.
  class RestoreScope {
   public:
    explicit RestoreScope(TForm3& form);
    ~RestoreScope();
    RestoreScope(const RestoreScope&) = delete;
    RestoreScope& operator=(const RestoreScope&) = delete;

   private:
    TForm3& form_;
    HWND owner_;
  };

  void CreateControls();
  // Label2 wide enough for its caption in the font at hand.
  void FitLabel();
  void DpiChanged() override;

  AppServices& services_;
  CommandGate& gate_;
  WorkPacer pacer_;
  PacedRegistry registry_;
};

}  // namespace veltrane
