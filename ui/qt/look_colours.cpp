#include "ui/qt/look_colours.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QStyleHints>
#include <QtGlobal>
#include <cmath>

#include "ui/logic/variable_list_logic.h"

namespace tarvo::ui {
namespace {

LookColours DefaultColours() {
  LookColours c;
  c.window = QColor(236, 236, 236);
  c.bezelTop = QColor(70, 74, 84), c.bezelBottom = QColor(34, 36, 42), c.bezelEdge = QColor(20, 20, 24);
  c.title = Qt::white, c.subtitle = QColor(184, 196, 216), c.titleButton = Qt::white;
  c.entryBase = QColor(236, 242, 232), c.entryText = Qt::black;
  c.errorText = QColor(kErrorRed.r, kErrorRed.g, kErrorRed.b);
  c.noticeText = QColor(kNoticeGreen.r, kNoticeGreen.g, kNoticeGreen.b);
  c.displayTop = QColor(196, 212, 190), c.displayMiddle = QColor(210, 224, 204), c.displayBottom = QColor(190, 206, 184);
  c.displayEdge = QColor(120, 136, 116), c.displayText = QColor(28, 36, 30);
  c.message = QColor(24, 28, 40);
  c.listBase = QColor(236, 242, 232), c.listText = Qt::black;
  // The style's own selection (white on a light blue, 3.5:1) is too faint
  // for the tape's and the list's current row.
  c.selection = QColor(30, 90, 170), c.selectedText = Qt::white;
  c.button = QColor(kVarListButtonColor.r, kVarListButtonColor.g, kVarListButtonColor.b);
  c.buttonPressed = QColor(kVarListButtonPressedColor.r, kVarListButtonPressedColor.g, kVarListButtonPressedColor.b);
  c.selectorFrame = QColor(90, 96, 110), c.shiftFrame = QColor(226, 150, 20);
  return c;
}

LookColours HighContrastColours() {
  LookColours c;
  c.flat = true;
  const QColor black(0, 0, 0), white(255, 255, 255), yellow(255, 255, 0);
  c.window = black;
  c.modeBox = black, c.keysBox = black, c.panelDark = white, c.panelLight = black;
  c.bezelTop = black, c.bezelBottom = black, c.bezelEdge = white;
  c.title = white, c.subtitle = white, c.titleButton = yellow;
  c.entryBase = black, c.entryText = white, c.errorText = QColor(255, 150, 150), c.noticeText = QColor(130, 255, 130);
  c.displayTop = c.displayMiddle = c.displayBottom = black;
  c.displayEdge = white, c.displayText = white;
  c.message = white;
  c.listBase = black, c.listText = white, c.selection = yellow, c.selectedText = black;
  c.button = yellow, c.buttonPressed = white;
  c.selectorFrame = white, c.shiftFrame = yellow, c.shiftFrameWidth = 3;
  c.focus = yellow, c.focusWidth = 3;
  return c;
}

LookColours DarkColours() {
  LookColours c;
  c.window = QColor(38, 40, 46);
  c.modeBox = QColor(38, 50, 76), c.keysBox = QColor(48, 50, 57), c.panelDark = QColor(18, 19, 22),
  c.panelLight = QColor(74, 77, 86);
  c.bezelTop = QColor(28, 29, 33), c.bezelBottom = QColor(14, 15, 17), c.bezelEdge = QColor(0, 0, 0);
  c.title = QColor(240, 240, 240), c.subtitle = QColor(170, 180, 200), c.titleButton = QColor(235, 235, 235);
  c.entryBase = QColor(22, 26, 24), c.entryText = QColor(232, 236, 230);
  c.errorText = QColor(255, 128, 128), c.noticeText = QColor(128, 224, 128);
  c.displayTop = QColor(20, 29, 22), c.displayMiddle = QColor(24, 34, 27), c.displayBottom = QColor(17, 25, 19);
  c.displayEdge = QColor(70, 92, 74), c.displayText = QColor(158, 236, 168);
  c.message = QColor(226, 229, 236);
  c.listBase = QColor(22, 24, 28), c.listText = QColor(230, 232, 236);
  c.selection = QColor(52, 96, 170), c.selectedText = Qt::white;
  c.button = QColor(150, 180, 255), c.buttonPressed = QColor(200, 215, 255);
  c.selectorFrame = QColor(120, 126, 140), c.shiftFrame = QColor(240, 170, 40);
  c.focus = QColor(120, 180, 255), c.focusWidth = 2;
  return c;
}

const LookColours kDefault = DefaultColours();
const LookColours kHighContrast = HighContrastColours();
const LookColours kDark = DarkColours();

bool Same(Rgb a, Rgb b) { return a == b; }

// Relative luminance as the contrast guidelines define it.
double Luminance(const QColor& c) {
  const auto channel = [](double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
  return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

}  // namespace

const LookColours& ColoursOf(Look look) {
  switch (look) {
    case Look::kHighContrast: return kHighContrast;
    case Look::kDark: return kDark;
    case Look::kDefault: break;
  }
  return kDefault;
}

KeyColours KeyColoursOf(Look look, KeyLook family, bool lit) {
  if (look == Look::kHighContrast) {
    const QColor black(0, 0, 0), white(255, 255, 255), yellow(255, 255, 0), cyan(0, 255, 255);
    switch (family) {
      case KeyLook::kEdit: return {QColor(140, 0, 0), QColor(140, 0, 0), white, QColor(255, 150, 150)};
      case KeyLook::kExecute: return {QColor(0, 90, 0), QColor(0, 90, 0), white, QColor(140, 255, 140)};
      case KeyLook::kFunction:
      case KeyLook::kMark: return {black, black, white, cyan};
      case KeyLook::kMode:
      case KeyLook::kShift: return lit ? KeyColours{yellow, yellow, black, yellow} : KeyColours{black, black, yellow, yellow};
      case KeyLook::kUtility: return {black, black, cyan, cyan};
      case KeyLook::kDigit:
      case KeyLook::kOperator: break;
    }
    return {black, black, white, white};
  }
  KeyColours k;
  if (look == Look::kDark) {
    switch (family) {
      case KeyLook::kDigit: k = {QColor(84, 86, 94), QColor(62, 64, 70), QColor(245, 245, 245), QColor(12, 12, 14)}; break;
      case KeyLook::kEdit: k = {QColor(178, 62, 32), QColor(140, 44, 20), Qt::white, QColor(60, 18, 8)}; break;
      case KeyLook::kExecute: k = {QColor(44, 104, 196), QColor(28, 70, 140), Qt::white, QColor(10, 26, 60)}; break;
      case KeyLook::kOperator: k = {QColor(74, 80, 100), QColor(54, 58, 74), QColor(235, 238, 245), QColor(14, 16, 22)}; break;
      case KeyLook::kFunction:
      case KeyLook::kMark: k = {QColor(50, 52, 60), QColor(32, 34, 40), Qt::white, QColor(8, 8, 10)}; break;
      case KeyLook::kMode: k = {QColor(44, 60, 104), QColor(28, 38, 72), Qt::white, QColor(8, 12, 30)}; break;
      case KeyLook::kShift: k = {QColor(196, 156, 40), QColor(160, 120, 20), QColor(24, 16, 0), QColor(70, 50, 6)}; break;
      case KeyLook::kUtility: k = {QColor(52, 92, 66), QColor(34, 62, 44), Qt::white, QColor(10, 26, 16)}; break;
    }
  } else {
    switch (family) {
      case KeyLook::kDigit: k = {QColor(252, 252, 248), QColor(214, 214, 206), QColor(30, 30, 34), QColor(120, 120, 112)}; break;
      case KeyLook::kEdit: k = {QColor(250, 140, 90), QColor(206, 70, 36), QColor(255, 255, 255), QColor(120, 40, 20)}; break;
      case KeyLook::kExecute: k = {QColor(92, 150, 232), QColor(34, 84, 168), QColor(255, 255, 255), QColor(20, 46, 96)}; break;
      case KeyLook::kOperator: k = {QColor(196, 204, 220), QColor(146, 156, 178), QColor(20, 24, 40), QColor(84, 90, 110)}; break;
      case KeyLook::kFunction:
      case KeyLook::kMark: k = {QColor(92, 96, 108), QColor(46, 48, 56), QColor(255, 255, 255), QColor(20, 20, 24)}; break;
      case KeyLook::kMode: k = {QColor(70, 92, 150), QColor(36, 52, 100), QColor(255, 255, 255), QColor(18, 26, 60)}; break;
      case KeyLook::kShift: k = {QColor(250, 214, 92), QColor(214, 160, 30), QColor(50, 34, 0), QColor(120, 86, 10)}; break;
      case KeyLook::kUtility: k = {QColor(120, 160, 130), QColor(64, 104, 76), QColor(255, 255, 255), QColor(30, 56, 38)}; break;
    }
  }
  // A latched key is lit from within, its caption in the lamp's warm yellow
  // (a shift key's dark caption stays).
  if (lit) {
    k.top = k.top.lighter(135);
    k.bottom = k.bottom.lighter(140);
    if (family != KeyLook::kShift) k.text = QColor(255, 236, 140);
  }
  return k;
}

QColor Ink(Look look, Rgb specified) {
  const LookColours& c = ColoursOf(look);
  if (look == Look::kDefault) return QColor(specified.r, specified.g, specified.b);
  if (Same(specified, kErrorRed)) return c.errorText;
  if (Same(specified, kNoticeGreen)) return c.noticeText;
  if (Same(specified, kVarListButtonColor)) return c.button;
  if (Same(specified, kVarListButtonPressedColor)) return c.buttonPressed;
  return c.entryText;
}

Rgb InkRgb(Look look, Rgb specified) {
  const QColor c = Ink(look, specified);
  return {c.red(), c.green(), c.blue()};
}

QColor PanelColour(Look look, const PanelShape& shape) {
  const QColor specified(shape.r, shape.g, shape.b);
  if (look == Look::kDefault) return specified;
  const LookColours& c = ColoursOf(look);
  if (shape.kind == PanelShape::kFilledBox) return shape.y0 < 200 ? c.modeBox : c.keysBox;
  return specified == QColor(255, 255, 255) ? c.panelLight : c.panelDark;
}

std::optional<Look> LookOfPalette(const QPalette& palette) {
  const double window = Luminance(palette.color(QPalette::Window)), text = Luminance(palette.color(QPalette::WindowText));
  const double base = Luminance(palette.color(QPalette::Base));
  // Pure black and white, nothing between: a high-contrast scheme (an
  // ordinary light one has a grey window, #efefef at the lightest).
  const auto pure = [](double l) { return l < 0.005 || l > 0.95; };
  if (pure(window) && pure(base) && pure(text) && std::abs(window - text) > 0.9 && std::abs(base - text) > 0.9)
    return Look::kHighContrast;
  if (window < text) return Look::kDark;
  return std::nullopt;
}

std::optional<Look> DesktopLook() {
#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
  if (QGuiApplication::styleHints()->colorScheme() == Qt::ColorScheme::Dark) {
    const std::optional<Look> palette = LookOfPalette(QGuiApplication::palette());
    return palette == Look::kHighContrast ? palette : Look::kDark;
  }
#endif
  return LookOfPalette(QGuiApplication::palette());
}

void SetColours(QWidget* widget, std::initializer_list<std::pair<QPalette::ColorRole, QColor>> roles) {
  QPalette pal = widget->palette();
  for (const QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive})
    for (const auto& [role, colour] : roles) pal.setColor(g, role, colour);
  widget->setPalette(pal);
}

void StyleListWindow(QWidget* window, Look look) {
  const LookColours& c = ColoursOf(look);
  SetColours(window, {{QPalette::Window, c.window},
                      {QPalette::WindowText, c.message},
                      {QPalette::Button, c.window},
                      {QPalette::ButtonText, c.button},
                      {QPalette::Base, c.listBase},
                      {QPalette::Text, c.listText},
                      {QPalette::Highlight, c.selection},
                      {QPalette::HighlightedText, c.selectedText}});
}

DesktopSchemeWatch::DesktopSchemeWatch(QObject* parent) : QObject(parent) {
  if (qApp != nullptr) qApp->installEventFilter(this);
}

bool DesktopSchemeWatch::eventFilter(QObject* watched, QEvent* e) {
  if (watched == qApp && (e->type() == QEvent::ApplicationPaletteChange || e->type() == QEvent::ThemeChange) && onChange)
    onChange();
  return QObject::eventFilter(watched, e);
}

FocusRing::FocusRing(QWidget* window) : QWidget(window) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setFocusPolicy(Qt::NoFocus);
  hide();
  QObject::connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { Follow(now); });
}

void FocusRing::SetLook(Look look) {
  colour_ = ColoursOf(look).focus;
  width_ = ColoursOf(look).focusWidth;
  Follow(QApplication::focusWidget());
}

void FocusRing::Follow(QWidget* focused) {
  if (target_ != nullptr) target_->removeEventFilter(this);
  target_ = focused != nullptr && focused != parentWidget() && focused->window() == parentWidget()->window() &&
                    parentWidget()->isAncestorOf(focused)
                ? focused
                : nullptr;
  if (target_ != nullptr) target_->installEventFilter(this);
  Place();
}

void FocusRing::Place() {
  if (!colour_.isValid() || width_ <= 0 || target_ == nullptr || !target_->isVisible()) {
    hide();
    return;
  }
  // Around the control, a pixel clear of it, within the window.
  const int out = width_ + 1;
  const QRect around = QRect(target_->mapTo(parentWidget(), QPoint(0, 0)), target_->size()).adjusted(-out, -out, out, out);
  const QRect shown = around.intersected(parentWidget()->rect());
  setGeometry(shown);
  const QRect outer = around.translated(-shown.topLeft());
  setMask(QRegion(outer).subtracted(QRegion(outer.adjusted(width_, width_, -width_, -width_))));
  show();
  raise();
  update();
}

bool FocusRing::eventFilter(QObject* watched, QEvent* e) {
  if (watched == target_ && (e->type() == QEvent::Move || e->type() == QEvent::Resize || e->type() == QEvent::Show ||
                             e->type() == QEvent::Hide))
    Place();
  return QWidget::eventFilter(watched, e);
}

void FocusRing::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), colour_);
}

}  // namespace tarvo::ui
