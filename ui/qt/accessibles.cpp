#include "ui/qt/accessibles.h"

#include <QAccessibleObject>
#include <QAccessibleWidget>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QTextBoundaryFinder>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <vector>

#include "ui/logic/text_spans.h"
#include "ui/qt/display_box.h"
#include "ui/qt/variable_list_window.h"
#include "ui/qt/widgets.h"

namespace tarvo::ui {
namespace {

// A picture or label that acts when clicked: a button with a press action,
// named by its label's text where no other name was given. A key that shows
// which of its group is in force (DEG, RAD, GRA; the output formats) is a
// radio button, checked while lit; ARC and HYP are checked while pending.
class PressAccessible : public QAccessibleWidget {
 public:
  PressAccessible(QWidget* widget, const std::function<void()>& press)
      : QAccessibleWidget(widget, QAccessible::Button), press_(press) {}
  // Asked each time: the key's kind may be told after the interface is made.
  QAccessible::Role role() const override {
    const auto* key = dynamic_cast<const KeyImage*>(widget());
    return key != nullptr && key->Toggles() == KeyImage::kOneOfGroup ? QAccessible::RadioButton : QAccessible::Button;
  }
  QStringList actionNames() const override { return {pressAction()}; }
  void doAction(const QString& name) override {
    if (name == pressAction() && press_) press_();
  }
  QString text(QAccessible::Text t) const override {
    QString s = QAccessibleWidget::text(t);
    if (t == QAccessible::Name && s.isEmpty())
      if (const auto* label = qobject_cast<const QLabel*>(widget())) s = label->text();
    return s;
  }
  QAccessible::State state() const override {
    QAccessible::State s = QAccessibleWidget::state();
    if (const auto* key = dynamic_cast<const KeyImage*>(widget()); key != nullptr && key->Toggles() != KeyImage::kNoToggle) {
      s.checkable = true;
      s.checked = key->Lit();
    }
    return s;
  }

 private:
  // The widget's own handler, which lives as long as the widget does.
  const std::function<void()>& press_;
};

// Where the pieces of `text` of a kind meet: Qt's own finder of grapheme,
// word and sentence boundaries, walked forward only, so that it ends at the
// text's end whatever it says. A word takes the blanks after it, as a
// screen reader's word does; a line ends after each line break.
std::vector<int> Cuts(const QString& text, QAccessible::TextBoundaryType type) {
  std::vector<int> cuts;
  const int length = static_cast<int>(text.size());
  if (type == QAccessible::LineBoundary || type == QAccessible::ParagraphBoundary) {
    for (int i = 0; i < length; ++i)
      if (text[i] == u'\n') cuts.push_back(i + 1);
    return cuts;
  }
  QTextBoundaryFinder::BoundaryType finderType;
  switch (type) {
    case QAccessible::CharBoundary: finderType = QTextBoundaryFinder::Grapheme; break;
    case QAccessible::WordBoundary: finderType = QTextBoundaryFinder::Word; break;
    case QAccessible::SentenceBoundary: finderType = QTextBoundaryFinder::Sentence; break;
    default: return cuts;  // the whole text is one piece
  }
  QTextBoundaryFinder finder(finderType, text);
  int last = 0;
  for (qsizetype at = finder.toNextBoundary(); at > last && at < length; at = finder.toNextBoundary()) {
    last = static_cast<int>(at);
    if (type == QAccessible::WordBoundary && text[at].isSpace()) continue;
    cuts.push_back(last);
  }
  return cuts;
}

// The text interface's three questions about the piece of a kind at, before
// or after an offset, answered from the text alone (Qt's own answer never
// comes at the end of a text).
class PieceAnswers : public QAccessibleTextInterface {
 public:
  QString textBeforeOffset(int offset, QAccessible::TextBoundaryType type, int* start, int* end) const override {
    return Piece(offset, type, SpanSide::kBefore, start, end);
  }
  QString textAtOffset(int offset, QAccessible::TextBoundaryType type, int* start, int* end) const override {
    return Piece(offset, type, SpanSide::kAt, start, end);
  }
  QString textAfterOffset(int offset, QAccessible::TextBoundaryType type, int* start, int* end) const override {
    return Piece(offset, type, SpanSide::kAfter, start, end);
  }

 private:
  QString Piece(int offset, QAccessible::TextBoundaryType type, SpanSide side, int* start, int* end) const {
    const QString all = text(0, characterCount());
    const TextSpan span = SpanOf(static_cast<int>(all.size()), Cuts(all, type), offset, side,
                                 type != QAccessible::CharBoundary);
    *start = span.start;
    *end = span.end;
    return span.start < 0 ? QString() : all.mid(span.start, span.end - span.start);
  }
};

// The application: its windows, and its pop-up menus after them. Qt leaves
// a menu out (it is no window of the application's own), and a screen
// reader that finds a menu nowhere says nothing of it: neither that a menu
// opened nor which.
class ApplicationAccessible : public QAccessibleApplication {
 public:
  int childCount() const override { return QAccessibleApplication::childCount() + static_cast<int>(Menus().size()); }
  QAccessibleInterface* child(int index) const override {
    const int windows = QAccessibleApplication::childCount();
    if (index < windows) return QAccessibleApplication::child(index);
    const std::vector<QMenu*> menus = Menus();
    const size_t i = static_cast<size_t>(index - windows);
    return i < menus.size() ? QAccessible::queryAccessibleInterface(menus[i]) : nullptr;
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    const int window = QAccessibleApplication::indexOfChild(child);
    if (window >= 0 || child == nullptr) return window;
    const std::vector<QMenu*> menus = Menus();
    const auto found = std::find(menus.begin(), menus.end(), child->object());
    return found == menus.end() ? -1 : QAccessibleApplication::childCount() + static_cast<int>(found - menus.begin());
  }

 private:
  static std::vector<QMenu*> Menus() {
    std::vector<QMenu*> menus;
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* menu = qobject_cast<QMenu*>(w); menu != nullptr && menu->isVisible()) menus.push_back(menu);
    return menus;
  }
};

// A text field (the entry line, and any other): what Qt's own interface of
// a line edit says, with PieceAnswers' pieces. It reads the text as shown,
// so that a password field gives away no more than its dots.
class LineAccessible : public QAccessibleWidget, public PieceAnswers, public QAccessibleEditableTextInterface {
 public:
  explicit LineAccessible(QLineEdit* line) : QAccessibleWidget(line, QAccessible::EditableText) {
    addControllingSignal(QStringLiteral("textChanged(const QString&)"));
    addControllingSignal(QStringLiteral("returnPressed()"));
  }

  void* interface_cast(QAccessible::InterfaceType t) override {
    if (t == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
    if (t == QAccessible::EditableTextInterface) return static_cast<QAccessibleEditableTextInterface*>(this);
    return QAccessibleWidget::interface_cast(t);
  }

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Value) return Line()->echoMode() == QLineEdit::Normal ? Line()->text() : Line()->displayText();
    QString s = QAccessibleWidget::text(t);
    if (t == QAccessible::Name && s.isEmpty()) s = Line()->placeholderText();
    return s;
  }
  void setText(QAccessible::Text t, const QString& text) override {
    if (t != QAccessible::Value) {
      QAccessibleWidget::setText(t, text);
      return;
    }
    if (!Line()->isReadOnly()) Line()->setText(text);
  }
  QAccessible::State state() const override {
    QAccessible::State s = QAccessibleWidget::state();
    s.editable = !Line()->isReadOnly();
    s.readOnly = Line()->isReadOnly();
    s.passwordEdit = Line()->echoMode() != QLineEdit::Normal;
    s.selectableText = true;
    s.focusable = s.focusable || Line()->focusPolicy() != Qt::NoFocus;
    return s;
  }

  // QAccessibleTextInterface
  using QAccessibleWidget::text;
  QString text(int start, int end) const override {
    const QString shown = Line()->displayText();
    start = std::clamp(start, 0, static_cast<int>(shown.size()));
    end = std::clamp(end, start, static_cast<int>(shown.size()));
    return shown.mid(start, end - start);
  }
  int characterCount() const override { return static_cast<int>(Line()->displayText().size()); }
  int cursorPosition() const override { return Line()->cursorPosition(); }
  void setCursorPosition(int position) override { Line()->setCursorPosition(position); }
  int selectionCount() const override { return Line()->hasSelectedText() ? 1 : 0; }
  void selection(int index, int* start, int* end) const override {
    *start = *end = 0;
    if (index != 0 || !Line()->hasSelectedText()) return;
    *start = Line()->selectionStart();
    *end = Line()->selectionEnd();
  }
  void addSelection(int start, int end) override { setSelection(0, start, end); }
  void removeSelection(int index) override {
    if (index == 0) Line()->deselect();
  }
  void setSelection(int index, int start, int end) override {
    if (index != 0) return;
    const int length = characterCount();
    start = std::clamp(start, 0, length);
    end = std::clamp(end, 0, length);
    Line()->setSelection(start, end - start);
  }
  QString attributes(int offset, int* start, int* end) const override {
    *start = 0;
    *end = characterCount();
    if (offset < 0 || offset > *end) *start = *end = -1;
    return {};
  }
  // From the caret's place on the screen and the advance of the text
  // between it and the offset.
  QRect characterRect(int offset) const override {
    const QString shown = Line()->displayText();
    if (offset < 0 || offset >= shown.size()) return {};
    const QFontMetrics metrics = Line()->fontMetrics();
    const int caret = Line()->cursorPosition();
    const QRect caretRect = Line()->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    const int x = caretRect.x() + metrics.horizontalAdvance(shown.left(offset)) - metrics.horizontalAdvance(shown.left(caret));
    const QRect local(x, caretRect.y(), metrics.horizontalAdvance(shown.mid(offset, 1)), caretRect.height());
    return QRect(Line()->mapToGlobal(local.topLeft()), local.size());
  }
  int offsetAtPoint(const QPoint& point) const override {
    const QPoint local = Line()->mapFromGlobal(point);
    return Line()->rect().contains(local) ? Line()->cursorPositionAt(local) : -1;
  }
  void scrollToSubstring(int start, int end) override {
    Line()->setCursorPosition(end);
    Line()->setCursorPosition(start);
  }

  // QAccessibleEditableTextInterface
  void deleteText(int start, int end) override { replaceText(start, end, QString()); }
  void insertText(int offset, const QString& text) override { replaceText(offset, offset, text); }
  void replaceText(int start, int end, const QString& text) override {
    if (Line()->isReadOnly()) return;
    const int length = static_cast<int>(Line()->text().size());
    start = std::clamp(start, 0, length);
    end = std::clamp(end, start, length);
    Line()->setText(Line()->text().replace(start, end - start, text));
  }

 private:
  QLineEdit* Line() const { return static_cast<QLineEdit*>(widget()); }
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
class ReadoutAccessible : public QAccessibleWidget, public PieceAnswers {
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
  QString text(int start, int end) const override {
    const QString shown = Shown();
    start = std::clamp(start, 0, static_cast<int>(shown.size()));
    end = std::clamp(end, start, static_cast<int>(shown.size()));
    return shown.mid(start, end - start);
  }
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
    *start = 0;
    *end = characterCount();
    if (offset < 0 || offset > *end) *start = *end = -1;
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
  if (auto* line = qobject_cast<QLineEdit*>(object)) return new LineAccessible(line);
  return nullptr;
}

// The application's alone, installed as it starts: the widgets' own factory
// comes after it and goes before it, so that Factory, installed later,
// goes before the widgets' factory.
QAccessibleInterface* ApplicationFactory(const QString&, QObject* object) {
  return object == qApp ? new ApplicationAccessible : nullptr;
}

void InstallApplicationAccessible() { QAccessible::installFactory(ApplicationFactory); }

}  // namespace

void InstallAccessibles() {
  static const bool installed = (QAccessible::installFactory(Factory), true);
  (void)installed;
}

// As the application starts, before a screen reader can ask for anything:
// the application's own description is made once, at the first question.
Q_COREAPP_STARTUP_FUNCTION(InstallApplicationAccessible)

void Announce(QWidget* readout, const QString& text) {
  auto* statusBar = dynamic_cast<ReadoutAccessible*>(QAccessible::queryAccessibleInterface(readout));
  if (statusBar == nullptr) return;
  QAccessibleInterface* notice = statusBar->Notice();
  notice->setText(QAccessible::Name, text);
  QAccessibleEvent shown(notice, QAccessible::ObjectShow);
  QAccessible::updateAccessibility(&shown);
}

void TellCurrentRowOnFocus(QAbstractItemView* view) {
  class Teller : public QObject {
   public:
    explicit Teller(QAbstractItemView* view) : QObject(view), view_(view) { view->installEventFilter(this); }

   protected:
    bool eventFilter(QObject*, QEvent* e) override {
      // After the view's own news of the focus, which names the list alone.
      if (e->type() == QEvent::FocusIn) QTimer::singleShot(0, this, [this] { Tell(); });
      return false;
    }

   private:
    void Tell() {
      const QModelIndex current = view_->currentIndex();
      if (!view_->hasFocus() || !current.isValid()) return;
      QAccessibleEvent event(view_, QAccessible::Focus);
      event.setChild(current.row());
      QAccessible::updateAccessibility(&event);
    }
    QAbstractItemView* view_;
  };
  new Teller(view);
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
