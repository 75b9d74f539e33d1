// The program's fixed texts that name it and its support: captions, the
// web site, the support address.
#pragma once

namespace veltrane::site {

inline constexpr const char* kApplicationTitle = "Veltrane";
inline constexpr const char* kMainCaption = "Veltrane 1.0";
inline constexpr const char* kAboutCaption = "About";
inline constexpr const char* kOptionsCaption = "Options";

// The web site's host: the About link hands it to the shell as it is, the
// help command with the page's path, both without a scheme; the link shows
// it as a web address.
inline constexpr const char* kWebHost = "www.veltrane.example";
inline constexpr const char* kHelpPath = "/help.html";
inline constexpr const char* kWebScheme = "http://";
inline constexpr const char* kSupportMail = "mailto:support@veltrane.example";

inline constexpr const char* kProductName = "Veltrane";
inline constexpr const char* kVersionText = "Version 1.0";
// UTF-8, the program's code page: "\xC2\xA9" is the copyright sign.
inline constexpr const char* kCopyrightLine = "Copyright \xC2\xA9 2026 The Veltrane developers.";
inline constexpr const char* kRightsLine = "Released under the MIT License.";
inline constexpr const char* kSupportHeading = "Support/Contact Details : ";

}  // namespace veltrane::site
