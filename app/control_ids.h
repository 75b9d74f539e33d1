// Child window identifiers of the program's windows. The end-to-end tests
// find the controls by them, as an accessibility tool would.
#pragma once

namespace veltrane::ids {

// Main window.
inline constexpr int kGradientPanel1 = 100;
inline constexpr int kGradientPanel2 = 101;
inline constexpr int kLscan = 110;
inline constexpr int kLselect = 111;
inline constexpr int kLclean = 112;
inline constexpr int kLoptions = 113;
inline constexpr int kLhelp = 114;
inline constexpr int kLabout = 115;
inline constexpr int kGradientButton1 = 120;
inline constexpr int kGradientButton3 = 121;
inline constexpr int kGradientButton4 = 122;
inline constexpr int kGradientButton5 = 123;
inline constexpr int kGradientButton6 = 124;
inline constexpr int kLvax = 130;
inline constexpr int kLv2 = 131;
inline constexpr int kSt = 140;
inline constexpr int kPb = 141;

// About dialog.
inline constexpr int kAboutPanel = 200;
inline constexpr int kLabel2 = 202;
inline constexpr int kLabel3 = 203;
inline constexpr int kLabel4 = 204;
inline constexpr int kLabel5 = 205;
inline constexpr int kLabel6 = 206;
inline constexpr int kLabel7 = 207;
inline constexpr int kLabel8 = 208;
inline constexpr int kLabel9 = 209;
inline constexpr int kClsbtn = 210;

// Options dialog.
inline constexpr int kOptionsPanel = 300;
inline constexpr int kOptionsLabel2 = 302;
inline constexpr int kCbrestore = 303;
inline constexpr int kApplybtn = 304;
inline constexpr int kClosebtn = 305;

}  // namespace veltrane::ids
