#include "app/form2.h"

#include <string>

#include "app/control_ids.h"
#include "app/site.h"

namespace veltrane {
namespace {

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr Color kBlue = MakeColor(0, 0, 255);
// Font heights in pixels at 96 dpi: 8 points is 11, 9 points 12.
constexpr int k8Points = 11, k9Points = 12;

FontDesc Font(const char* name, int height, bool bold = false, bool underline = false,
              Color color = kClWindowText) {
  FontDesc font;
  font.name = name;
  font.height = height;
  font.bold = bold;
  font.underline = underline;
  font.color = color;
  return font;
}

constexpr const char* kVeraMono = "Bitstream Vera Sans Mono";

}  // namespace

TForm2::TForm2(Desktop& desktop) : desktop_(desktop) {}

TForm2::~TForm2() { DestroyHandle(); }

bool TForm2::Create(HWND owner) {
  if (!CreateForm(
          {kClassName, reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1)),
           site::kAboutCaption, kStyle, kClientWidth, kClientHeight, Font("Tahoma", k8Points)},
          owner)) {
    return false;
  }
  CreateControls();
  return true;
}

void TForm2::CreateControls() {
  GradientPanel1.SetColorScheme(TPanelColorScheme::csSilver);
  GradientPanel1.SetFillDirection(TFillDirection::fdVertical);
  GradientPanel1.SetBevelOuter(TPanelBevel::bvRaised);
  GradientPanel1.SetBevelWidth(1);
  GradientPanel1.Create(Handle(), 0, 0, kClientWidth, kClientHeight, ids::kAboutPanel);
  const HWND panel = GradientPanel1.Handle();

  Label2.SetFont(Font(kVeraMono, 16, /*bold*/ true));
  Label2.Create(panel, 16, 16, site::kProductName, 0, 0, ids::kLabel2);
  Label3.SetFont(Font(kVeraMono, 13, /*bold*/ true));
  Label3.Create(panel, 16, 36, site::kVersionText, 0, 0, ids::kLabel3);
  Label6.SetFont(Font("Tahoma", k8Points));
  Label6.Create(panel, 16, 44, std::string(52, '_') + " ", 0, 0, ids::kLabel6);
  Label4.SetFont(Font("Tahoma", k8Points));
  Label4.Create(panel, 16, 64, site::kCopyrightLine, 0, 0, ids::kLabel4);
  Label5.SetFont(Font("Tahoma", k8Points));
  Label5.Create(panel, 16, 80, site::kRightsLine, 0, 0, ids::kLabel5);
  Label7.SetFont(Font("Tahoma", k8Points));
  Label7.Create(panel, 16, 104, site::kSupportHeading, 0, 0, ids::kLabel7);

  Label8.SetFont(Font("Tahoma", k8Points, false, /*underline*/ true, kBlack));
  Label8.SetHandCursor(true);
  Label8.OnClick = [this] { Label8Click(); };
  Label8.OnMouseMove = [this](int x, int y) { Label8MouseMove(x, y); };
  Label8.OnMouseLeave = [this] { Label8MouseLeave(); };
  Label8.Create(panel, 16, 120, std::string(site::kWebScheme) + site::kWebHost, 0, 0, ids::kLabel8);

  Label9.SetFont(Font("Tahoma", 13));
  Label9.SetHandCursor(true);
  Label9.OnClick = [this] { Label9Click(); };
  Label9.Create(panel, 16, 160, "~", 0, 0, ids::kLabel9);

  clsbtn.SetColorScheme(TColorScheme::csNeoSilver);
  clsbtn.SetCaption("Close");
  // Escape and Enter close the dialog.
  clsbtn.SetCancel(true);
  clsbtn.SetDefault(true);
  clsbtn.OnClick = [this] { clsbtnClick(); };
  clsbtn.Create(panel, 256, 152, 75, 25, ids::kClsbtn);
  SetTabOrder({clsbtn.Handle()});
}

void TForm2::ShowSplash() {
  if (!Handle()) return;
  // Not activated: activation would leave the program when the splash goes
  // while the main window is still hidden, and the main window would then
  // come up behind the others.
  ShowWindow(Handle(), SW_SHOWNOACTIVATE);
  RedrawWindow(Handle(), nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
}

int TForm2::ShowModal() {
  if (!Handle()) return 0;
  CentreOnScreen(Handle());
  SetActiveControl(clsbtn.Handle());
  return Window::ShowModal();
}

void TForm2::Label8Click() { desktop_.ShellExecute(0, "", site::kWebHost, "", "", SW_SHOWNORMAL); }

void TForm2::Label8MouseMove(int, int) {
  FontDesc font = Label8.Font();
  font.color = kBlue;
  font.height = k9Points;
  Label8.SetFont(font);
}

void TForm2::Label8MouseLeave() {
  FontDesc font = Label8.Font();
  font.color = kBlack;
  font.height = k8Points;
  Label8.SetFont(font);
}

void TForm2::Label9Click() {
  desktop_.ShellExecute(reinterpret_cast<WindowHandle>(Handle()), "open", site::kSupportMail, "",
                        "", SW_SHOW);
}

void TForm2::clsbtnClick() {
  // Hiding ends a modal showing.
  if (Handle()) ShowWindow(Handle(), SW_HIDE);
}

LRESULT TForm2::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE: clsbtnClick(); return 0;
  }
  return TForm::HandleMessage(message, wParam, lParam);
}

}  // namespace veltrane
