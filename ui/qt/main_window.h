// MainWindow, the calculator window: a frameless window with its own title
// line, the entry line, the display, two message lines and the keypad. It
// implements the window logic's controls; what it does is decided by
// tarvo::CalculatorLogic, and its session's start and end by
// tarvo::SessionLifecycle.
#pragma once

#include <QApplication>
#include <QHash>
#include <QLabel>
#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/logic/controls.h"
#include "ui/logic/calculator_logic.h"
#include "ui/logic/session_lifecycle.h"
#include "ui/qt/display_box.h"
#include "ui/qt/entry_line.h"
#include "ui/qt/lock_wait_box.h"
#include "ui/qt/look_colours.h"
#include "ui/qt/splash_window.h"
#include "ui/qt/tape_window.h"
#include "ui/qt/widgets.h"

namespace tarvo::ui {

class DocumentOpener;

class MainWindow : public QWidget, public MainControls, public SessionControls {
 public:
  inline static constexpr int kWidth = 752;
  inline static constexpr int kHeight = 346;

  // How a warning reaches the user and how the desktop is asked to open an
  // address: a message box and the desktop normally, recorders in the tests
  // (a modal box would wait for a click, a browser would outlive them).
  using MessageBoxFn = tarvo::ui::MessageBoxFn;
  using OpenUrlFn = tarvo::ui::OpenUrlFn;
  // Runs when a modal window (the variable list, the About box) is up,
  // before it waits for the user; a test closes it from here.
  using ModalHook = std::function<void(QWidget* window)>;
  // What the user chose at exit: when the save failed (`text` names the
  // file and the reason; kSave tries again), and, for a session that
  // started without the saved values, whether to save over them. Message
  // boxes where unset, recorders in the tests.
  using ExitChoice = tarvo::ExitChoice;
  using ExitQuestionFn = std::function<ExitChoice(const QString& text)>;
  // Stands in for the pop-up menu: the chosen index, or -1.
  using PopupFn = std::function<int(const std::vector<MenuEntry>& entries)>;

  // `stateDir` holds the variable files; empty means none are read or written.
  explicit MainWindow(std::string stateDir = ".", QWidget* parent = nullptr);
  ~MainWindow() override;

  // The window's load (SessionLifecycle::Start): while another session
  // holds the state folder's lock the window waits, disabled, with a box.
  void Load() { session_.Start(); }
  bool Loaded() const { return session_.Started(); }
  // A stop signal (SessionLifecycle::StopSignal): the window ends without
  // waiting for anyone.
  void CloseForStopSignal() { session_.StopSignal(true); }
  bool Stopping() const { return session_.Stopping(); }
  tarvo::SessionLifecycle& Session() { return session_; }
  // Runs when a stop has saved what it could: ends every event loop unless
  // set otherwise (a test goes on).
  std::function<void()> onStopped = [] { QApplication::exit(0); };
  // The box of a wait for the lock (load or save), while it shows.
  QMessageBox* LockWaitMessage() const;
  void SetMessageBox(MessageBoxFn fn) { messageBox_ = std::move(fn); }
  void SetOpenUrl(OpenUrlFn fn) { openUrl_ = std::move(fn); }
  void SetModalHook(ModalHook fn) { modalHook_ = std::move(fn); }
  void SetSaveFailed(ExitQuestionFn fn) { saveFailed_ = std::move(fn); }
  void SetSaveOver(ExitQuestionFn fn) { saveOver_ = std::move(fn); }
  void SetPopupMenu(PopupFn fn) { popup_ = std::move(fn); }
  // The look for this run only (the command line's), in place of the one
  // chosen before and the desktop's; none: those.
  void SetLookForThisRun(std::optional<Look> look);
  Look CurrentLook() const { return look_; }
  // The ring that marks the focus in the looks that have one.
  const FocusRing* FocusMark() const { return focusRing_; }
  // Where the manual is looked for first (the program's directory unless set).
  void SetProgramDirectory(std::string dir) { programDir_ = std::move(dir); }
  bool Busy() const { return busy_; }

  tarvo::CalculatorLogic& Logic() { return logic_; }
  EntryLine* Entry() const { return entryLine_; }
  DisplayBox* Display() const { return display_; }
  QLabel* UpperMessageLine() const { return upperMessage_; }
  QLabel* LowerMessageLine() const { return lowerMessage_; }
  KeyImage* Key(tarvo::Key key) const;
  PictureButton* PageSelector() const { return selector_; }
  PictureButton* AlwaysVisibleSwitch() const { return alwaysOnTopPin_; }
  PictureButton* ReviewKey() const { return historyReview_; }
  bool ShiftIndicatorShown() const { return shiftIndicator_; }
  // The tape window, once it has been opened.
  TapeWindow* Tape() const { return tape_; }
  int SelectorBorder() const { return selectorBorder_; }

  // MainControls
  std::string EntryText() const override;
  void SetEntryText(const std::string& text) override;
  void ReplaceEntryText(int start, int length, const std::string& text) override;
  int SelectionStart() const override;
  int SelectionLength() const override;
  void SetSelection(int start, int length) override;
  Rgb EntryColor() const override { return entryColor_; }
  void SetEntryColor(Rgb color) override;
  void FocusEntry() override;
  void SetUpperMessage(const std::string& text) override;
  void SetLowerMessage(const std::string& text) override;
  void ClearDisplay() override;
  void DrawResultText(const std::string& text) override;
  void Beep() override;
  void SetClipboardText(const std::string& text) override;
  void SetBusy(bool busy) override;
  void SetKeyLit(tarvo::Key key, bool lit) override;
  int PopupMenu(const std::vector<MenuEntry>& entries) override;
  void MoveKey(tarvo::Key key, int left, int top) override;
  void SetKeyVisible(tarvo::Key key, bool visible) override;
  void SetShiftIndicatorVisible(bool visible) override;
  void SetPagePicture(int page) override;
  void SetPageSelectorPressed(bool pressed) override;
  void SetAlwaysOnTop(bool on) override;
  bool CanKeepOnTop() const override;
  // MainControls and SessionControls: as Exit does.
  void CloseWindow() override { close(); }
  void ShowVariableListWindow(const std::optional<VariableListShow>& shown) override;
  void ShowAboutBox() override;
  std::string ProgramDirectory() const override;
  bool FileExists(const std::string& path) const override;
  bool OpenDocument(const std::string& path) override;
  bool OpenUrl(const std::string& url) override;
  void ShowWarning(const std::string& title, const std::string& text) override;
  bool TapeWindowShown() const override { return tape_ != nullptr && tape_->isVisible(); }
  void ShowTapeWindow(bool shown) override;
  void TapeRowAdded() override;
  void ShowLook(Look look) override;

  // SessionControls
  void BeginLockWait(Wait wait, LockWaitView view) override;
  void StopLockWait(Wait wait) override;
  bool LockWaiting(Wait wait) const override;
  ExitChoice AskAtExit(const ExitQuestion& question) override;
  void Warn(const std::string& text) override;
  void TellStandardError(const std::string& line) override;
  std::string FolderShown(const std::string& dir) const override;
  void EnableWindow(bool enabled) override { setEnabled(enabled); }
  void SessionStarted(bool fromFolder) override;
  void HideWindow() override;
  void Stopped() override {
    if (onStopped) onStopped();
  }
  void RunLater(int ms, std::function<void()> work) override;
  bool QuestionsOpen() const override;
  void CloseQuestions() override;

 protected:
  void paintEvent(QPaintEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void changeEvent(QEvent* e) override;
  void moveEvent(QMoveEvent* e) override;

 private:
  void BuildControls();
  void BuildKeys();
  void DescribeControls();
  // The colours of the look in force on the lines, the display, the title
  // line and the focus ring (the pictures are drawn in it).
  void ApplyColours();
  void OnEntryEdited();
  // A byte position of the entry line's text as a position in the line.
  int LinePosition(int byte) const;
  // The display's or a message line's text for a screen reader, told at once
  // and, when not empty, announced with the others once the key's work is done.
  void ShowReadout(QWidget* readout, const QString& text);
  void AnnounceReadouts();
  // Presses the key whose shortcut `key` is (or the pin); false when it is none.
  bool PressShortcut(QKeyCombination key);
  // Where a message box goes: over the window, the splash, or the screen.
  QWidget* BoxParent();

  std::string stateDir_;
  tarvo::CalculatorLogic logic_;
  tarvo::SessionLifecycle session_;
  MessageBoxFn messageBox_;
  DocumentOpener* opener_ = nullptr;
  OpenUrlFn openUrl_;
  ModalHook modalHook_;
  ExitQuestionFn saveFailed_;
  ExitQuestionFn saveOver_;
  PopupFn popup_;
  std::string programDir_;
  bool busy_ = false;
  LockWaitBox* loadWait_ = nullptr;
  LockWaitBox* saveWait_ = nullptr;
  qreal dpr_ = 1;
  Look look_ = Look::kDefault;
  // Why the settings could not be read at the start, for the message line.
  FileResult settingsRead_;
  int page_ = 0;
  bool pinned_ = false;
  FocusRing* focusRing_ = nullptr;

  EntryLine* entryLine_ = nullptr;
  DisplayBox* display_ = nullptr;
  MessageLine* upperMessage_ = nullptr;
  MessageLine* lowerMessage_ = nullptr;
  QLabel* title_ = nullptr;
  TitleButton* minimize_ = nullptr;
  TitleButton* exit_ = nullptr;
  PictureButton* historyReview_ = nullptr;
  PictureButton* selector_ = nullptr;
  PictureButton* alwaysOnTopPin_ = nullptr;
  std::array<KeyImage*, kKeyCount> keys_{};

  Rgb entryColor_ = kBlack;
  bool shiftIndicator_ = false;
  int selectorBorder_ = 1;
  bool normalising_ = false;
  // The line as last accepted and its caret: an edit that would make the
  // line longer than an entry may be is taken back whole.
  QString acceptedText_;
  int acceptedCaret_ = 0;
  // The readouts changed since the last announcement, in the order changed.
  std::vector<QWidget*> toAnnounce_;
  QTimer announcer_;
  // The keypad's shortcuts (QKeyCombination::toCombined()) and their keys,
  // and the pin's.
  QHash<int, tarvo::Key> shortcuts_;
  int pinShortcut_ = 0;
  int tapeShortcut_ = 0;
  // The key a shortcut is pressing, while it runs: its pop-up menu opens
  // at the key rather than at the mouse pointer.
  std::optional<tarvo::Key> shortcutKey_;
  // The key being pressed, by click or shortcut: its menu bears its name.
  std::optional<tarvo::Key> menuKey_;
  TapeWindow* tape_ = nullptr;
  // The tape was open when the window was minimised: it opens again with it.
  bool tapeBeforeMinimised_ = false;
};

}  // namespace tarvo::ui
