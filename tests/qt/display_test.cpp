// The display: where the result's forms put their pieces, and in pixels the
// root sign that meets its bar and reaches down to the radicand's baseline.
#include <QtTest/QtTest>

#include "output/draw.h"
#include "ui/qt/display_box.h"

using tarvo::ui::DisplayBox;

class DisplayTest : public QObject {
  Q_OBJECT

 private slots:
  void placesEachPieceOfTheResultForms() {
    const struct {
      std::string text;
      QStringList shown;  // the printed pieces in order
      QList<double> tops, sizes;
    } rows[] = {
        {" -.25", {" -0.25"}, {3}, {11}},
        {" 1.5E+20", {"  1.5·10", "20"}, {3, 0}, {11, 9}},
        {" 2pi/3", {"  2", "π", "/3"}, {3, -1, 3}, {11, 14, 11}},
        {" 3sqr2/4", {"  3", "√", "2/4"}, {3, 2, 3}, {11, 14, 11}},
    };
    for (const auto& r : rows) {
      DisplayBox box;
      box.Clear();
      tarvo::DrawResult(r.text, box);
      QStringList shown;
      QList<double> tops, sizes;
      const DisplayBox::Item* line = nullptr;
      for (const auto& it : box.Items()) {
        if (it.kind == DisplayBox::Item::kLine) line = &it;
        else shown << it.text, tops << it.y, sizes << it.size;
      }
      QVERIFY2(shown == r.shown, qPrintable(shown.join('|')));
      QCOMPARE(tops, r.tops);
      QCOMPARE(sizes, r.sizes);
      QCOMPARE(line != nullptr, r.text.find("sqr") != std::string::npos);
      if (line != nullptr) {  // the bar starts after the radical and spans the "2" only
        QCOMPARE(line->x, box.Items()[2].x);
        QCOMPARE(line->y, 2.0);
        QCOMPARE(line->x1 - line->x, QFontMetricsF(DisplayBox::FontFor(11, true)).horizontalAdvance(QStringLiteral("2")));
      }
    }
  }

  void theRootSignMeetsItsBar() {
    for (const qreal ratio : {1.0, 2.0}) {
      for (const char* text : {" sqr2", " 3sqr2/4", " sqr12/24"}) {
        DisplayBox box;
        box.resize(706, 44);
        box.Clear();
        tarvo::DrawResult(text, box);
        QImage image(box.size() * ratio, QImage::Format_RGB32);
        image.setDevicePixelRatio(ratio);
        box.render(&image);
        const auto dark = [&](int x, int y) { return qGray(image.pixel(x, y)) < 110; };

        // The bar: the row with the longest dark run; it starts where the
        // radicand does.
        const DisplayBox::Item* line = nullptr;
        for (const auto& it : box.Items())
          if (it.kind == DisplayBox::Item::kLine) line = &it;
        QVERIFY(line != nullptr);
        int barRow = -1, longest = 0, barLeft = 0;
        for (int y = 0; y < image.height(); ++y) {
          for (int x = 0, run = 0; x < image.width(); ++x) {
            run = dark(x, y) ? run + 1 : 0;
            if (run > longest) longest = run, barRow = y, barLeft = x - run + 1;
          }
        }
        QVERIFY(barRow >= 0);
        // The sign's stroke rises into the bar's left end: no gap between them.
        bool joined = false;
        for (int y = barRow; y <= barRow + static_cast<int>(2 * ratio); ++y)
          for (int x = barLeft - static_cast<int>(2 * ratio); x < barLeft; ++x) joined = joined || dark(x, y);
        QVERIFY2(joined, qPrintable(QStringLiteral("%1 at %2: the bar floats").arg(text).arg(ratio)));
        const double width = (line->x1 - line->x) * ratio;
        QVERIFY(longest >= width - 1);
        // The sign reaches from the bar down at least as far as the digits do.
        int signBottom = barRow, digitTop = image.height(), digitBottom = 0;
        for (int y = barRow; y < image.height(); ++y)
          for (int x = barLeft - static_cast<int>(6 * ratio); x < barLeft; ++x)
            if (x >= 0 && dark(x, y)) signBottom = y;
        for (int y = barRow + static_cast<int>(2 * ratio); y < image.height(); ++y)
          for (int x = barLeft + static_cast<int>(ratio); x < barLeft + static_cast<int>(width); ++x)
            if (dark(x, y)) digitTop = std::min(digitTop, y), digitBottom = std::max(digitBottom, y);
        QVERIFY2(digitBottom > digitTop, text);
        QVERIFY2(signBottom >= digitBottom - ratio,
                 qPrintable(QStringLiteral("%1 at %2: sign to %3, digits to %4").arg(text).arg(ratio).arg(signBottom).arg(digitBottom)));
        QVERIFY2(barRow < digitTop, text);
      }
    }
  }
};

QTEST_MAIN(DisplayTest)
#include "display_test.moc"
