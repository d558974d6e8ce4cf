#include "ui/qt/popup_menus.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QTimer>
#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "ui/logic/menus.h"

namespace tarvo::ui {
namespace {

// Digits typed further apart than this start a new count.
constexpr qint64 kTypingPauseMs = 1500;

bool Selectable(const QAction* a) { return !a->isSeparator() && a->isVisible() && a->isEnabled(); }

class MenuKeys : public QObject {
 public:
  MenuKeys(QMenu* menu, std::function<void(const QString&)> announce)
      : QObject(menu), menu_(menu), announce_(std::move(announce)) {
    menu->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (watched != menu_) return false;
    if (e->type() == QEvent::Show) {
      if (announce_ && !menu_->accessibleName().isEmpty())
        announce_(QStringLiteral("%1 menu").arg(menu_->accessibleName()));
      // Once the menu is up: an entry chosen as it opened stays.
      QTimer::singleShot(0, menu_, [this] {
        if (menu_->isVisible() && menu_->activeAction() == nullptr) menu_->setActiveAction(Opening());
      });
      return false;
    }
    if (e->type() != QEvent::KeyPress) return false;
    auto* key = static_cast<QKeyEvent*>(e);
    if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) return false;
    if (key->key() == Qt::Key_Home || key->key() == Qt::Key_End) {
      const QList<QAction*> actions = menu_->actions();
      QAction* to = nullptr;
      for (QAction* a : actions)
        if (Selectable(a) && (to == nullptr || key->key() == Qt::Key_End)) to = a;
      if (to != nullptr) menu_->setActiveAction(to);
      return true;
    }
    const QString text = key->text();
    if (text.size() != 1 || text[0] < u'0' || text[0] > u'9') return false;
    return TypeDigit(text.toStdString());
  }

 private:
  QAction* Opening() const {
    QAction* first = nullptr;
    for (QAction* a : menu_->actions()) {
      if (!Selectable(a)) continue;
      if (a->isChecked()) return a;
      if (first == nullptr) first = a;
    }
    return first;
  }

  bool TypeDigit(const std::string& digit) {
    if (!sinceLastDigit_.isValid() || sinceLastDigit_.elapsed() > kTypingPauseMs) typed_.clear();
    sinceLastDigit_.start();
    typed_ += digit;
    const QList<QAction*> actions = menu_->actions();
    std::vector<std::string> captions;
    for (const QAction* a : actions) captions.push_back(Selectable(a) ? a->text().toStdString() : std::string());
    std::vector<std::string_view> views(captions.begin(), captions.end());
    TypedCount typed = CountTyped(views, typed_);
    if (typed.entry < 0 && typed_ != digit) {  // the digit begins a new count
      typed_ = digit;
      typed = CountTyped(views, typed_);
    }
    if (typed.entry < 0) {
      typed_.clear();
      return captions.end() != std::find_if(captions.begin(), captions.end(), [](const std::string& c) {
               return !c.empty() && c[0] >= '0' && c[0] <= '9';
             });  // a menu of counts has no entry for it; any other menu may
    }
    menu_->setActiveAction(actions[typed.entry]);
    if (typed.final) {
      typed_.clear();
      QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
      QCoreApplication::sendEvent(menu_, &enter);
    }
    return true;
  }

  QMenu* menu_;
  std::function<void(const QString&)> announce_;
  std::string typed_;
  QElapsedTimer sinceLastDigit_;
};

}  // namespace

void EquipMenu(QMenu* menu, const QString& name, std::function<void(const QString&)> announce) {
  menu->setAccessibleName(name);
  new MenuKeys(menu, std::move(announce));
}

}  // namespace tarvo::ui
