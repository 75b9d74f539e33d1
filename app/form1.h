// TForm1: the main window. The command labels and buttons, the findings
// list lvax with its hidden copy lv2, the status line st and the hidden
// progress bar pb; the scan, select, clean, options, help and about
// commands; and the scan host the checks report to.
//
// While a scan, a clean or a restore runs, a scan, clean or select is
// refused (with a beep); everything else works, as the work lets waiting
// messages be handled every 50 ms or so (WorkPacer). Closing the window
// while one runs hides it, and it closes once it has ended.
//
// What the checks report is shown at screen pace (ProgressPace): rows go
// into the list at once, but the list's repaint and the status line's new
// text wait for the next showing, and the last of them always shows before
// the command ends.
#pragma once

#include <windows.h>

#include <string>

#include "app/app_services.h"
#include "app/command_gate.h"
#include "app/findings_view.h"
#include "app/form.h"
#include "app/progress_pace.h"
#include "app/work_pacer.h"
#include "controls/gradient_button.h"
#include "controls/gradient_panel.h"
#include "controls/gradient_progress_bar.h"
#include "controls/handles.h"
#include "controls/status_text.h"
#include "controls/text_label.h"
#include "controls/window.h"
#include "scan/findings.h"
#include "scan/scan_context.h"
#include "scan/scan_host.h"

namespace veltrane {

class TForm2;
class TForm3;

class TForm1 final : public TForm, public ScanHost {
 public:
  static constexpr const char* kClassName = "VeltraneMainWindow";
  static constexpr int kClientWidth = 704;
  static constexpr int kClientHeight = 348;
  static constexpr Color kBackground = 14344414;

  TForm1(AppServices& services, CommandGate& gate);
  ~TForm1() override;

  // Makes the window (hidden, centred on the screen) with all its controls,
  // then runs FormCreate.
  bool Create();
  // The dialogs the options and about commands show.
  void SetDialogs(TForm2* about, TForm3* options);

  // ---- Commands ----
  void lscanClick();
  void GradientButton1Click();
  void lselectClick();
  void lcleanClick();
  void GradientButton3Click();
  void loptionsClick();
  void GradientButton4Click();
  void lhelpClick();
  void GradientButton5Click();
  void laboutClick();
  void GradientButton6Click();

  void lscanMouseMove(int x, int y);
  void lselectMouseMove(int x, int y);
  void lcleanMouseMove(int x, int y);
  void loptionsMouseMove(int x, int y);
  void lhelpMouseMove(int x, int y);
  void laboutMouseMove(int x, int y);
  void lscanMouseLeave();
  void lselectMouseLeave();
  void lcleanMouseLeave();
  void loptionsMouseLeave();
  void lhelpMouseLeave();
  void laboutMouseLeave();

  // Start-up work: SystemDriveRoot, lv2 hidden, "Ready", the columns.
  void FormCreate();
  // Hides lv2.
  void Hidden();
  // The scan driver on this window's lists, with the backup step.
  void ScanAll();
  // The scan's thread could not hand ScanAll over: the command ends, and
  // the error box says so.
  void ScanHandOverFailed();

  // ---- ScanHost ----
  void SetStatus(const std::string& text) override;
  std::string Status() const override { return status_; }
  void SetProgressPosition(int position) override;
  void SetProgressMax(int maximum) override;
  int ProgressMax() const override;
  void ProcessMessages() override;
  void Pause(int milliseconds) override;
  void HideCopyList() override;
  void RefreshStatusLine() override;

  // ---- State, for the program and its tests ----
  const std::string& SystemDriveRoot() const noexcept { return context_.SystemDriveRoot; }
  FindingsList& lvaxRows() noexcept { return lvaxRows_; }
  FindingsList& lv2Rows() noexcept { return lv2Rows_; }
  ScanContext& Context() noexcept { return context_; }
  const CommandGate& Gate() const noexcept { return gate_; }

 private:
  // The two lists the views show; declared before the views.
  FindingsList lvaxRows_, lv2Rows_;

 public:
  TGradientPanel GradientPanel1, GradientPanel2;
  TTextLabel lscan, lselect, lclean, loptions, lhelp, labout;
  TGradientButton GradientButton1, GradientButton3, GradientButton4, GradientButton5,
      GradientButton6;
  TFindingsView lvax{lvaxRows_};
  TFindingsView lv2{lv2Rows_};
  TStatusText st;
  TGradientProgressBar pb;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  // Ends a scan or a clean in the gate however it ends, and carries out a
  // close that waited for it.
  class CommandScope {
   public:
    CommandScope(TForm1& form, void (CommandGate::*end)()) : form_(form), end_(end) {}
    ~CommandScope();
    CommandScope(const CommandScope&) = delete;
    CommandScope& operator=(const CommandScope&) = delete;

   private:
    TForm1& form_;
    void (CommandGate::*end_)();
  };

  void CreateControls();
  // The five buttons' glyphs, drawn for the window's display scale.
  void LoadGlyphs();
  void DpiChanged() override;
  void Layout(int width, int height);
  // After a clean: says once where the backup and the undo file went when
  // that was the per-user folder.
  void TellFallbackFolder(const std::string& backupFile, const std::string& undoFile);
  // Shows the rows and the status text reported since the last showing;
  // ShowProgressIfDue only when the pace allows.
  void ShowProgress();
  void ShowProgressIfDue();

  AppServices& services_;
  CommandGate& gate_;
  WorkPacer pacer_;
  PacedRegistry registry_;
  PacedFileProbe files_;
  ScanContext context_;
  ProgressPace pace_;
  std::string status_;  // the status line's text, shown or to be shown
  bool statusPending_ = false;
  bool closing_ = false;  // the user closed the window: the program ends
  // The backup a scan wrote, until a clean has told where it went.
  std::string scanBackup_;
  bool toldFallback_ = false;  // the user heard once where the files went
  UniqueFont listFont_;
  TForm2* about_ = nullptr;
  TForm3* options_ = nullptr;
};

}  // namespace veltrane
