// FormVarList, the variable list window: frameless and modal, a title, the
// "Copy", "Clear" and "Exit" text buttons and the list. What it does is
// decided by tarvo::FormVarList.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <array>
#include <functional>

#include "ui/logic/form_var_list.h"

namespace tarvo::ui {

// A label that reports press, release and click, for the list's buttons.
class TextButton : public QLabel {
 public:
  TextButton(const QString& text, QWidget* parent);
  std::function<void()> onPress, onRelease, onClick;

 protected:
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
};

class FormVarList : public QDialog, public VarListControls {
 public:
  inline static constexpr int kWidth = 400;
  inline static constexpr int kHeight = 236;

  // Lists `engine`'s variables while the window logic's list mode is `listMode`.
  FormVarList(tarvo::Engine& engine, int listMode, QWidget* parent = nullptr);
  ~FormVarList() override;

  tarvo::FormVarList& Logic() { return logic_; }
  QListWidget* List1() const { return list1_; }
  QLabel* Title() const { return label4_; }
  TextButton* Button(VarListButton b) const;
  // The rows as shown, one per line.
  QStringList ShownRows() const;
  // The list's font: "Courier New" when the system has it, else its own
  // fixed-pitch font.
  static QFont ListFont();

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

 private:
  TextButton* MakeButton(VarListButton b, const QString& text);

  tarvo::FormVarList logic_;
  QLabel* label4_ = nullptr;  // the title
  QListWidget* list1_ = nullptr;
  TextButton* label1_ = nullptr;  // Clear
  TextButton* label2_ = nullptr;  // Copy
  TextButton* label6_ = nullptr;  // Exit
  bool unloaded_ = false;
};

}  // namespace tarvo::ui
