#include "controls/color_schemes.h"

namespace veltrane {
namespace {

// Own colours of the six gradient schemes, in the order ColorFace, ColorGrad,
// ColorDark, ColorLight, ColorBorder, then the Over and Down fives, then
// ColorFocusRect.
constexpr Color kNeoSchemes[6][16] = {
    {13036799, 3653375, 40168, 12183551, 22144, 11790335, 41968, 36562, 9820927, 22144, 2865919,
     7852799, 9099775, 30647, 28838, 4227327},  // csNeoDesert
    {16772829, 16758380, 16754769, 16772313, 11753728, 16772055, 16753478, 16752190, 16770250,
     11753728, 16757606, 16764573, 16765864, 16752190, 11753728, 16755027},  // csNeoSky
    {14547432, 6217614, 2406748, 13366747, 1404727, 12579538, 4053111, 2339929, 11923659, 1538365,
     5168259, 8447654, 9037740, 1539390, 1471545, 2406748},  // csNeoGrass
    {15987699, 12369084, 10987431, 16250871, 6447714, 15790320, 10921638, 10658466, 15658734,
     7697781, 13290186, 14342874, 15329769, 8158332, 5131854, 11382189},  // csNeoSilver
    {15263999, 9803263, 8553215, 14540287, 157, 14671871, 7829503, 6974207, 14145535, 157, 10921727,
     12171775, 13553407, 6184703, 157, 6184703},  // csNeoRose
    {15794175, 2152697, 48059, 15925247, 25700, 14023935, 376028, 42662, 13434879, 25700, 381429,
     6746363, 6747135, 33924, 25700, 48059},  // csNeoSun
};

// Own colours of the six flat schemes: ColorFace, ColorDark, ColorLight,
// ColorBorder, the Over and Down fours, ColorFocusRect.
constexpr Color kFlatSchemes[6][13] = {
    {9821695, 40168, 12183551, 22144, 7327999, 36562, 9820927, 22144, 7327999, 9099775, 30647,
     28838, 4227327},  // csDesert
    {10021815, 2406748, 13366747, 1404727, 6873494, 2339929, 11923659, 1538365, 5168259, 9037740,
     1539390, 1471545, 42017},  // csGrass
    {16769217, 16755027, 16772313, 11753728, 16764315, 16757092, 16770250, 11753728, 16760962,
     16765864, 16748834, 11753728, 14457620},  // csSky
    {11075583, 48059, 15925247, 25700, 6747135, 42662, 13434879, 25700, 2289407, 6747135, 33924,
     25700, 36084},  // csSun
    {13027071, 8553215, 14540287, 157, 11579647, 6974207, 14145535, 157, 10461183, 8947967, 6184703,
     157, 6184703},  // csRose
    {14737632, 11447982, 16250871, 6447714, 13619151, 7960953, 15658734, 7697781, 13882323,
     15329769, 8158332, 5131854, 9079434},  // csSilver
};

// ColorGrad, ColorLight, ColorDark; the face is white.
constexpr Color kPanelSchemes[6][3] = {
    {10805759, 36821, 27035},        // csDesert
    {11596491, 4109674, 1404727},    // csGrass
    {14344414, 8224125, 6447714},    // csSilver
    {16769217, 15767117, 11753728},  // csSky
    {13421823, 414156, 157},         // csRose
    {12582911, 38293, 25700},        // csSun
};

// ColorBorder, BackColorFace, BackColorGrad, ForeColorFace, ForeColorGrad.
constexpr Color kProgressSchemes[12][5] = {
    {22144, 13036799, 16777215, 10215167, 31671},        // csDesert
    {1404727, 13366748, 16777215, 13235675, 2670946},    // csGrass
    {7039851, 14737632, 16777215, 15790320, 11382189},   // csSilver
    {11753728, 16771797, 16777215, 16772829, 16756318},  // csSky
    {157, 14145535, 16777215, 15263999, 8421631},        // csRose
    {25700, 13565951, 16777215, 14680063, 376028},       // csSun
    {0, 21760, 32768, 9563310, 43520},                   // csHackers
    {0, 8404992, 11031552, 16763799, 15496704},          // csNight
    {0, 89, 4605580, 10461170, 4737211},                 // csVelvet
    {0, 4605510, 7303023, 13553358, 7566195},            // csMetal
    {0, 8388672, 13238373, 16758747, 16724889},          // csViolet
    {0, 2905686, 4094843, 12377822, 4624014},            // csToxic
};

// Shared by every Neo scheme: face, grad, dark, light, border, text.
constexpr Color kNeoDisabled[6] = {15658734, 16777215, 13816530, 16777215, 8421504, 8421504};
// Shared by every flat scheme: face, dark, light, border, text (the
// gradient colour is left alone).
constexpr Color kFlatDisabled[5] = {14869218, 14211288, 15395562, 12895428, 8421504};

}  // namespace

ButtonStateColors ColorsOfSet(const ButtonColors& colors, ButtonColorSet set) {
  const int first = static_cast<int>(set);
  return {colors[first + 0], colors[first + 1], colors[first + 2],
          colors[first + 3], colors[first + 4], colors[first + 5]};
}

void ApplyButtonScheme(TColorScheme scheme, ButtonColors& colors, bool& gradient) {
  const int index = static_cast<int>(scheme);
  if (scheme == TColorScheme::csCustom) return;
  if (index < 6) {
    const Color* own = kNeoSchemes[index];
    for (int set = 0; set < 3; ++set) {
      for (int slot = 0; slot < 5; ++slot) colors[set * 6 + slot] = own[set * 5 + slot];
      colors[set * 6 + 5] = 0;
    }
    for (int slot = 0; slot < 6; ++slot) colors[kDisabledColorFace + slot] = kNeoDisabled[slot];
    colors[kColorFocusRect] = own[15];
    gradient = true;
    return;
  }
  const Color* own = kFlatSchemes[index - 6];
  static constexpr int kSlots[4] = {0, 2, 3, 4};  // face, dark, light, border
  for (int set = 0; set < 3; ++set) {
    for (int k = 0; k < 4; ++k) colors[set * 6 + kSlots[k]] = own[set * 4 + k];
    colors[set * 6 + 5] = 0;
  }
  colors[kDisabledColorFace] = kFlatDisabled[0];
  colors[kDisabledColorDark] = kFlatDisabled[1];
  colors[kDisabledColorLight] = kFlatDisabled[2];
  colors[kDisabledColorBorder] = kFlatDisabled[3];
  colors[kDisabledColorText] = kFlatDisabled[4];
  colors[kColorFocusRect] = own[12];
  gradient = false;
}

Color PanelColors::*PanelColorMember(int index) {
  switch (index) {
    case kPanelColorFace: return &PanelColors::face;
    case kPanelColorGrad: return &PanelColors::grad;
    case kPanelColorLight: return &PanelColors::light;
    case kPanelColorDark: return &PanelColors::dark;
  }
  return nullptr;
}

Color ProgressColors::*ProgressColorMember(int index) {
  switch (index) {
    case kProgressColorBorder: return &ProgressColors::border;
    case kProgressBackColorFace: return &ProgressColors::backFace;
    case kProgressBackColorGrad: return &ProgressColors::backGrad;
    case kProgressForeColorFace: return &ProgressColors::foreFace;
    case kProgressForeColorGrad: return &ProgressColors::foreGrad;
  }
  return nullptr;
}

void ApplyPanelScheme(TPanelColorScheme scheme, PanelColors& colors) {
  if (scheme == TPanelColorScheme::csCustom) return;
  const Color* own = kPanelSchemes[static_cast<int>(scheme) - 1];
  colors = {kWhite, own[0], own[1], own[2]};
}

void ApplyProgressScheme(TProgressColorScheme scheme, ProgressColors& colors) {
  if (scheme == TProgressColorScheme::csCustom) return;
  const Color* own = kProgressSchemes[static_cast<int>(scheme) - 1];
  colors = {own[0], own[1], own[2], own[3], own[4]};
}

ButtonColors InitialButtonColors() {
  ButtonColors colors{};
  bool gradient = false;
  ApplyButtonScheme(TColorScheme::csNeoDesert, colors, gradient);
  colors[kOverColorGrad] = kWhite;
  colors[kDownColorGrad] = kWhite;
  colors[kDisabledColorGrad] = kWhite;
  return colors;
}

}  // namespace veltrane
