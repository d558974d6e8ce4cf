#include "ui/logic/help_actions.h"

#include <string>

#include "ui/logic/links.h"
#include "ui/logic/menus.h"

namespace tarvo {

void ShowHelpText(MainControls& c, std::string_view help) {
  const size_t split = help.find("\r\n");
  if (split != std::string_view::npos) {
    c.SetUpperMessage(std::string(help.substr(0, split)) + " ");
    c.SetLowerMessage(std::string(help.substr(split + 2)) + " ");
  } else {
    c.SetUpperMessage(std::string(help) + " ");
    c.SetLowerMessage(" ");
  }
}

void HelpActions::Run(int choice) {
  switch (choice) {
    case static_cast<int>(HelpChoice::kManual): OpenManual(); break;
    case static_cast<int>(HelpChoice::kHomePage): OpenHomePage(); break;
    case static_cast<int>(HelpChoice::kDonate): OpenDonationPage(); break;
    case static_cast<int>(HelpChoice::kAbout): ShowAbout(); break;
    case static_cast<int>(HelpChoice::kTape): ToggleTape(); break;
    case static_cast<int>(HelpChoice::kDefaultLook):
    case static_cast<int>(HelpChoice::kHighContrastLook):
    case static_cast<int>(HelpChoice::kDarkLook):
    case static_cast<int>(HelpChoice::kDesktopLook): ChooseLook(LookOfChoice(static_cast<HelpChoice>(choice))); break;
    default: break;  // closed without a choice
  }
}

void HelpActions::OpenManual() {
  pin_.Drop();
  const ManualLocation manual =
      LocateManual(c_.ProgramDirectory(), [this](const std::string& path) { return c_.FileExists(path); });
  if (!manual.found) c_.ShowWarning("Error", ManualFailureText(manual.path));
  else if (!c_.OpenDocument(manual.path)) ManualNotOpened(manual.path);
}

void HelpActions::ManualNotOpened(const std::string& path) { c_.ShowWarning("Error", ManualNotOpenedText(path)); }

void HelpActions::OpenHomePage() {
  if (!c_.OpenUrl(std::string(kHomePageUrl))) c_.ShowWarning("Tarvo", ConnectFailureText());
}

void HelpActions::OpenDonationPage() {
  if (!c_.OpenUrl(std::string(kDonationUrl))) c_.ShowWarning("Tarvo", ConnectFailureText());
}

void HelpActions::ChooseLook(std::optional<Look> look) {
  const SaveResult kept = looks_.Choose(look);
  c_.ShowLook(looks_.InForce());
  c_.SetUpperMessage(std::string(look ? LookCaption(*look) : "Look of the desktop") + " ");
  c_.SetLowerMessage(kept.ok ? " " : "It could not be kept for the next runs: " + kept.reason + " (" + kept.file + ") ");
}

void HelpActions::ShowAbout() {
  const bool was = pin_.Drop();
  c_.ShowAboutBox();
  pin_.Set(was);
}

}  // namespace tarvo
