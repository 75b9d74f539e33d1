// veltrane.exe end to end, under Wine and its X server, driven from this
// separate process as a user would drive it: windows found by caption,
// clicks as real mouse input, the list read row by row out of the
// program's own memory, the registry and the backup checked afterwards.
// Screenshots of the three windows go to screenshots/ in the build folder.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>
#include <oleacc.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "app/control_ids.h"
#include "app/test_thread.h"
#include "controls/scale.h"
#include "tests/app/support/app_test.h"
#include "tests/support/files.h"
#include "tests/support/findings.h"
#include "tests/support/run_program.h"

namespace veltrane::testing {
namespace {

using ::testing::ElementsAreArray;

const auto* const kUnmanagedWindows = ::testing::AddGlobalTestEnvironment(new UnmanagedWindows);

struct Placement {
  int id;
  RECT rect;  // left, top, right, bottom in the parent's client area
};

void ExpectPlacements(HWND window, const std::vector<Placement>& placements) {
  for (const Placement& p : placements) {
    SCOPED_TRACE("control " + std::to_string(p.id));
    const HWND control = ChildById(window, p.id);
    ASSERT_NE(control, nullptr);
    const RECT r = RectInParent(control);
    EXPECT_EQ(r.left, p.rect.left);
    EXPECT_EQ(r.top, p.rect.top);
    // Auto-sized labels: only their place is fixed.
    if (p.rect.right >= 0) {
      EXPECT_EQ(r.right, p.rect.right);
      EXPECT_EQ(r.bottom, p.rect.bottom);
    }
  }
}

RECT At(int left, int top, int width = -1, int height = -1) {
  if (width < 0) return RECT{left, top, -1, -1};
  return RECT{left, top, left + width, top + height};
}

TEST_F(AppTest, StartsWithTheMainWindowLaidOutAndBothDialogsHidden) {
  const HWND main = app_->Main();
  const SIZE client = ClientSize(main);
  EXPECT_EQ(client.cx, 704);
  EXPECT_EQ(client.cy, 348);
  const LONG_PTR style = GetWindowLongPtrA(main, GWL_STYLE);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_TRUE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_THICKFRAME) << "the frame is fixed";

  ExpectPlacements(main, {
                             {ids::kGradientPanel1, At(0, 0, 704, 322)},
                             {ids::kGradientPanel2, At(0, 322, 704, 26)},
                             {ids::kGradientButton1, At(8, 48, 33, 30)},
                             {ids::kLvax, At(48, 46, 641, 265)},
                             {ids::kLv2, At(56, 56, 609, 241)},
                         });
  ExpectPlacements(Control(ids::kGradientPanel1), {
                                                      {ids::kLscan, At(64, 16)},
                                                      {ids::kLselect, At(176, 16)},
                                                      {ids::kLclean, At(280, 16)},
                                                      {ids::kLoptions, At(400, 16)},
                                                      {ids::kLhelp, At(480, 16)},
                                                      {ids::kLabout, At(544, 16)},
                                                      {ids::kGradientButton3, At(8, 96, 33, 30)},
                                                      {ids::kGradientButton4, At(8, 144, 33, 30)},
                                                      {ids::kGradientButton5, At(8, 192, 33, 30)},
                                                      {ids::kGradientButton6, At(8, 240, 33, 30)},
                                                  });
  ExpectPlacements(Control(ids::kGradientPanel2), {
                                                      {ids::kSt, At(48, 3)},
                                                      {ids::kPb, At(504, 0, 187, 25)},
                                                  });

  const std::pair<int, const char*> captions[] = {
      {ids::kLscan, "scan registry"},
      {ids::kLselect, "select none"},
      {ids::kLclean, "clean registry"},
      {ids::kLoptions, "options"},
      {ids::kLhelp, "help"},
      {ids::kLabout, "about us"},
  };
  for (const auto& [id, caption] : captions) EXPECT_EQ(TextOf(Control(id)), caption);
  EXPECT_EQ(app_->Status(), "Ready");
  EXPECT_FALSE(IsWindowVisible(Control(ids::kLv2)));
  EXPECT_FALSE(IsWindowVisible(Control(ids::kPb)));
  EXPECT_TRUE(IsWindowVisible(Control(ids::kLvax)));

  const RemoteListView lvax = List(ids::kLvax);
  const std::vector<Column> columns = lvax.Columns();
  ASSERT_EQ(columns.size(), 4u);
  const Column expected[] = {
      {"Clean Details", 200}, {"Value Name", 150}, {"Value Data", 200}, {"Registry Location", 300}};
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(columns[i].caption, expected[i].caption);
    EXPECT_EQ(columns[i].width, expected[i].width);
  }
  EXPECT_EQ(lvax.Count(), 0);
  EXPECT_EQ(List(ids::kLv2).Columns().size(), 4u);
  const LONG_PTR listStyle = GetWindowLongPtrA(Control(ids::kLvax), GWL_STYLE);
  EXPECT_EQ(listStyle & LVS_TYPEMASK, LVS_REPORT);
  EXPECT_FALSE(listStyle & LVS_EDITLABELS) << "captions are read-only";
  EXPECT_FALSE(listStyle & (LVS_SORTASCENDING | LVS_SORTDESCENDING));
  const auto extended =
      static_cast<DWORD>(SendMessageA(Control(ids::kLvax), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
  EXPECT_TRUE(extended & LVS_EX_CHECKBOXES);
  EXPECT_TRUE(extended & LVS_EX_FULLROWSELECT);
  // The manifest brings in the common controls of version 6.
  bool version6 = false;
  for (const std::string& module : ModulesOf(app_->Process())) {
    std::string lower = module;
    for (char& c : lower) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    if (lower.find("comctl32.dll") == std::string::npos) continue;
    EXPECT_NE(lower.find("common-controls_6595b64144ccf1df_6."), std::string::npos) << module;
    version6 = true;
  }
  EXPECT_TRUE(version6) << "no comctl32 in the program";

  // The splash is gone; one About and one Options dialog wait hidden.
  const std::vector<HWND> abouts = TopLevelWindows(app_->Pid(), "About");
  ASSERT_EQ(abouts.size(), 1u);
  EXPECT_FALSE(IsWindowVisible(abouts[0]));
  const std::vector<HWND> options = TopLevelWindows(app_->Pid(), "Options");
  ASSERT_EQ(options.size(), 1u);
  EXPECT_FALSE(IsWindowVisible(options[0]));
}

TEST_F(AppTest, ScreenReadersMeetTheControlsByRoleAndName) {
  // The glyph buttons' window texts are their hints, though nothing draws
  // them: read here with WM_GETTEXT, and as a screen reader hears them.
  const std::pair<int, const char*> buttons[] = {
      {ids::kGradientButton1, "scan registry"}, {ids::kGradientButton3, "clean registry"},
      {ids::kGradientButton4, "options"},       {ids::kGradientButton5, "help"},
      {ids::kGradientButton6, "about us"},
  };
  for (const auto& [id, hint] : buttons) {
    EXPECT_EQ(TextOf(Control(id)), hint);
    const AccessibleFacts facts = AccessibleOf(Control(id));
    EXPECT_EQ(facts.role, ROLE_SYSTEM_PUSHBUTTON) << hint;
    EXPECT_EQ(facts.name, hint);
  }

  const HWND about = FindTopLevel(app_->Pid(), nullptr, "About");
  ASSERT_NE(about, nullptr);
  struct Expected {
    HWND window;
    long role;
    std::string name;
  };
  const Expected others[] = {
      {Control(ids::kLscan), ROLE_SYSTEM_LINK, "scan registry"},
      {Control(ids::kLselect), ROLE_SYSTEM_LINK, "select none"},
      {Control(ids::kLabout), ROLE_SYSTEM_LINK, "about us"},
      {Control(ids::kLvax), ROLE_SYSTEM_LIST, "Findings"},
      {Control(ids::kSt), ROLE_SYSTEM_STATICTEXT, "Ready"},
      {ChildById(about, ids::kLabel8), ROLE_SYSTEM_LINK, "http://www.veltrane.example"},
      {ChildById(about, ids::kLabel9), ROLE_SYSTEM_LINK, "~"},
      {ChildById(about, ids::kLabel3), ROLE_SYSTEM_STATICTEXT, "Version 1.0"},
      {ChildById(about, ids::kClsbtn), ROLE_SYSTEM_PUSHBUTTON, "Close"},
  };
  for (const Expected& e : others) {
    const AccessibleFacts facts = AccessibleOf(e.window);
    EXPECT_EQ(facts.role, e.role) << e.name;
    EXPECT_EQ(facts.name, e.name);
  }
}

TEST(AppResources, TheProgramCarriesItsGlyphsIconVersionAndManifest) {
  const std::string exe = WindowsPath(VELTRANE_EXE);
  const HMODULE module = LoadLibraryExA(exe.c_str(), nullptr,
                                        LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_NE(module, nullptr);
  struct Glyph {
    int id, size;
  };
  // scan, clean, options (the one of 23 pixels), help, about, each drawn
  // for 100 to 200% (its identifier plus 1000 per step of 25%)
  std::vector<Glyph> glyphs;
  for (const Glyph glyph :
       {Glyph{101, 20}, Glyph{102, 20}, Glyph{103, 23}, Glyph{104, 20}, Glyph{105, 20}}) {
    for (int step = 0; step <= 4; ++step) {
      glyphs.push_back({glyph.id + 1000 * step, ScaleForDpi(glyph.size, 96 + 24 * step)});
    }
  }
  for (const Glyph glyph : glyphs) {
    SCOPED_TRACE("glyph " + std::to_string(glyph.id));
    const auto bitmap = static_cast<HBITMAP>(
        LoadImageA(module, MAKEINTRESOURCEA(glyph.id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    ASSERT_NE(bitmap, nullptr);
    DIBSECTION dib{};
    ASSERT_EQ(GetObjectA(bitmap, sizeof dib, &dib), static_cast<int>(sizeof dib));
    EXPECT_EQ(dib.dsBm.bmWidth, glyph.size);
    EXPECT_EQ(dib.dsBm.bmHeight, glyph.size);
    EXPECT_EQ(dib.dsBm.bmBitsPixel, 24);
    const HDC dc = CreateCompatibleDC(nullptr);
    const HGDIOBJ old = SelectObject(dc, bitmap);
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(255, 255, 255)) << "the top-left pixel is drawn transparent";
    // Something is drawn: not every pixel is the transparent white.
    int drawn = 0;
    for (int y = 0; y < glyph.size; ++y) {
      for (int x = 0; x < glyph.size; ++x) drawn += GetPixel(dc, x, y) != RGB(255, 255, 255);
    }
    EXPECT_GT(drawn, glyph.size * glyph.size / 5);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
  }
  // The icon holds a picture for the title bar's and the task bar's sizes
  // at 100 to 200%: its group's entries are 14 bytes each after 6.
  const HRSRC group = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(14));
  ASSERT_NE(group, nullptr) << "no icon";
  const auto* directory = static_cast<const BYTE*>(LockResource(LoadResource(module, group)));
  std::vector<int> iconSizes;
  for (int i = 0; i < directory[4]; ++i) iconSizes.push_back(directory[6 + 14 * i]);
  EXPECT_THAT(iconSizes, ::testing::IsSupersetOf({16, 20, 24, 28, 32, 40, 48, 56, 64}));
  EXPECT_NE(FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24)), nullptr)
      << "no manifest";
  const HRSRC manifest = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
  if (manifest) {
    const char* text = static_cast<const char*>(LockResource(LoadResource(module, manifest)));
    const std::string xml(text, SizeofResource(module, manifest));
    EXPECT_NE(xml.find("Microsoft.Windows.Common-Controls"), std::string::npos);
    EXPECT_NE(xml.find("version=\"6.0.0.0\""), std::string::npos);
    EXPECT_NE(xml.find(">PerMonitorV2"), std::string::npos) << "no per-monitor dpi awareness";
    EXPECT_NE(xml.find("<activeCodePage xmlns=\"http://schemas.microsoft.com/SMI/2019/"
                       "WindowsSettings\">UTF-8</activeCodePage>"),
              std::string::npos);
  }
  FreeLibrary(module);

  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(exe.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::string info(size, '\0');
  ASSERT_TRUE(GetFileVersionInfoA(exe.c_str(), 0, size, info.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u) << "version 1.0";
  char* product = nullptr;
  ASSERT_TRUE(VerQueryValueA(info.data(), "\\StringFileInfo\\040904E4\\ProductName",
                             reinterpret_cast<void**>(&product), &length));
  EXPECT_STREQ(product, "Veltrane");
}

TEST_F(SeededAppTest, ScansCleansTheTickedRowsAndRestoresTheBackup) {
  const std::vector<Finding> expected = seed_->ExpectedRows();
  ASSERT_EQ(expected.size(), 7u);
  Scan(expected.size());
  PointerAway();
  const RemoteListView lvax = List(ids::kLvax);
  EXPECT_THAT(lvax.Rows(), ElementsAreArray(expected));
  EXPECT_THAT(List(ids::kLv2).Rows(), ElementsAreArray(expected));
  Settle(app_->Main());
  Sleep(300);
  EXPECT_TRUE(SavePng(CaptureClient(app_->Main()), ScreenshotPath("app_main_after_scan.png")));

  // The first scan with findings wrote the backup.
  const std::string backup = ReadFile(app_->BackupPath());
  ASSERT_EQ(backup.rfind("REGEDIT4\r\n", 0), 0u) << "no backup beside the program";
  const ULONGLONG backupTime = LastWriteTime(app_->BackupPath());

  // Untick the second typed address with a click on its box.
  const int kept = 4;
  const RECT bounds = lvax.ItemRect(kept, LVIR_BOUNDS);
  const RECT label = lvax.ItemRect(kept, LVIR_LABEL);
  ClickAt(Control(ids::kLvax), bounds.left + (label.left - bounds.left) / 2,
          (bounds.top + bounds.bottom) / 2);
  ASSERT_TRUE(WaitUntil([&] { return !lvax.Checked(kept); }, 5000)) << "the click did not untick";
  for (int i = 0; i < lvax.Count(); ++i) EXPECT_EQ(lvax.Checked(i), i != kept) << "row " << i;

  Click(Control(ids::kGradientButton3));
  ASSERT_TRUE(app_->WaitForStatus("1 Error Found")) << app_->Status();
  Finding left = expected[kept];
  left.Checked = false;
  EXPECT_THAT(lvax.Rows(), ElementsAreArray({left}));
  EXPECT_THAT(List(ids::kLv2).Rows(), ElementsAreArray({left}));

  // What the ticked rows named is gone; the unticked row's value stays, and
  // the unnamed value is emptied, not deleted.
  const std::string own = seed_->OwnKey();
  RegistrySeed& user = seed_->User();
  EXPECT_FALSE(user.Exists(own, "Gone"));
  EXPECT_TRUE(user.Exists(own, "Present"));
  std::optional<TreeValue> value = user.Read(own + "\\Sub", "");
  ASSERT_TRUE(value.has_value());
  EXPECT_EQ(value->type, kRegSz);
  EXPECT_EQ(value->data, Bytes(std::string(1, '\0')));
  EXPECT_FALSE(user.Exists(std::string(SeededRegistry::kFileExts) + "\\.vtaempty"));
  EXPECT_TRUE(user.Exists(std::string(SeededRegistry::kFileExts) + "\\.vtafull"));
  EXPECT_FALSE(user.Exists(SeededRegistry::kTypedUrls, "url1"));
  EXPECT_TRUE(user.Exists(SeededRegistry::kTypedUrls, "url2"));
  EXPECT_FALSE(user.Exists(SeededRegistry::kRunMru, "a"));
  EXPECT_FALSE(user.Exists(SeededRegistry::kRecentDocs, "0"));

  // Beside the program, the undo file of that clean: what the ticked rows
  // deleted, and nothing of the unticked one.
  WIN32_FIND_DATAA found;
  const HANDLE search = FindFirstFileA((app_->Folder() + "veltrane-undo-*.reg").c_str(), &found);
  ASSERT_NE(search, INVALID_HANDLE_VALUE) << "no undo file beside the program";
  EXPECT_FALSE(FindNextFileA(search, &found)) << "more than one undo file";
  FindClose(search);
  const std::string undo = ReadFile(app_->Folder() + found.cFileName);
  EXPECT_NE(undo.find("\"url1\"="), std::string::npos);
  EXPECT_EQ(undo.find("\"url2\"="), std::string::npos);

  // A second scan with findings leaves the backup as it was.
  Sleep(50);  // so that a rewrite would show in the file time
  Scan(1);
  EXPECT_EQ(ReadFile(app_->BackupPath()), backup);
  EXPECT_EQ(LastWriteTime(app_->BackupPath()), backupTime);

  // Options, Apply: the backup comes back.
  Click(Control(ids::kLoptions));
  const HWND options = WaitForWindow(app_->Pid(), nullptr, "Options");
  ASSERT_NE(options, nullptr);
  Click(ChildById(options, ids::kApplybtn));
  const HWND box = WaitForWindow(app_->Pid(), "#32770", "Veltrane");
  ASSERT_NE(box, nullptr) << "no message box after Apply";
  EXPECT_EQ(GetWindow(box, GW_OWNER), options);
  // Named with the backup it restored and the undo file written before it began.
  const std::string text = TextOf(GetDlgItem(box, 0xFFFF));
  EXPECT_EQ(
      text.rfind("     Restore Complete       \n\nRestored from " + app_->Folder() +
                     "backuphkcu.REG.\n\nImporting " + app_->Folder() + "veltrane-undo-import-",
                 0),
      0u)
      << text;
  Click(GetDlgItem(box, IDOK));
  EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(options); })) << "Options stayed open";

  EXPECT_TRUE(user.Exists(own, "Gone"));
  value = user.Read(own + "\\Sub", "");
  ASSERT_TRUE(value.has_value());
  EXPECT_EQ(value->data, Bytes(seed_->DriveRoot() + "gone\\default.exe" + std::string(1, '\0')));
  EXPECT_TRUE(user.Exists(std::string(SeededRegistry::kFileExts) + "\\.vtaempty\\OpenWithProgids"));
  EXPECT_TRUE(user.Exists(SeededRegistry::kTypedUrls, "url1"));
  EXPECT_TRUE(user.Exists(SeededRegistry::kRunMru, "a"));
  value = user.Read(SeededRegistry::kRecentDocs, "0");
  ASSERT_TRUE(value.has_value());
  EXPECT_EQ(value->type, kRegBinary);
  EXPECT_EQ(value->data, Bytes(std::string("notes.txt\0", 10)));
}

// Names and texts in Cyrillic and Greek come through to the list as they
// are; screenshots/app_main_scripts.png shows them.
TEST_F(SeededAppTest, ListsRowsInCyrillicAndGreek) {
  // Windows' Tahoma has Cyrillic and Greek; the one this prefix finds for it
  // (Bitstream Vera Sans) has neither, so for the program started here Wine
  // takes them from a font of the system that has them.
  Win32Registry registry;
  const std::string links = "Software\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink";
  const TreeValue dejaVu = Typed(kRegMultiSz, std::string("DejaVuSans.ttf,DejaVu Sans\0\0", 28));
  const ReplacedValue tahoma(registry, kHkeyLocalMachine, links, "Tahoma", dejaVu);
  const ReplacedValue vera(registry, kHkeyLocalMachine, links, "Bitstream Vera Sans", dejaVu);
  app_ = std::make_unique<AppProcess>(VELTRANE_EXE);  // a program started with them
  ASSERT_TRUE(app_->Start()) << app_->Failure();
  RegistrySeed& user = seed_->User();
  user.Text(seed_->OwnKey() + "\\Ωμέγα", "Иван", seed_->DriveRoot() + "нет\\файл.exe");
  user.Text(SeededRegistry::kTypedUrls, "адрес", "http://пример.рф/страница");
  user.Text(SeededRegistry::kRunMru, "β", "γράμμα.exe\\1");
  std::vector<Finding> expected = seed_->ExpectedRows();
  const std::string own = expected[0].RegistryLocation;
  // In the registry's order: Ωμέγα after Sub, адрес after url2, β after a.
  expected.insert(
      expected.begin() + 2,
      {kCategoryMissingPath, "Иван", seed_->DriveRoot() + "нет\\файл.exe", own + "\\Ωμέγα", true});
  expected.insert(expected.begin() + 6, {kCategoryTypedUrl, "адрес", "http://пример.рф/страница",
                                         std::string("HKCU\\") + SeededRegistry::kTypedUrls, true});
  expected.insert(expected.begin() + 8, {kCategoryRunMru, "β", "γράμμα.exe\\1",
                                         std::string("HKCU\\") + SeededRegistry::kRunMru, true});
  Scan(expected.size());
  PointerAway();
  EXPECT_THAT(List(ids::kLvax).Rows(), ElementsAreArray(expected));
  Settle(app_->Main());
  Sleep(300);
  EXPECT_TRUE(SavePng(CaptureClient(app_->Main()), ScreenshotPath("app_main_scripts.png")));
}

TEST_F(SeededAppTest, SelectNoneAndSelectAllSwitchEveryTickAndTheCaption) {
  const std::size_t rows = seed_->ExpectedRows().size();
  Scan(rows);
  const RemoteListView lvax = List(ids::kLvax);
  const HWND select = Control(ids::kLselect);
  const auto ticks = [&] {
    std::vector<bool> all;
    for (int i = 0; i < lvax.Count(); ++i) all.push_back(lvax.Checked(i));
    return all;
  };
  Click(select);
  ASSERT_TRUE(WaitUntil([&] { return TextOf(select) == "select all"; }));
  EXPECT_EQ(ticks(), std::vector<bool>(rows, false));
  Click(select);
  ASSERT_TRUE(WaitUntil([&] { return TextOf(select) == "select none"; }));
  EXPECT_EQ(ticks(), std::vector<bool>(rows, true));
  EXPECT_EQ(app_->Status(), ScanComplete(rows)) << "select leaves the status line alone";
}

TEST_F(SeededAppTest, AboutIsModalAndClosesAgain) {
  Click(Control(ids::kLabout));
  const HWND about = WaitForWindow(app_->Pid(), nullptr, "About");
  ASSERT_NE(about, nullptr);
  PointerAway();
  EXPECT_FALSE(IsWindowEnabled(app_->Main())) << "the main window takes input under About";

  const SIZE client = ClientSize(about);
  EXPECT_EQ(client.cx, 344);
  EXPECT_EQ(client.cy, 195);
  const LONG_PTR style = GetWindowLongPtrA(about, GWL_STYLE);
  EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
  const HWND panel = ChildById(about, ids::kAboutPanel);
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(RectInParent(panel).right, 344);
  ExpectPlacements(panel, {
                              {ids::kLabel2, At(16, 16)},
                              {ids::kLabel3, At(16, 36)},
                              {ids::kLabel6, At(16, 44)},
                              {ids::kLabel4, At(16, 64)},
                              {ids::kLabel5, At(16, 80)},
                              {ids::kLabel7, At(16, 104)},
                              {ids::kLabel8, At(16, 120)},
                              {ids::kLabel9, At(16, 160)},
                              {ids::kClsbtn, At(256, 152, 75, 25)},
                          });
  EXPECT_EQ(TextOf(ChildById(panel, ids::kLabel2)), "Veltrane");
  EXPECT_EQ(TextOf(ChildById(panel, ids::kLabel3)), "Version 1.0");
  EXPECT_EQ(TextOf(ChildById(panel, ids::kLabel6)), std::string(52, '_') + " ");
  EXPECT_EQ(TextOf(ChildById(panel, ids::kLabel5)), "Released under the MIT License.");
  EXPECT_EQ(TextOf(ChildById(panel, ids::kLabel7)), "Support/Contact Details : ");
  EXPECT_EQ(TextOf(ChildById(panel, ids::kLabel9)), "~");
  EXPECT_EQ(TextOf(ChildById(panel, ids::kClsbtn)), "Close");
  Settle(about);
  Sleep(300);
  EXPECT_TRUE(SavePng(CaptureClient(about), ScreenshotPath("app_about.png")));

  Click(ChildById(panel, ids::kClsbtn));
  EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(about); }));
  EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(app_->Main()) != FALSE; }));
}

// Handles what the windows of this thread are sent, while `done` is awaited.
bool PumpUntil(const std::function<bool()>& done) {
  return WaitUntil(done, 20000, [] {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    Sleep(20);
  });
}

TEST_F(AppTest, TheKeyboardWalksTheMainWindowAndOpensAndClosesBothDialogs) {
  const HWND main = app_->Main();
  PointerAway();
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == main; }))
      << "the main window did not come to the front";
  const auto focusIs = [&](HWND control) {
    return WaitUntil([&] { return FocusedWindow(main) == control; });
  };

  // Six stops, round and back.
  for (const int id :
       {ids::kGradientButton1, ids::kGradientButton3, ids::kGradientButton4, ids::kGradientButton5,
        ids::kGradientButton6, ids::kLvax, ids::kGradientButton1}) {
    PressKey(VK_TAB);
    ASSERT_TRUE(focusIs(Control(id))) << "Tab did not reach control " << id;
  }
  PressKey(VK_TAB, /*shift*/ true);
  ASSERT_TRUE(focusIs(Control(ids::kLvax)));
  PressKey(VK_TAB, /*shift*/ true);
  const HWND about6 = Control(ids::kGradientButton6);
  ASSERT_TRUE(focusIs(about6));

  // The focused button shows its focus rectangle (3, 3)-(W - 4, H - 4).
  Settle(main);
  Sleep(300);
  EXPECT_TRUE(SavePng(CaptureClient(main), ScreenshotPath("app_main_focus.png")));
  const Image button = CaptureClient(about6);
  for (int x = 3; x <= button.width - 4; ++x) {
    ASSERT_EQ(button.at(x, 3), RGB(173, 173, 173)) << "no focus rectangle at x " << x;
  }

  // Away to another program, and back with a click on the window where
  // nothing takes the focus: the focus comes back to the button.
  {
    const UniqueWindow other(CreateWindowExA(0, "STATIC", "other", WS_POPUP | WS_VISIBLE, 1200, 960,
                                             40, 40, nullptr, nullptr, nullptr, nullptr));
    SetForegroundWindow(other.get());
    ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == other.get(); }));
    ClickAt(Control(ids::kGradientPanel2), 400, 13);
    ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == main; }));
    EXPECT_TRUE(focusIs(about6)) << "the focus did not come back";
  }
  PointerAway();

  // Enter opens About with Close focused; Escape closes it. Space opens it
  // again, and Enter closes it.
  for (const auto& [open, close] :
       {std::pair<WORD, WORD>{VK_RETURN, VK_ESCAPE}, std::pair<WORD, WORD>{VK_SPACE, VK_RETURN}}) {
    PressKey(open);
    const HWND about = WaitForWindow(app_->Pid(), nullptr, "About");
    ASSERT_NE(about, nullptr) << "key " << open << " did not click the button";
    EXPECT_TRUE(focusIs(ChildById(about, ids::kClsbtn))) << "Close is not focused";
    PressKey(close);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(about); }))
        << "key " << close << " left About open";
    EXPECT_TRUE(focusIs(about6));
  }

  // Options opens at its first control, and Tab goes round its controls.
  PressKey(VK_TAB, /*shift*/ true);
  PressKey(VK_TAB, /*shift*/ true);
  ASSERT_TRUE(focusIs(Control(ids::kGradientButton4)));
  PressKey(VK_RETURN);
  const HWND options = WaitForWindow(app_->Pid(), nullptr, "Options");
  ASSERT_NE(options, nullptr);
  const HWND panel = ChildById(options, ids::kOptionsPanel);
  EXPECT_TRUE(focusIs(ChildById(panel, ids::kCbrestore)));
  for (const int id : {ids::kApplybtn, ids::kClosebtn, ids::kCbrestore}) {
    PressKey(VK_TAB);
    EXPECT_TRUE(focusIs(ChildById(panel, id))) << "Tab did not reach control " << id;
  }
  PressKey(VK_ESCAPE);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(options); }));
}

TEST_F(SeededAppTest, PrivateMessagesMadeUpByAnotherProgramAreIgnored) {
  const HWND main = app_->Main();
  const UINT registered = RegisterWindowMessageA(TTestThread::kMessageName);
  ASSERT_NE(registered, 0u);
  for (const UINT message : {static_cast<UINT>(WM_APP + 1), registered}) {
    for (const WPARAM request : {0, 1, 2}) {
      PostMessageA(main, message, request, static_cast<LPARAM>(0x5EED0BAD));
      PostMessageA(main, message, request, 1);
    }
  }
  Settle(main);
  ASSERT_FALSE(app_->WaitForExit(0)) << "the program ended";
  EXPECT_EQ(app_->Status(), "Ready");
  Scan(seed_->ExpectedRows().size());
}

TEST_F(AppTest, AButtonThatOpenedAModalWindowDropsItsHoverLookWhenThePointerIsElsewhere) {
  const HWND aboutButton = Control(ids::kGradientButton6);
  Click(aboutButton);
  const HWND about = WaitForWindow(app_->Pid(), nullptr, "About");
  ASSERT_NE(about, nullptr);
  Click(ChildById(about, ids::kClsbtn));
  ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(about); }));
  // The pointer stayed where Close was, away from the button, whose face
  // must now match that of a button the pointer never visited.
  const auto face = [](HWND button) {
    const Image picture = CaptureClient(button);
    std::vector<Color> column;
    for (int y = 2; y < picture.height - 2; ++y) column.push_back(picture.at(2, y));
    return column;
  };
  EXPECT_TRUE(
      WaitUntil([&] { return face(aboutButton) == face(Control(ids::kGradientButton5)); }, 5000))
      << "the button kept its hover look";
}

TEST_F(SeededAppTest, OptionsIsOneModelessDialogWhoseCheckBoxGovernsApply) {
  Click(Control(ids::kLoptions));
  const HWND options = WaitForWindow(app_->Pid(), nullptr, "Options");
  ASSERT_NE(options, nullptr);
  EXPECT_TRUE(IsWindowEnabled(app_->Main())) << "Options is not modal";
  // Choosing options again brings the same dialog to the front.
  Click(Control(ids::kGradientButton4));
  Settle(app_->Main());
  EXPECT_EQ(TopLevelWindows(app_->Pid(), "Options").size(), 1u);
  EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == options; }, 5000));

  const SIZE client = ClientSize(options);
  EXPECT_EQ(client.cx, 344);
  EXPECT_EQ(client.cy, 184);
  const HWND panel = ChildById(options, ids::kOptionsPanel);
  ASSERT_NE(panel, nullptr);
  ExpectPlacements(panel, {
                              {ids::kOptionsLabel2, At(48, 64)},
                              {ids::kCbrestore, At(24, 64, 17, 17)},
                              {ids::kApplybtn, At(160, 136, 75, 25)},
                              {ids::kClosebtn, At(248, 136, 75, 25)},
                          });
  const HWND check = ChildById(panel, ids::kCbrestore);
  const HWND apply = ChildById(panel, ids::kApplybtn);
  const RECT label = RectInParent(ChildById(panel, ids::kOptionsLabel2));
  EXPECT_GE(label.right - label.left, 124);
  EXPECT_EQ(label.bottom - label.top, 16);
  EXPECT_EQ(TextOf(ChildById(panel, ids::kOptionsLabel2)), "Restore Registry Keys");
  EXPECT_EQ(TextOf(apply), "Apply");
  EXPECT_EQ(TextOf(ChildById(panel, ids::kClosebtn)), "Close");
  EXPECT_EQ(SendMessageA(check, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_TRUE(IsWindowEnabled(apply));
  PointerAway();
  Settle(options);
  Sleep(300);
  EXPECT_TRUE(SavePng(CaptureClient(options), ScreenshotPath("app_options.png")));

  Click(check);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindowEnabled(apply); })) << "unticking left Apply on";
  Click(apply);  // does nothing while disabled
  Sleep(500);
  EXPECT_EQ(FindTopLevel(app_->Pid(), "#32770", "Veltrane"), nullptr);
  EXPECT_TRUE(IsWindowVisible(options));
  Click(check);
  EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(apply) != FALSE; }));

  Click(ChildById(panel, ids::kClosebtn));
  EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(options); }));
}

// A scan runs long enough here (200 ms per typed address) to give the
// commands in the middle of it.
class LongScanTest : public SeededAppTest {
 protected:
  void SetUp() override {
    typedUrls_ = 6;
    SeededAppTest::SetUp();
  }
  void StartScanAndWaitForHistory() {
    Click(Control(ids::kLscan));
    ASSERT_TRUE(WaitUntil([&] {
      return app_->Status().rfind("HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer", 0) ==
             0;
    })) << "the scan did not reach the typed addresses: "
        << app_->Status();
  }
};

TEST_F(LongScanTest, ScanCleanAndSelectDuringAScanAreRefusedAndTheListStaysWhole) {
  const std::vector<Finding> expected = seed_->ExpectedRows();
  StartScanAndWaitForHistory();
  Click(Control(ids::kLscan));
  Click(Control(ids::kGradientButton1));
  Click(Control(ids::kGradientButton3));
  Click(Control(ids::kLselect));
  // Other commands still work: About opens and closes in the middle.
  Click(Control(ids::kLabout));
  const HWND about = WaitForWindow(app_->Pid(), nullptr, "About");
  ASSERT_NE(about, nullptr);
  ASSERT_TRUE(app_->Status().rfind("HKEY_CURRENT_USER", 0) == 0) << "the scan ended too soon";
  Click(ChildById(ChildById(about, ids::kAboutPanel), ids::kClsbtn));

  ASSERT_TRUE(app_->WaitForStatus(ScanComplete(expected.size()))) << app_->Status();
  PointerAway();
  Sleep(500);  // time for anything queued behind the scan
  EXPECT_EQ(app_->Status(), ScanComplete(expected.size()));
  EXPECT_EQ(TextOf(Control(ids::kLselect)), "select none");
  EXPECT_THAT(List(ids::kLvax).Rows(), ElementsAreArray(expected));
  EXPECT_THAT(List(ids::kLv2).Rows(), ElementsAreArray(expected));
  EXPECT_TRUE(seed_->User().Exists(seed_->OwnKey(), "Gone")) << "a clean ran";
}

TEST_F(LongScanTest, ClosingDuringAScanHidesTheWindowAndEndsWhenTheScanHasEnded) {
  StartScanAndWaitForHistory();
  PostMessageA(app_->Main(), WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(app_->Main()); }, 5000));
  EXPECT_FALSE(app_->WaitForExit(0)) << "the program ended in the middle of the scan";
  ASSERT_TRUE(app_->WaitForExit(30000)) << "the program did not end after the scan";
  EXPECT_EQ(app_->ExitCode(), 0u);
  // The scan ran to its end: its last step wrote the backup.
  EXPECT_EQ(ReadFile(app_->BackupPath()).rfind("REGEDIT4\r\n", 0), 0u);
}

TEST_F(SeededAppTest, CommandLabelsTurnBlueUnderThePointerAndBlackAfter) {
  const HWND help = Control(ids::kLhelp);
  const auto countPixels = [&](COLORREF colour) {
    const std::vector<Color> pixels = CaptureClient(help).pixels;
    return std::count(pixels.begin(), pixels.end(), colour);
  };
  const SIZE size = ClientSize(help);
  POINT inside{size.cx / 2, size.cy / 2};
  ClientToScreen(help, &inside);
  MovePointer(inside.x, inside.y);
  MovePointer(inside.x + 1, inside.y);
  EXPECT_TRUE(WaitUntil([&] { return countPixels(RGB(0, 0, 255)) > 10; }, 5000))
      << "no blue text under the pointer";
  PointerAway();
  EXPECT_TRUE(WaitUntil([&] { return countPixels(RGB(0, 0, 255)) == 0; }, 5000));
  EXPECT_GT(countPixels(RGB(0, 0, 0)), 10) << "the label is not black after the pointer left";
}

}  // namespace
}  // namespace veltrane::testing
