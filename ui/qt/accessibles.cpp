#include "ui/qt/accessibles.h"

#include <QAccessibleWidget>
#include <functional>

#include "ui/qt/display_box.h"
#include "ui/qt/variable_list_window.h"
#include "ui/qt/widgets.h"

namespace tarvo::ui {
namespace {

// A picture or label that acts when clicked: a button with a press action.
class PressAccessible : public QAccessibleWidget {
 public:
  PressAccessible(QWidget* widget, const std::function<void()>& press)
      : QAccessibleWidget(widget, QAccessible::Button), press_(press) {}
  QStringList actionNames() const override { return {pressAction()}; }
  void doAction(const QString& name) override {
    if (name == pressAction() && press_) press_();
  }

 private:
  // The widget's own handler, which lives as long as the widget does.
  const std::function<void()>& press_;
};

// What a status bar announces: a notification inside it, with no widget of
// its own, whose name is the announcement. It is not drawn (the status bar
// shows the text), so a reader going through the window finds it empty.
class NoticeAccessible : public QAccessibleInterface {
 public:
  explicit NoticeAccessible(QAccessibleInterface* statusBar) : statusBar_(statusBar) {}

  bool isValid() const override { return statusBar_->isValid(); }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override { return statusBar_->window(); }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  QAccessibleInterface* parent() const override { return statusBar_; }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QString text(QAccessible::Text t) const override { return t == QAccessible::Name ? text_ : QString(); }
  void setText(QAccessible::Text t, const QString& text) override {
    if (t == QAccessible::Name) text_ = text;
  }
  QRect rect() const override { return statusBar_->rect(); }
  QAccessible::Role role() const override { return QAccessible::Notification; }
  QAccessible::State state() const override {
    QAccessible::State s;
    s.invisible = true;
    return s;
  }

 private:
  QAccessibleInterface* statusBar_;
  QString text_;
};

// The display or a message line: a status bar whose name is its text (the
// widget's accessible name, set by whoever changes the text), readable
// through the text interface as well, with a notice to announce it.
class ReadoutAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
 public:
  explicit ReadoutAccessible(QWidget* widget)
      : QAccessibleWidget(widget, QAccessible::StatusBar),
        notice_(QAccessible::registerAccessibleInterface(new NoticeAccessible(this))) {}
  ~ReadoutAccessible() override { QAccessible::deleteAccessibleInterface(notice_); }

  QAccessibleInterface* Notice() const { return QAccessible::accessibleInterface(notice_); }

  int childCount() const override { return QAccessibleWidget::childCount() + 1; }
  QAccessibleInterface* child(int index) const override {
    const int widgets = QAccessibleWidget::childCount();
    return index == widgets ? Notice() : QAccessibleWidget::child(index);
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    return child == Notice() ? QAccessibleWidget::childCount() : QAccessibleWidget::indexOfChild(child);
  }

  void* interface_cast(QAccessible::InterfaceType t) override {
    if (t == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(t);
  }

  using QAccessibleWidget::text;
  QString text(int start, int end) const override { return Shown().mid(start, end - start); }
  int characterCount() const override { return static_cast<int>(Shown().size()); }
  void selection(int, int* start, int* end) const override { *start = *end = 0; }
  int selectionCount() const override { return 0; }
  void addSelection(int, int) override {}
  void removeSelection(int) override {}
  void setSelection(int, int, int) override {}
  int cursorPosition() const override { return 0; }
  void setCursorPosition(int) override {}
  QRect characterRect(int) const override { return {}; }
  int offsetAtPoint(const QPoint&) const override { return -1; }
  void scrollToSubstring(int, int) override {}
  QString attributes(int offset, int* start, int* end) const override {
    *start = *end = offset;
    return {};
  }

 private:
  QString Shown() const { return widget()->accessibleName(); }

  QAccessible::Id notice_;
};

QAccessibleInterface* Factory(const QString&, QObject* object) {
  if (auto* picture = dynamic_cast<PictureButton*>(object)) return new PressAccessible(picture, picture->onClick);
  if (auto* label = dynamic_cast<TitleButton*>(object)) return new PressAccessible(label, label->onClick);
  if (auto* label = dynamic_cast<TextButton*>(object)) return new PressAccessible(label, label->onClick);
  if (dynamic_cast<DisplayBox*>(object) != nullptr || dynamic_cast<MessageLine*>(object) != nullptr)
    return new ReadoutAccessible(static_cast<QWidget*>(object));
  return nullptr;
}

}  // namespace

void InstallAccessibles() {
  static const bool installed = (QAccessible::installFactory(Factory), true);
  (void)installed;
}

void Announce(QWidget* readout, const QString& text) {
  auto* statusBar = dynamic_cast<ReadoutAccessible*>(QAccessible::queryAccessibleInterface(readout));
  if (statusBar == nullptr) return;
  QAccessibleInterface* notice = statusBar->Notice();
  notice->setText(QAccessible::Name, text);
  QAccessibleEvent shown(notice, QAccessible::ObjectShow);
  QAccessible::updateAccessibility(&shown);
}

void Tell(QWidget* widget, QAccessible::Event what, const QString& text) {
  const bool name = what == QAccessible::NameChanged;
  if ((name ? widget->accessibleName() : widget->accessibleDescription()) != text) {
    // Qt tells of the change itself.
    name ? widget->setAccessibleName(text) : widget->setAccessibleDescription(text);
    return;
  }
  QAccessibleEvent event(widget, what);
  QAccessible::updateAccessibility(&event);
}

}  // namespace tarvo::ui
