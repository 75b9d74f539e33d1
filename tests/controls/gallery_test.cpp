// A window holding every control in every state, shown on the (virtual)
// screen, captured from it and written as screenshots/controls_gallery.png
// under the build folder. The capture of each opaque control must equal
// what the control renders off-screen: what WM_PAINT put on the screen is
// the off-screen picture.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "controls/gradient_button.h"
#include "controls/gradient_panel.h"
#include "controls/gradient_progress_bar.h"
#include "controls/paint.h"
#include "controls/status_text.h"
#include "controls/text_label.h"
#include "tests/controls/test_support.h"

namespace veltrane::testing {
namespace {

// A 20 by 20 (or `size`) glyph on white: a ring, a bar or a cross.
UniqueBitmap MakeGlyph(int kind, int size = 20) {
  std::vector<Color> pixels(static_cast<std::size_t>(size) * size, kWhite);
  const Color colours[] = {MakeColor(30, 120, 200), MakeColor(200, 60, 40), MakeColor(40, 150, 60),
                           MakeColor(120, 80, 160), MakeColor(220, 150, 20)};
  const Color ink = colours[kind % 5];
  const double c = (size - 1) / 2.0;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const double dx = x - c, dy = y - c, d2 = dx * dx + dy * dy;
      bool on = false;
      switch (kind % 5) {
        case 0: on = d2 <= c * c && d2 >= (c - 3) * (c - 3); break;
        case 1: on = x >= 3 && x < size - 3 && (y % 5 == 2 || y % 5 == 3); break;
        case 2:
          on = d2 < (c - 1) * (c - 1) && (std::abs(dx - dy) < 2 || std::abs(dx + dy) < 2);
          break;
        case 3: on = d2 <= (c - 2) * (c - 2); break;
        case 4: on = x > 2 && y > 2 && x < size - 3 && y < size - 3 && (x < 6 || y < 6); break;
      }
      if (on) pixels[static_cast<std::size_t>(y) * size + x] = ink;
    }
  }
  return CreateBitmapFromColors(size, size, pixels.data());
}

struct Gallery {
  TestForm form;
  std::vector<std::unique_ptr<TGradientPanel>> panels;
  std::vector<std::unique_ptr<TGradientButton>> buttons;
  std::vector<std::unique_ptr<TGradientProgressBar>> bars;
  std::vector<std::unique_ptr<TStatusText>> texts;
  std::vector<std::unique_ptr<TTextLabel>> labels;
  UniqueWindow checkBox;
  std::vector<UniqueBitmap> glyphs;

  TGradientPanel& Panel(HWND parent, int x, int y, int w, int h) {
    panels.push_back(std::make_unique<TGradientPanel>());
    panels.back()->SetCaption("");
    EXPECT_TRUE(panels.back()->Create(parent, x, y, w, h));
    return *panels.back();
  }
  TGradientButton& Button(HWND parent, int x, int y, int w, int h, const std::string& caption,
                          TColorScheme scheme = TColorScheme::csNeoSilver) {
    buttons.push_back(std::make_unique<TGradientButton>());
    TGradientButton& b = *buttons.back();
    b.SetColorScheme(scheme);
    b.SetCaption(caption);
    b.SetFont({"Tahoma", 11});
    EXPECT_TRUE(b.Create(parent, x, y, w, h));
    return b;
  }
  TGradientProgressBar& Bar(HWND parent, int x, int y, int w, int h, TProgressColorScheme scheme,
                            int position) {
    bars.push_back(std::make_unique<TGradientProgressBar>());
    TGradientProgressBar& b = *bars.back();
    b.SetColorScheme(scheme);
    EXPECT_TRUE(b.Create(parent, x, y, w, h));
    b.SetPosition(position);
    return b;
  }
  TTextLabel& Label(HWND parent, int x, int y, const std::string& text, const FontDesc& font) {
    labels.push_back(std::make_unique<TTextLabel>());
    labels.back()->SetFont(font);
    EXPECT_TRUE(labels.back()->Create(parent, x, y, text));
    return *labels.back();
  }
  HBITMAP Glyph(int kind, int size = 20) {
    glyphs.push_back(MakeGlyph(kind, size));
    return glyphs.back().get();
  }
};

void Hover(TGradientButton& b) { SendMessageA(b.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(4, 4)); }
void Press(TGradientButton& b) {
  Hover(b);
  SendMessageA(b.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
}

void Build(Gallery& g) {
  const HWND top = g.form.Handle();
  const FontDesc command{"Tahoma", 13, true, false, true, kClWindowText};

  // The main window's look: a diagonal silver panel with command labels and
  // glyph buttons, a flat status panel along the bottom.
  TGradientPanel& main = g.Panel(top, 0, 0, 760, 300);
  UseMainPanelLook(main);
  const HWND p = main.Handle();
  const char* commands[] = {"scan registry", "select none", "clean registry",
                            "options",       "help",        "about us"};
  const int commandX[] = {64, 176, 280, 400, 480, 544};
  for (int i = 0; i < 6; ++i) g.Label(p, commandX[i], 16, commands[i], command);
  g.labels[4]->SetTextColor(MakeColor(0, 0, 255));  // "help" under the pointer

  // Glyph buttons: normal, over, down, disabled, focused.
  for (int i = 0; i < 5; ++i) {
    TGradientButton& b = g.Button(p, 8, 48 + 48 * i, 33, 30, "");
    b.SetGlyph(g.Glyph(i));
    b.SetTabStop(i == 4);
  }
  // Caption buttons in the same five states.
  const char* states[] = {"Normal", "Over", "Down", "Disabled", "Focused"};
  for (int i = 0; i < 5; ++i) g.Button(p, 60 + 85 * i, 56, 75, 25, states[i]);
  // The Neo schemes, then the flat ones.
  const TColorScheme neo[] = {TColorScheme::csNeoDesert, TColorScheme::csNeoSky,
                              TColorScheme::csNeoGrass, TColorScheme::csNeoRose,
                              TColorScheme::csNeoSun};
  const char* neoNames[] = {"NeoDesert", "NeoSky", "NeoGrass", "NeoRose", "NeoSun"};
  for (int i = 0; i < 5; ++i) g.Button(p, 60 + 85 * i, 90, 75, 25, neoNames[i], neo[i]);
  const TColorScheme flat[] = {TColorScheme::csDesert, TColorScheme::csGrass, TColorScheme::csSky,
                               TColorScheme::csSun, TColorScheme::csRose};
  const char* flatNames[] = {"Desert", "Grass", "Sky", "Sun", "Rose"};
  for (int i = 0; i < 5; ++i) g.Button(p, 60 + 85 * i, 124, 75, 25, flatNames[i], flat[i]);
  // Glyph layouts beside a caption, and the edge switches.
  const TButtonLayout layouts[] = {TButtonLayout::blGlyphLeft, TButtonLayout::blGlyphRight,
                                   TButtonLayout::blGlyphTop, TButtonLayout::blGlyphBottom};
  const char* layoutNames[] = {"Left", "Right", "Top", "Bottom"};
  for (int i = 0; i < 4; ++i) {
    TGradientButton& b = g.Button(p, 60 + 85 * i, 158, 75, i < 2 ? 25 : 44, layoutNames[i]);
    b.SetGlyph(g.Glyph(i, 16));
    b.SetLayout(layouts[i]);
  }
  g.Button(p, 400, 158, 75, 25, "No Ctl3D").SetCtl3D(false);

  // Sub-panels: directions, bevels and caption alignments.
  TGradientPanel& horizontal = g.Panel(p, 60, 215, 140, 70);
  horizontal.SetColorScheme(TPanelColorScheme::csDesert);
  horizontal.SetFillDirection(TFillDirection::fdHorizontal);
  horizontal.SetBevelInner(TPanelBevel::bvLowered);
  horizontal.SetBevelWidth(2);
  horizontal.SetCaption("fdHorizontal");
  TGradientPanel& lowered = g.Panel(p, 210, 215, 140, 70);
  lowered.SetColorScheme(TPanelColorScheme::csGrass);
  lowered.SetBevelOuter(TPanelBevel::bvLowered);
  lowered.SetAlignment(TAlignment::taLeftJustify);
  lowered.SetCaption("Lowered, left");
  TGradientPanel& diagonal = g.Panel(p, 360, 215, 140, 70);
  diagonal.SetColorScheme(TPanelColorScheme::csSky);
  diagonal.SetFillDirection(TFillDirection::fdDiagonal);
  diagonal.SetAlignment(TAlignment::taRightJustify);
  diagonal.SetCaption("Sky, right");

  // Progress bars.
  g.Bar(p, 560, 56, 187, 25, TProgressColorScheme::csGrass, 0);
  g.Bar(p, 560, 90, 187, 25, TProgressColorScheme::csGrass, 37);
  g.Bar(p, 560, 124, 187, 25, TProgressColorScheme::csGrass, 100);
  const TProgressColorScheme others[] = {
      TProgressColorScheme::csDesert,  TProgressColorScheme::csSilver,
      TProgressColorScheme::csHackers, TProgressColorScheme::csNight,
      TProgressColorScheme::csVelvet,  TProgressColorScheme::csViolet};
  for (int i = 0; i < 6; ++i) g.Bar(p, 560, 158 + 20 * i, 150, 16, others[i], 15 + 15 * i);
  TGradientProgressBar& vertical = g.Bar(p, 725, 158, 22, 116, TProgressColorScheme::csToxic, 60);
  vertical.SetOrientation(TProgressBarOrientation::pbVertical);

  // A focused status text with its dotted frame.
  g.texts.push_back(std::make_unique<TStatusText>());
  TStatusText& focused = *g.texts.back();
  focused.SetColor(kWhite);
  focused.SetFont({"Tahoma", 13});
  focused.SetTabStop(true);
  EXPECT_TRUE(focused.Create(p, 640, 16));
  focused.SetCaption("Focused &status");

  // The About dialog's look.
  TGradientPanel& about = g.Panel(top, 0, 300, 380, 144);
  about.SetColorScheme(TPanelColorScheme::csSilver);
  const HWND a = about.Handle();
  g.Label(a, 16, 16, "Veltrane", {"Bitstream Vera Sans Mono", 16, true});
  g.Label(a, 16, 36, "Version 1.0", {"Bitstream Vera Sans Mono", 13, true});
  g.Label(a, 16, 44, std::string(52, '_') + " ", {"Tahoma", 11});
  g.Label(a, 16, 64, "Support/Contact Details : ", {"Tahoma", 11});
  g.Label(a, 16, 80, "www.example.com", {"Tahoma", 11, false, false, true, kBlack});
  g.Button(a, 290, 110, 75, 25, "Close");

  // The Options dialog's look, with a standard check box on the panel.
  TGradientPanel& options = g.Panel(top, 380, 300, 380, 144);
  options.SetColorScheme(TPanelColorScheme::csSilver);
  const HWND o = options.Handle();
  g.checkBox.reset(CreateWindowExA(0, "BUTTON", "", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX, 24, 64,
                                   17, 17, o, nullptr, GetModuleHandleA(nullptr), nullptr));
  SendMessageA(g.checkBox.get(), BM_SETCHECK, BST_CHECKED, 0);
  g.Label(o, 48, 64, "Restore Registry Keys", {"Tahoma", 13});
  g.Button(o, 160, 110, 75, 25, "&Apply");
  g.Button(o, 248, 110, 75, 25, "Close");

  // The status line along the bottom.
  TGradientPanel& bottom = g.Panel(top, 0, 444, 760, 26);
  bottom.SetColorFace(14344414);
  bottom.SetColorGrad(14344414);
  bottom.SetColorLight(8224125);
  bottom.SetColorDark(6447714);
  g.texts.push_back(std::make_unique<TStatusText>());
  TStatusText& st = *g.texts.back();
  st.SetColor(14344414);
  st.SetFont({"Tahoma", 13});
  EXPECT_TRUE(st.Create(bottom.Handle(), 48, 3, 137, 18));
  st.SetCaption("Ready");
  g.Bar(bottom.Handle(), 504, 0, 187, 25, TProgressColorScheme::csGrass, 37);
}

void SetStates(Gallery& g) {
  // Glyph column: normal, over, down, disabled; its buttons are no tab stops,
  // so pressing one leaves the focus where it is.
  Hover(*g.buttons[1]);
  Press(*g.buttons[2]);
  g.buttons[3]->SetEnabled(false);
  // Caption row: normal, over, down (Space held), disabled, focused.
  Hover(*g.buttons[6]);
  SendMessageA(g.buttons[7]->Handle(), WM_KEYDOWN, VK_SPACE, 0);
  g.buttons[8]->SetEnabled(false);
  SetFocus(g.buttons[9]->Handle());
}

// Paints whatever is pending, without letting hover tracking's "pointer
// left" (posted at once, the real pointer being elsewhere) undo the states.
void Settle(HWND form) {
  MSG m;
  while (PeekMessageA(&m, nullptr, WM_MOUSELEAVE, WM_MOUSELEAVE, PM_REMOVE)) {
  }
  RedrawWindow(form, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  PumpMessages();
  Sleep(300);
  PumpMessages();
}

// Where each opaque control on screen differs from its off-screen
// rendering; empty when the screen shows exactly the renderings.
std::vector<std::string> ScreenDifferences(const Gallery& g, const Image& picture) {
  std::vector<HWND> opaque;
  for (const auto& b : g.buttons) opaque.push_back(b->Handle());
  for (const auto& b : g.bars) opaque.push_back(b->Handle());
  for (const auto& t : g.texts) opaque.push_back(t->Handle());
  std::vector<std::string> differences;
  for (HWND window : opaque) {
    const Image rendered = Render(window);
    const RECT r = RectIn(window, g.form.Handle());
    const std::string difference =
        Difference(Crop(picture, r.left, r.top, rendered.width, rendered.height), rendered);
    if (difference.empty()) continue;
    char name[64];
    GetClassNameA(window, name, sizeof name);
    differences.push_back(std::string(name) + " at " + std::to_string(r.left) + "," +
                          std::to_string(r.top) + ": " + difference);
  }
  return differences;
}

// The screen once it shows what the controls render. A window that was
// just shown reaches the X server's screen some time later (longer for the
// first window of a fresh Wine prefix), so this captures again until the
// two agree, for ten seconds at most, and returns the last capture.
Image CaptureSettledScreen(const Gallery& g) {
  Image picture = CaptureClient(g.form.Handle());
  for (int attempt = 0; attempt < 30 && !ScreenDifferences(g, picture).empty(); ++attempt) {
    Settle(g.form.Handle());
    picture = CaptureClient(g.form.Handle());
  }
  return picture;
}

TEST(ControlsGallery, ScreenshotShowsWhatTheControlsRender) {
  SetCursorPos(1279, 1023);
  Gallery g;
  ASSERT_TRUE(g.form.Create(760, 470, "Veltrane controls"));
  Build(g);
  PumpMessages();
  SetStates(g);
  Settle(g.form.Handle());
  const Image picture = CaptureSettledScreen(g);
  EXPECT_TRUE(SavePng(picture, ScreenshotPath("controls_gallery.png")));
  EXPECT_THAT(ScreenDifferences(g, picture), ::testing::IsEmpty());

  // The same with the focus on the status text: its dotted frame.
  SetFocus(g.texts[0]->Handle());
  Settle(g.form.Handle());
  const Image focused = CaptureSettledScreen(g);
  EXPECT_TRUE(SavePng(focused, ScreenshotPath("controls_gallery_text_focus.png")));
  EXPECT_THAT(ScreenDifferences(g, focused), ::testing::IsEmpty());
  ReleaseCapture();
}

}  // namespace
}  // namespace veltrane::testing
