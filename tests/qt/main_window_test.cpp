// The calculator window on the offscreen platform: its keys, typing, the
// display surface and the save at close.
#include <sys/stat.h>

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest/QtTest>

#include "engine/state.h"
#include "output/draw.h"
#include "ui/logic/keypad.h"
#include "ui/logic/symbols.h"
#include "ui/qt/display_box.h"
#include "ui/qt/main_window.h"
#include "ui/qt/splash_window.h"
#include "ui/qt/key_pictures.h"

using tarvo::ui::DisplayBox;
using tarvo::ui::MainWindow;

class MainWindowTest : public QObject {
  Q_OBJECT

 private:
  struct Shown {
    QStringList titles, texts;
  };
  // A window without variable files whose warnings are recorded.
  std::unique_ptr<MainWindow> NewWindow(Shown& shown, const std::string& dir = "") {
    auto w = std::make_unique<MainWindow>(dir);
    w->SetMessageBox([&shown](const QString& title, const QString& text) {
      shown.titles << title;
      shown.texts << text;
    });
    w->Load();
    w->show();
    return w;
  }

 private slots:
  void dragsByTheBackgroundAndTheTitle() {
    // The offscreen platform has no system move: the window follows the cursor.
    Shown shown;
    auto w = NewWindow(shown);
    w->move(100, 100);
    QWidget* title = nullptr;
    for (QLabel* l : w->findChildren<QLabel*>())
      if (l->text().contains(QStringLiteral("TARVO"))) title = l;
    QVERIFY(title != nullptr);
    for (QWidget* grip : {static_cast<QWidget*>(w.get()), title}) {
      const QPoint start = w->pos();
      const QPoint at(2, 2);
      QMouseEvent press(QEvent::MouseButtonPress, at, grip->mapToGlobal(at), Qt::LeftButton,
                        Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(grip, &press);
      const QPoint to = grip->mapToGlobal(at) + QPoint(30, 20);
      QMouseEvent move(QEvent::MouseMove, at + QPoint(30, 20), to, Qt::NoButton, Qt::LeftButton,
                       Qt::NoModifier);
      QApplication::sendEvent(grip, &move);
      QMouseEvent release(QEvent::MouseButtonRelease, at, to, Qt::LeftButton, Qt::NoButton,
                          Qt::NoModifier);
      QApplication::sendEvent(grip, &release);
      QCOMPARE(w->pos(), start + QPoint(30, 20));
    }
  }

  void buildsItsNinetyTwoKeysInPlace() {
    Shown shown;
    auto w = NewWindow(shown);
    int keys = 0;
    for (QWidget* child : w->findChildren<QWidget*>()) keys += dynamic_cast<tarvo::ui::KeyImage*>(child) != nullptr;
    QCOMPARE(keys, 92);
    for (int k = 1; k <= tarvo::kKeyCount; ++k) {
      const auto& def = tarvo::KeyTable()[static_cast<size_t>(k)];
      QVERIFY2(w->Key(k) != nullptr, qPrintable(QString::number(k)));
      QCOMPARE(w->Key(k)->pos(), QPoint(def.left, def.top));
      const bool shownNow = def.page != tarvo::KeyPage::kSecond;
      QCOMPARE(w->Key(k)->isVisible(), shownNow);
    }
    QCOMPARE(w->size(), QSize(752, 346));
    QVERIFY(w->windowFlags().testFlag(Qt::FramelessWindowHint));
    QVERIFY(!w->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(w->Key(tarvo::kKeyNor)->Lit());
    QVERIFY(w->Key(tarvo::kKeyDeg)->Lit());
    QVERIFY(shown.texts.isEmpty());
  }

  void keyPicturesAreDrawnForTheScreensRatio() {
    Shown shown;
    auto w = NewWindow(shown);
    const QPixmap& pm = w->Key(20)->Picture();
    QCOMPARE(pm.deviceIndependentSize().toSize(), w->Key(20)->size());
    QCOMPARE(pm.devicePixelRatio(), qApp->devicePixelRatio());
    const QPixmap sharp = tarvo::ui::KeyPicture(20, false, 2.0);
    QCOMPARE(sharp.size(), w->Key(20)->size() * 2);
  }

  void clickingKeysWritesTheirTags() {
    Shown shown;
    auto w = NewWindow(shown);
    QTest::mouseClick(w->Key(7), Qt::LeftButton);
    QTest::mouseClick(w->Key(35), Qt::LeftButton);
    QTest::mouseClick(w->Key(38), Qt::LeftButton);
    QCOMPARE(w->Entry()->text(), QStringLiteral("7√ π "));
    QCOMPARE(w->EntryText(), std::string("7\xC1 \xCB "));
    QCOMPARE(w->UpperMessageLine()->text(), QStringLiteral("Constant π =3.14159265358979 "));
    QCOMPARE(w->LowerMessageLine()->text(), QStringLiteral("Also pi "));
  }

  void pressedKeyMovesOnePixelAndBack() {
    Shown shown;
    auto w = NewWindow(shown);
    auto* key = w->Key(5);
    const QPoint rest = key->pos();
    QTest::mousePress(key, Qt::LeftButton);
    QCOMPARE(key->pos(), rest + QPoint(1, 1));
    QTest::mouseRelease(key, Qt::LeftButton);
    QCOMPARE(key->pos(), rest);
  }

  void shiftKeysLightAndShowTheIndicator() {
    Shown shown;
    auto w = NewWindow(shown);
    QTest::mouseClick(w->Key(tarvo::kKeyArc), Qt::LeftButton);
    QVERIFY(w->Key(tarvo::kKeyArc)->Lit());
    QCOMPARE(w->Key(tarvo::kKeyArc)->pos(), QPoint(18, 170));
    QVERIFY(w->ShiftIndicatorShown());
    QTest::mouseClick(w->Key(21), Qt::LeftButton);
    QCOMPARE(w->Entry()->text(), QStringLiteral("Arcsin "));
    QVERIFY(!w->Key(tarvo::kKeyArc)->Lit());
    QCOMPARE(w->Key(tarvo::kKeyArc)->pos(), QPoint(17, 169));
    QVERIFY(!w->ShiftIndicatorShown());
  }

  void pageSelectorSwapsTheSharedKeys() {
    Shown shown;
    auto w = NewWindow(shown);
    QTest::mousePress(w->PageSelector(), Qt::LeftButton);
    QCOMPARE(w->SelectorBorder(), 2);
    QTest::mouseRelease(w->PageSelector(), Qt::LeftButton);
    QCOMPARE(w->SelectorBorder(), 1);
    QVERIFY(w->Key(27)->isVisible());
    QVERIFY(!w->Key(34)->isVisible());
    QTest::keyClick(w->Entry(), Qt::Key_Control);
    QVERIFY(!w->Key(27)->isVisible());
    QVERIFY(w->Key(34)->isVisible());
  }

  void typedSignsAreOneCharacterEach() {
    Shown shown;
    auto w = NewWindow(shown);
    w->Entry()->setFocus();
    // Characters beyond ASCII arrive as a key event carrying only their text.
    for (const QChar ch : QStringLiteral("x*π√y²"))
      QTest::sendKeyEvent(QTest::Click, w->Entry(), Qt::Key_unknown, QString(ch), Qt::NoModifier);
    QCOMPARE(w->Entry()->text(), QStringLiteral("x·π√y²"));
    QCOMPARE(w->EntryText(), std::string("x\xB7\xCB\xC1y\xB2"));
    QCOMPARE(w->SelectionStart(), 6);
    w->Entry()->setCursorPosition(3);  // after the π
    QCOMPARE(w->SelectionStart(), 3);
    QTest::mouseClick(w->Key(tarvo::kKeyDel), Qt::LeftButton);
    QCOMPARE(w->Entry()->text(), QStringLiteral("x·√y²"));
    QCOMPARE(w->Entry()->cursorPosition(), 2);
  }

  void typingAndEnterRunsACalculation() {
    Shown shown;
    auto w = NewWindow(shown);
    w->Entry()->setFocus();
    QTest::keyClicks(w->Entry(), QStringLiteral("2+3"));
    QCOMPARE(w->Entry()->text(), QStringLiteral("2+3"));
    QTest::keyClick(w->Entry(), Qt::Key_Return);
    QCOMPARE(w->Logic().HistoryEntry(w->Logic().HistoryLast), std::string("2+3"));
    QCOMPARE(w->Display()->ShownText().trimmed(), QStringLiteral("5"));
    QCOMPARE(w->CalculatorEngine().LastAnswer, 5.0);
    QVERIFY(w->Logic().ResultShown);
    // An operator continues from the result; Up brings the entry back.
    QTest::keyClicks(w->Entry(), QStringLiteral("*"));
    QCOMPARE(w->Entry()->text(), QStringLiteral("5·"));
    QTest::keyClick(w->Entry(), Qt::Key_Up);
    QCOMPARE(w->Entry()->text(), QStringLiteral("2+3"));
  }

  void errorsColourTheEntryRed() {
    Shown shown;
    auto w = NewWindow(shown);
    w->SetEntryText("1/0");
    w->Logic().ExecuteKey();
    QVERIFY(!w->UpperMessageLine()->text().isEmpty());
    QCOMPARE(w->Entry()->palette().color(QPalette::Text), QColor(192, 0, 0));
    QTest::keyClicks(w->Entry(), QStringLiteral("x"));
    QCOMPARE(w->Entry()->palette().color(QPalette::Text), QColor(Qt::black));
  }

  void displayRecordsTheGlyphFonts() {
    DisplayBox box;
    struct Row {
      const char* font;
      std::string bytes;
      QString shown;
    };
    const Row rows[] = {
        {tarvo::kDisplayFont, " 12.5", QStringLiteral(" 12.5")},
        {tarvo::kDisplayFont, "1.5\xB7" "10", QStringLiteral("1.5·10")},
        {tarvo::kDisplayFont, "\xCB", QStringLiteral("π")},
        {tarvo::kSymbolFont, "p", QStringLiteral("π")},
        {tarvo::kSymbolFont, "\xD6", QStringLiteral("√")},
    };
    for (const Row& r : rows) {
      box.Clear();
      box.SetFontName(r.font);
      box.SetFontSize(11);
      box.Print(r.bytes);
      QCOMPARE(box.Items().size(), size_t{1});
      QCOMPARE(box.Items()[0].text, r.shown);
      QCOMPARE(box.Items()[0].family, QString::fromLatin1(r.font));
    }
  }

  void displayRecordsTheResultForms() {
    struct Row {
      const char* name;
      std::string text;
      QStringList shown;  // the printed items in order
      QList<double> tops;
      QList<double> sizes;
      int lines;
    };
    const Row rows[] = {
        {"plain", " -.25", {QStringLiteral(" -0.25")}, {3}, {11}, 0},
        {"exponent", " 1.5E+20", {QStringLiteral("  1.5·10"), QStringLiteral("20")}, {3, 0}, {11, 9}, 0},
        {"pi", " 2pi/3", {QStringLiteral("  2"), QStringLiteral("π"), QStringLiteral("/3")}, {3, -1, 3}, {11, 14, 11}, 0},
        {"root", " 3sqr2/4", {QStringLiteral("  3"), QStringLiteral("√"), QStringLiteral("2/4")}, {3, 2, 3}, {11, 14, 11}, 1},
    };
    for (const Row& r : rows) {
      DisplayBox box;
      box.Clear();
      tarvo::DrawResult(r.text, box);
      QStringList shown;
      QList<double> tops, sizes;
      const DisplayBox::Item* line = nullptr;
      for (const auto& it : box.Items()) {
        if (it.kind == DisplayBox::Item::kLine) {
          line = &it;
          continue;
        }
        shown << it.text;
        tops << it.y;
        sizes << it.size;
      }
      QVERIFY2(shown == r.shown, qPrintable(QStringLiteral("%1: %2").arg(r.name, shown.join('|'))));
      QCOMPARE(tops, r.tops);
      QCOMPARE(sizes, r.sizes);
      QCOMPARE(line != nullptr ? 1 : 0, r.lines);
      if (line != nullptr) {
        // The bar starts after the radical and spans the radicand "2" only.
        const auto& radicand = box.Items()[2];
        QCOMPARE(line->x, radicand.x);
        QCOMPARE(line->y, 2.0);
        const double two = QFontMetricsF(DisplayBox::FontFor(11, true)).horizontalAdvance(QStringLiteral("2"));
        QCOMPARE(line->x1 - line->x, two);
      }
    }
  }

  void displayPenAdvancesByTheTextWidth() {
    DisplayBox box;
    box.Clear();
    box.SetFontSize(11);
    box.SetFontBold(true);
    const double w = box.TextWidth(" 2");
    QVERIFY(w > 5);
    box.Print(" 2");
    QCOMPARE(box.CurrentX(), w);
    box.SetFontSize(9);
    QVERIFY(box.TextWidth("20") < QFontMetricsF(DisplayBox::FontFor(11, true)).horizontalAdvance("20"));
    box.SetCurrentY(0);
    box.Print("20");
    QCOMPARE(box.Items()[1].y, 0.0);
    QCOMPARE(box.Items()[1].size, 9.0);
    QCOMPARE(box.Items()[1].x, w);
    box.Line(3, 2, 10, 2);
    QCOMPARE(box.Items().back().kind, DisplayBox::Item::kLine);
    QCOMPARE(box.ShownText(), QStringLiteral(" 220"));
  }

  void closingSavesTheVariables() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    Shown shown;
    auto w = NewWindow(shown, dir.path().toStdString());
    QTest::keyClick(w->Entry(), Qt::Key_Escape);
    QVERIFY(!w->isVisible());
    QVERIFY(QFile::exists(dir.filePath(QStringLiteral("Varreal.dat"))));
    QCOMPARE(QFileInfo(dir.filePath(QStringLiteral("vardimr.dat"))).size(), 52);
    QVERIFY(shown.texts.isEmpty());
  }

  // Escape with a save that fails: the box names the full path and the
  // reason, and the user's answer decides. Retry after the folder was made
  // saves; staying open keeps the window; quitting saves nothing.
  void aFailedSaveOffersRetryStayOpenOrQuit() {
    using Choice = MainWindow::SaveFailedChoice;
    const struct {
      const char* name;
      QList<Choice> answers;
      bool makeFolderOnRetry, open, saved;
    } rows[] = {
        {"retry once the folder exists", {Choice::kRetry}, true, false, true},
        {"stay open", {Choice::kStayOpen}, false, true, false},
        {"retry in vain, then quit", {Choice::kRetry, Choice::kQuitWithoutSaving}, false, false, false},
    };
    for (const auto& row : rows) {
      QTemporaryDir dir;
      const QString folder = dir.filePath(QStringLiteral("state"));
      Shown shown;
      auto w = NewWindow(shown, folder.toStdString());
      QStringList asked;
      QList<Choice> answers = row.answers;
      w->SetSaveFailed([&](const QString& text) {
        asked << text;
        if (row.makeFolderOnRetry) QDir().mkpath(folder);
        return answers.takeFirst();
      });
      QTest::keyClick(w->Entry(), Qt::Key_Escape);
      QVERIFY2(answers.isEmpty(), row.name);
      QCOMPARE(asked.size(), row.answers.size());
      QCOMPARE(asked[0], QStringLiteral("The variables could not be saved in \"%1/Varreal.dat\": No such file or directory")
                             .arg(folder));
      QCOMPARE(w->isVisible(), row.open);
      QCOMPARE(QFileInfo(folder + QStringLiteral("/Varreal.dat")).size(), row.saved ? 224 : 0);
      QVERIFY(shown.texts.isEmpty());
      if (row.open) {  // a later Escape asks again
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
    Shown shown;
    auto w = NewWindow(shown, dir.path().toStdString());
    QCOMPARE(shown.texts.size(), 1);
    QVERIFY2(shown.texts[0].startsWith(QStringLiteral("The saved variables could not be read from \"%1\": "
                                                      "it is not a regular file").arg(values)),
             qPrintable(shown.texts[0]));
    QString asked;
    w->SetSaveFailed([&](const QString& text) {
      asked = text;
      return MainWindow::SaveFailedChoice::kQuitWithoutSaving;
    });
    w->close();
    QVERIFY(asked.contains(values));
    QVERIFY(QFileInfo(values).isSymLink() == false && !QFileInfo(values).isFile());  // still the FIFO
  }

  void alwaysVisibleSwitchesTheWindowFlag() {
    Shown shown;
    auto w = NewWindow(shown);
    QTest::mouseClick(w->AlwaysVisibleSwitch(), Qt::LeftButton);
    QVERIFY(w->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(w->windowFlags().testFlag(Qt::FramelessWindowHint));
    QVERIFY(w->isVisible());
    QCOMPARE(w->UpperMessageLine()->text(), QStringLiteral("Always visible mode enabled. This window is always on top "));
    QTest::mouseClick(w->AlwaysVisibleSwitch(), Qt::LeftButton);
    QVERIFY(!w->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  }

  void constantsKeyShowsThePiSignInTheMessageLine() {
    Shown shown;
    auto w = NewWindow(shown);
    std::vector<std::vector<tarvo::MenuEntry>> menus;
    int next = 16;  // "pi constant", then the speed of light
    w->SetPopupMenu([&](const std::vector<tarvo::MenuEntry>& entries) {
      menus.push_back(entries);
      const int choice = next;
      next = 0;
      return choice;
    });
    QTest::mouseClick(w->Key(89), Qt::LeftButton);
    QCOMPARE(menus.size(), size_t{1});
    QCOMPARE(menus[0].size(), size_t{28});
    QCOMPARE(w->Entry()->text(), QStringLiteral("π "));
    QCOMPARE(w->UpperMessageLine()->text(), QStringLiteral("Número π "));
    QTest::mouseClick(w->Key(89), Qt::LeftButton);
    QCOMPARE(w->Entry()->text(), QStringLiteral("π 299792458"));
    QCOMPARE(w->UpperMessageLine()->text(), QStringLiteral("Speed of light in vacuum = 299792458 [ m / s ] "));
  }

  void splashHandsOverOnceAtTheFirstKey() {
    tarvo::ui::SplashWindow splash;
    QCOMPARE(splash.LblTIT1()->text(), QStringLiteral("Tarvo"));
    QCOMPARE(splash.LblTIT2()->text(), QStringLiteral("Scientific Calculator"));
    QCOMPARE(splash.LblVersion()->text(), QStringLiteral("Version: 1.0"));
    int handed = 0;
    splash.onUnload = [&handed] { ++handed; };
    splash.show();
    QVERIFY(splash.Timer1()->isActive());
    QCOMPARE(splash.Timer1()->interval(), 400);
    QTest::keyClick(&splash, Qt::Key_A);
    QCOMPARE(handed, 1);
    QVERIFY(!splash.isVisible());
    splash.close();
    QCOMPARE(handed, 1);
  }

  void splashHandsOverAfterItsTime() {
    tarvo::ui::SplashWindow splash;
    int handed = 0;
    splash.onUnload = [&handed] { ++handed; };
    splash.show();
    QTRY_COMPARE_WITH_TIMEOUT(handed, 1, 3000);
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
