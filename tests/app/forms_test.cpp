// The program's windows made in this process, on an in-memory registry and
// file system and a recording desktop: what the commands hand to the shell,
// the hover looks, the list view as a view of the findings list, the scan
// thread and its refusals, and where errors end up.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <stdexcept>

#include "app/application.h"
#include "app/control_ids.h"
#include "app/form1.h"
#include "app/form2.h"
#include "app/form3.h"
#include "app/message_pump.h"
#include "app/test_thread.h"
#include "controls/scale.h"
#include "registry/memory_registry.h"
#include "scan/memory_file_system.h"
#include "tests/support/files.h"
#include "tests/support/findings.h"
#include "tests/support/forwarding_registry.h"
#include "tests/support/recording_desktop.h"
#include "tests/support/registry_seed.h"
#include "tests/support/screen.h"
#include "tests/support/throwaway.h"

namespace veltrane::testing {
namespace {

using Call = RecordingDesktop::Call;

constexpr const char* kTypedUrls = "Software\\Microsoft\\Internet Explorer\\TypedURLs";

// Waits for `done` while the windows of this thread go on answering.
bool PumpUntil(const std::function<bool()>& done) {
  return WaitUntil(done, 20000, [] { PumpFor(10); });
}

// A click as the mouse gives it, through the control's window procedure.
void ClickControl(HWND control) {
  RECT r{};
  GetClientRect(control, &r);
  const LPARAM middle = MAKELPARAM(r.right / 2, r.bottom / 2);
  SendMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, middle);
  SendMessageA(control, WM_LBUTTONUP, 0, middle);
}

// A registry whose writes fail by throwing, as a broken backend would.
class ThrowingReads final : public ForwardingRegistry {
 public:
  using ForwardingRegistry::ForwardingRegistry;
  long QueryValue(RegKey, const std::string& name, std::uint32_t*, std::uint8_t*,
                  std::uint32_t*) override {
    throw std::runtime_error("the registry refused to read " + name);
  }
};

class FormsTest : public ::testing::Test {
 protected:
  FormsTest() {
    RegistrySeed machine(memory_, kHkeyLocalMachine);
    machine.Text("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "SystemRoot", "C:\\WINDOWS");
    RegistrySeed user(memory_);
    user.Text("SOFTWARE\\App", "Gone", "C:\\gone.exe");
    user.Text(kTypedUrls, "url1", "http://one.example/");
  }
  void SetUp() override {
    ASSERT_TRUE(form1_.Create());
    ASSERT_TRUE(form2_.Create(form1_.Handle()));
    ASSERT_TRUE(form3_.Create(form1_.Handle()));
    form1_.SetDialogs(&form2_, &form3_);
    SetModelessDialog(form3_.Handle());
  }
  void TearDown() override {
    SetModelessDialog(nullptr);
    // Nothing may be left running into the next test.
    EXPECT_TRUE(PumpUntil([&] { return !gate_.Busy() && TTestThread::Running() == 0; }));
  }

  void ScanAndWait() {
    ClickControl(form1_.lscan.Handle());
    ASSERT_TRUE(PumpUntil([&] { return !gate_.Busy() && TTestThread::Running() == 0; }));
  }

  std::vector<Call> Boxes() const { return desktop_.Of(RecordingDesktop::kBox); }

  std::vector<Finding> ExpectedRows() const {
    return {Row(kCategoryMissingPath, "Gone", "C:\\gone.exe", "HKCU\\SOFTWARE\\App"),
            Row(kCategoryTypedUrl, "url1", "http://one.example/",
                "HKCU\\Software\\Microsoft\\Internet Explorer\\TypedURLs")};
  }

  TempFolder folder_{"veltrane-forms"};
  MemoryRegistry memory_;
  MemoryFileSystem files_;
  RecordingDesktop desktop_;
  AppServices services_{memory_, files_, desktop_, folder_.Path(), /*underWine*/ true};
  CommandGate gate_;
  TApplication application_{desktop_, "Veltrane"};
  TForm1 form1_{services_, gate_};
  TForm2 form2_{desktop_};
  TForm3 form3_{services_, gate_};
};

TEST_F(FormsTest, FormCreateDerivesTheDriveRootHidesLv2AndShowsReady) {
  EXPECT_EQ(form1_.SystemDriveRoot(), "C:\\");
  EXPECT_EQ(form1_.st.Caption(), "Ready");
  EXPECT_FALSE(IsWindowVisible(form1_.lv2.Handle()));
  EXPECT_EQ(form1_.lvaxRows().Columns().size(), 4u);
  EXPECT_EQ(form1_.lv2Rows().Columns().size(), 4u);
  EXPECT_EQ(SendMessageA(form1_.lvax.Handle(), LVM_GETITEMCOUNT, 0, 0), 0);
}

TEST_F(FormsTest, HelpAndTheAboutLinksHandTheirTextsToTheShell) {
  ClickControl(form1_.lhelp.Handle());
  ClickControl(form1_.GradientButton5.Handle());
  ClickControl(form2_.Label8.Handle());
  ClickControl(form2_.Label9.Handle());
  const Call help{
      RecordingDesktop::kShell, 0, "", "www.veltrane.example/help.html", "", "", SW_SHOWNORMAL};
  const Call web{RecordingDesktop::kShell, 0, "", "www.veltrane.example", "", "", SW_SHOWNORMAL};
  const Call mail{RecordingDesktop::kShell,
                  reinterpret_cast<WindowHandle>(form2_.Handle()),
                  "open",
                  "mailto:support@veltrane.example",
                  "",
                  "",
                  SW_SHOW};
  EXPECT_EQ(desktop_.Of(RecordingDesktop::kShell), (std::vector<Call>{help, help, web, mail}));
  EXPECT_TRUE(Boxes().empty());
}

// Every descendant of `window`, with its place in its parent.
std::vector<std::pair<HWND, RECT>> Places(HWND window) {
  std::vector<std::pair<HWND, RECT>> places;
  EnumChildWindows(
      window,
      [](HWND child, LPARAM list) -> BOOL {
        reinterpret_cast<std::vector<std::pair<HWND, RECT>>*>(list)->emplace_back(
            child, RectInParent(child));
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&places));
  return places;
}

// What Windows does when a window is dragged to a monitor of `dpi`: it
// asks the size the window wants there (WM_GETDPISCALEDSIZE) and sends
// WM_DPICHANGED with a place of that size. Wine sends neither, and keeps
// the frame it has at the process's dpi, so the place suggested here is
// the client size asked for within that frame.
void MoveToMonitorOf(HWND window, int dpi, SIZE client) {
  SIZE asked{};
  ASSERT_TRUE(SendMessageA(window, 0x02E4, dpi, reinterpret_cast<LPARAM>(&asked)));
  EXPECT_GT(asked.cx, client.cx);
  EXPECT_GT(asked.cy, client.cy);
  RECT frame{}, inside{};
  GetWindowRect(window, &frame);
  GetClientRect(window, &inside);
  const int width = client.cx + (frame.right - frame.left) - inside.right;
  const int height = client.cy + (frame.bottom - frame.top) - inside.bottom;
  RECT place{100, 80, 100 + width, 80 + height};
  SendMessageA(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&place));
  GetWindowRect(window, &frame);
  EXPECT_TRUE(EqualRect(&frame, &place)) << "the window did not take the place suggested";
}

int FontHeight(HWND window) {
  LOGFONTA font{};
  GetObjectA(reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0)), sizeof font, &font);
  return -font.lfHeight;
}

int ColumnWidth(HWND list, int column) {
  return static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, column, 0));
}

TEST_F(FormsTest, AWindowDraggedToA150PercentMonitorScalesEverythingAndComesBackWhole) {
  struct Form {
    HWND window;
    int width, height;
  };
  for (const Form& form : {Form{form1_.Handle(), 704, 348}, Form{form2_.Handle(), 344, 195},
                           Form{form3_.Handle(), 344, 184}}) {
    SCOPED_TRACE(form.width + form.height);
    const auto before = Places(form.window);
    MoveToMonitorOf(form.window, 144,
                    SIZE{ScaleForDpi(form.width, 144), ScaleForDpi(form.height, 144)});
    const auto after = Places(form.window);
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < before.size(); ++i) {
      EXPECT_LE(std::abs(after[i].second.left - ScaleForDpi(before[i].second.left, 144)), 1);
      EXPECT_LE(std::abs(after[i].second.top - ScaleForDpi(before[i].second.top, 144)), 1);
    }
    if (form.window == form1_.Handle()) {
      EXPECT_EQ(FontHeight(form1_.lscan.Handle()), 20);
      EXPECT_EQ(FontHeight(form1_.lvax.Handle()), 18);
      EXPECT_EQ(ColumnWidth(form1_.lvax.Handle(), 3), 450);
    }
    // Back on a monitor at 100%, every control is where it was.
    MoveToMonitorOf(form.window, 96, SIZE{form.width, form.height});
    const auto back = Places(form.window);
    ASSERT_EQ(back.size(), before.size());
    for (std::size_t i = 0; i < before.size(); ++i) {
      EXPECT_TRUE(EqualRect(&back[i].second, &before[i].second)) << "control " << i;
    }
  }
  EXPECT_EQ(FontHeight(form1_.lscan.Handle()), 13);
  EXPECT_EQ(FontHeight(form1_.lvax.Handle()), 12);
  EXPECT_EQ(ColumnWidth(form1_.lvax.Handle(), 3), 300);
}

TEST_F(FormsTest, HoverTurnsLabelsBlueAndLeavingTurnsThemBlack) {
  TTextLabel* labels[] = {&form1_.lscan,    &form1_.lselect, &form1_.lclean,
                          &form1_.loptions, &form1_.lhelp,   &form1_.labout};
  for (TTextLabel* label : labels) {
    SCOPED_TRACE(label->Caption());
    EXPECT_EQ(label->Font().color, kClWindowText);
    SendMessageA(label->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    EXPECT_EQ(label->Font().color, MakeColor(0, 0, 255));
    SendMessageA(label->Handle(), WM_MOUSELEAVE, 0, 0);
    // Black itself, not the system's window-text colour it started with.
    EXPECT_EQ(label->Font().color, kBlack);
    EXPECT_TRUE(label->Font().bold);
    EXPECT_TRUE(label->Font().underline);
    EXPECT_EQ(label->Font().height, 13);
  }

  TTextLabel& link = form2_.Label8;
  EXPECT_EQ(link.Font().height, 11);
  SendMessageA(link.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
  EXPECT_EQ(link.Font().color, MakeColor(0, 0, 255));
  EXPECT_EQ(link.Font().height, 12);
  SendMessageA(link.Handle(), WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(link.Font().color, kBlack);
  EXPECT_EQ(link.Font().height, 11);
  EXPECT_TRUE(link.Font().underline);
}

TEST_F(FormsTest, TheListViewFollowsTheListAndTicksFlowBack) {
  FindingsList& rows = form1_.lvaxRows();
  const HWND view = form1_.lvax.Handle();
  rows.Append(Finding{"a", "b", "c", "d", true});
  rows.Append(Finding{"e", "f", "g", "h", true});
  ASSERT_EQ(SendMessageA(view, LVM_GETITEMCOUNT, 0, 0), 2);
  char text[64] = {};
  ListView_GetItemText(view, 1, 3, text, sizeof text);
  EXPECT_STREQ(text, "h");
  EXPECT_TRUE(ListView_GetCheckState(view, 0));

  // The user unticks row 0: the list knows at once.
  ListView_SetCheckState(view, 0, FALSE);
  EXPECT_FALSE(rows.Row(0).Checked);
  EXPECT_TRUE(rows.Row(1).Checked);
  // The list changes a tick: the view shows it.
  rows.SetChecked(1, false);
  EXPECT_FALSE(ListView_GetCheckState(view, 1));

  rows.Remove(0);
  ASSERT_EQ(SendMessageA(view, LVM_GETITEMCOUNT, 0, 0), 1);
  ListView_GetItemText(view, 0, 0, text, sizeof text);
  EXPECT_STREQ(text, "e");
  rows.Assign({Finding{"x", "", "", "", false}, Finding{"y", "", "", "", true}});
  ASSERT_EQ(SendMessageA(view, LVM_GETITEMCOUNT, 0, 0), 2);
  EXPECT_FALSE(ListView_GetCheckState(view, 0));
  EXPECT_TRUE(ListView_GetCheckState(view, 1));
  EXPECT_FALSE(rows.Row(0).Checked) << "re-filling the view wrote its own ticks back";
}

TEST_F(FormsTest, ScanRunsOnTheThreadAndWritesTheBackupBesideTheProgram) {
  ScanAndWait();
  EXPECT_EQ(form1_.st.Caption(), "Scan complete -> 2 items should be remove");
  EXPECT_EQ(form1_.lvaxRows().Rows(), ExpectedRows());
  EXPECT_EQ(form1_.lv2Rows().Rows(), ExpectedRows());
  EXPECT_EQ(SendMessageA(form1_.lvax.Handle(), LVM_GETITEMCOUNT, 0, 0), 2);
  EXPECT_EQ(SendMessageA(form1_.lv2.Handle(), LVM_GETITEMCOUNT, 0, 0), 2);
  EXPECT_EQ(form1_.pb.Position(), 100);
  EXPECT_EQ(ReadFile(folder_.Path() + "backuphkcu.REG").substr(0, 8), "REGEDIT4");
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(FormsTest, ScanCleanAndSelectGivenInTheMiddleOfAScanAreRefused) {
  int probes = 0;
  files_.OnProbe = [&](const std::string&) {
    if (++probes != 1) return;
    // The walk is under way: these reach the window as the user's clicks.
    EXPECT_TRUE(gate_.Busy());
    ClickControl(form1_.lscan.Handle());
    ClickControl(form1_.GradientButton1.Handle());
    ClickControl(form1_.lclean.Handle());
    ClickControl(form1_.lselect.Handle());
    EXPECT_EQ(TTestThread::Running(), 1) << "a second scan thread started";
  };
  ScanAndWait();
  EXPECT_GE(probes, 1);
  EXPECT_EQ(form1_.st.Caption(), "Scan complete -> 2 items should be remove");
  EXPECT_EQ(form1_.lselect.Caption(), "select none");
  EXPECT_EQ(form1_.lvaxRows().Rows(), ExpectedRows());
  EXPECT_EQ(form1_.lv2Rows().Rows(), ExpectedRows());
  RegKey key = 0;
  ASSERT_EQ(memory_.OpenKeyEx(kHkeyCurrentUser, kTypedUrls, kKeyRead, &key), kErrorSuccess);
  EXPECT_EQ(memory_.QueryValue(key, "url1", nullptr, nullptr, nullptr), kErrorSuccess)
      << "a clean ran in the middle of the scan";
  memory_.CloseKey(key);

  // Once the scan is over the same commands run.
  files_.OnProbe = nullptr;
  ClickControl(form1_.lselect.Handle());
  EXPECT_EQ(form1_.lselect.Caption(), "select all");
  EXPECT_FALSE(form1_.lvaxRows().Row(0).Checked);
}

TEST_F(FormsTest, AnErrorInsideTheScanEndsItQuietly) {
  files_.OnProbe = [](const std::string&) { throw std::runtime_error("disk gone"); };
  ScanAndWait();
  EXPECT_TRUE(Boxes().empty()) << "the scan's error was shown";
  EXPECT_NE(form1_.st.Caption().rfind("Scan complete", 0), 0u);
  EXPECT_EQ(form1_.lv2Rows().Count(), 0) << "the copy into lv2 ran after the error";
  // The scan command is free again.
  files_.OnProbe = nullptr;
  ScanAndWait();
  EXPECT_EQ(form1_.st.Caption(), "Scan complete -> 2 items should be remove");
}

TEST_F(FormsTest, AScanWhoseThreadCannotHandItOverEndsAndSaysSo) {
  for (const auto fault : {TTestThread::Fault::event, TTestThread::Fault::post}) {
    TTestThread::SetFault(fault);
    ScanAndWait();
    TTestThread::SetFault(TTestThread::Fault::none);
  }
  ASSERT_EQ(Boxes().size(), 2u);
  for (const Call& box : Boxes()) {
    EXPECT_EQ(box.text, "The scan could not be started: its thread could not hand it over.");
    EXPECT_EQ(box.number, static_cast<unsigned>(kMbOk | kMbIconError));
  }
  EXPECT_EQ(form1_.st.Caption(), "Ready") << "a driver ran";
  EXPECT_TRUE(gate_.RequestClose()) << "closing would only hide the window";
  ScanAndWait();
  EXPECT_EQ(form1_.st.Caption(), "Scan complete -> 2 items should be remove");
}

TEST_F(FormsTest, OptionsTicksApplyOnAndOffAndRestoresFromTheBackup) {
  form1_.loptionsClick();
  form1_.loptionsClick();
  EXPECT_TRUE(IsWindowVisible(form3_.Handle()));
  const HWND check = form3_.cbrestore.get();
  SendMessageA(check, BM_CLICK, 0, 0);
  EXPECT_FALSE(form3_.applybtn.Enabled());
  SendMessageA(check, BM_CLICK, 0, 0);
  EXPECT_TRUE(form3_.applybtn.Enabled());

  WriteFile(folder_.Path() + "backuphkcu.reg",
            "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Restored]\r\n\"v\"=\"1\"\r\n\r\n");
  ClickControl(form3_.applybtn.Handle());
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text.rfind("     Restore Complete       \n\nRestored from " +
                                      folder_.Path() + "backuphkcu.reg.\n\nImporting " +
                                      folder_.Path() + "veltrane-undo-import-",
                                  0),
            0u)
      << Boxes()[0].text;
  EXPECT_EQ(Boxes()[0].window, reinterpret_cast<WindowHandle>(form3_.Handle()));
  EXPECT_FALSE(IsWindowVisible(form3_.Handle())) << "the dialog stayed open after the restore";
  RegKey key = 0;
  EXPECT_EQ(memory_.OpenKeyEx(kHkeyCurrentUser, "Software\\Restored", kKeyRead, &key),
            kErrorSuccess);
  memory_.CloseKey(key);
}

TEST_F(FormsTest, TheOptionsKeyboardMovesWithTabAndClosesWithEscape) {
  form1_.loptionsClick();
  SetFocus(form3_.cbrestore.get());
  ASSERT_EQ(GetFocus(), form3_.cbrestore.get());
  PostMessageA(form3_.cbrestore.get(), WM_KEYDOWN, VK_TAB, 0);
  PumpFor(50);
  EXPECT_EQ(GetFocus(), form3_.applybtn.Handle()) << "Tab did not move on to Apply";
  PostMessageA(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0);
  PumpFor(50);
  EXPECT_FALSE(IsWindowVisible(form3_.Handle())) << "Escape left the dialog open";
  EXPECT_TRUE(Boxes().empty()) << "Escape applied the restore";
}

TEST_F(FormsTest, TheListAndPanelsFollowTheWindowWhenItGrows) {
  const int width = 904, height = 448;
  RECT frame{0, 0, width, height};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrA(form1_.Handle(), GWL_STYLE)),
                     FALSE, 0);
  SetWindowPos(form1_.Handle(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  const auto placeOf = [&](HWND control) { return RectIn(control, form1_.Handle()); };
  const RECT list = placeOf(form1_.lvax.Handle());
  EXPECT_EQ(list.left, 48);
  EXPECT_EQ(list.top, 46);
  EXPECT_EQ(list.right, width - 15);
  EXPECT_EQ(list.bottom, height - 37);
  const RECT bottom = placeOf(form1_.GradientPanel2.Handle());
  EXPECT_EQ(bottom.top, height - 26);
  EXPECT_EQ(bottom.right, width);
  EXPECT_EQ(placeOf(form1_.GradientPanel1.Handle()).bottom, height - 26);
  const RECT copy = placeOf(form1_.lv2.Handle());
  EXPECT_EQ(copy.right - copy.left, 609) << "lv2 is not anchored";
}

TEST_F(FormsTest, ApplyWithoutABackupSaysSoAndKeepsTheDialogOpen) {
  form1_.loptionsClick();
  ClickControl(form3_.applybtn.Handle());
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_NE(Boxes()[0].text, "     Restore Complete       ");
  EXPECT_EQ(Boxes()[0].number & 0xF0u, static_cast<unsigned>(kMbIconError));
  EXPECT_TRUE(IsWindowVisible(form3_.Handle()));
  form3_.closebtnClick();
}

TEST_F(FormsTest, AnErrorEscapingACommandIsShownInAnErrorBoxAndTheProgramGoesOn) {
  ThrowingReads throwing(memory_);
  AppServices broken{throwing, files_, desktop_, folder_.Path(), /*underWine*/ true};
  TForm3 options(broken, gate_);
  ASSERT_TRUE(options.Create(form1_.Handle()));
  WriteFile(folder_.Path() + "backuphkcu.reg",
            "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Restored]\r\n\"v\"=\"1\"\r\n\r\n");
  ClickControl(options.applybtn.Handle());
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text, "the registry refused to read ProductName");
  EXPECT_EQ(Boxes()[0].verb, "Veltrane");
  EXPECT_EQ(Boxes()[0].number, static_cast<unsigned>(kMbOk | kMbIconError));
  // The program goes on: the windows still answer.
  ScanAndWait();
  EXPECT_EQ(form1_.st.Caption(), "Scan complete -> 2 items should be remove");
}

}  // namespace
}  // namespace veltrane::testing
