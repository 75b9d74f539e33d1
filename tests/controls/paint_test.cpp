// Pixel tests: each control rendered into a memory bitmap (WM_PRINTCLIENT,
// the same routine WM_PAINT uses) and compared pixel for pixel with a small
// reference drawn here from the painting rules.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "controls/gradient_button.h"
#include "controls/gradient_panel.h"
#include "controls/gradient_progress_bar.h"
#include "controls/handles.h"
#include "controls/paint.h"
#include "controls/status_text.h"
#include "controls/text_label.h"
#include "tests/controls/test_support.h"

namespace veltrane::testing {
namespace {

struct Six {
  Color face, grad, dark, light, border, text;
};

// csNeoSilver's four sets and focus colour.
constexpr Six kNormal{15987699, 12369084, 10987431, 16250871, 6447714, 0};
constexpr Six kOver{15790320, 10921638, 10658466, 15658734, 7697781, 0};
constexpr Six kDown{13290186, 14342874, 15329769, 8158332, 5131854, 0};
constexpr Six kDisabled{15658734, 16777215, 13816530, 16777215, 8421504, 8421504};
constexpr Color kFocus = 11382189;

// The face of a button: the gradient rows (or the flat face).
Image ButtonFace(int w, int h, const Six& c, bool gradient) {
  Image img(w, h, c.face);
  if (gradient) FillGradient(img, 0, 0, w, h, c.face, c.grad, h, Along::kRows);
  return img;
}

void Outline(Image& img, int k, Color color) {
  const int w = img.width, h = img.height;
  for (int x = k; x < w - k; ++x) img.set(x, k, color), img.set(x, h - 1 - k, color);
  for (int y = k; y < h - k; ++y) img.set(k, y, color), img.set(w - 1 - k, y, color);
}

// Border, inner edges and focus rectangle over a face, with lines `line`
// pixels thick (1 at 96 dpi) and the focus rectangle `focusInset` in.
void ButtonFrame(Image& img, const Six& c, bool ctl3d, bool focused, int line = 1,
                 int focusInset = 3) {
  const int w = img.width, h = img.height;
  for (int k = 0; k < line; ++k) Outline(img, k, c.border);
  for (int o = line; ctl3d && o < 2 * line; ++o) {
    for (int y = o + 1; y <= h - 1 - o; ++y) img.set(o, y, c.light);
    for (int x = o; x <= w - 1 - o; ++x) img.set(x, o, c.light);
    for (int y = o; y <= h - 2 - o; ++y) img.set(w - 1 - o, y, c.dark);
    for (int x = o + 1; x <= w - 1 - o; ++x) img.set(x, h - 1 - o, c.dark);
  }
  for (int k = focusInset; focused && k < focusInset + line; ++k) Outline(img, k, kFocus);
}

Image ReferenceButton(int w, int h, const Six& c, bool gradient = true, bool ctl3d = true,
                      bool focused = false, int line = 1, int focusInset = 3) {
  Image img = ButtonFace(w, h, c, gradient);
  ButtonFrame(img, c, ctl3d, focused, line, focusInset);
  return img;
}

class ControlsPaint : public ::testing::Test {
 protected:
  void SetUp() override {
    SetCursorPos(1279, 1023);  // keep the real pointer off our windows
    ASSERT_TRUE(form.Create(400, 300));
  }
  TestForm form;
};

TEST_F(ControlsPaint, NeoSilverButtonInEachState) {
  struct Case {
    const char* name;
    std::function<void(TGradientButton&)> act;
    Six colours;
    bool focused;
  };
  const std::vector<Case> cases = {
      {"normal", [](TGradientButton&) {}, kNormal, false},
      {"over",
       [](TGradientButton& b) { SendMessageA(b.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5)); },
       kOver, false},
      {"down",
       [](TGradientButton& b) {
         SendMessageA(b.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
         SendMessageA(b.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
       },
       kDown, true},
      {"disabled", [](TGradientButton& b) { b.SetEnabled(false); }, kDisabled, false},
      {"disabled under the pointer",
       [](TGradientButton& b) {
         SendMessageA(b.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
         b.SetEnabled(false);
       },
       kDisabled, false},
      {"disabled while pressed",
       [](TGradientButton& b) {
         SendMessageA(b.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
         b.SetEnabled(false);
         SetFocus(nullptr);
       },
       kDisabled, false},
      {"focused", [](TGradientButton& b) { SetFocus(b.Handle()); }, kNormal, true},
  };
  for (const auto& c : cases) {
    TGradientButton button;
    button.SetColorScheme(TColorScheme::csNeoSilver);
    ASSERT_TRUE(button.Create(form.Handle(), 8, 48, 33, 30));
    c.act(button);
    if (c.focused) {
      ASSERT_EQ(GetFocus(), button.Handle()) << c.name;
    }
    EXPECT_EQ(Difference(Render(button.Handle()),
                         ReferenceButton(33, 30, c.colours, true, true, c.focused)),
              "")
        << c.name;
    ReleaseCapture();
  }
}

TEST_F(ControlsPaint, ButtonSchemeSwitchesAndEdges) {
  TGradientButton button;
  button.SetColorScheme(TColorScheme::csNeoSilver);
  ASSERT_TRUE(button.Create(form.Handle(), 8, 48, 40, 21));
  // A flat scheme keeps the gradient ends but does not draw them.
  button.SetColorScheme(TColorScheme::csSilver);
  const Six silver{14737632, 12369084, 11447982, 16250871, 6447714, 0};
  EXPECT_EQ(Difference(Render(button.Handle()), ReferenceButton(40, 21, silver, false)), "");
  button.SetCtl3D(false);
  EXPECT_EQ(Difference(Render(button.Handle()), ReferenceButton(40, 21, silver, false, false)), "");
  // Gradient back on: the kept Neo end colour shows.
  button.SetGradient(true);
  EXPECT_EQ(Difference(Render(button.Handle()), ReferenceButton(40, 21, silver, true, false)), "");
}

TEST_F(ControlsPaint, GlyphIsCentredAndItsCornerColourIsTransparent) {
  std::vector<Color> pixels(20 * 20);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x)
      pixels[y * 20 + x] = (x + y) % 4 == 0 ? kWhite : MakeColor(10 * x, 200 - 5 * y, 100 + x);
  UniqueBitmap glyph = CreateBitmapFromColors(20, 20, pixels.data());
  ASSERT_TRUE(glyph);

  struct Case {
    const char* name;
    bool transparent, down;
  };
  for (const Case& c : {Case{"normal", true, false}, Case{"down", true, true},
                        Case{"opaque glyph", false, false}}) {
    TGradientButton button;
    button.SetColorScheme(TColorScheme::csNeoSilver);
    button.SetGlyph(glyph.get());
    button.SetTransparentGlyph(c.transparent);
    button.SetTabStop(false);
    ASSERT_TRUE(button.Create(form.Handle(), 8, 48, 33, 30));
    if (c.down) SendMessageA(button.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    const Six& colours = c.down ? kDown : kNormal;
    Image expected = ButtonFace(33, 30, colours, true);
    // No caption: x = 33 div 2 - 20 div 2 = 6, y = (30 - 20) div 2 = 5.
    const int left = 6 + (c.down ? 1 : 0), top = 5 + (c.down ? 1 : 0);
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 20; ++x)
        if (!c.transparent || pixels[y * 20 + x] != kWhite)
          expected.set(left + x, top + y, pixels[y * 20 + x]);
    ButtonFrame(expected, colours, true, false);
    EXPECT_EQ(Difference(Render(button.Handle()), expected), "") << c.name;
    ReleaseCapture();
  }
}

TEST_F(ControlsPaint, CaptionIsCentredInTheStateTextColour) {
  for (const bool enabled : {true, false}) {
    TGradientButton button;
    button.SetColorScheme(TColorScheme::csNeoSilver);
    button.SetCaption("Close");
    button.SetFont({"Tahoma", 11});
    ASSERT_TRUE(button.Create(form.Handle(), 8, 48, 75, 25));
    button.SetEnabled(enabled);
    const Six& colours = enabled ? kNormal : kDisabled;

    // Reference: the face, then the caption drawn the same way by GDI, then the frame.
    const Image face = ButtonFace(75, 25, colours, true);
    OffscreenBitmap bitmap(75, 25);
    for (int y = 0; y < 25; ++y)
      for (int x = 0; x < 75; ++x) SetPixelV(bitmap.dc(), x, y, face.at(x, y));
    UniqueFont font = CreateFontFrom({"Tahoma", 11});
    SelectGuard select(bitmap.dc(), font.get());
    SIZE text{};
    GetTextExtentPoint32A(bitmap.dc(), "Close", 5, &text);
    RECT r{(75 - text.cx) / 2, (25 - text.cy) / 2, 0, 0};
    r.right = r.left + text.cx;
    r.bottom = r.top + text.cy;
    SetBkMode(bitmap.dc(), TRANSPARENT);
    SetTextColor(bitmap.dc(), colours.text);
    DrawTextA(bitmap.dc(), "Close", 5, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP);
    Image expected = ReadBitmap(bitmap);
    ButtonFrame(expected, colours, true, false);

    const Image actual = Render(button.Handle());
    EXPECT_EQ(Difference(actual, expected), "") << (enabled ? "enabled" : "disabled");
    EXPECT_NE(Difference(actual, ReferenceButton(75, 25, colours)), "") << "caption missing";
  }
}

// A bevel frame at inset j: top-left colour up the left side and along the
// top, bottom-right colour down the right side and back along the bottom.
void BevelFrame(Image& img, int j, Color topLeft, Color bottomRight) {
  const int w = img.width, h = img.height;
  for (int y = h - j - 1; y > j; --y) img.set(j, y, topLeft);
  for (int x = j; x < w - j - 1; ++x) img.set(x, j, topLeft);
  for (int y = j; y < h - j - 1; ++y) img.set(w - j - 1, y, bottomRight);
  for (int x = w - j - 1; x > j; --x) img.set(x, h - j - 1, bottomRight);
}

TEST_F(ControlsPaint, SilverDiagonalPanelWithoutBevel) {
  TGradientPanel panel;
  UseMainPanelLook(panel);
  ASSERT_TRUE(panel.Create(form.Handle(), 0, 0, 40, 30));
  EXPECT_EQ(panel.ColorFace(), kWhite);
  EXPECT_EQ(panel.ColorGrad(), 14344414u);
  Image expected(40, 30, kWhite);
  // Line i runs from (i, 0) to (0, i) without its end point, so every pixel
  // but the left column takes colour i = x + y of n = 70; the left column
  // keeps the fresh bitmap's white.
  FillGradient(expected, 1, 0, 40, 30, kWhite, 14344414, 70, Along::kDiagonals);
  EXPECT_EQ(Difference(Render(panel.Handle()), expected), "");
}

TEST_F(ControlsPaint, PanelBevelsAndDirections) {
  struct Case {
    const char* name;
    TFillDirection direction;
    TPanelBevel outer, inner;
    int bevelWidth;
    Color face, grad;
  };
  const Color light = 8224125, dark = 6447714;
  const std::vector<Case> cases = {
      {"raised bevel of width 1, vertical", TFillDirection::fdVertical, TPanelBevel::bvRaised,
       TPanelBevel::bvNone, 1, kWhite, 14344414},
      {"flat face", TFillDirection::fdVertical, TPanelBevel::bvRaised, TPanelBevel::bvNone, 1,
       14344414, 14344414},
      {"lowered outside, raised inside, width 2, horizontal", TFillDirection::fdHorizontal,
       TPanelBevel::bvLowered, TPanelBevel::bvRaised, 2, MakeColor(255, 0, 0),
       MakeColor(0, 0, 255)},
      {"inner space bevel only", TFillDirection::fdVertical, TPanelBevel::bvNone,
       TPanelBevel::bvSpace, 1, MakeColor(10, 20, 30), MakeColor(200, 100, 0)},
  };
  for (const auto& c : cases) {
    TGradientPanel panel;
    panel.SetColorFace(c.face);
    panel.SetColorGrad(c.grad);
    panel.SetColorLight(light);
    panel.SetColorDark(dark);
    panel.SetFillDirection(c.direction);
    panel.SetBevelOuter(c.outer);
    panel.SetBevelInner(c.inner);
    panel.SetBevelWidth(c.bevelWidth);
    EXPECT_EQ(panel.ColorScheme(), TPanelColorScheme::csCustom);
    ASSERT_TRUE(panel.Create(form.Handle(), 0, 0, 50, 26));
    Image expected(50, 26, kWhite);
    const bool vertical = c.direction == TFillDirection::fdVertical;
    FillGradient(expected, 0, 0, 50, 26, c.face, c.grad, vertical ? 26 : 50,
                 vertical ? Along::kRows : Along::kColumns);
    int inset = 0;
    for (TPanelBevel kind : {c.outer, c.inner}) {
      if (kind == TPanelBevel::bvNone) continue;
      const bool lowered = kind == TPanelBevel::bvLowered;
      for (int k = 0; k < c.bevelWidth; ++k, ++inset)
        BevelFrame(expected, inset, lowered ? dark : light, lowered ? light : dark);
    }
    EXPECT_EQ(Difference(Render(panel.Handle()), expected), "") << c.name;
  }
}

// At 200% a control is at its place and size doubled, and the lines of its
// frame are two pixels: the button's border, inner edge and focus rectangle
// (6 pixels in), the panel's bevel.
TEST_F(ControlsPaint, AtTwiceTheDpiTheLinesOfButtonsAndPanelsAreTwoPixels) {
  TGradientButton button;
  button.SetColorScheme(TColorScheme::csNeoSilver);
  ASSERT_TRUE(button.Create(form.Handle(), 8, 48, 33, 30));
  button.SetDpi(192);
  SetFocus(button.Handle());
  const RECT place = RectInParent(button.Handle());
  EXPECT_EQ(place.left, 16);
  EXPECT_EQ(place.top, 96);
  EXPECT_EQ(Difference(Render(button.Handle()),
                       ReferenceButton(66, 60, kNormal, true, true, /*focused*/ true, 2, 6)),
            "");

  TGradientPanel panel;
  panel.SetColorScheme(TPanelColorScheme::csSilver);
  ASSERT_TRUE(panel.Create(form.Handle(), 0, 0, 50, 26));
  panel.SetDpi(192);
  Image expected(100, 52, kWhite);
  FillGradient(expected, 0, 0, 100, 52, kWhite, 14344414, 52, Along::kRows);
  BevelFrame(expected, 0, 8224125, 6447714);
  BevelFrame(expected, 1, 8224125, 6447714);
  EXPECT_EQ(Difference(Render(panel.Handle()), expected), "");
}

// A font given by WM_SETFONT without a redraw shows at the next paint: the
// panel must not keep its face drawn in the old font.
TEST_F(ControlsPaint, PanelShowsAFontSetWithoutRedrawAtTheNextPaint) {
  TGradientPanel panel, reference;
  for (TGradientPanel* p : {&panel, &reference}) {
    p->SetCaption("Options");
    ASSERT_TRUE(p->Create(form.Handle(), 0, 0, 120, 40));
  }
  const Image before = Render(panel.Handle());
  UniqueFont large = CreateFontFrom({"Tahoma", 20, true});
  SendMessageA(panel.Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(large.get()), FALSE);
  FontDesc desc = FontDescOf(large.get());
  desc.color = panel.Font().color;
  reference.SetFont(desc);
  const Image after = Render(panel.Handle());
  EXPECT_NE(Difference(after, before), "");
  EXPECT_EQ(Difference(after, Render(reference.Handle())), "");
}

TEST_F(ControlsPaint, TransparentLabelShowsThePanelThrough) {
  TGradientPanel panel;
  UseMainPanelLook(panel);
  ASSERT_TRUE(panel.Create(form.Handle(), 0, 0, 300, 60));
  const Image face = Render(panel.Handle());

  TTextLabel blank, text;
  ASSERT_TRUE(blank.Create(panel.Handle(), 20, 10, " "));
  text.SetFont({"Tahoma", 13, true, false, true, kBlack});
  ASSERT_TRUE(text.Create(panel.Handle(), 64, 16, "scan registry"));

  auto under = [&](const TTextLabel& label) {
    const RECT r = RectInParent(label.Handle());
    return Crop(face, r.left, r.top, r.right - r.left, r.bottom - r.top);
  };
  EXPECT_EQ(Difference(Render(blank.Handle()), under(blank)), "");
  const Image drawn = Render(text.Handle());
  const Image background = under(text);
  ASSERT_EQ(drawn.pixels.size(), background.pixels.size());
  int same = 0, black = 0;
  for (std::size_t i = 0; i < drawn.pixels.size(); ++i) {
    same += drawn.pixels[i] == background.pixels[i];
    black += drawn.pixels[i] == kBlack;
  }
  EXPECT_GT(same, static_cast<int>(drawn.pixels.size()) / 2);
  EXPECT_GT(black, 20);  // the text, underline included
}

// The bar's rules drawn pixel by pixel.
Image ReferenceBar(int w, int h, const ProgressColors& c, bool horizontal, int position, int min,
                   int max) {
  Image img(w, h, kWhite);
  if (horizontal) {
    const double exact = (static_cast<double>(w - 2) * (position - min)) / (max - min);
    const int f = static_cast<int>(std::nearbyint(exact));
    // Background rows 0 .. h - 2, x 1 .. w - 1; fill rows 0 .. h, x 0 .. f - 1.
    FillGradient(img, 1, 0, w, h - 1, c.backFace, c.backGrad, h - 2, Along::kRows);
    FillGradient(img, 0, 0, f, h + 1, c.foreFace, c.foreGrad, h, Along::kRows);
    const Color first = img.at(1, 1);
    for (int y = 1; y < h; ++y) img.set(1, y, first);
    const Color edge = img.at(2, h - 2);
    for (int y = 1; y < h; ++y) img.set(f, y, edge);
  } else {
    const double exact = (static_cast<double>(h - 2) * (position - min)) / std::abs(max - min) + 1;
    const int t = h - static_cast<int>(std::nearbyint(exact));
    // Background columns 0 .. w - 2, y 1 .. h - 1; fill columns 0 .. w, y t .. h - 1.
    FillGradient(img, 0, 1, w - 1, h, c.backFace, c.backGrad, w - 2, Along::kColumns);
    FillGradient(img, 0, t, w + 1, h, c.foreFace, c.foreGrad, w, Along::kColumns);
    const Color bottom = img.at(2, h - 2);
    for (int x = 1; x < w; ++x) img.set(x, h - 2, bottom);
    const Color top = img.at(w - 3, h - 3);
    for (int x = 1; x < w; ++x) img.set(x, t, top);
  }
  for (int x = 0; x < w; ++x) img.set(x, 0, c.border), img.set(x, h - 1, c.border);
  for (int y = 0; y < h; ++y) img.set(0, y, c.border), img.set(w - 1, y, c.border);
  return img;
}

TEST_F(ControlsPaint, GrassProgressBarAtZeroThirtySevenAndFull) {
  TGradientProgressBar bar;
  bar.SetColorScheme(TProgressColorScheme::csGrass);
  ASSERT_TRUE(bar.Create(form.Handle(), 10, 10, 187, 25));
  const ProgressColors grass{1404727, 13366748, 16777215, 13235675, 2670946};
  EXPECT_EQ(bar.Colors().foreGrad, grass.foreGrad);
  for (int position : {0, 37, 100, 150}) {
    bar.SetPosition(position);
    EXPECT_EQ(
        Difference(Render(bar.Handle()), ReferenceBar(187, 25, grass, true, position, 0, 100)), "")
        << position;
  }
}

TEST_F(ControlsPaint, VerticalProgressBarFillsFromTheBottom) {
  TGradientProgressBar bar;
  bar.SetOrientation(TProgressBarOrientation::pbVertical);
  bar.SetColorScheme(TProgressColorScheme::csNight);
  ASSERT_TRUE(bar.Create(form.Handle(), 10, 10, 30, 61));
  const ProgressColors night{0, 8404992, 11031552, 16763799, 15496704};
  bar.SetMin(10);
  bar.SetMax(60);
  for (int position : {10, 33, 60}) {
    bar.SetPosition(position);
    EXPECT_EQ(
        Difference(Render(bar.Handle()), ReferenceBar(30, 61, night, false, position, 10, 60)), "")
        << position;
  }
}

TEST_F(ControlsPaint, HiddenOrEmptyRangeBarsDrawSafely) {
  TGradientProgressBar bar;
  ASSERT_TRUE(bar.Create(form.Handle(), 10, 10, 50, 12));
  bar.SetVisible(false);
  bar.SetPosition(70);
  const Image hidden = Render(bar.Handle());
  EXPECT_EQ(Difference(hidden, Image(50, 12, kMarker)), "");

  // Max = Min: no division by zero; empty at Min, full past it.
  bar.SetVisible(true);
  bar.SetMin(0);
  bar.SetMax(0);
  bar.SetPosition(0);
  const Image empty = Render(bar.Handle());
  bar.SetPosition(5);
  const Image full = Render(bar.Handle());
  const ProgressColors desert{22144, 13036799, 16777215, 10215167, 31671};
  Image emptyRef = ReferenceBar(50, 12, desert, true, 0, 0, 1);
  Image fullRef = ReferenceBar(50, 12, desert, true, 1, 0, 1);
  EXPECT_EQ(Difference(empty, emptyRef), "");
  EXPECT_EQ(Difference(full, fullRef), "");
}

TEST_F(ControlsPaint, StatusTextDrawsItsCaptionAndDottedFocusFrame) {
  TStatusText st;
  st.SetColor(14344414);
  st.SetFont({"Tahoma", 13});
  ASSERT_TRUE(st.Create(form.Handle(), 48, 3, 137, 18));
  st.SetCaption("Re&ady");
  RECT client{};
  GetClientRect(st.Handle(), &client);
  const int w = client.right, h = client.bottom;

  OffscreenBitmap bitmap(w, h, 14344414);
  UniqueFont font = CreateFontFrom({"Tahoma", 13});
  SelectGuard select(bitmap.dc(), font.get());
  SetBkMode(bitmap.dc(), OPAQUE);
  SetBkColor(bitmap.dc(), 14344414);
  SetTextColor(bitmap.dc(), GetSysColor(COLOR_WINDOWTEXT));
  RECT inside{1, 1, w - 1, h - 1};
  DrawTextA(bitmap.dc(), "Re&ady", 6, &inside, DT_LEFT | DT_EXPANDTABS);
  Image expected = ReadBitmap(bitmap);
  EXPECT_EQ(Difference(Render(st.Handle()), expected), "");

  // Focused: every second pixel of the outer rows and columns in the font colour.
  st.SetTabStop(true);
  SetFocus(st.Handle());
  ASSERT_EQ(GetFocus(), st.Handle());
  const Color ink = GetSysColor(COLOR_WINDOWTEXT);
  for (int x = 0; x < w; x += 2) expected.set(x, 0, ink), expected.set(x, h - 1, ink);
  for (int y = 0; y < h; y += 2) expected.set(0, y, ink), expected.set(w - 1, y, ink);
  EXPECT_EQ(Difference(Render(st.Handle()), expected), "");
  st.SetDrawFocusRect(false);
  EXPECT_NE(Render(st.Handle()).at(0, 0), ink);
}

}  // namespace
}  // namespace veltrane::testing
