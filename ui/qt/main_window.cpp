#include "ui/qt/main_window.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QCursor>
#include <QDesktopServices>
#include <QFileInfo>
#include <QKeySequence>
#include <QTimer>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QPainter>
#include <QThread>
#include <QWindow>

#include "output/draw.h"
#include "ui/logic/keypad.h"
#include "core/entry_encoding.h"
#include "core/variable_rows.h"
#include "ui/qt/accessibles.h"
#include "ui/qt/application.h"
#include "ui/qt/document_opener.h"
#include "ui/qt/key_pictures.h"
#include "ui/qt/popup_menus.h"
#include "ui/qt/variable_list_window.h"

namespace tarvo::ui {
namespace {

// Geometry of the upper part: the dark bezel that carries the
// entry line, the display and the title line.
constexpr int kBezelLeft = 8, kBezelTop = 5, kBezelWidth = 735, kBezelBottom = 117;
constexpr int kTitleTop = 89;

// The trigonometric block's frame, shown while a shift is pending.
constexpr int kTrigFrameWidth = 128, kTrigFrameHeight = 63;

std::string Bytes(const QString& text) { return Utf8ToBytes(text.toStdString()); }

// A binding as a person reads it ("Alt+S") as one key combination.
int Combined(std::string_view keys) {
  const QKeySequence sequence = QKeySequence::fromString(
      QString::fromUtf8(keys.data(), static_cast<qsizetype>(keys.size())), QKeySequence::PortableText);
  return sequence.count() == 1 ? sequence[0].toCombined() : 0;
}

QString Text(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// A help text's two lines as one sentence.
QString OneLine(std::string_view help) {
  return Unicode(std::string(help)).replace(QStringLiteral("\r\n"), QStringLiteral(" ")).simplified();
}

// A question at exit: `save` saves (again), Cancel keeps the window open,
// and the third button (`quit`) quits without saving.
MainWindow::ExitChoice ExitBox(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                                 QMessageBox::StandardButton save, QMessageBox::StandardButton preferred,
                                 const QString& quit, Look look) {
  QMessageBox box(icon, QStringLiteral("Tarvo"), WholeLines(text), save | QMessageBox::Cancel | QMessageBox::Discard,
                  parent);
  StyleBox(&box, look);
  box.setTextFormat(Qt::RichText);
  box.button(QMessageBox::Discard)->setText(quit);
  box.setDefaultButton(preferred);
  const int chosen = RunModal(box);
  if (chosen == save) return MainWindow::ExitChoice::kSave;
  return chosen == QMessageBox::Discard ? MainWindow::ExitChoice::kQuitWithoutSaving : MainWindow::ExitChoice::kStayOpen;
}

// Every window that waits for a person: message boxes, modal windows (the
// variable list, the About box) and menus. Closed, each returns as if the
// user had dismissed it.
void CloseEveryQuestion(const QWidget* keep) {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w == keep || !w->isVisible()) continue;
    if (w->isModal() || qobject_cast<QDialog*>(w) != nullptr || qobject_cast<QMenu*>(w) != nullptr) w->close();
  }
}

}  // namespace

MainWindow::MainWindow(std::string stateDir, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      stateDir_(std::move(stateDir)),
      logic_(*this),
      session_(logic_, *this, stateDir_),
      messageBox_([this](const QString& title, const QString& text) { ShowWarningBox(BoxParent(), title, text, look_); }),
      opener_(new DocumentOpener(this)),
      // A document goes through the opener, which hears of a launcher
      // that fails afterwards.
      openUrl_([this](const QUrl& url) {
        return url.isLocalFile() ? opener_->Open(url.toLocalFile()) : QDesktopServices::openUrl(url);
      }) {
  InstallAccessibles();
  setFixedSize(kWidth, kHeight);
  setWindowTitle(QString());
  setAutoFillBackground(false);
  announcer_.setSingleShot(true);
  announcer_.setInterval(0);
  QObject::connect(&announcer_, &QTimer::timeout, this, [this] { AnnounceReadouts(); });
  opener_->onFailed = [this](const QString& path) { logic_.ManualNotOpened(path.toStdString()); };
  dpr_ = qApp ? qApp->devicePixelRatio() : 1.0;
  // The look is known before anything is drawn: the one chosen in an
  // earlier run, else the desktop's.
  settingsRead_ = logic_.Looks().Load(stateDir_);
  logic_.Looks().SetDesktop(DesktopLook());
  look_ = logic_.Looks().InForce();
  BuildControls();
  BuildKeys();
  focusRing_ = new FocusRing(this);
  ApplyColours();
  // The desktop's scheme changed: where no look was given or chosen, the
  // window takes the desktop's.
  (new DesktopSchemeWatch(this))->onChange = [this] { logic_.DesktopLookChanged(DesktopLook()); };
}

MainWindow::~MainWindow() = default;

void MainWindow::BuildControls() {
  const int w = kBezelWidth;

  entryLine_ = new EntryLine(this);
  entryLine_->setGeometry(19, 13, w - 50, 22);
  entryLine_->setFrame(false);
  entryLine_->setFont(SansFont(15));
  entryLine_->setTextMargins(4, 0, 4, 0);
  // Well beyond the longest entry, so that a longer text arrives whole and
  // is refused whole (OnEntryEdited) instead of being cut at the limit.
  entryLine_->setMaxLength(4 * kMaxEntryLength);
  entryLine_->onShortcut = [this](QKeyCombination key) { return PressShortcut(key); };
  entryLine_->onKeyDown = [this](KeyCode key, int shift) { logic_.EntryKeyDown(key, shift); };
  entryLine_->onKeyPress = [this](int c) { return logic_.EntryKeyPress(c); };
  entryLine_->onMouse = [this] { logic_.EntryLineMouseDown(); };
  entryLine_->onAnnounce = [this](const QString& text) { Announce(display_, text); };
  QObject::connect(entryLine_, &QLineEdit::textChanged, this, [this] { OnEntryEdited(); });
  QObject::connect(entryLine_, &QLineEdit::cursorPositionChanged, this, [this](int, int now) {
    if (!normalising_ && entryLine_->text() == acceptedText_) acceptedCaret_ = now;
  });

  display_ = new DisplayBox(this);
  display_->setGeometry(14, 38, w - 29, 44);

  historyReview_ = new PictureButton(this);
  historyReview_->SetPicture(ReviewPicture(0, dpr_, look_));
  historyReview_->move(display_->x() + display_->width() - historyReview_->width() + 4, 10);
  historyReview_->setToolTip(QStringLiteral("Review last expressions (Up, Down)"));
  historyReview_->onPress = [this](QPoint pt) {
    EntryLine::EditStep step(*entryLine_, EntryLine::EditKind::kCommand);
    logic_.ReviewHistory(pt.y());
    if (!logic_.History().Empty()) historyReview_->SetPicture(ReviewPicture(pt.y() <= 13 ? 1 : 2, dpr_, look_));
  };
  historyReview_->onRelease = [this] { historyReview_->SetPicture(ReviewPicture(0, dpr_, look_)); };

  title_ = new QLabel(this);
  title_->setTextFormat(Qt::RichText);
  title_->setFont(SansFont(12));
  title_->move(20, kTitleTop + 3);
  (new WindowDrag(this))->Watch(title_);

  alwaysOnTopPin_ = new PictureButton(this);
  alwaysOnTopPin_->SetPicture(AlwaysVisiblePicture(false, dpr_, look_));
  alwaysOnTopPin_->SetOn(false);
  alwaysOnTopPin_->move(596, kTitleTop + 5);
  alwaysOnTopPin_->setToolTip(QStringLiteral("Always visible (%1)").arg(Text(kPinBinding)));
  alwaysOnTopPin_->onClick = [this] { logic_.ToggleAlwaysOnTop(); };

  minimize_ = new TitleButton(QStringLiteral("Minimize"), this);
  minimize_->setFont(SansFont(12));
  minimize_->adjustSize();
  minimize_->move(628, kTitleTop + 6);
  minimize_->onClick = [this] {
    setWindowTitle(QStringLiteral("Tarvo"));
    showMinimized();
  };
  exit_ = new TitleButton(QStringLiteral("Exit"), this);
  exit_->setFont(SansFont(12));
  exit_->adjustSize();
  exit_->move(702, kTitleTop + 6);
  exit_->onClick = [this] {
    FocusEntry();
    close();
  };

  for (MessageLine** label : {&upperMessage_, &lowerMessage_}) {
    *label = new MessageLine(this);
    (*label)->setFont(SansFont(12));
    (*label)->setTextFormat(Qt::PlainText);
  }
  upperMessage_->setGeometry(kMessageLeft + 4, 127, kMessageWidth - 8, 16);
  lowerMessage_->setGeometry(kMessageLeft + 4, 143, kMessageWidth - 8, 16);

  selector_ = new PictureButton(this);
  selector_->SetPicture(PageSelectorPicture(0, dpr_, look_));
  selector_->move(kSelectorLeft, kSelectorTop);
  selector_->setToolTip(QStringLiteral("Keypad page (Ctrl alone)"));
  selector_->onPress = [this](QPoint) { logic_.PressPageSelector(); };
  selector_->onRelease = [this] { logic_.ReleasePageSelector(); };
  selector_->onClick = [this] {
    logic_.TurnKeypadPage();
    FocusEntry();
  };
}

void MainWindow::BuildKeys() {
  for (const KeyDef& row : KeyTable()) {
    const tarvo::Key k = row.key;
    auto* key = new KeyImage(k, KeyPicture(k, false, dpr_, look_), KeyPicture(k, true, dpr_, look_), this);
    key->move(row.left, row.top);
    key->onPress = [this, k](QPoint) { logic_.HoldKey(k); };
    key->onRelease = [this, k] { logic_.ReleaseKey(k); };
    key->onClick = [this, k] {
      EntryLine::EditStep step(*entryLine_, EntryLine::EditKind::kCommand);
      menuKey_ = k;
      logic_.ClickKey(k);
      menuKey_.reset();
    };
    keys_[IndexOf(k)] = key;
    if (!row.binding.typed) shortcuts_.insert(Combined(row.binding.keys), k);
  }
  pinShortcut_ = Combined(kPinBinding);
  tapeShortcut_ = Combined(kTapeBinding);
  DescribeControls();
}

// Names and descriptions for a screen reader, tooltips naming each key's
// binding, and a focus order that starts at the entry line and reads the
// result and the messages after it.
void MainWindow::DescribeControls() {
  for (const KeyDef& row : KeyTable()) {
    KeyImage* key = Key(row.key);
    const QString caption = Text(row.caption);
    const QString binding = Text(row.binding.keys);
    const QString help = OneLine(row.help);
    key->setAccessibleName(caption);
    key->setAccessibleDescription(help.isEmpty() ? QStringLiteral("Key: %1").arg(binding)
                                                 : QStringLiteral("%1. Key: %2").arg(help, binding));
    key->setToolTip(QStringLiteral("%1   (%2)").arg(caption, binding));
    const bool oneOfGroup = row.role == KeyRole::kOutput || row.role == KeyRole::kAngleUnit;
    const bool onOff = row.role == KeyRole::kArc || row.role == KeyRole::kHyp;
    key->SetToggles(oneOfGroup ? KeyImage::kOneOfGroup : onOff ? KeyImage::kOnOff : KeyImage::kNoToggle);
  }
  // The caption stays empty, as the window shows none; a screen reader
  // still says which window it is in.
  setAccessibleName(QStringLiteral("Tarvo Scientific Calculator"));
  entryLine_->setAccessibleName(QStringLiteral("Entry"));
  entryLine_->setAccessibleDescription(QStringLiteral("The calculation to work out; Enter calculates it"));
  display_->setAccessibleDescription(QStringLiteral("Result"));
  upperMessage_->setAccessibleDescription(QStringLiteral("Message"));
  lowerMessage_->setAccessibleDescription(QStringLiteral("Message, second line"));
  selector_->setAccessibleName(QStringLiteral("Keypad page"));
  selector_->setAccessibleDescription(QStringLiteral("Switches between the two keypad pages. Key: Ctrl alone"));
  historyReview_->setAccessibleName(QStringLiteral("Review last expressions"));
  historyReview_->setAccessibleDescription(QStringLiteral("Upper half: older entry (Up), lower half: newer entry (Down)"));
  alwaysOnTopPin_->setAccessibleName(QStringLiteral("Always visible"));
  alwaysOnTopPin_->setAccessibleDescription(
      QStringLiteral("Keeps the window above all others, or stops doing so. Key: %1").arg(Text(kPinBinding)));
  minimize_->setAccessibleName(minimize_->text());
  exit_->setAccessibleName(exit_->text());
  minimize_->setAccessibleDescription(QStringLiteral("Minimizes the window"));
  exit_->setAccessibleDescription(QStringLiteral("Closes the calculator. Key: Esc"));
  exit_->setToolTip(QStringLiteral("Exit (Esc)"));
  entryLine_->setFocusPolicy(Qt::StrongFocus);
  for (QWidget* w : {static_cast<QWidget*>(display_), static_cast<QWidget*>(upperMessage_), static_cast<QWidget*>(lowerMessage_)})
    w->setFocusPolicy(Qt::TabFocus);
  setTabOrder(entryLine_, display_);
  setTabOrder(display_, upperMessage_);
  setTabOrder(upperMessage_, lowerMessage_);
  for (QWidget* w : {static_cast<QWidget*>(display_), static_cast<QWidget*>(upperMessage_), static_cast<QWidget*>(lowerMessage_)})
    w->installEventFilter(this);
}

bool MainWindow::PressShortcut(QKeyCombination key) {
  if (key.toCombined() == pinShortcut_) {
    logic_.ToggleAlwaysOnTop();
    return true;
  }
  if (key.toCombined() == tapeShortcut_) {
    logic_.ToggleTape();
    return true;
  }
  const auto found = shortcuts_.constFind(key.toCombined());
  if (found == shortcuts_.constEnd()) return false;
  shortcutKey_ = menuKey_ = found.value();
  logic_.ClickKey(found.value());
  shortcutKey_.reset();
  menuKey_.reset();
  return true;
}

// A box at start belongs over the splash, which stays on top, until the
// window itself is up.
QWidget* MainWindow::BoxParent() {
  if (isVisible()) return this;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->isVisible() && dynamic_cast<SplashWindow*>(w) != nullptr) return w;
  return nullptr;
}

KeyImage* MainWindow::Key(tarvo::Key key) const { return IsKey(key) ? keys_[IndexOf(key)] : nullptr; }

QMessageBox* MainWindow::LockWaitMessage() const {
  for (const LockWaitBox* wait : {loadWait_, saveWait_})
    if (wait != nullptr && wait->Box() != nullptr) return wait->Box();
  return nullptr;
}

// ---- SessionControls -------------------------------------------------------

void MainWindow::BeginLockWait(Wait wait, LockWaitView view) {
  LockWaitBox*& box = wait == Wait::kStart ? loadWait_ : saveWait_;
  if (box == nullptr) {
    box = new LockWaitBox(this);
    box->onBoxMade = [this](QMessageBox* made) { StyleBox(made, look_); };
  }
  QStringList choices;
  for (const std::string& choice : view.choices) choices << QString::fromStdString(choice);
  box->Begin([text = std::move(view.text)](pid_t holder) { return QString::fromStdString(text(holder)); },
             choices, std::move(view.attempt), std::move(view.chosen));
}

void MainWindow::StopLockWait(Wait wait) {
  if (LockWaitBox* box = wait == Wait::kStart ? loadWait_ : saveWait_) box->Stop();
}

bool MainWindow::LockWaiting(Wait wait) const {
  const LockWaitBox* box = wait == Wait::kStart ? loadWait_ : saveWait_;
  return box != nullptr && box->Waiting();
}

ExitChoice MainWindow::AskAtExit(const ExitQuestion& question) {
  const QString text = QString::fromStdString(question.text);
  if (question.kind == ExitQuestion::Kind::kSaveFailed)
    return saveFailed_ ? saveFailed_(text)
                       : ExitBox(this, QMessageBox::Warning, text, QMessageBox::Retry, QMessageBox::Retry,
                                 QString::fromStdString(question.quit), look_);
  return saveOver_ ? saveOver_(text)
                   : ExitBox(this, QMessageBox::Question, text, QMessageBox::Save, QMessageBox::Cancel,
                             QString::fromStdString(question.quit), look_);
}

void MainWindow::Warn(const std::string& text) { messageBox_(QStringLiteral("Tarvo"), QString::fromStdString(text)); }

void MainWindow::TellStandardError(const std::string& line) { tarvo::ui::TellStandardError(QString::fromStdString(line)); }

std::string MainWindow::FolderShown(const std::string& dir) const {
  return QFileInfo(QString::fromStdString(dir)).absoluteFilePath().toStdString();
}

void MainWindow::SessionStarted(bool fromFolder) {
  if (fromFolder) {
    // A settings file that could not be read leaves the desktop's look.
    if (!settingsRead_.ok) SetLowerMessage("The settings could not be read: " + settingsRead_.reason + " ");
    // The start's calculation of "0" is no news.
    toAnnounce_.clear();
    announcer_.stop();
  }
  FocusEntry();
}

void MainWindow::HideWindow() {
  if (tape_ != nullptr) tape_->hide();
  hide();
}

void MainWindow::RunLater(int ms, std::function<void()> work) { QTimer::singleShot(ms, this, std::move(work)); }

// A question's own event loop counts too: the work it interrupted is not
// done while it runs.
bool MainWindow::QuestionsOpen() const {
  return QThread::currentThread()->loopLevel() > 1 || QApplication::activeModalWidget() != nullptr ||
         QApplication::activePopupWidget() != nullptr;
}

void MainWindow::CloseQuestions() { CloseEveryQuestion(this); }

// ---- MainControls ----------------------------------------------------------

std::string MainWindow::EntryText() const { return Bytes(entryLine_->text()); }

// Through the line's own editing, changing only what differs: completing
// "(2" to "(2)" inserts the ")".
void MainWindow::SetEntryText(const std::string& text) {
  entryLine_->ChangeTo(Unicode(text));
  entryLine_->setCursorPosition(static_cast<int>(entryLine_->text().size()));
}

void MainWindow::ReplaceEntryText(int start, int length, const std::string& text) {
  const int size = static_cast<int>(EntryText().size());
  start = std::clamp(start, 0, size);
  length = std::clamp(length, 0, size - start);
  const int from = LinePosition(start);
  entryLine_->Replace(from, LinePosition(start + length) - from, Unicode(text));
}

int MainWindow::LinePosition(int byte) const {
  const std::string bytes = EntryText();
  return static_cast<int>(Unicode(bytes.substr(0, std::min(static_cast<size_t>(std::max(byte, 0)), bytes.size()))).size());
}

// The line shows one sign per byte, so character positions and byte positions
// agree; they are still counted through the bytes so that nothing the user
// pasted can put them out of step.
int MainWindow::SelectionStart() const {
  const int pos = entryLine_->hasSelectedText() ? entryLine_->selectionStart() : entryLine_->cursorPosition();
  return static_cast<int>(Bytes(entryLine_->text().left(pos)).size());
}

int MainWindow::SelectionLength() const {
  return entryLine_->hasSelectedText() ? static_cast<int>(Bytes(entryLine_->selectedText()).size()) : 0;
}

void MainWindow::SetSelection(int start, int length) {
  const int size = static_cast<int>(EntryText().size());
  start = std::clamp(start, 0, size);
  length = std::clamp(length, 0, size - start);
  const int from = LinePosition(start), to = LinePosition(start + length);
  if (to > from) entryLine_->setSelection(from, to - from);
  else entryLine_->setCursorPosition(from);
}

void MainWindow::SetEntryColor(Rgb color) {
  entryColor_ = color;
  SetColours(entryLine_, {{QPalette::Text, Ink(look_, color)}});
}

void MainWindow::FocusEntry() { entryLine_->setFocus(Qt::OtherFocusReason); }

void MainWindow::SetUpperMessage(const std::string& text) {
  upperMessage_->setText(Unicode(text));
  ShowReadout(upperMessage_, upperMessage_->text().trimmed());
}

void MainWindow::SetLowerMessage(const std::string& text) {
  lowerMessage_->setText(Unicode(text));
  ShowReadout(lowerMessage_, lowerMessage_->text().trimmed());
}

// Always followed by a drawing, which gives the display its new name.
void MainWindow::ClearDisplay() { display_->Clear(); }

// The drawing puts exponents and the root's bar in places a reader cannot
// hear; the display's name is its result as the console prints it.
void MainWindow::DrawResultText(const std::string& text) {
  DrawResult(text, *display_);
  ShowReadout(display_, Unicode(PlainResultText(text)));
}

void MainWindow::ShowReadout(QWidget* readout, const QString& text) {
  if (text.isEmpty() && readout->accessibleName().isEmpty()) return;  // nothing shown, nothing new
  Tell(readout, QAccessible::NameChanged, text);
  if (text.isEmpty()) return;
  if (std::find(toAnnounce_.begin(), toAnnounce_.end(), readout) == toAnnounce_.end()) toAnnounce_.push_back(readout);
  announcer_.start();
}

// What the display and the message lines show once a key's work is done,
// as one announcement (two would cut each other short).
void MainWindow::AnnounceReadouts() {
  QString sentence;
  for (QWidget* readout : {static_cast<QWidget*>(display_), static_cast<QWidget*>(upperMessage_),
                           static_cast<QWidget*>(lowerMessage_)}) {
    const QString text = readout->accessibleName();
    if (text.isEmpty() || std::find(toAnnounce_.begin(), toAnnounce_.end(), readout) == toAnnounce_.end()) continue;
    if (!sentence.isEmpty()) sentence += sentence.endsWith(u'.') ? QStringLiteral(" ") : QStringLiteral(". ");
    sentence += text;
  }
  toAnnounce_.clear();
  if (!sentence.isEmpty()) Announce(display_, sentence);
}

void MainWindow::Beep() { QApplication::beep(); }

void MainWindow::SetClipboardText(const std::string& text) {
  if (QClipboard* clip = QGuiApplication::clipboard()) clip->setText(Unicode(text));
}

void MainWindow::SetBusy(bool busy) {
  busy_ = busy;
  if (busy) QApplication::setOverrideCursor(Qt::WaitCursor);
  else if (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
}

void MainWindow::SetKeyLit(tarvo::Key key, bool lit) {
  if (KeyImage* k = Key(key)) k->SetLit(lit);
}

int MainWindow::PopupMenu(const std::vector<MenuEntry>& entries) {
  if (popup_) return popup_(entries);
  QMenu menu(this);
  StyleBox(&menu, look_);
  const KeyImage* opener = menuKey_ ? Key(*menuKey_) : nullptr;
  EquipMenu(&menu, opener != nullptr ? opener->accessibleName() : QString(),
            [this](const QString& text) { Announce(display_, text); });
  std::vector<QAction*> actions;
  for (const MenuEntry& e : entries) {
    if (e.separator) {
      actions.push_back(menu.addSeparator());
      continue;
    }
    QAction* a = menu.addAction(Unicode(e.caption));
    a->setCheckable(e.checkable);
    a->setChecked(e.checked);
    actions.push_back(a);
  }
  // From the keyboard the menu opens under its key and takes the arrow keys
  // and Enter.
  const KeyImage* key = shortcutKey_ ? Key(*shortcutKey_) : nullptr;
  QAction* chosen = menu.exec(key != nullptr ? key->mapToGlobal(QPoint(0, key->height())) : QCursor::pos());
  if (chosen == nullptr) chosen = PressedEntry(&menu);
  for (size_t i = 0; i < actions.size(); ++i)
    if (chosen != nullptr && actions[i] == chosen) return static_cast<int>(i);
  return -1;
}

void MainWindow::MoveKey(tarvo::Key key, int left, int top) {
  if (KeyImage* k = Key(key)) k->move(left, top);
}

void MainWindow::SetKeyVisible(tarvo::Key key, bool visible) {
  if (KeyImage* k = Key(key)) k->setVisible(visible);
}

void MainWindow::SetShiftIndicatorVisible(bool visible) {
  if (shiftIndicator_ == visible) return;
  shiftIndicator_ = visible;
  update(QRect(kTrigFrameLeft - 2, kTrigFrameTop - 2, kTrigFrameWidth + 4, kTrigFrameHeight + 4));
}

void MainWindow::SetPagePicture(int page) {
  page_ = page;
  selector_->SetPicture(PageSelectorPicture(page, dpr_, look_));
}

void MainWindow::SetPageSelectorPressed(bool pressed) {
  selectorBorder_ = pressed ? 2 : 1;
  update(QRect(kSelectorFrameLeft - 2, kSelectorFrameTop - 2, kSelectorWidth + 8, kSelectorHeight + 8));
}

void MainWindow::SetAlwaysOnTop(bool on) {
  // The window's own flags change in place: set through the widget, they
  // would hide it and show it anew as another native window, which has the
  // keyboard only where a window manager gives it back (on an X server
  // without one, the keys typed next would go nowhere). A compositor may
  // ignore the request, which is no fault.
  const Qt::WindowFlags flags = windowFlags().setFlag(Qt::WindowStaysOnTopHint, on);
  overrideWindowFlags(flags);
  if (QWindow* shown = windowHandle()) shown->setFlags(flags);
  pinned_ = on;
  alwaysOnTopPin_->SetPicture(AlwaysVisiblePicture(on, dpr_, look_));
  alwaysOnTopPin_->SetOn(on);
}

// A Wayland compositor alone decides which window stays on top: the
// request reaches no one.
bool MainWindow::CanKeepOnTop() const { return !QGuiApplication::platformName().startsWith(QLatin1String("wayland")); }

void MainWindow::SetLookForThisRun(std::optional<Look> look) {
  logic_.Looks().SetThisRun(look);
  if (logic_.Looks().InForce() != look_) ShowLook(logic_.Looks().InForce());
}

void MainWindow::ShowLook(Look look) {
  look_ = look;
  for (KeyImage* key : keys_) key->SetPictures(KeyPicture(key->Key(), false, dpr_, look), KeyPicture(key->Key(), true, dpr_, look));
  selector_->SetPicture(PageSelectorPicture(page_, dpr_, look));
  alwaysOnTopPin_->SetPicture(AlwaysVisiblePicture(pinned_, dpr_, look));
  historyReview_->SetPicture(ReviewPicture(0, dpr_, look));
  ApplyColours();
  if (tape_ != nullptr) tape_->ShowLook(look);
  update();
}

void MainWindow::ApplyColours() {
  const LookColours& c = ColoursOf(look_);
  // The style's own selection where it serves (the default look).
  const QPalette style = QApplication::palette(entryLine_);
  const bool own = look_ != Look::kDefault;
  SetColours(entryLine_, {{QPalette::Base, c.entryBase},
                          {QPalette::Text, Ink(look_, entryColor_)},
                          {QPalette::Highlight, own ? c.selection : style.color(QPalette::Highlight)},
                          {QPalette::HighlightedText, own ? c.selectedText : style.color(QPalette::HighlightedText)}});
  for (QLabel* line : {static_cast<QLabel*>(upperMessage_), static_cast<QLabel*>(lowerMessage_)}) {
    QPalette lp = line->palette();
    lp.setColor(QPalette::WindowText, c.message);
    line->setPalette(lp);
  }
  display_->SetLook(look_);
  title_->setText(QStringLiteral("<span style='color:%1; font-size:16px; font-weight:bold; letter-spacing:2px'>TARVO</span>"
                                 "&nbsp;&nbsp;<span style='color:%2; font-size:12px'>Scientific Calculator</span>")
                      .arg(c.title.name(), c.subtitle.name()));
  title_->adjustSize();
  minimize_->SetRestingColor(c.titleButton);
  exit_->SetRestingColor(c.titleButton);
  minimize_->SetPressedColor(c.titleButtonPressed);
  exit_->SetPressedColor(c.titleButtonPressed);
  focusRing_->SetLook(look_);
}

void MainWindow::ShowVariableListWindow(const std::optional<VariableListShow>& shown) {
  VariableListWindow list(logic_.Calc(), kListOpen, shown, this);
  list.ShowLook(look_);
  // Centred over the calculator, whose keypad it covers while it is open.
  list.move(geometry().center() - QPoint(VariableListWindow::kWidth / 2, VariableListWindow::kHeight / 2));
  if (modalHook_) {
    QTimer::singleShot(0, &list, [this, &list] { modalHook_(&list); });
  }
  RunModal(list);
  FocusEntry();
}

void MainWindow::ShowTapeWindow(bool shown) {
  if (!shown) {
    if (tape_ != nullptr) tape_->close();
    return;
  }
  if (tape_ == nullptr) {
    tape_ = new TapeWindow(logic_, this);
    tape_->ShowLook(look_);
    // Typed there, a key goes on in the entry line, as from the display.
    tape_->onOtherKey = [this](QKeyEvent* e) {
      activateWindow();
      FocusEntry();
      QCoreApplication::sendEvent(entryLine_, e);
    };
    tape_->onLeave = [this] {
      activateWindow();
      FocusEntry();
    };
    tape_->readouts = [this] {
      return QRect(entryLine_->mapToGlobal(QPoint(0, 0)), entryLine_->size())
          .united(QRect(display_->mapToGlobal(QPoint(0, 0)), display_->size()));
    };
  }
  tape_->Open();
}

void MainWindow::TapeRowAdded() {
  if (TapeWindowShown()) tape_->Logic().RowAdded();
}

void MainWindow::ShowAboutBox() {
  SplashWindow about;
  about.openUrl = openUrl_;
  about.messageBox = messageBox_;
  about.move(geometry().center() - QPoint(about.width() / 2, about.height() / 2));
  about.RunAbout(modalHook_);
  TakeKeyboardBack(this);
  FocusEntry();
}

std::string MainWindow::ProgramDirectory() const {
  if (!programDir_.empty()) return programDir_;
  return QCoreApplication::applicationDirPath().toStdString();
}

bool MainWindow::FileExists(const std::string& path) const {
  const QFileInfo info(QString::fromStdString(path));
  return info.isFile() && info.isReadable();
}

bool MainWindow::OpenDocument(const std::string& path) {
  return openUrl_(QUrl::fromLocalFile(QString::fromStdString(path)));
}

bool MainWindow::OpenUrl(const std::string& url) { return openUrl_(QUrl(Unicode(url))); }

void MainWindow::ShowWarning(const std::string& title, const std::string& text) {
  messageBox_(Unicode(title), Unicode(text));
}

// ---- Events ----------------------------------------------------------------

void MainWindow::OnEntryEdited() {
  if (normalising_) return;
  // Typed, pasted or dropped: a text that would make the entry too long is
  // refused whole, never cut.
  if (entryLine_->text().size() > kMaxEntryLength &&
      !logic_.EntryFits(Bytes(entryLine_->text()).size())) {
    normalising_ = true;
    entryLine_->ChangeTo(acceptedText_);
    entryLine_->setCursorPosition(std::min(acceptedCaret_, static_cast<int>(acceptedText_.size())));
    normalising_ = false;
    return;
  }
  // Whatever came in (a paste, say) is shown as the signs its bytes stand
  // for, one character per byte.
  const QString text = entryLine_->text();
  const QString normal = Unicode(Bytes(text));
  if (normal != text) {
    normalising_ = true;
    const int caret = entryLine_->cursorPosition();
    entryLine_->ChangeTo(normal);
    entryLine_->setCursorPosition(std::min(caret, static_cast<int>(normal.size())));
    normalising_ = false;
  }
  acceptedText_ = entryLine_->text();
  acceptedCaret_ = entryLine_->cursorPosition();
  logic_.EntryLineChanged();
}

void MainWindow::paintEvent(QPaintEvent*) {
  const LookColours& c = ColoursOf(look_);
  QPainter p(this);
  p.fillRect(rect(), c.window);
  p.setRenderHint(QPainter::Antialiasing);

  // The bezel around the entry line, the display and the title line.
  QLinearGradient bezel(0, kBezelTop, 0, kBezelBottom);
  bezel.setColorAt(0, c.bezelTop);
  bezel.setColorAt(1, c.bezelBottom);
  p.setPen(QPen(c.bezelEdge, 1));
  p.setBrush(bezel);
  p.drawRoundedRect(QRectF(kBezelLeft + 0.5, kBezelTop + 0.5, kBezelWidth, kBezelBottom - kBezelTop), 8, 8);
  p.setPen(QPen(c.flat ? c.bezelEdge : QColor(255, 255, 255, 40), 1));
  p.drawLine(QPointF(kBezelLeft + 10, kTitleTop - 1.5), QPointF(kBezelLeft + kBezelWidth - 10, kTitleTop - 1.5));
  // On a flat bezel the entry line, as dark as it, needs an edge of its own.
  if (c.flat) {
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(c.displayEdge, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(entryLine_->geometry().adjusted(-2, -2, 1, 1));
  }

  // The keypad panel: its boxes and etched lines, exactly where they belong.
  p.setRenderHint(QPainter::Antialiasing, false);
  for (const PanelShape& s : kPanelShapes) {
    const QColor shape = PanelColour(look_, s);
    const QRect box(QPoint(std::min(s.x0, s.x1), std::min(s.y0, s.y1)), QPoint(std::max(s.x0, s.x1), std::max(s.y0, s.y1)));
    switch (s.kind) {
      case PanelShape::kFilledBox: p.fillRect(box, shape); break;
      case PanelShape::kBox:
        p.setPen(QPen(shape, 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(box.adjusted(0, 0, -1, -1));
        break;
      case PanelShape::kLine:
        p.setPen(QPen(shape, 1));
        p.drawLine(s.x0, s.y0, s.x1, s.y1);
        break;
    }
  }

  // The wells the keys sit in.
  for (const KeyDef& row : KeyTable()) p.drawPixmap(row.left - 2, row.top - 2, KeyFrame(row.key, dpr_, look_));

  // The page selector's frame (ShapeSELTEC), wider while pressed.
  p.setPen(QPen(c.selectorFrame, selectorBorder_));
  p.setBrush(Qt::NoBrush);
  const qreal inset = selectorBorder_ / 2.0;
  p.drawRect(QRectF(kSelectorFrameLeft + inset - 0.5, kSelectorFrameTop + inset - 0.5,
                    kSelectorWidth + 2 - selectorBorder_ + 1, kSelectorHeight + 2 - selectorBorder_ + 1));

  // The shift indicator (ShapeTRIHIP) around the trigonometric keys.
  if (shiftIndicator_) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(c.shiftFrame, c.shiftFrameWidth));
    p.drawRoundedRect(QRectF(kTrigFrameLeft + 1, kTrigFrameTop + 1, kTrigFrameWidth - 2, kTrigFrameHeight - 2), 5, 5);
  }
}

// After Tab the display or a message line has the focus, so that a reader
// can go through them; a key typed there is the entry line's.
bool MainWindow::eventFilter(QObject* watched, QEvent* e) {
  if (e->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, e);
  const int key = static_cast<QKeyEvent*>(e)->key();
  if (key == Qt::Key_Tab || key == Qt::Key_Backtab) return false;
  FocusEntry();
  QCoreApplication::sendEvent(entryLine_, e);
  return true;
}

void MainWindow::closeEvent(QCloseEvent* e) {
  if (!session_.CloseAsked()) {
    e->ignore();
    return;
  }
  if (tape_ != nullptr) tape_->hide();
  e->accept();
}

void MainWindow::changeEvent(QEvent* e) {
  // The caption shows only on the task bar while the window is minimised,
  // and the tape goes and comes back with the window.
  if (e->type() == QEvent::WindowStateChange && !isMinimized()) {
    setWindowTitle(QString());
    if (std::exchange(tapeBeforeMinimised_, false) && tape_ != nullptr) tape_->show();
  }
  if (e->type() == QEvent::WindowStateChange && isMinimized() && TapeWindowShown()) {
    tapeBeforeMinimised_ = true;
    tape_->hide();
  }
  if (e->type() == QEvent::ActivationChange && isActiveWindow()) FocusEntry();
  QWidget::changeEvent(e);
}

void MainWindow::moveEvent(QMoveEvent* e) {
  if (TapeWindowShown()) tape_->FollowCalculator();
  QWidget::moveEvent(e);
}

}  // namespace tarvo::ui
