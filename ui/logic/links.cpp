#include "ui/logic/links.h"

#include <filesystem>

namespace tarvo {
namespace {

// Joins with exactly one "/" between, and none added to an empty directory
// (a program started from the current directory).
std::string Join(std::string_view dir, std::string_view name) {
  std::string out(dir);
  if (!out.empty() && out.back() != '/') out += '/';
  out += name;
  return out;
}

}  // namespace

std::string ConnectFailureText() {
  return "Sorry, cannot connect to " + std::string(kSiteName);
}

std::string ManualFailureText(std::string_view path) {
  return "Can't find/open file " + std::string(path);
}

std::string ManualNotOpenedText(std::string_view path) {
  return "The desktop could not open the manual " + std::string(path);
}

std::string ManualPathBeside(std::string_view programDir) {
  return Join(programDir, kManualFileName);
}

// Where an installed manual lies, relative to the program's directory: the
// build works it out from the install folders (bin/ -> share/tarvo/).
#ifndef TARVO_INSTALLED_MANUAL_DIR
#define TARVO_INSTALLED_MANUAL_DIR "../share/tarvo"
#endif

std::string ManualPathInstalled(std::string_view programDir) {
  // "/usr/bin/../share/..." works, but the failure message reads better plain.
  const std::filesystem::path joined(Join(Join(programDir, TARVO_INSTALLED_MANUAL_DIR), kManualFileName));
  return joined.lexically_normal().string();
}

}  // namespace tarvo
