#include "ui/qt/key_pictures.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <algorithm>

#include "ui/logic/keypad.h"
#include "ui/qt/look_colours.h"

namespace tarvo::ui {
namespace {

QPixmap Canvas(QSize size, qreal dpr) {
  QPixmap pm(size * dpr);
  pm.setDevicePixelRatio(dpr);
  pm.fill(Qt::transparent);
  return pm;
}

QFont CaptionFont(qreal pixels, bool bold = true) {
  QFont f(QStringLiteral("DejaVu Sans"));
  f.setPixelSize(qMax(6, qRound(pixels)));
  f.setBold(bold);
  f.setHintingPreference(QFont::PreferNoHinting);
  return f;
}

// A long caption is narrowed, down to this share of its width, before its
// font gets smaller: "cosec" stays as tall as "sec".
constexpr qreal kNarrowest = 0.78;
// Below this size a caption is no longer read at a glance.
constexpr qreal kSmallestCaption = 9;

// The caption centred in `area`, in the largest font up to `preferred`
// pixels that fits once narrowed.
void DrawCaption(QPainter& p, const QRectF& area, const QString& caption, qreal preferred) {
  QFont font = CaptionFont(preferred);
  qreal width = QFontMetricsF(font).horizontalAdvance(caption);
  for (qreal px = preferred; width * kNarrowest > area.width() && px > kSmallestCaption; px -= 1) {
    font = CaptionFont(px - 1);
    width = QFontMetricsF(font).horizontalAdvance(caption);
  }
  const qreal narrowing = std::min<qreal>(1, area.width() / width);
  p.save();
  p.translate(area.center());
  p.scale(narrowing, 1);
  p.setFont(font);
  p.drawText(QRectF(-width / 2, -area.height() / 2, width, area.height()), Qt::AlignCenter, caption);
  p.restore();
}

}  // namespace

QSize KeySize(Key key) {
  const KeyDef& row = KeyRow(key);
  if (row.look == KeyLook::kUtility) return {78, 26};
  // The number block's columns are a pixel wider apart than the others.
  if (row.left >= 529) return {39, 26};
  return {38, 26};
}

QPixmap KeyPicture(Key key, bool lit, qreal dpr, Look look) {
  const QSize size = KeySize(key);
  QPixmap pm = Canvas(size, dpr);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);

  const KeyDef& row = KeyRow(key);
  const KeyColours st = KeyColoursOf(look, row.look, lit);
  const bool flat = ColoursOf(look).flat;
  const QRectF body(0.5, 0.5, size.width() - 1.0, size.height() - 1.0);
  // Shadow under the key, then the body with a top-lit gradient and a thin
  // highlight along its upper edge: a moulded rubber key. Flat, the body is
  // one colour inside a broad edge, and the caption stands on that colour.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 0, 0, 60));
  p.drawRoundedRect(body.adjusted(0, 1.5, 0, 0), 5, 5);
  if (flat) {
    p.setBrush(st.top);
    p.setPen(QPen(st.edge, 2.0));
    p.drawRoundedRect(body.adjusted(0.5, 0.5, -0.5, -2), 5, 5);
  } else {
    QLinearGradient g(body.topLeft(), body.bottomLeft());
    g.setColorAt(0.0, st.top);
    g.setColorAt(0.55, st.top.darker(108));
    g.setColorAt(1.0, st.bottom);
    p.setBrush(g);
    p.setPen(QPen(st.edge, 1.0));
    p.drawRoundedRect(body.adjusted(0, 0, 0, -1.5), 5, 5);
    p.setPen(QPen(QColor(255, 255, 255, look == Look::kDark ? 45 : 110), 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(body.adjusted(1.5, 1.5, -1.5, -3.5), 3.5, 3.5);
  }

  // The lit picture carries a glowing lamp along its upper edge, as a
  // latched mode key does; flat, the key's colours turn round instead.
  QRectF textArea = body.adjusted(2, 1, -2, -2.5);
  if (lit && !flat) {
    const QRectF lamp(body.center().x() - 8, body.top() + 2.5, 16, 3);
    QLinearGradient glow(lamp.topLeft(), lamp.bottomLeft());
    glow.setColorAt(0, QColor(255, 250, 190));
    glow.setColorAt(1, QColor(255, 180, 20));
    p.setPen(QPen(QColor(255, 170, 0, 120), 2));
    p.setBrush(glow);
    p.drawRoundedRect(lamp, 1.5, 1.5);
    textArea.adjust(0, 3, 0, 0);
  }

  const QString caption = QString::fromUtf8(row.caption.data(), static_cast<qsizetype>(row.caption.size()));
  const QColor ink = st.text;
  if (row.look == KeyLook::kMark) {
    // The degree, minute and second marks are small: drawn large, and high
    // in the key as they stand high beside a number, so that the degree is
    // no letter o and the minute no comma.
    QPainterPath mark;
    mark.addText(0, 0, CaptionFont(26), caption);
    const QRectF box = mark.boundingRect();
    p.fillPath(mark.translated(textArea.center().x() - box.center().x(), textArea.top() + 3 - box.top()), ink);
    return pm;
  }
  const bool large = row.look == KeyLook::kDigit || row.look == KeyLook::kOperator || caption.size() <= 2;
  p.setPen(ink);
  DrawCaption(p, textArea.adjusted(1.5, 0, -1.5, 0), caption, large ? 15 : 12);
  return pm;
}

QPixmap KeyFrame(Key key, qreal dpr, Look look) {
  const QSize size = KeySize(key) + QSize(4, 4);
  QPixmap pm = Canvas(size, dpr);
  // Flat keys need no well: their edges set them apart.
  if (ColoursOf(look).flat) return pm;
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient g(0, 0, 0, size.height());
  const bool dark = look == Look::kDark;
  g.setColorAt(0, dark ? QColor(0, 0, 0, 170) : QColor(120, 120, 120, 150));
  g.setColorAt(1, dark ? QColor(96, 98, 108, 150) : QColor(255, 255, 255, 200));
  p.setPen(Qt::NoPen);
  p.setBrush(g);
  p.drawRoundedRect(QRectF(0, 0, size.width(), size.height()), 6.5, 6.5);
  // The editing and entry keys sit in a warmer well, the utility keys in a
  // greener one, the way the three frame pictures set them apart.
  QColor well(0, 0, 0, dark ? 60 : 35);
  const KeyLook family = KeyRow(key).look;
  if (family == KeyLook::kEdit || family == KeyLook::kExecute) well = QColor(160, 60, 20, 50);
  if (family == KeyLook::kUtility) well = QColor(20, 80, 40, 45);
  p.setBrush(well);
  p.drawRoundedRect(QRectF(1, 1, size.width() - 2, size.height() - 2), 5.5, 5.5);
  return pm;
}

QPixmap PageSelectorPicture(int page, qreal dpr, Look look) {
  const QSize size(kSelectorWidth, kSelectorHeight);
  QPixmap pm = Canvas(size, dpr);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  // The plate, its "PAGE", and the page in force and the other page.
  struct Colours {
    QColor top, bottom, edge, label, onFill, onEdge, onText, offFill, offEdge, offText;
  };
  Colours c{QColor(250, 250, 250), QColor(200, 202, 208), QColor(120, 124, 134), QColor(60, 64, 76),
            QColor(70, 120, 210),  QColor(30, 70, 150),   Qt::white,            QColor(232, 232, 236),
            QColor(150, 154, 164), QColor(110, 114, 124)};
  if (look == Look::kHighContrast)
    c = {Qt::black, Qt::black, Qt::white, Qt::white, QColor(255, 255, 0), QColor(255, 255, 0), Qt::black,
         Qt::black, Qt::white, Qt::white};
  if (look == Look::kDark)
    c = {QColor(70, 72, 80),  QColor(50, 52, 58),    QColor(16, 16, 18), QColor(225, 228, 235), QColor(52, 96, 170),
         QColor(20, 40, 90), Qt::white, QColor(40, 42, 48), QColor(104, 108, 118), QColor(215, 218, 225)};
  QLinearGradient g(0, 0, 0, size.height());
  g.setColorAt(0, c.top);
  g.setColorAt(1, c.bottom);
  p.setPen(QPen(c.edge, 1));
  p.setBrush(g);
  p.drawRoundedRect(QRectF(0.5, 0.5, size.width() - 1, size.height() - 1), 4, 4);

  p.setFont(CaptionFont(10));
  p.setPen(c.label);
  p.drawText(QRectF(6, 0, 42, size.height()), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("PAGE"));
  for (int i = 0; i < 2; ++i) {
    const QRectF r(50 + i * 33, 4, 28, size.height() - 8);
    const bool on = i == page;
    p.setPen(QPen(on ? c.onEdge : c.offEdge, 1));
    p.setBrush(on ? c.onFill : c.offFill);
    p.drawRoundedRect(r, 3, 3);
    p.setPen(on ? c.onText : c.offText);
    p.setFont(CaptionFont(11));
    p.drawText(r, Qt::AlignCenter, QString::number(i + 1));
  }
  return pm;
}

QPixmap AlwaysVisiblePicture(bool on, qreal dpr, Look look) {
  const QSize size(kPinSize, kPinSize);
  QPixmap pm = Canvas(size, dpr);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  // A drawing pin: pushed in (upright, red) while the window stays on top,
  // lying tilted and grey otherwise.
  const bool contrast = look == Look::kHighContrast;
  const QColor head = on ? (contrast ? QColor(255, 255, 0) : QColor(230, 60, 50))
                         : (contrast ? QColor(200, 200, 200) : QColor(150, 150, 150));
  p.translate(size.width() / 2.0, size.height() / 2.0);
  if (!on) p.rotate(45);
  p.setPen(QPen(QColor(210, 210, 210), 1.6, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(0, 2), QPointF(0, 8));
  p.setPen(QPen(head.darker(150), 1));
  p.setBrush(head);
  p.drawRoundedRect(QRectF(-4, -7, 8, 5), 1.5, 1.5);
  p.drawRoundedRect(QRectF(-6, -2.5, 12, 4), 1.5, 1.5);
  return pm;
}

QPixmap ReviewPicture(int state, qreal dpr, Look look) {
  const QSize size(kReviewWidth, kReviewHeight);
  QPixmap pm = Canvas(size, dpr);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  // Rest top and bottom, pressed top and bottom, edge, arrow.
  QColor c[6] = {QColor(236, 238, 242), QColor(180, 184, 194), QColor(150, 156, 170),
                 QColor(120, 126, 140), QColor(90, 94, 104),   QColor(40, 44, 56)};
  if (look == Look::kHighContrast)
    for (QColor& each : c) each = Qt::black;
  if (look == Look::kHighContrast) c[4] = c[5] = Qt::white, c[2] = c[3] = QColor(90, 90, 0);
  if (look == Look::kDark)
    c[0] = QColor(84, 88, 98), c[1] = QColor(56, 60, 68), c[2] = QColor(40, 42, 48), c[3] = QColor(30, 32, 36),
    c[4] = QColor(12, 12, 14), c[5] = QColor(235, 235, 235);
  const qreal half = 14;
  for (int i = 0; i < 2; ++i) {
    const bool pressed = state == i + 1;
    const QRectF r(0.5, i == 0 ? 0.5 : half, size.width() - 1, half - 0.5);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, pressed ? c[2] : c[0]);
    g.setColorAt(1, pressed ? c[3] : c[1]);
    p.setPen(QPen(c[4], 1));
    p.setBrush(g);
    p.drawRoundedRect(r, 3, 3);
    QPainterPath arrow;
    const qreal cx = r.center().x() + (pressed ? 0.5 : 0), cy = r.center().y() + (pressed ? 0.5 : 0);
    const qreal d = i == 0 ? -1 : 1;
    arrow.moveTo(cx - 4, cy - 2 * d);
    arrow.lineTo(cx + 4, cy - 2 * d);
    arrow.lineTo(cx, cy + 2.5 * d);
    arrow.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(c[5]);
    p.drawPath(arrow);
  }
  return pm;
}

}  // namespace tarvo::ui
