// The tape window on every screen the platform has, at the scale the run
// was started with (CTest runs it on four screens, small to large, at the
// scales 1, 1.5 and 2): wherever the calculator stands, the tape opens and
// stays on the calculator's screen, beside it where there is room.
#include "tests/qt/window_driver.h"
#include "ui/logic/tape_logic.h"
#include "ui/qt/tape_window.h"

using namespace tarvo::test;

class TapeScaleTest : public QObject {
  Q_OBJECT

 private slots:
  void theTapeStaysOnTheCalculatorsScreen() {
    Recorder rec;
    auto w = NewWindow(rec);
    Calculate(*w, QStringLiteral("2+2"));
    QTest::keyClick(w->Entry(), Qt::Key_F12, Qt::ShiftModifier);
    tarvo::ui::TapeWindow* tape = w->Tape();
    QVERIFY(tape != nullptr && tape->isVisible());
    int placed = 0, apart = 0;
    for (QScreen* screen : QGuiApplication::screens()) {
      const QRect free = screen->availableGeometry();
      const QSize size = w->frameGeometry().size();
      // Where a window manager puts a window, and where a user drags one:
      // the corners, and half over the right and bottom edges.
      const QPoint places[] = {
          free.center() - QPoint(size.width() / 2, size.height() / 2),
          free.topLeft(),
          free.bottomRight() - QPoint(size.width(), size.height()),
          QPoint(free.right() - size.width() / 2 + 10, free.top() + 20),
          QPoint(free.left() + 20, free.bottom() - size.height() / 2 + 10),
      };
      for (const QPoint& at : places) {
        w->move(at);
        QCoreApplication::processEvents();
        if (w->screen() != screen) continue;  // its middle stands on the next screen
        const QRect calculator = w->frameGeometry(), shown = tape->frameGeometry();
        const QString where = QStringLiteral("%1 (%2x%3 at scale %4), calculator at %5,%6: tape %7,%8 %9x%10")
                                  .arg(screen->name()).arg(free.width()).arg(free.height())
                                  .arg(qEnvironmentVariable("QT_SCALE_FACTOR", "1"))
                                  .arg(calculator.x()).arg(calculator.y()).arg(shown.x()).arg(shown.y())
                                  .arg(shown.width()).arg(shown.height());
        qInfo("%s", qPrintable(where));
        ++placed;
        QVERIFY2(free.contains(shown), qPrintable(where));
        QVERIFY2(shown.width() >= std::min(tarvo::kTapeMinWidth, free.width()) &&
                     shown.height() >= std::min(tarvo::kTapeMinHeight, free.height()),
                 qPrintable(where));
        const bool room = free.right() - calculator.right() - tarvo::kTapeGap >= tarvo::kTapeMinWidth ||
                          calculator.left() - free.left() - tarvo::kTapeGap >= tarvo::kTapeMinWidth ||
                          free.bottom() - calculator.bottom() - tarvo::kTapeGap >= tarvo::kTapeMinHeight ||
                          calculator.top() - free.top() - tarvo::kTapeGap >= tarvo::kTapeMinHeight;
        QVERIFY2(!room || !shown.intersects(calculator), qPrintable(where));
        apart += !shown.intersects(calculator);
      }
    }
    QVERIFY(placed >= 3 * QGuiApplication::screens().size());
    qInfo("%d places, the tape apart from the calculator at %d", placed, apart);
  }
};

QTEST_MAIN(TapeScaleTest)
#include "tape_scale_test.moc"
