#include "ui/qt/entry_line.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <algorithm>

#include "core/entry_encoding.h"
#include "ui/qt/popup_menus.h"
#include "ui/qt/widgets.h"

namespace tarvo::ui {
namespace {

// The keys the window's handlers name; Ctrl reaches them only on its own,
// when it is let go.
KeyCode CodeOf(int qtKey) {
  switch (qtKey) {
    case Qt::Key_Left: return KeyCode::kLeft;
    case Qt::Key_Up: return KeyCode::kUp;
    case Qt::Key_Right: return KeyCode::kRight;
    case Qt::Key_Down: return KeyCode::kDown;
    case Qt::Key_F1: return KeyCode::kF1;
    default: return KeyCode::kOther;
  }
}

int ShiftState(Qt::KeyboardModifiers m) {
  return (m & Qt::ShiftModifier ? kShiftHeld : 0) | (m & Qt::ControlModifier ? kCtrlHeld : 0) |
         (m & Qt::AltModifier ? kAltHeld : 0);
}

bool IsModifierKey(int k) {
  return k == Qt::Key_Shift || k == Qt::Key_Control || k == Qt::Key_Alt || k == Qt::Key_Meta ||
         k == Qt::Key_AltGr || k == Qt::Key_CapsLock;
}

// The modifiers a shortcut is told apart by: a digit of the number block
// and the layout group do not make a different shortcut.
Qt::KeyboardModifiers ShortcutModifiers(Qt::KeyboardModifiers m) {
  return m & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
}

// Where two texts differ: from `start`, `before` characters of the first
// became `after` characters of the second. A pair of surrogates stays whole.
struct Difference {
  int start = 0, before = 0, after = 0;
};

Difference Differ(const QString& a, const QString& b) {
  const int shorter = static_cast<int>(std::min(a.size(), b.size()));
  int prefix = 0;
  while (prefix < shorter && a[prefix] == b[prefix]) ++prefix;
  if (prefix > 0 && a[prefix - 1].isHighSurrogate()) --prefix;
  int suffix = 0;
  while (suffix < shorter - prefix && a[a.size() - 1 - suffix] == b[b.size() - 1 - suffix]) ++suffix;
  if (suffix > 0 && a[a.size() - suffix].isLowSurrogate()) --suffix;
  return {prefix, static_cast<int>(a.size()) - prefix - suffix, static_cast<int>(b.size()) - prefix - suffix};
}

// Whether `action` of the line's standard menu calls the line's own
// `slot`; if so it no longer does. (The menu connects by name or by
// pointer, as the Qt release has it.)
bool TakeFrom(QAction* action, QLineEdit* line, const char* slot, void (QLineEdit::*method)()) {
  return QObject::disconnect(action, SIGNAL(triggered()), line, slot) ||
         QObject::disconnect(action, &QAction::triggered, line, method);
}

// The number block's decimal key as the X server and Wayland number it
// (the kernel's KEY_KPDOT plus 8), whatever its layout makes it type: a
// plain comma ("Four-level key with comma"), an Arabic decimal separator
// that the entry line has no sign for, or the comma of its AltGr level.
constexpr quint32 kKeypadDecimalScanCode = 91;

// Whether a key event is the number block's decimal key typing its sign.
bool IsKeypadDecimal(const QKeyEvent& e) {
  const int key = e.key();
  if ((e.modifiers() & Qt::KeypadModifier) && (key == Qt::Key_Comma || key == Qt::Key_Period)) return true;
  const QString text = e.text();
  return e.nativeScanCode() == kKeypadDecimalScanCode && text.size() == 1 && text.at(0).isPrint();
}

}  // namespace

EntryLine::EditStep::EditStep(EntryLine& line, EditKind kind) : line_(line) {
  if (line_.depth_++ == 0) {
    // A change made while no step was open (a screen reader's own edit)
    // stands alone.
    line_.Record(EditKind::kNeutral);
    line_.stepKind_ = kind;
  } else if (kind == EditKind::kCommand) {
    line_.stepKind_ = kind;
  }
}

EntryLine::EditStep::~EditStep() {
  if (--line_.depth_ == 0) line_.Record(line_.stepKind_);
}

EntryLine::EntryLine(QWidget* parent) : QLineEdit(parent) { setMouseTracking(true); }

EntryLine::Snapshot EntryLine::Now() const {
  return {text(), cursorPosition(), selectionStart(), static_cast<int>(selectedText().size())};
}

void EntryLine::Classify(EditKind kind) {
  if (depth_ > 0) stepKind_ = kind;
}

void EntryLine::Record(EditKind kind) {
  Snapshot now = Now();
  if (now.text == recorded_.text) {
    // A moved caret, a new selection or a command: the next typing starts
    // a step of its own.
    if (kind == EditKind::kCommand || now.caret != recorded_.caret || now.selectionStart != recorded_.selectionStart ||
        now.selectionLength != recorded_.selectionLength)
      runKind_ = EditKind::kNeutral;
    recorded_ = std::move(now);
    return;
  }
  const bool joins = (kind == EditKind::kTyping || kind == EditKind::kDeleting) && kind == runKind_ && !undo_.empty();
  QString before = recorded_.text;
  int caretBefore = recorded_.caret;
  if (joins) {
    // The run's step reaches back to the text before the run.
    const Edit& run = undo_.back();
    before = before.left(run.start) + run.removed + before.mid(run.start + run.inserted.size());
    caretBefore = run.caretBefore;
    undo_.pop_back();
  }
  const Difference d = Differ(before, now.text);
  if (d.before > 0 || d.after > 0)  // a run that came back to where it began leaves no step
    undo_.push_back({d.start, before.mid(d.start, d.before), now.text.mid(d.start, d.after), caretBefore, now.caret});
  if (undo_.size() > kHistorySteps) undo_.erase(undo_.begin());
  redo_.clear();
  runKind_ = kind == EditKind::kTyping || kind == EditKind::kDeleting ? kind : EditKind::kNeutral;
  recorded_ = std::move(now);
}

void EntryLine::Replace(int start, int length, const QString& replacement) {
  const int size = static_cast<int>(text().size());
  start = std::clamp(start, 0, size);
  length = std::clamp(length, 0, size - start);
  if (length > 0) setSelection(start, length);
  else setCursorPosition(start);
  if (!replacement.isEmpty()) insert(replacement);
  else if (length > 0) del();
}

void EntryLine::ChangeTo(const QString& target) {
  const QString current = text();
  if (current == target) return;
  const Difference d = Differ(current, target);
  Replace(d.start, d.before, target.mid(d.start, d.after));
}

void EntryLine::Undo() { TakeStep(undo_, redo_, true); }

void EntryLine::Redo() { TakeStep(redo_, undo_, false); }

void EntryLine::TakeStep(std::vector<Edit>& from, std::vector<Edit>& to, bool back) {
  Record(EditKind::kCommand);
  if (from.empty()) return;
  const Edit step = from.back();
  from.pop_back();
  const QString& shown = back ? step.inserted : step.removed;
  Replace(step.start, static_cast<int>(shown.size()), back ? step.removed : step.inserted);
  setCursorPosition(back ? step.caretBefore : step.caretAfter);
  to.push_back(step);
  recorded_ = Now();
}

bool EntryLine::event(QEvent* e) {
  switch (e->type()) {
    case QEvent::KeyPress:
    case QEvent::InputMethod:
    case QEvent::Drop:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::ContextMenu: {
      EditStep step(*this, EditKind::kNeutral);
      return QLineEdit::event(e);
    }
    default: return QLineEdit::event(e);
  }
}

void EntryLine::keyPressEvent(QKeyEvent* e) {
  const int key = e->key();
  if (IsModifierKey(key)) {
    if (!e->isAutoRepeat())
      ctrlAlone_ = key == Qt::Key_Control && (ShortcutModifiers(e->modifiers()) & ~Qt::ControlModifier) == 0;
    QLineEdit::keyPressEvent(e);
    return;
  }
  ctrlAlone_ = false;
  const Qt::KeyboardModifiers mods = ShortcutModifiers(e->modifiers());
  // The desktop's key for a text field's context menu, at the caret. (The
  // Menu key reaches the line as a context-menu event of its own.)
  if (key == Qt::Key_F10 && mods == Qt::ShiftModifier) {
    const QPoint at = cursorRect().center();
    QContextMenuEvent menu(QContextMenuEvent::Keyboard, at, mapToGlobal(at), e->modifiers());
    contextMenuEvent(&menu);
    return;
  }
  if (onShortcut && onShortcut(QKeyCombination(mods, static_cast<Qt::Key>(key)))) {
    Classify(EditKind::kCommand);
    e->accept();
    return;
  }
  if (onKeyDown) onKeyDown(CodeOf(key), ShiftState(e->modifiers()));
  if (key == Qt::Key_Up || key == Qt::Key_Down) {
    Classify(EditKind::kCommand);
    return;
  }

  int control = -1;
  if (key == Qt::Key_Return || key == Qt::Key_Enter) control = kEnterCharacter;
  else if (key == Qt::Key_Escape) control = kEscapeCharacter;
  if (control > 0) {
    Classify(EditKind::kCommand);
    if (onKeyPress) onKeyPress(control);
    return;
  }
  // The keypad's decimal key writes the point in every layout: a German
  // one gives it ",", which separates arguments here.
  const QString text = IsKeypadDecimal(*e) ? QStringLiteral(".") : e->text();
  if (text.isEmpty() || !text.at(0).isPrint() || (mods & (Qt::ControlModifier | Qt::MetaModifier))) {
    // Editing and clipboard keys: the line does them; the logic still hears
    // of the character (it ends a shown result).
    if (!text.isEmpty() && onKeyPress) onKeyPress(text.at(0).unicode());
    if (e->matches(QKeySequence::Undo)) {
      Undo();
    } else if (e->matches(QKeySequence::Redo)) {
      Redo();
    } else {
      const bool deletes = (key == Qt::Key_Backspace || key == Qt::Key_Delete) && mods == Qt::NoModifier;
      Classify(deletes ? EditKind::kDeleting : mods & Qt::ControlModifier ? EditKind::kCommand : EditKind::kNeutral);
      QLineEdit::keyPressEvent(e);
    }
    return;
  }
  if (mods & Qt::AltModifier) {
    // An Alt combination that is no shortcut types nothing.
    e->ignore();
    return;
  }
  Classify(EditKind::kTyping);
  for (const char32_t cp : text.toUcs4()) {
    const int byte = CodePointToByte(cp);
    if (byte <= 0) continue;  // no sign of the entry line
    const int passed = onKeyPress ? onKeyPress(byte) : byte;
    if (passed <= 0) continue;
    insert(Unicode(std::string(1, static_cast<char>(passed))));
  }
}

// The page changes when Ctrl is let go without another key in between, so
// that Ctrl+C, Ctrl+V and the other shortcuts of the line leave it alone.
void EntryLine::keyReleaseEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Control && !e->isAutoRepeat() && ctrlAlone_) {
    ctrlAlone_ = false;
    if (onKeyDown) onKeyDown(KeyCode::kControl, kCtrlHeld);
  }
  QLineEdit::keyReleaseEvent(e);
}

void EntryLine::focusOutEvent(QFocusEvent* e) {
  ctrlAlone_ = false;
  QLineEdit::focusOutEvent(e);
}

void EntryLine::mousePressEvent(QMouseEvent* e) {
  ctrlAlone_ = false;
  if (onMouse) onMouse();
  QLineEdit::mousePressEvent(e);
}

void EntryLine::mouseMoveEvent(QMouseEvent* e) {
  if (onMouse) onMouse();
  QLineEdit::mouseMoveEvent(e);
}

// The line's own menu, its Undo and Redo going through the line's history.
// From the keyboard it opens at the caret.
void EntryLine::contextMenuEvent(QContextMenuEvent* e) {
  QMenu* menu = createStandardContextMenu();
  for (QAction* action : menu->actions()) {
    const bool undo = TakeFrom(action, this, SLOT(undo()), &QLineEdit::undo);
    if (!undo && !TakeFrom(action, this, SLOT(redo()), &QLineEdit::redo)) continue;
    action->setEnabled(undo ? CanUndo() : CanRedo());
    QObject::connect(action, &QAction::triggered, this, [this, undo] {
      EditStep step(*this, EditKind::kCommand);
      undo ? Undo() : Redo();
    });
  }
  menu->setAttribute(Qt::WA_DeleteOnClose);
  EquipMenu(menu, QStringLiteral("Edit"), onAnnounce);
  const QPoint at = e->reason() == QContextMenuEvent::Mouse ? e->globalPos() : mapToGlobal(cursorRect().bottomLeft());
  menu->popup(at);
  e->accept();
}

}  // namespace tarvo::ui
