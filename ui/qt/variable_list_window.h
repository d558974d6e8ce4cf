// VariableListWindow, the variable list window: frameless and modal, a title, the
// "Copy", "Clear" and "Exit" text buttons and the list. What it does is
// decided by tarvo::VariableListLogic.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <array>
#include <functional>

#include "ui/logic/look.h"
#include "ui/logic/variable_list_logic.h"
#include "ui/qt/look_colours.h"

namespace tarvo::ui {

// A label that reports press, release and click, for the list windows'
// buttons (this one's and the tape's). It is in the tab order: Enter and
// Space press it, and a dotted frame shows it has the focus.
class TextButton : public QLabel {
 public:
  TextButton(const QString& text, QWidget* parent);
  std::function<void()> onPress, onRelease, onClick;
  // Its colour while enabled, and its place; disabled, its text is greyed.
  void SetLook(Rgb color, QPoint at);

 protected:
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void paintEvent(QPaintEvent* e) override;
};

class VariableListWindow : public QDialog, public VarListControls {
 public:
  inline static constexpr int kWidth = 400;
  inline static constexpr int kHeight = 236;

  // Lists `shown` (a solver's roots) or `calculator`'s variables while the
  // window logic's list mode is `listMode`.
  VariableListWindow(tarvo::Calculator& calculator, int listMode,
                     std::optional<tarvo::VariableListShow> shown = std::nullopt,
                     QWidget* parent = nullptr);
  ~VariableListWindow() override;

  tarvo::VariableListLogic& Logic() { return logic_; }
  QListWidget* ListRows() const { return listRows_; }
  QLabel* Title() const { return title_; }
  TextButton* Button(VarListButton b) const;
  // The rows as shown, one per line.
  QStringList ShownRows() const;
  // The list's font: "Courier New" when the system has it, else its own
  // fixed-pitch font.
  static QFont ListFont();
  // The window, its rows and buttons in `look`.
  void ShowLook(Look look);

  // VarListControls
  void ClearList() override;
  void AddRow(const std::string& row) override;
  void SetButtonEnabled(VarListButton b, bool enabled) override;
  void SetButtonLook(VarListButton b, Rgb color, int left, int top) override;
  void SetClipboardText(const std::string& text) override;
  void SetDefaultPointer() override;
  void CloseWindow() override { close(); }

  void done(int r) override;

 protected:
  void paintEvent(QPaintEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void changeEvent(QEvent* e) override;
  void showEvent(QShowEvent* e) override;

 private:
  TextButton* MakeButton(VarListButton b, const QString& text);

  tarvo::VariableListLogic logic_;
  QLabel* title_ = nullptr;
  QListWidget* listRows_ = nullptr;
  TextButton* clearButton_ = nullptr;
  TextButton* copyButton_ = nullptr;
  TextButton* exitButton_ = nullptr;
  bool unloaded_ = false;
  Look look_ = Look::kDefault;
  FocusRing* focusRing_ = nullptr;
};

}  // namespace tarvo::ui
