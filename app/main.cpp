// veltrane.exe: the start-up sequence and the message loop.
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <memory>

#include "app/application.h"
#include "app/command_gate.h"
#include "app/form1.h"
#include "app/form2.h"
#include "app/form3.h"
#include "app/message_pump.h"
#include "app/site.h"
#include "app/test_thread.h"
#include "app/win32_desktop.h"
#include "clean/backup.h"
#include "controls/platform.h"
#include "registry/win32_registry.h"
#include "scan/win32_file_probe.h"

namespace {

// How long the splash stays up while nothing else happens.
constexpr ULONGLONG kSplashMilliseconds = 400;

// Holds the splash with a counting loop that handles no messages, so the
// splash stays as it was painted. Each turn sets the splash timer's
// interval, as the loop always has; the count ends after a fixed time
// rather than a fixed number, so the delay is the same on any machine.
void HoldSplash(veltrane::TTimer& timer) {
  const ULONGLONG until = GetTickCount64() + kSplashMilliseconds;
  for (unsigned counter = 0;; ++counter) {
    timer.Interval = counter;
    if ((counter & 0xFFF) == 0 && GetTickCount64() >= until) break;
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) {
  using namespace veltrane;

  // 1. Initialise the application.
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  Win32Registry registry;
  Win32FileProbe files;
  Win32Desktop desktop;
  AppServices services{registry, files, desktop, ExecutableFolder(), RunningUnderWine()};
  TApplication application(desktop);
  CommandGate gate;

  // 2. The splash: an About dialog, shown and painted at once.
  auto splash = std::make_unique<TForm2>(desktop);
  if (splash->Create(nullptr)) splash->ShowSplash();

  // 3. The main window; its FormCreate runs now.
  TForm1 form1(services, gate);
  if (!form1.Create()) return 1;

  // 4. Hold the splash.
  HoldSplash(splash->Timer1);

  // 5. The Options dialog.
  TForm3 form3(services, gate);
  form3.Create(form1.Handle());

  // 6. The application title.
  application.SetTitle(site::kApplicationTitle);

  // 7. The splash goes.
  if (splash->Handle()) ShowWindow(splash->Handle(), SW_HIDE);
  splash.reset();

  // 8. The About dialog afresh, hidden, for the rest of the run.
  TForm2 form2(desktop);
  form2.Create(form1.Handle());

  form1.SetDialogs(&form2, &form3);
  SetModelessDialog(form3.Handle());

  // 9. The message loop shows the main window and runs until it closes.
  const int show = showCommand == SW_SHOWDEFAULT ? SW_SHOWNORMAL : showCommand;
  ShowWindow(form1.Handle(), show);
  // Shown to be used: in front of the other programs' windows, unless the
  // program was started in the background.
  if (show == SW_SHOWNORMAL || show == SW_SHOW || show == SW_SHOWMAXIMIZED || show == SW_RESTORE) {
    SetForegroundWindow(form1.Handle());
  }
  UpdateWindow(form1.Handle());
  const int code = RunMessageLoop();
  SetModelessDialog(nullptr);
  // A worker whose scan has just ended may still be on its way out.
  TTestThread::WaitForAll(2000);
  return code;
}
