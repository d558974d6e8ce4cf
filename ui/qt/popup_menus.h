// Pop-up menus as the keyboard and a screen reader use them.
#pragma once

#include <QMenu>
#include <QString>
#include <functional>

namespace tarvo::ui {

// Gives `menu` the name a screen reader says for it and these keys: Home
// and End go to the first and the last entry, and in a menu of counts
// ("0 decimals", "1 digit"...) typed digits choose the count they spell.
// When it opens, `announce` tells a screen reader "<name> menu" (a menu's
// own name goes unsaid), and its checked entry (or its first) takes the
// focus, so that the reader says where in the menu the user is.
void EquipMenu(QMenu* menu, const QString& name, std::function<void(const QString&)> announce);

}  // namespace tarvo::ui
