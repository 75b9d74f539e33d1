#include "app/form1.h"

#include <commctrl.h>

#include <stdexcept>

#include "app/control_ids.h"
#include "app/form2.h"
#include "app/form3.h"
#include "app/message_pump.h"
#include "app/resource.h"
#include "app/site.h"
#include "app/test_thread.h"
#include "clean/backup.h"
#include "clean/cleaner.h"
#include "clean/undo_file.h"
#include "registry/tregistry.h"
#include "scan/scan_all.h"

namespace veltrane {
namespace {

constexpr DWORD kStyle =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_CLIPCHILDREN;
constexpr int kBottomPanelHeight = 26;
// lvax keeps its distances to the right and bottom edges as the window
// grows (it is anchored to all four sides).
constexpr int kListLeft = 48, kListTop = 46, kListWidth = 641, kListHeight = 265;
constexpr int kCopyLeft = 56, kCopyTop = 56, kCopyWidth = 609, kCopyHeight = 241;

constexpr Color kBlue = MakeColor(0, 0, 255);
constexpr Color kSilverFace = 14344414;
constexpr Color kSilverLight = 8224125;
constexpr Color kSilverDark = 6447714;

const FontDesc kCommandLabelFont{
    .name = "Tahoma", .height = 13, .bold = true, .underline = true, .color = kClWindowText};
const FontDesc kListFont{"Tahoma", 12};

// The glyph drawn for the display scale nearest to `dpi`'s.
UniqueBitmap LoadGlyph(int id, int dpi) {
  const int step = (PictureScaleForDpi(dpi) - 100) / 25;
  return UniqueBitmap(static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr),
                                                      MAKEINTRESOURCEA(id + step * IDB_SCALE_STEP),
                                                      IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
}

void SetUpCommandButton(TGradientButton& button, const char* hint) {
  button.SetColorScheme(TColorScheme::csNeoSilver);
  button.SetLayout(TButtonLayout::blGlyphLeft);
  button.SetSpacing(4);
  button.SetTransparentGlyph(true);
  button.SetGradient(true);
  button.SetHotTrack(true);
  button.SetHint(hint);
}

HBRUSH BackgroundBrush() {
  static const UniqueBrush brush(CreateSolidBrush(TForm1::kBackground));
  return brush.get();
}

}  // namespace

TForm1::TForm1(AppServices& services, CommandGate& gate)
    : services_(services),
      gate_(gate),
      pacer_(gate,
             [this] {
               ShowProgressIfDue();
               veltrane::ProcessMessages();
             }),
      registry_(services.registry, pacer_),
      files_(services.files, pacer_),
      context_(registry_, files_, *this, lvaxRows_, lv2Rows_) {}

TForm1::~TForm1() { DestroyHandle(); }

bool TForm1::Create() {
  if (!CreateForm({kClassName, BackgroundBrush(), site::kMainCaption, kStyle, kClientWidth,
                   kClientHeight, FontDesc{"Tahoma", 13}},
                  nullptr)) {
    return false;
  }
  listFont_ = CreateFontFrom(kListFont, Dpi());
  CreateControls();
  FormCreate();
  return true;
}

void TForm1::SetDialogs(TForm2* about, TForm3* options) {
  about_ = about;
  options_ = options;
}

void TForm1::CreateControls() {
  const HWND self = Handle();

  GradientPanel1.SetColorScheme(TPanelColorScheme::csSilver);
  GradientPanel1.SetFillDirection(TFillDirection::fdDiagonal);
  GradientPanel1.SetBevelOuter(TPanelBevel::bvNone);
  GradientPanel1.Create(self, 0, 0, kClientWidth, kClientHeight - kBottomPanelHeight,
                        ids::kGradientPanel1);

  GradientPanel2.SetColorFace(kSilverFace);
  GradientPanel2.SetColorGrad(kSilverFace);
  GradientPanel2.SetColorLight(kSilverLight);
  GradientPanel2.SetColorDark(kSilverDark);
  GradientPanel2.SetFillDirection(TFillDirection::fdVertical);
  GradientPanel2.SetBevelOuter(TPanelBevel::bvRaised);
  GradientPanel2.SetBevelWidth(1);
  GradientPanel2.Create(self, 0, kClientHeight - kBottomPanelHeight, kClientWidth,
                        kBottomPanelHeight, ids::kGradientPanel2);

  const HWND panel = GradientPanel1.Handle();
  struct CommandLabel {
    TTextLabel& label;
    int left;
    const char* caption;
    int id;
    void (TForm1::*click)();
    void (TForm1::*move)(int, int);
    void (TForm1::*leave)();
  };
  const CommandLabel labels[] = {
      {lscan, 64, "scan registry", ids::kLscan, &TForm1::lscanClick, &TForm1::lscanMouseMove,
       &TForm1::lscanMouseLeave},
      {lselect, 176, kSelectNone, ids::kLselect, &TForm1::lselectClick, &TForm1::lselectMouseMove,
       &TForm1::lselectMouseLeave},
      {lclean, 280, "clean registry", ids::kLclean, &TForm1::lcleanClick, &TForm1::lcleanMouseMove,
       &TForm1::lcleanMouseLeave},
      {loptions, 400, "options", ids::kLoptions, &TForm1::loptionsClick, &TForm1::loptionsMouseMove,
       &TForm1::loptionsMouseLeave},
      {lhelp, 480, "help", ids::kLhelp, &TForm1::lhelpClick, &TForm1::lhelpMouseMove,
       &TForm1::lhelpMouseLeave},
      {labout, 544, "about us", ids::kLabout, &TForm1::laboutClick, &TForm1::laboutMouseMove,
       &TForm1::laboutMouseLeave},
  };
  for (const CommandLabel& l : labels) {
    l.label.SetFont(kCommandLabelFont);
    l.label.SetHandCursor(true);
    l.label.OnClick = [this, click = l.click] { (this->*click)(); };
    l.label.OnMouseMove = [this, move = l.move](int x, int y) { (this->*move)(x, y); };
    l.label.OnMouseLeave = [this, leave = l.leave] { (this->*leave)(); };
    l.label.Create(panel, l.left, 16, l.caption, 0, 0, l.id);
  }

  struct CommandButton {
    TGradientButton& button;
    HWND parent;
    int top;
    const char* hint;
    int id;
    void (TForm1::*click)();
  };
  const CommandButton buttons[] = {
      {GradientButton1, self, 48, "scan registry", ids::kGradientButton1,
       &TForm1::GradientButton1Click},
      {GradientButton3, panel, 96, "clean registry", ids::kGradientButton3,
       &TForm1::GradientButton3Click},
      {GradientButton4, panel, 144, "options", ids::kGradientButton4,
       &TForm1::GradientButton4Click},
      {GradientButton5, panel, 192, "help", ids::kGradientButton5, &TForm1::GradientButton5Click},
      {GradientButton6, panel, 240, "about us", ids::kGradientButton6,
       &TForm1::GradientButton6Click},
  };
  LoadGlyphs();
  for (const CommandButton& b : buttons) {
    SetUpCommandButton(b.button, b.hint);
    b.button.OnClick = [this, click = b.click] { (this->*click)(); };
    b.button.Create(b.parent, 8, b.top, 33, 30, b.id);
  }

  lvax.OnRepaintWanted = [this] { ShowProgressIfDue(); };
  lvax.SetDpi(Dpi());
  lvax.Create(self, Scaled(kListLeft), Scaled(kListTop), Scaled(kListWidth), Scaled(kListHeight),
              ids::kLvax, /*checkBoxes*/ true, /*border*/ true, /*visible*/ true);
  lvax.SetFont(listFont_.get());
  // Not drawn: the name a screen reader gives the list.
  SetWindowTextA(lvax.Handle(), "Findings");
  lv2.SetDpi(Dpi());
  lv2.Create(self, Scaled(kCopyLeft), Scaled(kCopyTop), Scaled(kCopyWidth), Scaled(kCopyHeight),
             ids::kLv2, /*checkBoxes*/ false, /*border*/ false, /*visible*/ false);

  st.SetColor(kSilverFace);
  st.Create(GradientPanel2.Handle(), 48, 3, 137, 18, ids::kSt);

  pb.SetColorScheme(TProgressColorScheme::csGrass);
  pb.SetMin(0);
  pb.SetMax(100);
  pb.SetPosition(0);
  pb.SetStep(10);
  pb.SetOrientation(TProgressBarOrientation::pbHorizontal);
  pb.SetVisible(false);
  pb.Create(GradientPanel2.Handle(), 504, 0, 187, 25, ids::kPb);

  // The button and the list sit on the window over the panel: keep them
  // above it (the panel clips its siblings out).
  SetWindowPos(GradientButton1.Handle(), HWND_TOP, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SetWindowPos(lvax.Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

  SetTabOrder({GradientButton1.Handle(), GradientButton3.Handle(), GradientButton4.Handle(),
               GradientButton5.Handle(), GradientButton6.Handle(), lvax.Handle()});
  if (Dpi() != kDefaultDpi) {
    // The panels were made at their own scaled sizes, which may round to a
    // pixel beside those the window's scaled client area leaves them.
    RECT client{};
    GetClientRect(self, &client);
    Layout(client.right, client.bottom);
  }
}

void TForm1::LoadGlyphs() {
  const std::pair<TGradientButton TForm1::*, int> glyphs[] = {
      {&TForm1::GradientButton1, IDB_SCAN},    {&TForm1::GradientButton3, IDB_CLEAN},
      {&TForm1::GradientButton4, IDB_OPTIONS}, {&TForm1::GradientButton5, IDB_HELP},
      {&TForm1::GradientButton6, IDB_ABOUT},
  };
  for (const auto& [button, id] : glyphs) {
    if (const UniqueBitmap bitmap = LoadGlyph(id, Dpi())) (this->*button).SetGlyph(bitmap.get());
  }
}

void TForm1::DpiChanged() {
  UniqueFont listFont = CreateFontFrom(kListFont, Dpi());
  lvax.SetFont(listFont.get());
  listFont_ = std::move(listFont);
  lvax.SetDpi(Dpi());
  lv2.SetDpi(Dpi());
  if (lv2.Handle()) {
    SetWindowPos(lv2.Handle(), nullptr, Scaled(kCopyLeft), Scaled(kCopyTop), Scaled(kCopyWidth),
                 Scaled(kCopyHeight), SWP_NOZORDER | SWP_NOACTIVATE);
  }
  LoadGlyphs();
  RECT client{};
  GetClientRect(Handle(), &client);
  Layout(client.right, client.bottom);
}

void TForm1::FormCreate() {
  context_.SystemDriveRoot = ReadSystemDriveRoot(registry_);
  Hidden();
  status_ = "Ready";
  st.SetCaption(status_);
  lvaxRows_.CreateColumns();
  lv2Rows_.CreateColumns();
}

void TForm1::Hidden() { lv2.SetVisible(false); }

// ---- Commands --------------------------------------------------------------

void TForm1::lscanClick() {
  if (!gate_.TryBeginScan()) {
    MessageBeep(MB_OK);
    return;
  }
  if (!TTestThread::Start(
          Handle(), [this] { ScanAll(); }, [this] { ScanHandOverFailed(); })) {
    gate_.ScanEnded();
    throw std::runtime_error("The scan could not be started: no thread could be created.");
  }
}

void TForm1::ScanHandOverFailed() {
  // The driver will not run: the scan command ends here, and the user
  // hears why.
  const CommandScope scope(*this, &CommandGate::ScanEnded);
  throw std::runtime_error("The scan could not be started: its thread could not hand it over.");
}

void TForm1::GradientButton1Click() { lscanClick(); }

void TForm1::ScanAll() {
  const CommandScope scope(*this, &CommandGate::ScanEnded);
  veltrane::ScanAll(context_, [this] {
    // The final text shows before the export starts.
    ShowProgress();
    // Quiet, as the scan's backup step always is: the clean says where the
    // backup went, and writes one itself when this one failed.
    const BackupOutcome backup = EnsureBackup(registry_, UndoFolders(services_.folder));
    if (backup.state == BackupOutcome::kWritten) scanBackup_ = backup.file;
  });
}

void TForm1::lselectClick() {
  if (!gate_.MaySelect()) {
    MessageBeep(MB_OK);
    return;
  }
  lselect.SetCaption(SelectCommand(lvaxRows_, lselect.Caption()));
}

void TForm1::lcleanClick() {
  if (!gate_.TryBeginClean()) {
    MessageBeep(MB_OK);
    return;
  }
  const CommandScope scope(*this, &CommandGate::CleanEnded);
  const std::vector<std::string> places = UndoFolders(services_.folder);
  CleanContext clean{.lvax = lvaxRows_,
                     .lv2 = lv2Rows_,
                     .host = *this,
                     .registry = registry_,
                     .desktop = services_.desktop,
                     .owner = reinterpret_cast<WindowHandle>(Handle()),
                     .undoFolders = places,
                     .backupFolders = places,
                     .wait = [this](int milliseconds) { Pause(milliseconds); }};
  CleanCommand(clean);
  TellFallbackFolder(clean.backupFile.empty() ? scanBackup_ : clean.backupFile, clean.undoFile);
}

void TForm1::TellFallbackFolder(const std::string& backupFile, const std::string& undoFile) {
  if (toldFallback_) return;
  const std::string notice = FallbackNotice(services_.folder, backupFile, undoFile);
  if (notice.empty()) return;
  toldFallback_ = true;
  scanBackup_.clear();
  ShowProgress();  // the clean's last status first
  services_.desktop.MessageBox(reinterpret_cast<WindowHandle>(Handle()), notice, "Veltrane",
                               kMbOk | kMbIconInformation);
}

void TForm1::GradientButton3Click() { lcleanClick(); }

void TForm1::loptionsClick() {
  if (options_) options_->ShowOptions();
}

void TForm1::GradientButton4Click() { loptionsClick(); }

void TForm1::lhelpClick() {
  services_.desktop.ShellExecute(0, "", std::string(site::kWebHost) + site::kHelpPath, "", "",
                                 SW_SHOWNORMAL);
}

void TForm1::GradientButton5Click() { lhelpClick(); }

void TForm1::laboutClick() {
  if (about_) about_->ShowModal();
}

void TForm1::GradientButton6Click() { laboutClick(); }

void TForm1::lscanMouseMove(int, int) { lscan.SetTextColor(kBlue); }
void TForm1::lselectMouseMove(int, int) { lselect.SetTextColor(kBlue); }
void TForm1::lcleanMouseMove(int, int) { lclean.SetTextColor(kBlue); }
void TForm1::loptionsMouseMove(int, int) { loptions.SetTextColor(kBlue); }
void TForm1::lhelpMouseMove(int, int) { lhelp.SetTextColor(kBlue); }
void TForm1::laboutMouseMove(int, int) { labout.SetTextColor(kBlue); }
void TForm1::lscanMouseLeave() { lscan.SetTextColor(kBlack); }
void TForm1::lselectMouseLeave() { lselect.SetTextColor(kBlack); }
void TForm1::lcleanMouseLeave() { lclean.SetTextColor(kBlack); }
void TForm1::loptionsMouseLeave() { loptions.SetTextColor(kBlack); }
void TForm1::lhelpMouseLeave() { lhelp.SetTextColor(kBlack); }
void TForm1::laboutMouseLeave() { labout.SetTextColor(kBlack); }

TForm1::CommandScope::~CommandScope() {
  // The last progress shows, however the command ended.
  form_.ShowProgress();
  (form_.gate_.*end_)();
  // A close asked for while the command ran is carried out now.
  if (form_.gate_.CloseDue() && form_.Handle()) PostMessageA(form_.Handle(), WM_CLOSE, 0, 0);
}

// ---- ScanHost ----------------------------------------------------------------

void TForm1::SetStatus(const std::string& text) {
  status_ = text;
  statusPending_ = true;
  ShowProgressIfDue();
}

void TForm1::ShowProgress() {
  if (!statusPending_ && !lvax.RepaintPending()) return;
  const auto start = ProgressPace::Clock::now();
  // Rows first: a reader who sees the final text finds every row.
  if (lvax.RepaintPending()) lvax.ShowNow();
  if (statusPending_) {
    statusPending_ = false;
    st.SetCaption(status_);
  }
  pace_.Shown(start, ProgressPace::Clock::now());
}

void TForm1::ShowProgressIfDue() {
  if (pace_.Due(ProgressPace::Clock::now())) ShowProgress();
}

void TForm1::SetProgressPosition(int position) { pb.SetPosition(position); }
void TForm1::SetProgressMax(int maximum) { pb.SetMax(maximum); }
int TForm1::ProgressMax() const { return pb.Max(); }
void TForm1::ProcessMessages() {
  ShowProgressIfDue();
  veltrane::ProcessMessages();
}

void TForm1::Pause(int milliseconds) {
  // A pause gives the time to show everything.
  ShowProgress();
  PumpFor(milliseconds);
}
void TForm1::HideCopyList() { Hidden(); }

void TForm1::RefreshStatusLine() {
  st.SetVisible(false);
  st.SetVisible(true);
}

// ---- Messages ----------------------------------------------------------------

void TForm1::Layout(int width, int height) {
  const int panelHeight = Scaled(kBottomPanelHeight);
  const int bottom = height - panelHeight;
  const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
  if (GradientPanel2.Handle()) {
    SetWindowPos(GradientPanel2.Handle(), nullptr, 0, bottom, width, panelHeight, flags);
  }
  if (GradientPanel1.Handle()) {
    SetWindowPos(GradientPanel1.Handle(), nullptr, 0, 0, width, bottom, flags);
  }
  if (lvax.Handle()) {
    SetWindowPos(lvax.Handle(), nullptr, Scaled(kListLeft), Scaled(kListTop),
                 width - Scaled(kClientWidth) + Scaled(kListWidth),
                 height - Scaled(kClientHeight) + Scaled(kListHeight), flags);
  }
}

LRESULT TForm1::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == TTestThread::SynchronizeMessage()) {
    TTestThread::RunSynchronized(wParam, lParam);
    return 0;
  }
  switch (message) {
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header && (lvax.HandleNotify(*header) || lv2.HandleNotify(*header))) return 0;
      break;
    }
    case WM_SIZE:
      if (wParam != SIZE_MINIMIZED) Layout(LOWORD(lParam), HIWORD(lParam));
      return 0;
    case WM_CLOSE:
      if (gate_.RequestClose()) {
        closing_ = true;
        DestroyWindow(Handle());
      } else {
        // The running command needs the window's lists to the end.
        ShowWindow(Handle(), SW_HIDE);
      }
      return 0;
    case WM_DESTROY:
      // Closing the main window ends the program.
      if (closing_) PostQuitMessage(0);
      return 0;
  }
  return TForm::HandleMessage(message, wParam, lParam);
}

}  // namespace veltrane
