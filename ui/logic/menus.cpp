#include "ui/logic/menus.h"

#include <cctype>

#include "core/entry_encoding.h"
#include "ui/logic/calculator_logic.h"
#include "ui/logic/tape_logic.h"

namespace tarvo {

// Values as the menu has always inserted them (CODATA of its day), not
// rounded to the engine's 15 digits: the normaliser reads them as typed.
const std::array<Constant, kConstantCount> kConstants = {{
    {1, "Speed of light in vacuum [ m / s ]", "299792458"},
    {2, "Elementary charge [ C ]", "1.60217653E-19"},
    {3, "Electron mass  [ kg ]", "9.1093826E-31"},
    {4, "Proton mass [ kg ]", "1.67262171E-27"},
    {5, "Neutron mass [ kg ]", "1.67492728E-27"},
    {6, "Electron charge to mass quotient [ C / kg ]", "1.75882012E+11"},
    {7, "Permittivity of vacuum [ C\xB2 / (N \xB7 m\xB2) ]", "8.8541878176203899E-12"},
    {8, "Permeability of vacuum [ N / A\xB2 ]", "1.2566370614359173E-06"},
    {9, "Planck constant [ J \xB7 s ]", "6.6260693E-34"},
    {10, "Molar gas constant [ J / (mol \xB7 K) ]", "8.314472"},
    {11, "Molar gas constant [ atm \xB7 L / (mol \xB7 K) ]", "0.08205746"},
    {12, "Molar gas constant [ cal / (mol \xB7 K) ]", "1.9872065"},
    {13, "Avogadro constant [ 1 / mol ]", "6.0221415E+23"},
    {14, "Boltzmann constant [ J / K ]", "1.3806505E-23"},
    {15, "Molar volume of ideal gas at s.t.p. [ m\xB3 / mol ] ", "0.022413996"},
    {16, "Molar volume of ideal gas at s.t.p. [ L / mol ] ", "22.413996"},
    {17, "pi constant", "\xCB "},
    {18, "e constant", "2.7182818284590452"},
    {19, "Newtonian constant of gravitation [ N \xB7 m\xB2 / kg\xB2 ]", "6.6742E-11"},
    {20, "Faraday constant [ C / mol ]", "96485.3383"},
    {21, "Stefan-Boltzmann constant [ W / (m\xB2 \xB7 K^4) ]", "5.670400E-8"},
    {22, "Rydberg constant (oo)  [ 1 / m ]", "10973731.568525"},
    {23, "Rydberg constant (Hydrogen)  [ 1 / m ]", "10967758.306"},
    {24, "Proton-electron mass ratio", "1836.15267261"},
    {25, "Bohr radius [ m ]", "5.291772108E-11"},
    {26, "Standard acceleration of gravity [ m / s\xB2 ]", "9.80665"},
    {27, "Standard atmosphere [ Pa ]", "101325"},
    {28, "Atomic mass unit [ kg ]", "1.66053886E-27"},
}};

const Constant* FindConstant(int index) {
  if (index < 1 || index > kConstantCount) return nullptr;
  return &kConstants[static_cast<size_t>(index - 1)];
}

std::string ConstantDescription(int index) {
  const Constant* c = FindConstant(index);
  if (c == nullptr) return {};
  // The pi entry inserts a sign, not digits; "= π [" would say nothing.
  if (index == kPiConstant) return "N\xFAmero \xCB";
  return Replace(c->caption, "[", "= " + std::string(c->text) + " [");
}

std::vector<MenuEntry> ConstantsMenuEntries() {
  std::vector<MenuEntry> entries;
  entries.reserve(kConstants.size());
  for (const Constant& c : kConstants) entries.push_back({std::string(c.caption), false, false, false});
  return entries;
}

std::vector<MenuEntry> HelpMenuEntries(bool tapeShown, Look look, bool followsDesktop) {
  std::vector<MenuEntry> entries;
  for (const char* caption :
       {"User's manual (PDF document)...", "Tarvo Home Page...", "Make a donation...", "About..."})
    entries.push_back({caption, false, false, false});
  entries.push_back({"Tape\t" + std::string(kTapeBinding), tapeShown, false, true});
  entries.push_back({"", false, true, false});
  for (const Look each : kLooks) entries.push_back({std::string(LookCaption(each)), each == look, false, true});
  entries.push_back({"Look of the desktop", followsDesktop, false, true});
  return entries;
}

TypedCount CountTyped(const std::vector<std::string_view>& captions, std::string_view typed) {
  const auto count = [](std::string_view caption) {
    size_t digits = 0;
    while (digits < caption.size() && std::isdigit(static_cast<unsigned char>(caption[digits]))) ++digits;
    return caption.substr(0, digits);
  };
  TypedCount found;
  if (typed.empty()) return found;
  bool longer = false;
  for (size_t i = 0; i < captions.size(); ++i) {
    const std::string_view c = count(captions[i]);
    if (c == typed && found.entry < 0) found.entry = static_cast<int>(i);
    else if (c.size() > typed.size() && c.substr(0, typed.size()) == typed) longer = true;
  }
  found.final = found.entry >= 0 && !longer;
  return found;
}

std::optional<Look> LookOfChoice(HelpChoice choice) {
  switch (choice) {
    case HelpChoice::kHighContrastLook: return Look::kHighContrast;
    case HelpChoice::kDarkLook: return Look::kDark;
    case HelpChoice::kDefaultLook: return Look::kDefault;
    default: return std::nullopt;
  }
}

}  // namespace tarvo
