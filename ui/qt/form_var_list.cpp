#include "ui/qt/form_var_list.h"
#include "ui/qt/widgets.h"

#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

#include "ui/logic/symbols.h"

namespace tarvo::ui {
namespace {

// The main window's colours: its light panel, its dark bezel, the entry
// line's pale green.
constexpr QColor kBackground(236, 236, 236);
constexpr QColor kListBase(236, 242, 232);
constexpr int kListLeft = 14, kListTop = 40;
constexpr int kBezelMargin = 6;

void SetTextColor(QWidget* w, const QColor& c) {
  QPalette pal = w->palette();
  pal.setColor(QPalette::WindowText, c);
  w->setPalette(pal);
}

}  // namespace

TextButton::TextButton(const QString& text, QWidget* parent) : QLabel(text, parent) {
  setFocusPolicy(Qt::NoFocus);
  setCursor(Qt::PointingHandCursor);
}

void TextButton::mousePressEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton && onPress) onPress();
}

void TextButton::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  // The press moved the label; where the pointer was released is judged
  // against where the label rests now.
  const bool inside = rect().contains(e->position().toPoint());
  if (onRelease) onRelease();
  if (inside && onClick) onClick();
}

FormVarList::FormVarList(tarvo::Engine& engine, int listMode, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), logic_(*this, engine, listMode) {
  setFixedSize(kWidth, kHeight);
  setWindowTitle(QStringLiteral("List of variables"));
  setModal(true);

  label4_ = new QLabel(QStringLiteral("List of variables"), this);
  label4_->setFont(SansFont(13, true));
  SetTextColor(label4_, QColor(24, 28, 40));
  label4_->adjustSize();
  label4_->move(14, 9);
  (new WindowDrag(this))->Watch(label4_);

  label2_ = MakeButton(VarListButton::kCopy, QStringLiteral("Copy"));
  label1_ = MakeButton(VarListButton::kClear, QStringLiteral("Clear"));
  label6_ = MakeButton(VarListButton::kExit, QStringLiteral("Exit"));

  list1_ = new QListWidget(this);
  list1_->setGeometry(kListLeft, kListTop, kWidth - 2 * kListLeft, kHeight - kListTop - 14);
  list1_->setFont(ListFont());
  list1_->setFrameShape(QFrame::NoFrame);
  list1_->setSelectionMode(QAbstractItemView::SingleSelection);
  QPalette lp = list1_->palette();
  lp.setColor(QPalette::Base, kListBase);
  lp.setColor(QPalette::Text, Qt::black);
  list1_->setPalette(lp);

  logic_.Form_Load();
}

FormVarList::~FormVarList() {
  // A window destroyed without being closed still leaves no complex pair.
  if (!unloaded_) logic_.Form_Unload();
}

TextButton* FormVarList::MakeButton(VarListButton b, const QString& text) {
  auto* button = new TextButton(text, this);
  button->setFont(SansFont(13, false));
  button->adjustSize();
  // SetButtonLook finds the button through its member.
  switch (b) {
    case VarListButton::kCopy: label2_ = button; break;
    case VarListButton::kClear: label1_ = button; break;
    case VarListButton::kExit: label6_ = button; break;
  }
  SetButtonLook(b, kVarListButtonColor, VarListButtonLeft(b), kVarListButtonTop);
  button->onPress = [this, b] { logic_.Button_MouseDown(b); };
  button->onRelease = [this, b] { logic_.Button_MouseUp(b); };
  button->onClick = [this, b] {
    switch (b) {
      case VarListButton::kCopy: logic_.Label2_Click(); break;
      case VarListButton::kClear: logic_.Label1_Click(); break;
      case VarListButton::kExit: logic_.Label6_Click(); break;
    }
  };
  return button;
}

TextButton* FormVarList::Button(VarListButton b) const {
  switch (b) {
    case VarListButton::kCopy: return label2_;
    case VarListButton::kClear: return label1_;
    case VarListButton::kExit: return label6_;
  }
  return nullptr;
}

QStringList FormVarList::ShownRows() const {
  QStringList rows;
  for (int i = 0; i < list1_->count(); ++i) rows << list1_->item(i)->text();
  return rows;
}

QFont FormVarList::ListFont() {
  QFont f = QFontDatabase::hasFamily(QStringLiteral("Courier New")) ? QFont(QStringLiteral("Courier New"))
                                                                    : QFontDatabase::systemFont(QFontDatabase::FixedFont);
  f.setStyleHint(QFont::Monospace);
  f.setFixedPitch(true);
  f.setPixelSize(14);
  return f;
}

// ---- VarListControls -------------------------------------------------------

void FormVarList::ClearList() { list1_->clear(); }

void FormVarList::AddRow(const std::string& row) { list1_->addItem(Unicode(row)); }

void FormVarList::SetButtonEnabled(VarListButton b, bool enabled) {
  if (TextButton* button = Button(b)) button->setEnabled(enabled);
}

void FormVarList::SetButtonLook(VarListButton b, Rgb color, int left, int top) {
  TextButton* button = Button(b);
  if (button == nullptr) return;
  // The colour of an enabled button; a disabled one keeps the greyed text
  // that tells it has nothing to act on.
  QPalette pal = button->palette();
  for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive})
    pal.setColor(g, QPalette::WindowText, QColor(color.r, color.g, color.b));
  pal.setColor(QPalette::Disabled, QPalette::WindowText, QColor(160, 162, 170));
  button->setPalette(pal);
  button->move(left, top);
}

void FormVarList::SetClipboardText(const std::string& text) {
  if (QClipboard* clip = QGuiApplication::clipboard()) clip->setText(Unicode(text));
}

void FormVarList::SetDefaultPointer() {
  while (QApplication::overrideCursor() != nullptr) QApplication::restoreOverrideCursor();
}

// ---- Events ----------------------------------------------------------------

void FormVarList::done(int r) {
  if (!unloaded_) {
    unloaded_ = true;
    logic_.Form_Unload();
  }
  QDialog::done(r);
}

void FormVarList::keyPressEvent(QKeyEvent* e) {
  // Escape goes through the logic, not QDialog's own reject.
  if (e->key() == Qt::Key_Escape) {
    logic_.Form_KeyDown(kVarListKeyEscape);
    return;
  }
  QDialog::keyPressEvent(e);
}

void FormVarList::changeEvent(QEvent* e) {
  if (e->type() == QEvent::ActivationChange && isActiveWindow()) logic_.Form_Activate();
  QDialog::changeEvent(e);
}

void FormVarList::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), kBackground);
  p.setRenderHint(QPainter::Antialiasing);
  // The list sits in the same dark bezel as the main window's display.
  QLinearGradient bezel(0, kListTop - kBezelMargin, 0, height() - 8);
  bezel.setColorAt(0, QColor(70, 74, 84));
  bezel.setColorAt(1, QColor(34, 36, 42));
  p.setPen(QPen(QColor(20, 20, 24), 1));
  p.setBrush(bezel);
  const QRect list = list1_->geometry();
  p.drawRoundedRect(QRectF(list.adjusted(-kBezelMargin, -kBezelMargin, kBezelMargin, kBezelMargin)).adjusted(0.5, 0.5, -0.5, -0.5), 7, 7);
  // A frameless window needs an edge of its own.
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setPen(QPen(QColor(120, 124, 134), 1));
  p.setBrush(Qt::NoBrush);
  p.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace tarvo::ui
