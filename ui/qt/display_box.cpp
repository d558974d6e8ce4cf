#include "ui/qt/display_box.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

#include "core/entry_encoding.h"
#include "ui/qt/look_colours.h"

namespace tarvo::ui {
namespace {

// Where the surface's origin sits inside the widget: a small left margin, and
// the line of text centred in the display's height.
constexpr double kOriginX = 6;
constexpr double kTextHeight = 18;

bool IsGlyphFont(const QString& family) { return family.compare(QLatin1String(kSymbolFont), Qt::CaseInsensitive) == 0; }

// The bar fills the pixel row below its pen position, crisp at every ratio.
constexpr double kBarWidth = 1.0;

// The glyph font's radical was drawn to fill its cell, so that the bar drawn
// at the cell's top met it; a font's own root sign sits lower and smaller.
// The sign is drawn stretched from the bar down to the baseline of the
// radicand beside it, its top stroke ending where the bar begins.
void DrawRadical(QPainter& p, const DisplayBox::Item& it, double baseline, double barStart, const QColor& ink) {
  QPainterPath sign;
  sign.addText(0, 0, DisplayBox::FontFor(it.size, it.bold), it.text);
  const QRectF glyph = sign.boundingRect();
  const QRectF target(QPointF(it.x + std::max(0.0, glyph.left()), it.y),
                      QPointF(barStart, baseline));
  if (glyph.width() <= 0 || glyph.height() <= 0 || target.width() <= 0 || target.height() <= 0) return;
  QTransform fit;
  fit.translate(target.left(), target.top());
  fit.scale(target.width() / glyph.width(), target.height() / glyph.height());
  fit.translate(-glyph.left(), -glyph.top());
  p.fillPath(fit.map(sign), ink);
}

}  // namespace

DisplayBox::DisplayBox(QWidget* parent) : QWidget(parent) {
  setFocusPolicy(Qt::NoFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

// Neither the display's own symbol font nor the glyph font is assumed to be
// installed: DejaVu Sans has the signs of both, so both requests use it.
QFont DisplayBox::FontFor(double points, bool bold) {
  QFont f(QStringLiteral("DejaVu Sans"));
  f.setPixelSize(std::max(1, static_cast<int>(std::lround(points * 4.0 / 3.0))));
  f.setBold(bold);
  return f;
}

QString DisplayBox::Shown(const std::string& bytes, const std::string& fontName) {
  if (!IsGlyphFont(QString::fromStdString(fontName))) return QString::fromStdString(BytesToUtf8(bytes));
  QString out;
  for (char ch : bytes) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (c == 'p') out += QChar(0x03C0);
    else if (c == 214) out += QChar(0x221A);
    else out += QString::fromStdString(BytesToUtf8(std::string(1, ch)));
  }
  return out;
}

void DisplayBox::SetLook(Look look) {
  look_ = look;
  update();
}

void DisplayBox::Clear() {
  items_.clear();
  x_ = 0;
  y_ = 0;
  update();
}

QString DisplayBox::ShownText() const {
  QString out;
  for (const Item& it : items_)
    if (it.kind == Item::kText) out += it.text;
  return out;
}

double DisplayBox::TextWidth(const std::string& text) const {
  const QFont f = FontFor(fontSize_, bold_);
  return QFontMetricsF(f).horizontalAdvance(Shown(text, fontName_));
}

void DisplayBox::Print(const std::string& text) {
  Item it;
  it.kind = Item::kText;
  it.x = x_;
  it.y = y_;
  it.text = Shown(text, fontName_);
  it.family = QString::fromStdString(fontName_);
  it.size = fontSize_;
  it.bold = bold_;
  x_ += TextWidth(text);
  items_.push_back(it);
  update();
}

void DisplayBox::Line(double x0, double y0, double x1, double y1) {
  Item it;
  it.kind = Item::kLine;
  it.x = x0;
  it.y = y0;
  it.x1 = x1;
  it.y1 = y1;
  items_.push_back(it);
  update();
}

void DisplayBox::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  // A liquid-crystal panel: pale green-grey, a little darker at the edges.
  const LookColours& c = ColoursOf(look_);
  QLinearGradient g(0, 0, 0, height());
  g.setColorAt(0, c.displayTop);
  g.setColorAt(0.5, c.displayMiddle);
  g.setColorAt(1, c.displayBottom);
  p.fillRect(rect(), g);
  p.setPen(QPen(c.displayEdge, 1));
  p.drawRect(QRectF(0.5, 0.5, width() - 1, height() - 1));
  const QColor ink = c.displayText;

  p.translate(kOriginX, std::floor((height() - kTextHeight) / 2.0));
  for (size_t i = 0; i < items_.size(); ++i) {
    const Item& it = items_[i];
    if (it.kind == Item::kLine) {
      p.setPen(QPen(ink, kBarWidth));
      p.drawLine(QPointF(it.x, it.y + kBarWidth / 2), QPointF(it.x1, it.y1 + kBarWidth / 2));
      continue;
    }
    const Item* next = i + 1 < items_.size() ? &items_[i + 1] : nullptr;
    if (IsGlyphFont(it.family) && it.text == QString(QChar(0x221A)) && next != nullptr && next->kind == Item::kText) {
      const double baseline = next->y + QFontMetricsF(FontFor(next->size, next->bold)).ascent();
      DrawRadical(p, it, baseline, next->x, ink);
      continue;
    }
    const QFont f = FontFor(it.size, it.bold);
    p.setFont(f);
    p.setPen(ink);
    p.drawText(QPointF(it.x, it.y + QFontMetricsF(f).ascent()), it.text);
  }
}

}  // namespace tarvo::ui
