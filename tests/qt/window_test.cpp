// The windows under the mouse on the offscreen platform: the calculator
// window (dragging, keys, flags, the variable files at load and close), the
// display in pixels, the variable list, the help key's hand-overs, the splash.
#include <sys/stat.h>

#include <QClipboard>
#include <QMessageBox>
#include <QTemporaryDir>

#include "core/calculator.h"
#include "output/draw.h"
#include "tests/qt/window_driver.h"
#include "ui/logic/keypad.h"
#include "ui/logic/menus.h"
#include "ui/qt/key_pictures.h"
#include "ui/qt/variable_list_window.h"

using namespace tarvo::test;
using tarvo::Key;
using tarvo::VarListButton;
using tarvo::ui::DisplayBox;
using tarvo::ui::VariableListWindow;
using Choice = MainWindow::ExitChoice;

class WindowTest : public QObject {
  Q_OBJECT

  Recorder rec;
  std::unique_ptr<MainWindow> w;

  static void Click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(2, 2)); }

 private slots:
  void init() { rec = {}, w = NewWindow(rec); }

  // The offscreen platform has no system move: the window follows the cursor.
  void dragsByTheBackgroundAndTheTitle() {
    QWidget* title = nullptr;
    for (QLabel* l : w->findChildren<QLabel*>())
      if (l->text().contains(QStringLiteral("TARVO"))) title = l;
    QVERIFY(title != nullptr);
    for (QWidget* grip : {static_cast<QWidget*>(w.get()), title}) {
      const QPoint start = w->pos();
      QTest::mousePress(grip, Qt::LeftButton, {}, QPoint(2, 2));
      QTest::mouseMove(grip, QPoint(32, 22));
      QTest::mouseRelease(grip, Qt::LeftButton, {}, QPoint(32, 22));
      QCOMPARE(w->pos(), start + QPoint(30, 20));
    }
  }

  void opensFramelessWithItsKeysDrawnForTheScreen() {
    QVERIFY(w->windowFlags().testFlag(Qt::FramelessWindowHint) && !w->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(w->Key(Key::NormalFormat)->Lit() && w->Key(Key::Degrees)->Lit() && !w->Key(Key::Radians)->Lit());
    QCOMPARE(w->Key(Key::Execute)->Picture().deviceIndependentSize().toSize(), w->Key(Key::Execute)->size());
    QCOMPARE(tarvo::ui::KeyPicture(Key::Execute, false, 2.0).size(), w->Key(Key::Execute)->size() * 2);
    QVERIFY(rec.texts.isEmpty());
    QTest::mouseClick(w->AlwaysVisibleSwitch(), Qt::LeftButton);
    QVERIFY(w->windowFlags().testFlag(Qt::WindowStaysOnTopHint) && w->windowFlags().testFlag(Qt::FramelessWindowHint));
    QVERIFY(w->isVisible());
    QCOMPARE(w->UpperMessageLine()->text(), QStringLiteral("Always visible mode enabled. This window is always on top "));
    // The list drops always-on-top while it is open, and the window takes it back.
    bool onTopWhileOpen = true;
    w->SetModalHook([&](QWidget* list) { onTopWhileOpen = w->windowFlags().testFlag(Qt::WindowStaysOnTopHint), list->close(); });
    QTest::mouseClick(w->Key(Key::VariableList), Qt::LeftButton);
    QVERIFY(!onTopWhileOpen && w->windowFlags().testFlag(Qt::WindowStaysOnTopHint) && w->isVisible());
    QTest::mouseClick(w->AlwaysVisibleSwitch(), Qt::LeftButton);
    QVERIFY(!w->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  }

  void clickedKeysWriteTheirSignsAndHelp() {
    const QPoint rest = w->Key(Key::Seven)->pos();
    QTest::mousePress(w->Key(Key::Seven), Qt::LeftButton);
    QCOMPARE(w->Key(Key::Seven)->pos(), rest + QPoint(1, 1));  // a pressed key sinks one pixel
    QTest::mouseRelease(w->Key(Key::Seven), Qt::LeftButton);
    QCOMPARE(w->Key(Key::Seven)->pos(), rest);
    QTest::mouseClick(w->Key(Key::SquareRoot), Qt::LeftButton);
    QTest::mouseClick(w->Key(Key::Pi), Qt::LeftButton);
    QCOMPARE(w->Entry()->text(), QStringLiteral("7√ π "));
    QCOMPARE(w->UpperMessageLine()->text(), QStringLiteral("Constant π =3.14159265358979 "));
    QCOMPARE(w->LowerMessageLine()->text(), QStringLiteral("Also pi "));
    // Del takes the sign before the caret, one sign however many bytes.
    Start(*w, QStringLiteral("x*π√y²"));
    w->Entry()->setCursorPosition(3);
    QTest::mouseClick(w->Key(Key::Delete), Qt::LeftButton);
    QCOMPARE(w->Entry()->text(), QStringLiteral("x·√y²"));
    QCOMPARE(w->Entry()->cursorPosition(), 2);
    // The shifts light, show their indicator and choose the next trig key's function.
    const struct { QList<Key> shifts; QString written; } rows[] = {
        {{}, "sin "}, {{Key::InverseShift}, "Arcsin "}, {{Key::HyperbolicShift}, "sinh "},
        {{Key::InverseShift, Key::HyperbolicShift}, "Argsinh "}, {{Key::InverseShift, Key::InverseShift}, "sin "}};
    for (const auto& r : rows) {
      Start(*w);
      for (Key key : r.shifts) QTest::mouseClick(w->Key(key), Qt::LeftButton);
      QCOMPARE(w->ShiftIndicatorShown(), w->Key(Key::InverseShift)->Lit() || w->Key(Key::HyperbolicShift)->Lit());
      QTest::mouseClick(w->Key(Key::Sine), Qt::LeftButton);
      QCOMPARE(w->Entry()->text(), r.written);
      QVERIFY(!w->Key(Key::InverseShift)->Lit() && !w->Key(Key::HyperbolicShift)->Lit() && !w->ShiftIndicatorShown());
    }
    // The selector turns the page; the constants' "pi constant" shows its sign.
    QTest::mouseClick(w->PageSelector(), Qt::LeftButton);
    QVERIFY(SecondPage(*w) && !w->Key(Key::NaturalLogarithm)->isVisible());
    w->SetPopupMenu([](const std::vector<tarvo::MenuEntry>&) { return 16; });  // "pi constant"
    Start(*w);
    QTest::mouseClick(w->Key(Key::Constants), Qt::LeftButton);
    QCOMPARE(w->Entry()->text(), QStringLiteral("π "));
    QCOMPARE(w->UpperMessageLine()->text(), QStringLiteral("Número π "));
    // An error colours the line red until it is edited.
    Calculate(*w, QStringLiteral("1/0"));
    QCOMPARE(w->Entry()->palette().color(QPalette::Text), QColor(192, 0, 0));
    QTest::keyClick(w->Entry(), 'x');
    QCOMPARE(w->Entry()->palette().color(QPalette::Text), QColor(Qt::black));
  }

  // Escape saves, and the next window starts from it. A failed save names the
  // path and the reason, and the answer decides: Retry once the folder was
  // made saves, staying open keeps the window (a later Escape asks again),
  // quitting saves nothing. A file that cannot be read is named at load and
  // not written over.
  void escapeSavesOrOffersRetryStayOpenOrQuit() {
    const QString cannotSave = QStringLiteral("The variables could not be saved in \"%1\": ");
    // Without its folder the tape cannot be saved either, and the question
    // names both.
    const QString noTape = QStringLiteral("\nThe tape could not be saved in \"%1\": No such file or directory");
    const struct {
      QList<Choice> answers;
      bool makeFolder, makeOnRetry, fifo, open, saved;
      QString reason;
    } rows[] = {
        {{}, true, false, false, false, true, ""},
        {{Choice::kSave}, false, true, false, false, true, "No such file or directory"},
        {{Choice::kStayOpen}, false, false, false, true, false, "No such file or directory"},
        {{Choice::kSave, Choice::kQuitWithoutSaving}, false, false, false, false, false, "No such file or directory"},
        {{Choice::kQuitWithoutSaving}, true, false, true, false, false, "it is not a regular file"},
    };
    for (const auto& row : rows) {
      QTemporaryDir dir;
      const QString folder = dir.filePath(QStringLiteral("state")), values = folder + QStringLiteral("/Varreal.dat");
      if (row.makeFolder) QDir().mkpath(folder);
      if (row.fifo) QVERIFY(mkfifo(values.toLocal8Bit().constData(), 0600) == 0);  // unreadable for root too
      rec = {}, w = NewWindow(rec, folder.toStdString());
      QCOMPARE(rec.texts, row.fifo ? QStringList({"The saved variables could not be read from \"" + values + "\": it is not a regular file"
                                                  "\n\nThe calculator starts without them and leaves the file as it is."})
                                   : QStringList());
      QStringList asked;
      QList<Choice> answers = row.answers;
      w->SetSaveFailed([&](const QString& text) {
        if (row.makeOnRetry) QDir().mkpath(folder);
        return asked << text, answers.takeFirst();
      });
      Calculate(*w, QStringLiteral("q=4.5"));
      QTest::keyClick(w->Entry(), Qt::Key_Escape);
      QVERIFY(answers.isEmpty());
      const QString tape = row.fifo ? QString() : noTape.arg(folder + QStringLiteral("/tape.txt"));
      QCOMPARE(asked, QStringList(row.answers.size(), cannotSave.arg(values) + row.reason + tape));
      QCOMPARE(w->isVisible(), row.open);
      QCOMPARE(QFileInfo(values).size(), row.saved ? 224 : 0);
      QCOMPARE(QFileInfo(folder + QStringLiteral("/vardimr.dat")).size(), row.saved ? 52 : 0);
      if (row.open) {
        w->SetSaveFailed([](const QString&) { return Choice::kQuitWithoutSaving; });
        QTest::keyClick(w->Entry(), Qt::Key_Escape);
        QVERIFY(!w->isVisible());
      }
      w = NewWindow(rec, folder.toStdString());
      QCOMPARE(Calculate(*w, QStringLiteral("q")), row.saved ? QStringLiteral("4.5") : QStringLiteral("0"));
      w->SetSaveFailed([](const QString&) { return Choice::kQuitWithoutSaving; });
    }
  }

  // The display shows the glyph font's bytes as their signs (where each piece
  // goes is the drawing's own test), and a root's bar spans its radicand by
  // the font's real width.
  void showsTheSignsAndSpansTheRadicand() {
    const struct { std::string text; QString shown; } rows[] = {
        {" -.25", " -0.25"}, {" 1.5E+20", "  1.5·1020"}, {" 2pi/3", "  2π/3"}, {" 3sqr2/4", "  3√2/4"}};
    DisplayBox box;
    for (const auto& r : rows) {
      box.Clear();
      tarvo::DrawResult(r.text, box);
      QCOMPARE(box.ShownText(), r.shown);
    }
    const DisplayBox::Item& line = box.Items().back();
    QCOMPARE(line.kind, DisplayBox::Item::kLine);
    QCOMPARE(line.x, box.Items()[2].x);
    QCOMPARE(line.x1 - line.x, QFontMetricsF(DisplayBox::FontFor(11, true)).horizontalAdvance(QStringLiteral("2")));
  }

  // In pixels, at the screen's ratio and at twice it: the root sign's stroke
  // rises into its bar's left end and reaches down as far as the digits do.
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
        const auto dark = [&](int x, int y) { return x >= 0 && qGray(image.pixel(x, y)) < 110; };
        double width = 0;  // the bar as drawn: the row with the longest dark run
        for (const auto& it : box.Items())
          if (it.kind == DisplayBox::Item::kLine) width = (it.x1 - it.x) * ratio;
        int barRow = -1, longest = 0, barLeft = 0;
        for (int y = 0; y < image.height(); ++y)
          for (int x = 0, run = 0; x < image.width(); ++x)
            if ((run = dark(x, y) ? run + 1 : 0) > longest) longest = run, barRow = y, barLeft = x - run + 1;
        const int r = static_cast<int>(ratio);
        bool joined = false;
        int signBottom = barRow, digitTop = image.height(), digitBottom = 0;
        for (int y = barRow; y < image.height(); ++y) {
          for (int x = barLeft - 6 * r; x < barLeft; ++x) {
            signBottom = dark(x, y) ? y : signBottom;
            joined = joined || (dark(x, y) && y <= barRow + 2 * r && x >= barLeft - 2 * r);
          }
          for (int x = barLeft + r; y >= barRow + 2 * r && x < barLeft + width; ++x)
            if (dark(x, y)) digitTop = std::min(digitTop, y), digitBottom = std::max(digitBottom, y);
        }
        QVERIFY2(width > 0 && longest >= width - 1 && joined && barRow < digitTop && digitTop < digitBottom &&
                     signBottom >= digitBottom - r,
                 qPrintable(QStringLiteral("%1 at %2: bar row %3 length %4/%5, sign to %6, digits %7..%8").arg(text).arg(ratio)
                                .arg(barRow).arg(longest).arg(width).arg(signBottom).arg(digitTop).arg(digitBottom)));
      }
    }
  }

  // The list window over a calculator of its own: its rows in a fixed-pitch
  // font, Copy, Clear (which greys Copy) and Exit.
  void copyClearAndExit() {
    tarvo::Calculator calculator;
    calculator.Start("");
    for (const char* entry : {"x=5", "y=-0.25"}) calculator.Calculate(entry);
    VariableListWindow list(calculator, 1);
    list.show();
    QCOMPARE(list.ShownRows(), QStringList({"x =  5", "y = -0.25"}));
    // Fixed pitch by measure: some monospace fonts do not flag themselves so.
    const QFontMetrics fm(list.ListRows()->font());
    QCOMPARE(fm.horizontalAdvance(u'i'), fm.horizontalAdvance(u'W'));
    QCOMPARE(fm.horizontalAdvance(u' '), fm.horizontalAdvance(u'0'));
    Click(list.Button(VarListButton::kCopy));
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("x =  5\r\ny = -0.25\r\n"));
    Click(list.Button(VarListButton::kClear));
    QVERIFY(list.ShownRows().isEmpty());
    QCOMPARE(calculator.Variables().flags['x' - 'a'], tarvo::kUndefined);
    QVERIFY(!list.Button(VarListButton::kCopy)->isEnabled());
    Click(list.Button(VarListButton::kExit));
    QVERIFY(!list.isVisible());
  }

  // A solver's complex roots are listed as it left them once the entry is
  // done, before its result shows, without the busy pointer; the pair is
  // shown once, then the list is plain again. Each solver of an entry has a
  // list of its own.
  void aSolverShowsItsRootsInTheList() {
    QList<QStringList> lists;
    QStringList displayed;
    w->SetModalHook([&](QWidget* window) {
      lists << dynamic_cast<VariableListWindow*>(window)->ShownRows(), displayed << Described(w->Display()), window->close();
    });
    QCOMPARE(Calculate(*w, QStringLiteral("6*7")), QStringLiteral("42"));
    QCOMPARE(Calculate(*w, QStringLiteral("EQ2D(x^2-1)+EQ3D(x^3-4x)")), QStringLiteral("-1"));
    QCOMPARE(lists, QList<QStringList>({{"a =  1", "b = -1"}, {"a = -2", "b =  2", "c =  0"}}));
    QCOMPARE(displayed, QStringList({"42", "42"}));
    QList<QStringList> shown;
    bool busyWhileOpen = false;
    w->SetModalHook([&](QWidget* window) {
      auto* list = dynamic_cast<VariableListWindow*>(window);
      shown << list->ShownRows();
      busyWhileOpen = busyWhileOpen || QApplication::overrideCursor() != nullptr;
      Click(list->Button(VarListButton::kExit));
    });
    QCOMPARE(Calculate(*w, QStringLiteral("EQ2D(x^2-2x+5)")), QStringLiteral("1"));
    QVERIFY(rec.texts.isEmpty());
    QTest::mouseClick(w->Key(Key::VariableList), Qt::LeftButton);
    QCOMPARE(shown, QList<QStringList>({{"a =  1 + i2", "b =  1 - i2"}, {"a =  1", "b =  1", "i =  2"}}));
    QVERIFY(!busyWhileOpen && QApplication::overrideCursor() == nullptr && !w->Busy());
    // Escape closes the list and drops the pair as well.
    w->SetModalHook([](QWidget* window) { QTest::keyClick(window, Qt::Key_Escape); });
    QTest::keyClick(w->Entry(), Qt::Key_Return);
    w->SetModalHook([&](QWidget* window) { shown << dynamic_cast<VariableListWindow*>(window)->ShownRows(), window->close(); });
    QTest::mouseClick(w->Key(Key::VariableList), Qt::LeftButton);
    QCOMPARE(shown.last(), QStringList({"a =  1", "b =  1", "i =  2"}));
  }

  // F1 and the help menu: the manual beside the program, the home page, the
  // About box's addresses; what cannot be opened is named. The About box is
  // modal, outlives the splash's time and closes on a click or a key.
  void helpHandsOverToTheDesktop() {
    QTemporaryDir dir;
    const QString manual = dir.filePath(QStringLiteral("Manual_Tarvo.pdf"));
    const QUrl home(QStringLiteral("https://tarvo.example.org/")), mail(QStringLiteral("mailto:tarvo@example.org"));
    using tarvo::HelpChoice;
    const struct {
      bool manualThere, accepts;
      int choice;  // -1: F1
      QList<QUrl> urls;
      QStringList texts;
    } rows[] = {
        {true, true, -1, {QUrl::fromLocalFile(manual)}, {}},
        {true, false, -1, {QUrl::fromLocalFile(manual)}, {"The desktop could not open the manual " + manual}},
        {false, true, int(HelpChoice::kManual), {}, {"Can't find/open file " + manual}},
        {false, false, int(HelpChoice::kHomePage), {home}, {"Sorry, cannot connect to tarvo.example.org"}},
        {false, false, int(HelpChoice::kAbout), {mail}, {"Sorry, can't found your email client application."}},
        {false, true, int(HelpChoice::kAbout), {home}, {}},
    };
    for (const auto& r : rows) {
      QFile file(manual);
      r.manualThere ? void(file.open(QIODevice::WriteOnly)) : void(file.remove());
      rec = {}, rec.desktopAccepts = r.accepts, w = NewWindow(rec);
      w->SetProgramDirectory(dir.path().toStdString());
      w->SetPopupMenu([&](const std::vector<tarvo::MenuEntry>&) { return r.choice; });
      bool stays = false;
      w->SetModalHook([&](QWidget* window) {
        auto* about = static_cast<tarvo::ui::SplashWindow*>(window);
        Click(r.urls[0] == mail ? static_cast<QWidget*>(about->MailLink()) : about->WebLink());
        QTest::qWait(tarvo::ui::SplashWindow::kShowMilliseconds + 300);
        stays = about->isVisible() && about->isModal();
        if (r.accepts) QTest::keyClick(about, Qt::Key_Space);
        else QTest::mouseClick(about, Qt::LeftButton, {}, QPoint(10, 10));
      });
      if (r.choice < 0) QTest::keyClick(w->Entry(), Qt::Key_F1);
      else QTest::mouseClick(w->Key(Key::Help), Qt::LeftButton);  // returns once a box is gone
      QCOMPARE(rec.urls, r.urls);
      QCOMPARE(rec.texts, r.texts);
      QCOMPARE(stays, r.choice == int(HelpChoice::kAbout));
    }
  }

  // A box at start opens over the splash while the window is not up, and
  // keeps the file's path on one line.
  void aStartUpBoxOpensOverTheSplashWithItsPathWhole() {
    QTemporaryDir dir;
    const QString values = dir.filePath(QStringLiteral("Varreal.dat"));
    QVERIFY(mkfifo(values.toLocal8Bit().constData(), 0600) == 0);
    tarvo::ui::SplashWindow splash;
    splash.show();
    MainWindow window(dir.path().toStdString());
    QWidget* over = nullptr;
    int lines = 0;
    QTimer::singleShot(0, this, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      QVERIFY(box != nullptr);
      over = box->parentWidget();
      const auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
      lines = label->height() / QFontMetrics(label->font()).lineSpacing();
      box->close();
    });
    window.Load();
    QCOMPARE(over, static_cast<QWidget*>(&splash));
    QCOMPARE(lines, 3);  // the reason, a blank line, what happens now
  }

  // In the key pictures the degree and minute marks stand high, unlike the
  // comma, and a long caption is as tall as a short one of its row.
  void keyCaptionsReadAtOneToOne() {
    const auto ink = [](Key key) {  // the rows the caption's white ink spans
      const QImage image = tarvo::ui::KeyPicture(key, false, 1.0).toImage();
      int top = image.height(), bottom = -1;
      for (int y = 3; y < image.height() - 4; ++y)
        for (int x = 3; x < image.width() - 3; ++x)
          if (const QColor c = image.pixelColor(x, y); std::min({c.red(), c.green(), c.blue()}) >= 200)
            top = std::min(top, y), bottom = std::max(bottom, y);
      return std::pair{top, bottom};
    };
    for (const Key mark : {Key::DegreeMark, Key::MinuteMark, Key::SecondMark})
      QVERIFY2(ink(mark).second < ink(Key::Comma).first, tarvo::KeyRow(mark).caption.data());
    const struct { Key longer, shorter; } rows[] = {{Key::Cosecant, Key::Secant},
                                                    {Key::Cotangent, Key::Tangent},
                                                    {Key::FractionFormat, Key::FixedFormat},
                                                    {Key::DateFormat, Key::SexagesimalFormat},
                                                    {Key::Random, Key::RatioInterval}};
    for (const auto& r : rows) {
      const auto [longTop, longBottom] = ink(r.longer);
      const auto [shortTop, shortBottom] = ink(r.shorter);
      QVERIFY2(std::abs((longBottom - longTop) - (shortBottom - shortTop)) <= 1,
               qPrintable(QStringLiteral("%1: %2 rows, %3: %4").arg(tarvo::KeyRow(r.longer).caption.data())
                              .arg(longBottom - longTop).arg(tarvo::KeyRow(r.shorter).caption.data())
                              .arg(shortBottom - shortTop)));
    }
  }

  // The splash hands over once: at the first key, or after its time.
  void splashHandsOverOnce() {
    for (const bool byKey : {true, false}) {
      tarvo::ui::SplashWindow splash;
      int handed = 0;
      splash.onUnload = [&handed] { ++handed; };
      splash.show();
      if (byKey) QTest::keyClick(&splash, Qt::Key_A);
      QTRY_COMPARE_WITH_TIMEOUT(handed, 1, byKey ? 0 : 3000);
      splash.close();
      QCOMPARE(handed, 1);
    }
  }
};

QTEST_MAIN(WindowTest)
#include "window_test.moc"
