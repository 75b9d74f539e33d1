#include "app/form3.h"

#include "app/control_ids.h"
#include "app/message_pump.h"
#include "app/site.h"
#include "clean/restore.h"

namespace veltrane {
namespace {

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr const char* kRestoreLabel = "Restore Registry Keys";

const FontDesc kLabelFont{.name = "Tahoma", .height = 13};
constexpr int kLabelWidth = 124, kLabelHeight = 16;
constexpr int kCheckLeft = 24, kCheckTop = 64, kCheckSize = 17;

int TextWidth(const FontDesc& desc, const std::string& text, int dpi) {
  const UniqueFont font = CreateFontFrom(desc, dpi);
  WindowDC screen(nullptr);
  MemoryDC dc(screen.get());
  SelectGuard select(dc.get(), font.get());
  return static_cast<int>(MeasureCaption(dc.get(), text, DT_LEFT | DT_EXPANDTABS).cx);
}

}  // namespace

TForm3::TForm3(AppServices& services, CommandGate& gate)
    : services_(services),
      gate_(gate),
      pacer_(gate, [] { ProcessMessages(); }),
      registry_(services.registry, pacer_) {}

TForm3::~TForm3() { DestroyHandle(); }

bool TForm3::Create(HWND owner) {
  if (!CreateForm(
          {kClassName, reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1)),
           site::kOptionsCaption, kStyle, kClientWidth, kClientHeight, FontDesc{"Tahoma", 11}},
          owner)) {
    return false;
  }
  CreateControls();
  return true;
}

void TForm3::CreateControls() {
  GradientPanel1.SetColorScheme(TPanelColorScheme::csSilver);
  GradientPanel1.SetFillDirection(TFillDirection::fdVertical);
  GradientPanel1.SetBevelOuter(TPanelBevel::bvRaised);
  GradientPanel1.Create(Handle(), 0, 0, kClientWidth, kClientHeight, ids::kOptionsPanel);
  const HWND panel = GradientPanel1.Handle();

  Label2.SetFont(kLabelFont);
  Label2.SetAutoSize(false);
  Label2.Create(panel, 48, 64, kRestoreLabel, kLabelWidth, kLabelHeight, ids::kOptionsLabel2);
  FitLabel();

  cbrestore.reset(CreateWindowExA(
      0, "BUTTON", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS | BS_AUTOCHECKBOX,
      Scaled(kCheckLeft), Scaled(kCheckTop), Scaled(kCheckSize), Scaled(kCheckSize), panel,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(ids::kCbrestore)), GetModuleHandleA(nullptr),
      nullptr));
  if (cbrestore) {
    SendMessageA(cbrestore.get(), WM_SETFONT, reinterpret_cast<WPARAM>(FormFont()), FALSE);
    SendMessageA(cbrestore.get(), BM_SETCHECK, BST_CHECKED, 0);
  }

  for (TGradientButton* button : {&applybtn, &closebtn}) {
    button->SetColorScheme(TColorScheme::csNeoSilver);
    button->SetGradient(true);
    button->SetHotTrack(true);
  }
  applybtn.SetCaption("Apply");
  applybtn.OnClick = [this] { applybtnClick(); };
  applybtn.Create(panel, 160, 136, 75, 25, ids::kApplybtn);
  closebtn.SetCaption("Close");
  closebtn.OnClick = [this] { closebtnClick(); };
  closebtn.Create(panel, 248, 136, 75, 25, ids::kClosebtn);
  SetTabOrder({cbrestore.get(), applybtn.Handle(), closebtn.Handle()});
}

void TForm3::FitLabel() {
  // 124 pixels hold the caption in Tahoma as Windows draws it; a font with
  // wider letters must not cut it off.
  const int needed = TextWidth(kLabelFont, kRestoreLabel, Dpi());
  if (needed > Scaled(kLabelWidth)) {
    SetWindowPos(Label2.Handle(), nullptr, 0, 0, needed, Scaled(kLabelHeight),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void TForm3::DpiChanged() {
  FitLabel();
  if (!cbrestore) return;
  SetWindowPos(cbrestore.get(), nullptr, Scaled(kCheckLeft), Scaled(kCheckTop), Scaled(kCheckSize),
               Scaled(kCheckSize), SWP_NOZORDER | SWP_NOACTIVATE);
  SendMessageA(cbrestore.get(), WM_SETFONT, reinterpret_cast<WPARAM>(FormFont()), TRUE);
}

void TForm3::ShowOptions() {
  if (!Handle()) return;
  if (!IsWindowVisible(Handle())) {
    // Each showing starts at the first control.
    SetActiveControl(cbrestore.get());
    ShowWindow(Handle(), SW_SHOWNORMAL);
  }
  if (IsIconic(Handle())) ShowWindow(Handle(), SW_RESTORE);
  BringWindowToTop(Handle());
  SetForegroundWindow(Handle());
}

bool TForm3::RestoreChecked() const {
  return cbrestore && SendMessageA(cbrestore.get(), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TForm3::cbrestoreClick() { applybtn.SetEnabled(RestoreChecked()); }

void TForm3::applybtnClick() {
  if (!gate_.TryBeginRestore()) {
    MessageBeep(MB_OK);
    return;
  }
  const RestoreScope scope(*this);
  const auto alive = AliveToken();
  RestoreContext context{.registry = registry_,
                         .desktop = services_.desktop,
                         .owner = reinterpret_cast<WindowHandle>(Handle()),
                         .folder = services_.folder,
                         .underWine = services_.underWine,
                         .wait = [](int milliseconds) { PumpFor(milliseconds); }};
  const RestoreResult result = RestoreFromBackup(context);
  if (result == RestoreResult::kRestored && *alive) closebtnClick();
}

TForm3::RestoreScope::RestoreScope(TForm3& form)
    : form_(form), owner_(GetWindow(form.Handle(), GW_OWNER)) {}

TForm3::RestoreScope::~RestoreScope() {
  form_.gate_.RestoreEnded();
  // The main window was closed while the restore ran: it closes now.
  if (form_.gate_.CloseDue() && owner_ && IsWindow(owner_)) PostMessageA(owner_, WM_CLOSE, 0, 0);
}

void TForm3::closebtnClick() {
  if (Handle()) ShowWindow(Handle(), SW_HIDE);
}

LRESULT TForm3::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wParam) == ids::kCbrestore && HIWORD(wParam) == BN_CLICKED) {
        cbrestoreClick();
        return 0;
      }
      // Escape, through the dialog keyboard handling.
      if (LOWORD(wParam) == IDCANCEL) {
        closebtnClick();
        return 0;
      }
      break;
    case WM_CLOSE: closebtnClick(); return 0;
  }
  return TForm::HandleMessage(message, wParam, lParam);
}

}  // namespace veltrane
