// The controls' portable arithmetic: rounding, gradient lines, colour
// schemes, button content placement, progress fill, panel bevels,
// accelerators and display scale. Built and run natively and under Wine.
#include <gtest/gtest.h>

#include <cstdint>
#include <tuple>
#include <vector>

#include "controls/accelerator.h"
#include "controls/color.h"
#include "controls/color_schemes.h"
#include "controls/gradient.h"
#include "controls/layout.h"
#include "controls/scale.h"

namespace veltrane {
namespace {

TEST(RoundHalfEven, TiesGoToTheEvenNeighbour) {
  const std::vector<std::pair<double, long long>> cases = {
      {0.5, 0},       {1.5, 2},
      {2.5, 2},       {3.5, 4},
      {127.5, 128},   {254.5, 254},
      {-0.5, 0},      {-1.5, -2},
      {-2.5, -2},     {2.4999999, 2},
      {2.5000001, 3}, {7.0, 7},
      {-7.2, -7},     {1e12 + 0.5, 1000000000000LL},
  };
  for (const auto& [value, expected] : cases) {
    EXPECT_EQ(RoundHalfEven(value), expected) << value;
  }
  EXPECT_EQ(ChannelOf(255.4), 255);
  EXPECT_EQ(ChannelOf(255.6), 255);  // a running sum past the end stays a channel
  EXPECT_EQ(ChannelOf(-0.6), 0);
}

struct Line {
  int x0, y0, x1, y1;
  Color color;
  bool operator==(const Line&) const = default;
};

std::vector<Line> Lines(int l, int t, int r, int b, TFillDirection d, Color from, Color to) {
  std::vector<Line> lines;
  ForEachGradientLine(l, t, r, b, d, from, to, [&](int x0, int y0, int x1, int y1, Color c) {
    lines.push_back({x0, y0, x1, y1, c});
  });
  return lines;
}

TEST(GradientLines, StepsRoundHalfToEvenAndKeepTheQuirkyEnds) {
  // 0 -> 10 red over 4 steps: 0, 2.5, 5, 7.5, 10 rounds to 0, 2, 5, 8, 10.
  const auto vertical =
      Lines(0, 0, 6, 4, TFillDirection::fdVertical, MakeColor(0, 0, 0), MakeColor(10, 0, 0));
  const std::vector<Line> expected = {
      {0, 0, 6, 0, MakeColor(0, 0, 0)},  {0, 1, 6, 1, MakeColor(2, 0, 0)},
      {0, 2, 6, 2, MakeColor(5, 0, 0)},  {0, 3, 6, 3, MakeColor(8, 0, 0)},
      {0, 4, 6, 4, MakeColor(10, 0, 0)},
  };
  EXPECT_EQ(vertical, expected);

  // Lines start at 0, not at Left/Top, and the far end adds Right/Bottom.
  const auto horizontal = Lines(1, 1, 3, 5, TFillDirection::fdHorizontal, kWhite, kWhite);
  ASSERT_EQ(horizontal.size(), 3u);
  EXPECT_EQ(horizontal[0], (Line{0, 1, 0, 6, kWhite}));
  EXPECT_EQ(horizontal[2], (Line{2, 1, 2, 6, kWhite}));

  const auto shifted = Lines(1, 1, 5, 3, TFillDirection::fdVertical, 0, 0);
  ASSERT_EQ(shifted.size(), 3u);
  EXPECT_EQ(shifted[1], (Line{1, 1, 6, 1, 0}));

  // Diagonal: n = width + height, lines from the top edge to the left edge.
  const auto diagonal =
      Lines(0, 0, 2, 1, TFillDirection::fdDiagonal, MakeColor(0, 0, 0), MakeColor(0, 0, 3));
  const std::vector<Line> expectedDiagonal = {
      {0, 0, 0, 0, MakeColor(0, 0, 0)},
      {1, 0, 0, 1, MakeColor(0, 0, 1)},
      {2, 0, 0, 2, MakeColor(0, 0, 2)},
      {3, 0, 0, 3, MakeColor(0, 0, 3)},
  };
  EXPECT_EQ(diagonal, expectedDiagonal);

  // Each channel steps on its own, downwards too: 255 -> 0 over 2 is 127.5.
  const auto down =
      Lines(0, 0, 1, 2, TFillDirection::fdVertical, MakeColor(255, 10, 0), MakeColor(0, 10, 255));
  ASSERT_EQ(down.size(), 3u);
  EXPECT_EQ(down[1].color, MakeColor(128, 10, 128));
  EXPECT_EQ(down[2].color, MakeColor(0, 10, 255));
}

TEST(GradientLines, ZeroExtentDrawsOneLineInTheStartColour) {
  const auto lines = Lines(0, 0, 5, 0, TFillDirection::fdVertical, MakeColor(1, 2, 3), kWhite);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].color, MakeColor(1, 2, 3));
  EXPECT_TRUE(Lines(0, 0, 0, 0, TFillDirection::fdDiagonal, 0, kWhite).size() == 1u);
  EXPECT_TRUE(Lines(5, 0, 0, 0, TFillDirection::fdHorizontal, 0, kWhite).empty());
}

// Position-weighted sums of each scheme's colours, taken from the colour
// tables the program is built to; any wrong digit or swapped column changes
// them. Slots a scheme leaves alone hold the marker 0xABCDEF.
constexpr Color kUntouched = 0xABCDEF;

std::uint64_t WeightedSum(const Color* colors, int count) {
  std::uint64_t sum = 0;
  for (int k = 0; k < count; ++k) sum += static_cast<std::uint64_t>(k + 1) * colors[k];
  return sum;
}

TEST(ColorSchemes, ButtonTablesMatchTheirChecksums) {
  const std::vector<std::tuple<TColorScheme, std::uint64_t, bool>> cases = {
      {TColorScheme::csNeoDesert, 2329432303ull, true},
      {TColorScheme::csNeoSky, 4204488960ull, true},
      {TColorScheme::csNeoGrass, 2491345769ull, true},
      {TColorScheme::csNeoSilver, 3499990221ull, true},
      {TColorScheme::csNeoRose, 2945636856ull, true},
      {TColorScheme::csNeoSun, 2211177088ull, true},
      {TColorScheme::csDesert, 2461067407ull, false},
      {TColorScheme::csGrass, 2450293497ull, false},
      {TColorScheme::csSky, 3970443411ull, false},
      {TColorScheme::csSun, 2303923735ull, false},
      {TColorScheme::csRose, 2819699488ull, false},
      {TColorScheme::csSilver, 3323524605ull, false},
  };
  for (const auto& [scheme, sum, gradient] : cases) {
    ButtonColors colors;
    colors.fill(kUntouched);
    bool gradientOn = !gradient;
    ApplyButtonScheme(scheme, colors, gradientOn);
    EXPECT_EQ(WeightedSum(colors.data(), kButtonColorCount), sum) << static_cast<int>(scheme);
    EXPECT_EQ(gradientOn, gradient) << static_cast<int>(scheme);
  }
  ButtonColors colors;
  colors.fill(kUntouched);
  bool gradient = false;
  ApplyButtonScheme(TColorScheme::csCustom, colors, gradient);
  EXPECT_EQ(WeightedSum(colors.data(), kButtonColorCount), 325ull * kUntouched);
  EXPECT_FALSE(gradient);
}

TEST(ColorSchemes, NeoSilverGivesTheButtonColoursOfTheWindows) {
  ButtonColors colors{};
  bool gradient = false;
  ApplyButtonScheme(TColorScheme::csNeoSilver, colors, gradient);
  // normal, over, down, disabled; each Face, Grad, Dark, Light, Border, Text.
  const ButtonColors expected = {
      15987699, 12369084, 10987431, 16250871, 6447714, 0,        // normal
      15790320, 10921638, 10658466, 15658734, 7697781, 0,        // over
      13290186, 14342874, 15329769, 8158332,  5131854, 0,        // down
      15658734, 16777215, 13816530, 16777215, 8421504, 8421504,  // disabled
      11382189};
  EXPECT_EQ(colors, expected);
  EXPECT_TRUE(gradient);

  // A flat scheme afterwards keeps the gradient ends but turns the gradient off.
  ApplyButtonScheme(TColorScheme::csSilver, colors, gradient);
  EXPECT_FALSE(gradient);
  EXPECT_EQ(colors[kColorFace], 14737632u);
  EXPECT_EQ(colors[kColorGrad], 12369084u);
  EXPECT_EQ(colors[kDisabledColorGrad], 16777215u);
  EXPECT_EQ(colors[kDisabledColorFace], 14869218u);
  EXPECT_EQ(colors[kColorFocusRect], 9079434u);
}

TEST(ColorSchemes, NewButtonIsNeoDesertWithWhiteGradientEnds) {
  ButtonColors desert{};
  bool gradient = false;
  ApplyButtonScheme(TColorScheme::csNeoDesert, desert, gradient);
  const ButtonColors initial = InitialButtonColors();
  for (int i = 0; i < kButtonColorCount; ++i) {
    const bool whiteEnd = i == kOverColorGrad || i == kDownColorGrad || i == kDisabledColorGrad;
    EXPECT_EQ(initial[i], whiteEnd ? kWhite : desert[i]) << i;
  }
  EXPECT_EQ(initial[kColorGrad], 3653375u);
}

TEST(ColorSchemes, PanelAndProgressTablesMatchTheirChecksums) {
  const std::vector<std::pair<TPanelColorScheme, std::uint64_t>> panels = {
      {TPanelColorScheme::csDesert, 38607336ull}, {TPanelColorScheme::csGrass, 57918127ull},
      {TPanelColorScheme::csSilver, 95929274ull}, {TPanelColorScheme::csSky, 144631912ull},
      {TPanelColorScheme::csRose, 44863957ull},   {TPanelColorScheme::csSun, 42160716ull},
  };
  for (const auto& [scheme, sum] : panels) {
    PanelColors c{kUntouched, kUntouched, kUntouched, kUntouched};
    ApplyPanelScheme(scheme, c);
    const Color flat[4] = {c.face, c.grad, c.light, c.dark};
    EXPECT_EQ(WeightedSum(flat, 4), sum) << static_cast<int>(scheme);
  }
  PanelColors silver{};
  ApplyPanelScheme(TPanelColorScheme::csSilver, silver);
  EXPECT_EQ(silver.face, 16777215u);
  EXPECT_EQ(silver.grad, 14344414u);
  EXPECT_EQ(silver.light, 8224125u);
  EXPECT_EQ(silver.dark, 6447714u);
  PanelColors custom{1, 2, 3, 4};
  ApplyPanelScheme(TPanelColorScheme::csCustom, custom);
  EXPECT_EQ(custom.grad, 2u);

  const std::vector<std::pair<TProgressColorScheme, std::uint64_t>> bars = {
      {TProgressColorScheme::csDesert, 117446410ull}, {TProgressColorScheme::csGrass, 144767298ull},
      {TProgressColorScheme::csSilver, 206918985ull}, {TProgressColorScheme::csSky, 246501873ull},
      {TProgressColorScheme::csRose, 181787023ull},   {TProgressColorScheme::csSun, 138089639ull},
      {TProgressColorScheme::csHackers, 38612664ull}, {TProgressColorScheme::csNight, 194443356ull},
      {TProgressColorScheme::csVelvet, 79347653ull},  {TProgressColorScheme::csMetal, 123164496ull},
      {TProgressColorScheme::csViolet, 207151896ull}, {TProgressColorScheme::csToxic, 90727259ull},
  };
  for (const auto& [scheme, sum] : bars) {
    ProgressColors c{kUntouched, kUntouched, kUntouched, kUntouched, kUntouched};
    ApplyProgressScheme(scheme, c);
    const Color flat[5] = {c.border, c.backFace, c.backGrad, c.foreFace, c.foreGrad};
    EXPECT_EQ(WeightedSum(flat, 5), sum) << static_cast<int>(scheme);
  }
}

TEST(ColorSchemes, PanelAndProgressColoursByNumber) {
  PanelColors panel{1, 2, 3, 4};
  const std::vector<std::pair<int, Color>> panelNumbers = {
      {kPanelColorFace, 1}, {kPanelColorGrad, 2}, {kPanelColorLight, 3}, {kPanelColorDark, 4}};
  for (const auto& [index, value] : panelNumbers) {
    const auto member = PanelColorMember(index);
    ASSERT_NE(member, nullptr) << index;
    EXPECT_EQ(panel.*member, value) << index;
  }
  ProgressColors bar{1, 2, 3, 4, 5};
  const std::vector<std::pair<int, Color>> barNumbers = {
      {0, 1}, {10, 2}, {11, 3}, {20, 4}, {21, 5}};
  for (const auto& [index, value] : barNumbers) {
    const auto member = ProgressColorMember(index);
    ASSERT_NE(member, nullptr) << index;
    EXPECT_EQ(bar.*member, value) << index;
  }
  for (int index : {-1, 4, 5}) EXPECT_EQ(PanelColorMember(index), nullptr) << index;
  for (int index : {-1, 1, 2, 12, 19, 22}) EXPECT_EQ(ProgressColorMember(index), nullptr) << index;
}

struct PlacementCase {
  const char* name;
  ButtonContent content;
  ButtonPlacement expected;
};

TEST(ButtonPlacement, GlyphAndCaptionPositions) {
  auto content = [](int w, int h, int tw, int th, int gw, int gh, int sp, TButtonLayout layout,
                    bool caption, bool glyph, bool down) {
    ButtonContent c;
    c.width = w, c.height = h, c.textWidth = tw, c.textHeight = th;
    c.glyphWidth = gw, c.glyphHeight = gh, c.spacing = sp, c.layout = layout;
    c.hasCaption = caption, c.hasGlyph = glyph, c.down = down;
    return c;
  };
  using L = TButtonLayout;
  const std::vector<PlacementCase> cases = {
      // A glyph without caption is centred and gets no spacing: x = 33 div 2 - 10.
      {"glyph only",
       content(33, 30, 0, 13, 20, 20, 4, L::blGlyphLeft, false, true, false),
       {26, 8, 6, 5}},
      {"glyph only, down",
       content(33, 30, 0, 13, 20, 20, 4, L::blGlyphLeft, false, true, true),
       {27, 9, 7, 6}},
      {"left",
       content(75, 25, 30, 13, 16, 16, 4, L::blGlyphLeft, true, true, false),
       {32, 6, 12, 4}},
      {"right",
       content(75, 25, 30, 13, 16, 16, 4, L::blGlyphRight, true, true, false),
       {12, 6, 46, 4}},
      {"top",
       content(75, 25, 30, 13, 16, 16, 4, L::blGlyphTop, true, true, false),
       {22, 16, 29, -4}},
      {"bottom",
       content(75, 25, 30, 13, 16, 16, 4, L::blGlyphBottom, true, true, false),
       {22, -4, 29, 13}},
      // Odd spacing: the glyph moves by the larger half, the text by the smaller.
      {"left, odd spacing",
       content(75, 25, 30, 13, 16, 16, 5, L::blGlyphLeft, true, true, false),
       {32, 6, 11, 4}},
      // Odd glyph height on top: the odd pixel goes up.
      {"top, odd glyph",
       content(75, 25, 30, 13, 15, 15, 4, L::blGlyphTop, true, true, false),
       {22, 15, 30, -4}},
      // div truncates toward zero: (10 - 15) div 2 = -2, not -3.
      {"caption wider than the button",
       content(10, 9, 15, 13, 0, 0, 4, L::blGlyphLeft, true, false, false),
       {-2, -2, 0, 0}},
      {"caption only, down",
       content(75, 25, 31, 13, 0, 0, 4, L::blGlyphLeft, true, false, true),
       {23, 7, 0, 0}},
  };
  for (const auto& c : cases) {
    const ButtonPlacement p = PlaceButtonContent(c.content);
    EXPECT_EQ(p.textLeft, c.expected.textLeft) << c.name;
    EXPECT_EQ(p.textTop, c.expected.textTop) << c.name;
    if (c.content.hasGlyph) {
      EXPECT_EQ(p.glyphLeft, c.expected.glyphLeft) << c.name;
      EXPECT_EQ(p.glyphTop, c.expected.glyphTop) << c.name;
    }
  }
}

TEST(ProgressFill, WidthAndTopRoundHalfToEven) {
  // The main window's bar: 187 wide, 0..100.
  EXPECT_EQ(ProgressFillWidth(187, 0, 0, 100), 0);
  EXPECT_EQ(ProgressFillWidth(187, 37, 0, 100), 68);  // 68.45
  EXPECT_EQ(ProgressFillWidth(187, 100, 0, 100), 185);
  EXPECT_EQ(ProgressFillWidth(187, 200, 0, 100), 370);  // no upper limit
  EXPECT_EQ(ProgressFillWidth(12, 25, 0, 100), 2);      // 2.5
  EXPECT_EQ(ProgressFillWidth(12, 35, 0, 100), 4);      // 3.5
  EXPECT_EQ(ProgressFillWidth(12, 15, 10, 20), 5);
  // An empty range divides by nothing: empty at Min, full past it.
  EXPECT_EQ(ProgressFillWidth(50, 7, 7, 7), 0);
  EXPECT_EQ(ProgressFillWidth(50, 8, 7, 7), 48);
  // Far past Max the width stays a usable coordinate.
  EXPECT_EQ(ProgressFillWidth(2000000000, 2000000000, 0, 1), 1 << 27);

  // Vertical: top = h - round(inside * done / range + 1).
  EXPECT_EQ(ProgressFillTop(25, 0, 0, 100), 24);
  EXPECT_EQ(ProgressFillTop(25, 37, 0, 100), 15);  // 8.51 + 1 -> 10
  EXPECT_EQ(ProgressFillTop(25, 100, 0, 100), 1);
  EXPECT_EQ(ProgressFillTop(12, 25, 0, 100), 8);  // 2.5 + 1 = 3.5 -> 4
  EXPECT_EQ(ProgressFillTop(12, 5, 5, 5), 11);
  EXPECT_EQ(ProgressFillTop(12, 6, 5, 5), 1);
}

TEST(PanelLayout, CaptionPlaceAndBevelFrames) {
  using A = TAlignment;
  EXPECT_EQ(PanelCaptionLeft(200, 50, 1, A::taLeftJustify, false), 3);
  EXPECT_EQ(PanelCaptionLeft(200, 50, 1, A::taLeftJustify, true), 4);
  EXPECT_EQ(PanelCaptionLeft(200, 50, 2, A::taRightJustify, false), 146);
  EXPECT_EQ(PanelCaptionLeft(200, 50, 2, A::taRightJustify, true), 144);
  EXPECT_EQ(PanelCaptionLeft(201, 50, 2, A::taCenter, true), 75);
  EXPECT_EQ(PanelCaptionTop(26, 13), 6);

  using Frame = std::tuple<int, Color, Color>;
  auto frames = [](TPanelBevel outer, TPanelBevel inner, int width) {
    std::vector<Frame> out;
    ForEachBevelFrame(outer, inner, width, /*light*/ 1, /*dark*/ 2,
                      [&](int j, Color tl, Color br) { out.emplace_back(j, tl, br); });
    return out;
  };
  using B = TPanelBevel;
  EXPECT_EQ(frames(B::bvRaised, B::bvNone, 1), (std::vector<Frame>{{0, 1, 2}}));
  EXPECT_EQ(frames(B::bvRaised, B::bvLowered, 2),
            (std::vector<Frame>{{0, 1, 2}, {1, 1, 2}, {2, 2, 1}, {3, 2, 1}}));
  EXPECT_EQ(frames(B::bvNone, B::bvSpace, 2), (std::vector<Frame>{{0, 1, 2}, {1, 1, 2}}));
  EXPECT_TRUE(frames(B::bvNone, B::bvNone, 3).empty());
}

TEST(Accelerators, FirstSingleAmpersandMarksTheCharacter) {
  EXPECT_EQ(AcceleratorOf("&Apply"), 'A');
  EXPECT_EQ(AcceleratorOf("E&xit"), 'X');
  EXPECT_EQ(AcceleratorOf("Save && exit"), 0);
  EXPECT_EQ(AcceleratorOf("&&&c"), 'C');
  EXPECT_EQ(AcceleratorOf("trailing&"), 0);
  EXPECT_EQ(AcceleratorOf(""), 0);
  EXPECT_TRUE(IsAccelerator('a', "&Apply"));
  EXPECT_TRUE(IsAccelerator('A', "&apply"));
  EXPECT_FALSE(IsAccelerator('p', "&Apply"));
  EXPECT_FALSE(IsAccelerator('\xC3', "&\xC3\x89t\xC3\xA9")) << "bytes of UTF-8 are no letters";
  EXPECT_FALSE(IsAccelerator('&', "a && b"));
}

TEST(DisplayScale, ValuesScaleByDpiOver96WithWholePixelLinesAndNearestPictures) {
  for (const int value : {0, 1, 13, 704, -7}) EXPECT_EQ(ScaleForDpi(value, 96), value);
  EXPECT_EQ(ScaleForDpi(13, 144), 20);  // 19.5: halves away from zero
  EXPECT_EQ(ScaleForDpi(-13, 144), -20);
  EXPECT_EQ(ScaleForDpi(11, 120), 14);  // 13.75
  EXPECT_EQ(ScaleForDpi(348, 192), 696);
  // Back from every height the program scales, at every scale it draws for.
  for (const int dpi : {96, 120, 144, 168, 192, 240}) {
    for (const int height : {11, 12, 13, 16}) {
      EXPECT_EQ(UnscaleForDpi(ScaleForDpi(height, dpi), dpi), height) << dpi;
    }
  }
  EXPECT_EQ(LineWidthForDpi(72), 1);
  EXPECT_EQ(LineWidthForDpi(191), 1);
  EXPECT_EQ(LineWidthForDpi(192), 2);
  EXPECT_EQ(LineWidthForDpi(288), 3);
  // 108 dpi is 112.5%, as near 100 as 125: the smaller picture.
  const std::pair<int, int> pictures[] = {{72, 100},  {96, 100},  {108, 100},
                                          {109, 125}, {120, 125}, {144, 150},
                                          {168, 175}, {192, 200}, {384, 200}};
  for (const auto& [dpi, percent] : pictures) EXPECT_EQ(PictureScaleForDpi(dpi), percent) << dpi;
}

}  // namespace
}  // namespace veltrane
