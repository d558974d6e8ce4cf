// The project's addresses and the user's manual: every place that opens one
// of them, or says it could not, reads it from here.
#pragma once

#include <string>
#include <string_view>

namespace tarvo {

inline constexpr std::string_view kHomePageUrl = "https://tarvo.example.org/";
inline constexpr std::string_view kDonationUrl = "https://tarvo.example.org/donate";
inline constexpr std::string_view kMailAddress = "tarvo@example.org";
inline constexpr std::string_view kMailUrl = "mailto:tarvo@example.org";
// The name the failure message gives the site.
inline constexpr std::string_view kSiteName = "tarvo.example.org";

inline constexpr std::string_view kManualFileName = "Manual_Tarvo.pdf";

// Shown when the shell cannot open a page, the manual or the mail client.
std::string ConnectFailureText();                        // "Sorry, cannot connect to ..."
std::string ManualFailureText(std::string_view path);    // "Can't find/open file ..."
// Shown when the manual is there but the desktop did not open it: the user
// can still open it by hand, so the file is named in full.
std::string ManualNotOpenedText(std::string_view path);
inline constexpr std::string_view kMailFailureText =
    "Sorry, can't found your email client application.";

// The manual's path in the program's own directory: the build tree and an
// unpacked copy keep it there.
std::string ManualPathBeside(std::string_view programDir);
// The manual's path for an installed program: <prefix>/share/tarvo, which
// an installation keeps even where it leaves out share/doc.
std::string ManualPathInstalled(std::string_view programDir);

// The manual to open: the program's directory first, then the installed
// documentation directory. `exists` tells whether a path names a readable
// file. When neither exists, `found` is false and `path` is the first place
// tried, which is what the failure message names.
struct ManualLocation {
  std::string path;
  bool found = false;
};
template <typename Exists>
ManualLocation LocateManual(std::string_view programDir, Exists&& exists) {
  const std::string beside = ManualPathBeside(programDir);
  if (exists(beside)) return {beside, true};
  const std::string installed = ManualPathInstalled(programDir);
  if (exists(installed)) return {installed, true};
  return {beside, false};
}

}  // namespace tarvo
