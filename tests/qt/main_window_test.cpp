// The calculator window on the offscreen platform: dragging it, its keys under
// the mouse, its flags, the variable files at load and close, the splash.
#include <sys/stat.h>

#include <QTemporaryDir>

#include "tests/qt/window_driver.h"
#include "ui/logic/keypad.h"
#include "ui/qt/key_pictures.h"
#include "ui/qt/splash_window.h"

using namespace tarvo::test;
using Choice = MainWindow::SaveFailedChoice;

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  // The offscreen platform has no system move: the window follows the cursor.
  void dragsByTheBackgroundAndTheTitle() {
    Recorder rec;
    auto w = NewWindow(rec);
    w->move(100, 100);
    QWidget* title = nullptr;
    for (QLabel* l : w->findChildren<QLabel*>())
      if (l->text().contains(QStringLiteral("TARVO"))) title = l;
    QVERIFY(title != nullptr);
    for (QWidget* grip : {static_cast<QWidget*>(w.get()), title}) {
      // Each event is made only once the one before was sent: an event takes
      // the pointer's state as it is when it is made.
      const QPoint start = w->pos(), at(2, 2), to = grip->mapToGlobal(at) + QPoint(30, 20);
      QMouseEvent press(QEvent::MouseButtonPress, at, grip->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, {});
      QApplication::sendEvent(grip, &press);
      QMouseEvent move(QEvent::MouseMove, at + QPoint(30, 20), to, Qt::NoButton, Qt::LeftButton, {});
      QApplication::sendEvent(grip, &move);
      QMouseEvent release(QEvent::MouseButtonRelease, at, to, Qt::LeftButton, Qt::NoButton, {});
      QApplication::sendEvent(grip, &release);
      QCOMPARE(w->pos(), start + QPoint(30, 20));
    }
  }

  void opensFramelessWithItsKeysDrawnForTheScreen() {
    Recorder rec;
    auto w = NewWindow(rec);
    QCOMPARE(w->size(), QSize(752, 346));
    QVERIFY(w->windowFlags().testFlag(Qt::FramelessWindowHint) && !w->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(w->Key(76)->Lit() && w->Key(84)->Lit() && !w->Key(85)->Lit());  // NOR and DEG, not RAD
    QCOMPARE(w->Key(20)->Picture().deviceIndependentSize().toSize(), w->Key(20)->size());
    QCOMPARE(tarvo::ui::KeyPicture(20, false, 2.0).size(), w->Key(20)->size() * 2);
    QVERIFY(rec.texts.isEmpty());
    // Always visible switches the flag and keeps the window up.
    QTest::mouseClick(w->AlwaysVisibleSwitch(), Qt::LeftButton);
    QVERIFY(w->windowFlags().testFlag(Qt::WindowStaysOnTopHint) && w->windowFlags().testFlag(Qt::FramelessWindowHint));
    QVERIFY(w->isVisible());
    QCOMPARE(w->UpperMessageLine()->text(), QStringLiteral("Always visible mode enabled. This window is always on top "));
    QTest::mouseClick(w->AlwaysVisibleSwitch(), Qt::LeftButton);
    QVERIFY(!w->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  }

  void clickedKeysWriteTheirSignsAndHelp() {
    Recorder rec;
    auto w = NewWindow(rec);
    const QPoint rest = w->Key(7)->pos();
    QTest::mousePress(w->Key(7), Qt::LeftButton);
    QCOMPARE(w->Key(7)->pos(), rest + QPoint(1, 1));  // a pressed key sinks one pixel
    QTest::mouseRelease(w->Key(7), Qt::LeftButton);
    QCOMPARE(w->Key(7)->pos(), rest);
    QTest::mouseClick(w->Key(35), Qt::LeftButton);
    QTest::mouseClick(w->Key(38), Qt::LeftButton);
    QCOMPARE(w->Entry()->text(), QStringLiteral("7√ π "));
    QCOMPARE(w->UpperMessageLine()->text(), QStringLiteral("Constant π =3.14159265358979 "));
    QCOMPARE(w->LowerMessageLine()->text(), QStringLiteral("Also pi "));
    // Del takes the sign before the caret, one sign however many bytes.
    Start(*w, QStringLiteral("x*π√y²"));
    QCOMPARE(w->Entry()->text(), QStringLiteral("x·π√y²"));
    w->Entry()->setCursorPosition(3);
    QTest::mouseClick(w->Key(tarvo::kKeyDel), Qt::LeftButton);
    QCOMPARE(w->Entry()->text(), QStringLiteral("x·√y²"));
    QCOMPARE(w->Entry()->cursorPosition(), 2);
    // The shifts light, show their indicator and choose the next trig key's function.
    const struct {
      QList<int> shifts;
      QString written;
    } rows[] = {{{}, "sin "}, {{tarvo::kKeyArc}, "Arcsin "}, {{tarvo::kKeyHyp}, "sinh "},
                {{tarvo::kKeyArc, tarvo::kKeyHyp}, "Argsinh "}, {{tarvo::kKeyArc, tarvo::kKeyArc}, "sin "}};
    for (const auto& r : rows) {
      Start(*w);
      for (int key : r.shifts) QTest::mouseClick(w->Key(key), Qt::LeftButton);
      QCOMPARE(w->ShiftIndicatorShown(), w->Key(tarvo::kKeyArc)->Lit() || w->Key(tarvo::kKeyHyp)->Lit());
      QTest::mouseClick(w->Key(21), Qt::LeftButton);
      QCOMPARE(w->Entry()->text(), r.written);
      QVERIFY(!w->Key(tarvo::kKeyArc)->Lit() && !w->Key(tarvo::kKeyHyp)->Lit() && !w->ShiftIndicatorShown());
    }
    // An error colours the line red until it is edited.
    Start(*w, QStringLiteral("1/0"));
    QTest::keyClick(w->Entry(), Qt::Key_Return);
    QCOMPARE(w->Entry()->palette().color(QPalette::Text), QColor(192, 0, 0));
    QTest::keyClick(w->Entry(), 'x');
    QCOMPARE(w->Entry()->palette().color(QPalette::Text), QColor(Qt::black));
  }

  void pageSelectorAndConstantsMenu() {
    Recorder rec;
    auto w = NewWindow(rec);
    QTest::mousePress(w->PageSelector(), Qt::LeftButton);
    QCOMPARE(w->SelectorBorder(), 2);
    QTest::mouseRelease(w->PageSelector(), Qt::LeftButton);
    QCOMPARE(w->SelectorBorder(), 1);
    QVERIFY(SecondPage(*w) && !w->Key(34)->isVisible());
    QTest::keyClick(w->Entry(), Qt::Key_Control);
    QVERIFY(!SecondPage(*w) && w->Key(34)->isVisible());
    // The constants: "pi constant" shows its sign on the message line.
    QList<int> choices = {16, 0};
    w->SetPopupMenu([&](const std::vector<tarvo::MenuEntry>&) { return choices.takeFirst(); });
    QTest::mouseClick(w->Key(tarvo::kKeyConst), Qt::LeftButton);
    QCOMPARE(w->Entry()->text(), QStringLiteral("π "));
    QCOMPARE(w->UpperMessageLine()->text(), QStringLiteral("Número π "));
    QTest::mouseClick(w->Key(tarvo::kKeyConst), Qt::LeftButton);
    QCOMPARE(w->Entry()->text(), QStringLiteral("π 299792458"));
    QCOMPARE(w->UpperMessageLine()->text(), QStringLiteral("Speed of light in vacuum = 299792458 [ m / s ] "));
  }

  // Escape saves; a failed save names the full path and the reason, and the
  // user's answer decides: Retry once the folder was made saves, staying open
  // keeps the window (a later Escape asks again), quitting saves nothing.
  void escapeSavesOrOffersRetryStayOpenOrQuit() {
    const struct {
      QList<Choice> answers;
      bool makeFolder, makeFolderOnRetry, open, saved;
    } rows[] = {
        {{}, true, false, false, true},
        {{Choice::kRetry}, false, true, false, true},
        {{Choice::kStayOpen}, false, false, true, false},
        {{Choice::kRetry, Choice::kQuitWithoutSaving}, false, false, false, false},
    };
    for (const auto& row : rows) {
      QTemporaryDir dir;
      const QString folder = dir.filePath(QStringLiteral("state"));
      if (row.makeFolder) QDir().mkpath(folder);
      Recorder rec;
      auto w = NewWindow(rec, folder.toStdString());
      QStringList asked;
      QList<Choice> answers = row.answers;
      w->SetSaveFailed([&](const QString& text) {
        asked << text;
        if (row.makeFolderOnRetry) QDir().mkpath(folder);
        return answers.takeFirst();
      });
      QTest::keyClick(w->Entry(), Qt::Key_Escape);
      QVERIFY(answers.isEmpty());
      QCOMPARE(asked.size(), row.answers.size());
      for (const QString& text : asked)
        QCOMPARE(text, QStringLiteral("The variables could not be saved in \"%1/Varreal.dat\": No such file or directory").arg(folder));
      QCOMPARE(w->isVisible(), row.open);
      QCOMPARE(QFileInfo(folder + QStringLiteral("/Varreal.dat")).size(), row.saved ? 224 : 0);
      QCOMPARE(QFileInfo(folder + QStringLiteral("/vardimr.dat")).size(), row.saved ? 52 : 0);
      QVERIFY(rec.texts.isEmpty());
      if (row.open) {
        w->SetSaveFailed([](const QString&) { return Choice::kQuitWithoutSaving; });
        QTest::keyClick(w->Entry(), Qt::Key_Escape);
        QVERIFY(!w->isVisible());
      }
    }
  }

  // A state file that cannot be read is named at load with its reason; the
  // window starts from the presets and does not write over it.
  void anUnreadableStateFileIsNamedAtLoad() {
    QTemporaryDir dir;
    const QString values = dir.filePath(QStringLiteral("Varreal.dat"));
    QVERIFY(mkfifo(values.toLocal8Bit().constData(), 0600) == 0);  // unreadable for root too
    Recorder rec;
    auto w = NewWindow(rec, dir.path().toStdString());
    QCOMPARE(rec.texts.size(), 1);
    QVERIFY2(rec.texts[0].startsWith(QStringLiteral("The saved variables could not be read from \"%1\": it is not a regular file").arg(values)),
             qPrintable(rec.texts[0]));
    QString asked;
    w->SetSaveFailed([&](const QString& text) { return asked = text, Choice::kQuitWithoutSaving; });
    w->close();
    QVERIFY(asked.contains(values));
    QVERIFY(!QFileInfo(values).isSymLink() && !QFileInfo(values).isFile());  // still the FIFO
  }

  // The splash hands over once: at the first key, or after its time.
  void splashHandsOverOnce() {
    for (const bool byKey : {true, false}) {
      tarvo::ui::SplashWindow splash;
      int handed = 0;
      splash.onUnload = [&handed] { ++handed; };
      splash.show();
      if (byKey) {
        QTest::keyClick(&splash, Qt::Key_A);
        QCOMPARE(handed, 1);
      }
      QTRY_COMPARE_WITH_TIMEOUT(handed, 1, 3000);
      QVERIFY(!splash.isVisible());
      splash.close();
      QCOMPARE(handed, 1);
    }
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
