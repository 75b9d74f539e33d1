// veltrane.exe at display scales of 125, 150 and 200% (LogPixels 120, 144
// and 192), end to end: each window's client area is its size at 96 dpi
// times dpi / 96, its controls sit at their scaled places, the command
// labels are the size of their captions in the scaled font, the list's
// columns are scaled, and a scan still lists its rows. Screenshots of the
// three windows at each scale go to screenshots/ in the build folder.
//
// Wine gives a program the dpi of HKCU\Control Panel\Desktop\LogPixels as
// it stands when the program starts, and that value is the whole prefix's:
// a window test starting meanwhile would come up scaled. This program runs
// in a prefix of its own, and sets the value around each start of the
// program, putting back what was there after.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/control_ids.h"
#include "controls/paint.h"
#include "controls/scale.h"
#include "tests/app/support/app_test.h"
#include "tests/support/findings.h"
#include "tests/support/run_program.h"

namespace veltrane::testing {
namespace {

using ::testing::ElementsAreArray;

const auto* const kUnmanagedWindows = ::testing::AddGlobalTestEnvironment(new UnmanagedWindows);

// The place of a control at 96 dpi; a width below 0 for a label, which
// sizes itself.
struct Place {
  int id, left, top, width = -1, height = -1;
};

// The glyph `id` drawn for the display scale nearest to `dpi`, as the
// program carries it.
Image Glyph(int id, int dpi) {
  Image picture;
  const HMODULE module = LoadLibraryExA(WindowsPath(VELTRANE_EXE).c_str(), nullptr,
                                        LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (!module) return picture;
  const int step = (PictureScaleForDpi(dpi) - 100) / 25;
  const UniqueBitmap bitmap(static_cast<HBITMAP>(LoadImageA(
      module, MAKEINTRESOURCEA(id + 1000 * step), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  BITMAP info{};
  if (bitmap && GetObjectA(bitmap.get(), sizeof info, &info)) {
    picture = Image(info.bmWidth, info.bmHeight, 0);
    MemoryDC dc;
    SelectGuard select(dc.get(), bitmap.get());
    for (int y = 0; y < picture.height; ++y) {
      for (int x = 0; x < picture.width; ++x) picture.at(x, y) = GetPixel(dc.get(), x, y);
    }
  }
  FreeLibrary(module);
  return picture;
}

class ScaledAppTest : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    const auto dpi = static_cast<std::uint32_t>(GetParam());
    logPixels_ = std::make_unique<ReplacedValue>(
        registry_, kHkeyCurrentUser, "Control Panel\\Desktop", "LogPixels",
        TreeValue{kRegDword, Bytes(std::string(reinterpret_cast<const char*>(&dpi), 4))});
    seed_ = std::make_unique<SeededRegistry>();
    app_ = std::make_unique<AppProcess>(VELTRANE_EXE);
    ASSERT_TRUE(app_->Start()) << app_->Failure();
  }
  void TearDown() override {
    app_.reset();
    seed_.reset();
    logPixels_.reset();
    MovePointer(0, 0);
  }

  int Scaled(int value) const { return ScaleForDpi(value, GetParam()); }
  std::string Shot(const std::string& window) const {
    return ScreenshotPath("app_" + window + "_" + std::to_string(GetParam()) + ".png");
  }

  // The client area is the size at 96 dpi scaled, within a pixel.
  void ExpectClientSize(HWND window, int width, int height) const {
    const SIZE client = ClientSize(window);
    EXPECT_LE(std::abs(client.cx - Scaled(width)), 1) << client.cx;
    EXPECT_LE(std::abs(client.cy - Scaled(height)), 1) << client.cy;
  }

  // Each control at its place scaled, within a pixel, and of its scaled
  // size when it has one.
  void ExpectPlaces(HWND parent, const std::vector<Place>& places) const {
    for (const Place& p : places) {
      SCOPED_TRACE("control " + std::to_string(p.id));
      const HWND control = ChildById(parent, p.id);
      ASSERT_NE(control, nullptr);
      const RECT r = RectInParent(control);
      EXPECT_LE(std::abs(r.left - Scaled(p.left)), 1) << r.left;
      EXPECT_LE(std::abs(r.top - Scaled(p.top)), 1) << r.top;
      if (p.width < 0) continue;
      EXPECT_LE(std::abs(r.right - r.left - Scaled(p.width)), 1) << r.right - r.left;
      EXPECT_LE(std::abs(r.bottom - r.top - Scaled(p.height)), 1) << r.bottom - r.top;
    }
  }

  // Shows the dialog that `command` opens, checks its size and places,
  // keeps its picture and closes it with `close`.
  void CheckDialog(int command, const char* title, int panelId, int width, int height,
                   const std::vector<Place>& places, int close) {
    Click(app_->Control(command));
    const HWND dialog = WaitForWindow(app_->Pid(), nullptr, title);
    ASSERT_NE(dialog, nullptr) << title << " did not open";
    ExpectClientSize(dialog, width, height);
    const HWND panel = ChildById(dialog, panelId);
    ExpectPlaces(dialog, {{panelId, 0, 0, width, height}});
    ExpectPlaces(panel, places);
    MovePointer(2, 2);
    Settle(dialog);
    Sleep(300);
    EXPECT_TRUE(SavePng(CaptureClient(dialog), Shot(title[0] == 'A' ? "about" : "options")));
    Click(ChildById(panel, close));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(dialog); })) << title << " stayed open";
  }

  Win32Registry registry_;
  std::unique_ptr<ReplacedValue> logPixels_;
  std::unique_ptr<SeededRegistry> seed_;
  std::unique_ptr<AppProcess> app_;
};

TEST_P(ScaledAppTest, EveryWindowScalesItsSizePlacesFontsAndColumnsAndAScanListsItsRows) {
  const HWND main = app_->Main();
  ExpectClientSize(main, 704, 348);
  ExpectPlaces(main, {
                         {ids::kGradientPanel1, 0, 0, 704, 322},
                         {ids::kGradientPanel2, 0, 322, 704, 26},
                         {ids::kGradientButton1, 8, 48, 33, 30},
                         {ids::kLvax, 48, 46, 641, 265},
                         {ids::kLv2, 56, 56, 609, 241},
                     });
  ExpectPlaces(app_->Control(ids::kGradientPanel1), {
                                                        {ids::kLscan, 64, 16},
                                                        {ids::kLselect, 176, 16},
                                                        {ids::kLclean, 280, 16},
                                                        {ids::kLoptions, 400, 16},
                                                        {ids::kLhelp, 480, 16},
                                                        {ids::kLabout, 544, 16},
                                                        {ids::kGradientButton3, 8, 96, 33, 30},
                                                        {ids::kGradientButton4, 8, 144, 33, 30},
                                                        {ids::kGradientButton5, 8, 192, 33, 30},
                                                        {ids::kGradientButton6, 8, 240, 33, 30},
                                                    });
  ExpectPlaces(app_->Control(ids::kGradientPanel2), {
                                                        {ids::kSt, 48, 3},
                                                        {ids::kPb, 504, 0, 187, 25},
                                                    });

  // A command label is its caption's size in Tahoma 13 scaled (20 at 144).
  const UniqueFont font = CreateFontFrom(
      FontDesc{.name = "Tahoma", .height = 13, .bold = true, .underline = true}, GetParam());
  MemoryDC dc;
  SelectGuard select(dc.get(), font.get());
  for (const int id : {ids::kLscan, ids::kLabout}) {
    const HWND label = app_->Control(id);
    const SIZE text = MeasureCaption(dc.get(), TextOf(label), DT_LEFT | DT_EXPANDTABS);
    const SIZE size = ClientSize(label);
    EXPECT_EQ(size.cx, text.cx) << TextOf(label);
    EXPECT_EQ(size.cy, text.cy) << TextOf(label);
  }

  const std::vector<Column> columns =
      RemoteListView(app_->Process(), app_->Control(ids::kLvax)).Columns();
  ASSERT_EQ(columns.size(), 4u);
  const int widths[] = {200, 150, 200, 300};
  for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(columns[i].width, Scaled(widths[i])) << i;

  const std::vector<Finding> expected = seed_->ExpectedRows();
  Click(app_->Control(ids::kLscan));
  ASSERT_TRUE(app_->WaitForStatus(ScanComplete(expected.size()))) << app_->Status();
  EXPECT_THAT(RemoteListView(app_->Process(), app_->Control(ids::kLvax)).Rows(),
              ElementsAreArray(expected));
  MovePointer(2, 2);
  Settle(main);
  Sleep(300);
  EXPECT_TRUE(SavePng(CaptureClient(main), Shot("main_after_scan")));

  // The glyphs are drawn pixel for pixel as they were made for the scale,
  // in the middle of their buttons: nothing stretched.
  for (const auto& [button, glyph] :
       {std::pair{ids::kGradientButton1, 101}, std::pair{ids::kGradientButton4, 103}}) {
    SCOPED_TRACE("glyph " + std::to_string(glyph));
    const Image picture = Glyph(glyph, GetParam());
    ASSERT_EQ(picture.width, ScaleForDpi(glyph == 103 ? 23 : 20, GetParam()));
    const Image shown = CaptureClient(app_->Control(button));
    const int left = shown.width / 2 - picture.width / 2;
    const int top = (shown.height - picture.height) / 2;
    int differing = 0;
    for (int y = 0; y < picture.height; ++y) {
      for (int x = 0; x < picture.width; ++x) {
        const Color pixel = picture.at(x, y);
        differing += pixel != RGB(255, 255, 255) && shown.at(left + x, top + y) != pixel;
      }
    }
    EXPECT_EQ(differing, 0);
  }

  CheckDialog(ids::kLabout, "About", ids::kAboutPanel, 344, 195,
              {
                  {ids::kLabel2, 16, 16},
                  {ids::kLabel8, 16, 120},
                  {ids::kLabel9, 16, 160},
                  {ids::kClsbtn, 256, 152, 75, 25},
              },
              ids::kClsbtn);
  CheckDialog(ids::kLoptions, "Options", ids::kOptionsPanel, 344, 184,
              {
                  {ids::kOptionsLabel2, 48, 64},
                  {ids::kCbrestore, 24, 64, 17, 17},
                  {ids::kApplybtn, 160, 136, 75, 25},
                  {ids::kClosebtn, 248, 136, 75, 25},
              },
              ids::kClosebtn);
}

INSTANTIATE_TEST_SUITE_P(DisplayScales, ScaledAppTest, ::testing::Values(120, 144, 192));

}  // namespace
}  // namespace veltrane::testing
