// TapeWindow, the tape beside the calculator: frameless, a title, the
// "Copy", "Clear" and "Close" text buttons and the list of rows, each
// "entry = result". It stands beside the calculator window and moves with
// it; keys it does not use go on to the calculator. What it does is decided
// by tarvo::TapeLogic.
#pragma once

#include <QListWidget>
#include <QWidget>
#include <functional>

#include "ui/logic/look.h"
#include "ui/logic/tape_logic.h"
#include "ui/qt/look_colours.h"
#include "ui/qt/variable_list_window.h"

namespace tarvo::ui {

class TapeWindow : public QWidget, public TapeControls {
 public:
  // A window of its own over `calculator`'s window, which it follows.
  TapeWindow(tarvo::CalculatorLogic& calculator, QWidget* calculatorWindow);

  tarvo::TapeLogic& Logic() { return logic_; }
  QListWidget* List() const { return list_; }
  TextButton* CopyButton() const { return copy_; }
  TextButton* ClearButton() const { return clear_; }
  TextButton* CloseButton() const { return close_; }
  // The rows as shown.
  QStringList ShownRows() const;

  // Shows the rows beside the calculator, the newest current, and takes
  // the keyboard.
  void Open();
  // Back beside the calculator, which moved.
  void FollowCalculator();
  // The window, its rows and buttons in `look`.
  void ShowLook(Look look);

  // A key the tape does not use, for the calculator's entry line.
  std::function<void(QKeyEvent*)> onOtherKey;
  // The tape closed, or a row's entry went back into the line: the
  // calculator takes the keyboard.
  std::function<void()> onLeave;

  // TapeControls
  void ClearRows() override { list_->clear(); }
  void AddRow(const TapeRow& row) override;
  void RemoveOldestRow() override { delete list_->takeItem(0); }
  void ShowNewestRow() override;
  void SetClipboardText(const std::string& text) override;
  void CloseWindow() override { close(); }

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override;
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void closeEvent(QCloseEvent* e) override;

 private:
  TextButton* MakeButton(const QString& text, const QString& help, const std::function<void()>& action);
  std::vector<int> SelectedRows() const;
  void UseRow(int row);

  tarvo::TapeLogic logic_;
  QListWidget* list_ = nullptr;
  TextButton* copy_ = nullptr;
  TextButton* clear_ = nullptr;
  TextButton* close_ = nullptr;
  Look look_ = Look::kDefault;
  FocusRing* focusRing_ = nullptr;
};

}  // namespace tarvo::ui
