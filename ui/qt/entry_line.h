// The entry line: a text field that hands its keys to the window logic and
// keeps its own undo history. Whatever changes the line (a typed character,
// a keypad key, a paste) changes only the part that differs, so that a
// screen reader hears an insertion as an insertion, and Ctrl+Z takes back
// what the person did rather than what the window did on the way.
#pragma once

#include <QLineEdit>
#include <QString>
#include <functional>
#include <vector>

#include "ui/logic/key_codes.h"

namespace tarvo::ui {

// A key that is one of the keypad's shortcuts goes to `onShortcut` and no
// further. Every other key goes first to `onKeyDown` (the window's and the
// line's key-down handling) and then, for characters, to `onKeyPress`, which
// returns the character to insert (0: none). The line's own editing keys
// (Ctrl+A/C/V/X, Shift+arrows, Home, End, Backspace, Delete) stay the line's;
// Ctrl+Z and Ctrl+Shift+Z go through the line's history, and Shift+F10 opens
// its context menu, as the Menu key does.
class EntryLine : public QLineEdit {
 public:
  // The undo history keeps this many steps.
  static constexpr size_t kHistorySteps = 100;

  // What a change of the line is to its history. Typed characters join the
  // typing before them, deletions the deletions before them, until the caret
  // moves; a command (a keypad key, Enter, a paste, the history's Up and
  // Down) is a step of its own and ends the run. A neutral event (a mouse
  // click, a modifier key) ends the run only by moving the caret; a change
  // it makes is a step of its own.
  enum class EditKind { kNeutral, kTyping, kDeleting, kCommand };

  // While one lives, every change of the line is one step of its history
  // (or joins the run before it). A step opened inside another joins the
  // outer one; a command inside makes the whole step a command.
  class EditStep {
   public:
    EditStep(EntryLine& line, EditKind kind);
    ~EditStep();
    EditStep(const EditStep&) = delete;
    EditStep& operator=(const EditStep&) = delete;

   private:
    EntryLine& line_;
  };

  explicit EntryLine(QWidget* parent);

  // Replaces `length` characters from `start` by `text`, leaving the caret
  // after it and nothing selected.
  void Replace(int start, int length, const QString& text);
  // Makes the line read `text` by replacing only the part that differs.
  void ChangeTo(const QString& text);
  // Take back the last step, or do again the last step taken back: the text
  // as it was, the caret where it was, nothing selected.
  void Undo();
  void Redo();
  bool CanUndo() const { return !undo_.empty() || text() != recorded_.text; }
  bool CanRedo() const { return !redo_.empty() && text() == recorded_.text; }

  std::function<bool(QKeyCombination key)> onShortcut;
  std::function<void(KeyCode key, int shift)> onKeyDown;
  std::function<int(int c)> onKeyPress;
  std::function<void()> onMouse;
  // Has a screen reader say `text` (that the line's menu opened).
  std::function<void(const QString& text)> onAnnounce;

 protected:
  bool event(QEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void keyReleaseEvent(QKeyEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void contextMenuEvent(QContextMenuEvent* e) override;

 private:
  // The line as the history last saw it.
  struct Snapshot {
    QString text;
    int caret = 0, selectionStart = -1, selectionLength = 0;
  };
  // One step: from `start`, `removed` became `inserted`.
  struct Edit {
    int start = 0;
    QString removed, inserted;
    int caretBefore = 0, caretAfter = 0;
  };

  Snapshot Now() const;
  // Takes what changed since the last record into the history as a change
  // of `kind`.
  void Record(EditKind kind);
  void Classify(EditKind kind);
  // Moves the last step of `from` to `to`, taking it back (`back`) or doing
  // it again.
  void TakeStep(std::vector<Edit>& from, std::vector<Edit>& to, bool back);

  std::vector<Edit> undo_, redo_;
  Snapshot recorded_;
  int depth_ = 0;                           // open EditSteps
  EditKind stepKind_ = EditKind::kNeutral;  // of the outermost open step
  EditKind runKind_ = EditKind::kNeutral;   // what the next change may join
  // Ctrl went down with no other key held and nothing else was pressed
  // since: its release is "the Ctrl key alone".
  bool ctrlAlone_ = false;
};

}  // namespace tarvo::ui
