// The variable list window, the help key's desktop hand-overs and the About
// box on the offscreen platform. Every modal window is closed from the
// window's modal hook; every address goes to a recorder.
#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QTemporaryDir>
#include <QtTest/QtTest>
#include <optional>

#include "engine/state.h"
#include "ui/logic/menus.h"
#include "ui/qt/main_window.h"
#include "ui/qt/splash_window.h"
#include "ui/qt/variable_list_window.h"

using tarvo::VarListButton;
using tarvo::ui::MainWindow;
using tarvo::ui::VariableListWindow;

class VarListTest : public QObject {
  Q_OBJECT

 private:
  struct Recorded {
    QStringList titles, texts;
    QList<QUrl> urls;
    bool desktopAccepts = true;
  };
  std::unique_ptr<MainWindow> NewWindow(Recorded& rec) {
    auto w = std::make_unique<MainWindow>("");
    w->SetMessageBox([&rec](const QString& title, const QString& text) {
      rec.titles << title;
      rec.texts << text;
    });
    w->SetOpenUrl([&rec](const QUrl& url) {
      rec.urls << url;
      return rec.desktopAccepts;
    });
    w->Load();
    w->show();
    return w;
  }
  void Define(char letter, double value) {
    engine->VariableStore[static_cast<size_t>(letter - 'a')] = value;
    engine->DefinedFlag[static_cast<size_t>(letter - 'a')] = tarvo::kDefined;
  }

  // The engine of the lists made without a window; fresh for every test.
  std::optional<tarvo::Engine> engine;

 private slots:
  void init() { engine.emplace(); }

  void showsTheRowsInAFixedPitchFont() {
    Define('x', 5);
    Define('y', -0.25);
    VariableListWindow list(*engine, 1);
    QCOMPARE(list.ShownRows(), QStringList({QStringLiteral("x =  5"), QStringLiteral("y = -0.25")}));
    // Fixed pitch by measure: some monospace fonts do not flag themselves so.
    const QFontMetrics fm(list.ListRows()->font());
    QCOMPARE(fm.horizontalAdvance(QLatin1Char('i')), fm.horizontalAdvance(QLatin1Char('W')));
    QCOMPARE(fm.horizontalAdvance(QLatin1Char(' ')), fm.horizontalAdvance(QLatin1Char('0')));
    QVERIFY(list.windowFlags().testFlag(Qt::FramelessWindowHint));
    QCOMPARE(list.Title()->text(), QStringLiteral("List of variables"));
    QVERIFY(list.Button(VarListButton::kCopy)->isEnabled());
    QVERIFY(list.Button(VarListButton::kClear)->isEnabled());
    QCOMPARE(list.Button(VarListButton::kCopy)->text(), QStringLiteral("Copy"));
    QCOMPARE(list.Button(VarListButton::kClear)->text(), QStringLiteral("Clear"));
    QCOMPARE(list.Button(VarListButton::kExit)->text(), QStringLiteral("Exit"));
  }

  void buttonsRestAndPressWhereTheyBelong() {
    VariableListWindow list(*engine, 1);
    list.show();
    struct Row {
      VarListButton b;
      int left;
    };
    for (const Row r : {Row{VarListButton::kCopy, 228}, Row{VarListButton::kClear, 289}, Row{VarListButton::kExit, 348}}) {
      auto* button = list.Button(r.b);
      QCOMPARE(button->pos(), QPoint(r.left, 8));
      QCOMPARE(button->palette().color(QPalette::Active, QPalette::WindowText), QColor(0, 0, 192));
    }
    // On an empty list Copy and Clear are greyed, not blue.
    QVERIFY(list.Button(VarListButton::kCopy)->palette().color(QPalette::WindowText) != QColor(0, 0, 192));
    // Copy and Clear are disabled on an empty list, so Exit shows the look.
    auto* exit = list.Button(VarListButton::kExit);
    QTest::mousePress(exit, Qt::LeftButton, {}, QPoint(2, 2));
    QCOMPARE(exit->pos(), QPoint(349, 9));
    QCOMPARE(exit->palette().color(QPalette::WindowText), QColor(128, 128, 255));
    QTest::mouseRelease(exit, Qt::LeftButton, {}, QPoint(2, 2));
    QCOMPARE(exit->pos(), QPoint(348, 8));
    QVERIFY(!list.isVisible());
  }

  void emptyListDisablesCopyAndClear() {
    VariableListWindow list(*engine, 1);
    QVERIFY(list.ShownRows().isEmpty());
    QVERIFY(!list.Button(VarListButton::kCopy)->isEnabled());
    QVERIFY(!list.Button(VarListButton::kClear)->isEnabled());
    QVERIFY(list.Button(VarListButton::kExit)->isEnabled());
  }

  void copyPutsTheRowsOnTheClipboard() {
    engine->ComplexMarker = 2;
    Define('a', 1);
    Define('b', 1);
    Define('i', 2);
    VariableListWindow list(*engine, 1);
    list.show();
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    QTest::mouseClick(list.Button(VarListButton::kCopy), Qt::LeftButton, {}, QPoint(2, 2));
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("a =  1 + i2\r\nb =  1 - i2\r\n"));
  }

  void clearEmptiesTheList() {
    Define('q', 3);
    VariableListWindow list(*engine, 1);
    list.show();
    QTest::mouseClick(list.Button(VarListButton::kClear), Qt::LeftButton, {}, QPoint(2, 2));
    QVERIFY(list.ShownRows().isEmpty());
    QCOMPARE(engine->DefinedFlag['q' - 'a'], tarvo::kUndefined);
    QVERIFY(!list.Button(VarListButton::kCopy)->isEnabled());
  }

  void escapeClosesAndDropsTheComplexPair() {
    engine->ComplexMarker = 3;
    VariableListWindow list(*engine, 1);
    list.show();
    QTest::keyClick(&list, Qt::Key_Escape);
    QVERIFY(!list.isVisible());
    QCOMPARE(engine->ComplexMarker, 0);
    QCOMPARE(list.result(), int(QDialog::Rejected));
  }

  void solverOpensTheListFromTheWindow() {
    Recorded rec;
    auto w = NewWindow(rec);
    QStringList shown;
    int opened = 0;
    bool busyWhileOpen = true;
    w->SetModalHook([&](QWidget* window) {
      ++opened;
      auto* list = dynamic_cast<VariableListWindow*>(window);
      QVERIFY(list != nullptr);
      shown = list->ShownRows();
      busyWhileOpen = QApplication::overrideCursor() != nullptr;
      QTest::mouseClick(list->Button(VarListButton::kExit), Qt::LeftButton, {}, QPoint(2, 2));
    });
    w->SetEntryText("EQ2D(x^2-2x+5)");
    w->Logic().ExecuteKey();
    QCOMPARE(opened, 1);
    QCOMPARE(shown, QStringList({QStringLiteral("a =  1 + i2"), QStringLiteral("b =  1 - i2")}));
    QVERIFY(!busyWhileOpen);
    QVERIFY(QApplication::overrideCursor() == nullptr);  // balanced once the calculation ended
    QVERIFY(!w->Busy());
    QCOMPARE(w->CalculatorEngine().ComplexMarker, 0);
    QCOMPARE(w->CalculatorEngine().ErrorCode, 0);
    QVERIFY(rec.texts.isEmpty());
  }

  void listKeyDropsAlwaysOnTopWhileOpen() {
    Recorded rec;
    auto w = NewWindow(rec);
    QTest::mouseClick(w->AlwaysVisibleSwitch(), Qt::LeftButton);
    QVERIFY(w->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    bool onTopWhileOpen = true;
    w->SetModalHook([&](QWidget* window) {
      onTopWhileOpen = w->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
      window->close();
    });
    QTest::mouseClick(w->Key(91), Qt::LeftButton);
    QVERIFY(!onTopWhileOpen);
    QVERIFY(w->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(w->isVisible());
  }

  void manualOpensBesideTheProgram() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("Manual_Tarvo.pdf"));
    {
      QFile f(path);
      QVERIFY(f.open(QIODevice::WriteOnly));
    }
    Recorded rec;
    auto w = NewWindow(rec);
    w->SetProgramDirectory(dir.path().toStdString());
    w->Entry()->setFocus();
    QTest::keyClick(w->Entry(), Qt::Key_F1);
    QCOMPARE(rec.urls, QList<QUrl>({QUrl::fromLocalFile(path)}));
    QVERIFY(rec.texts.isEmpty());
  }

  void missingManualNamesTheFullPath() {
    QTemporaryDir dir;
    Recorded rec;
    auto w = NewWindow(rec);
    w->SetProgramDirectory(dir.path().toStdString());
    w->SetPopupMenu([](const std::vector<tarvo::MenuEntry>& entries) {
      return entries.size() == 4 ? static_cast<int>(tarvo::HelpChoice::kManual) : -1;
    });
    QTest::mouseClick(w->Key(92), Qt::LeftButton);
    QVERIFY(rec.urls.isEmpty());
    QCOMPARE(rec.titles, QStringList({QStringLiteral("Error")}));
    QCOMPARE(rec.texts, QStringList({QStringLiteral("Can't find/open file ") + dir.filePath(QStringLiteral("Manual_Tarvo.pdf"))}));
  }

  void unreachableSiteIsReported() {
    Recorded rec;
    rec.desktopAccepts = false;
    auto w = NewWindow(rec);
    w->SetPopupMenu([](const std::vector<tarvo::MenuEntry>&) { return static_cast<int>(tarvo::HelpChoice::kHomePage); });
    QTest::mouseClick(w->Key(92), Qt::LeftButton);
    QCOMPARE(rec.urls, QList<QUrl>({QUrl(QStringLiteral("https://tarvo.example.org/"))}));
    QCOMPARE(rec.texts, QStringList({QStringLiteral("Sorry, cannot connect to tarvo.example.org")}));
  }

  void aboutBoxWaitsForAClick() {
    Recorded rec;
    auto w = NewWindow(rec);
    w->SetPopupMenu([](const std::vector<tarvo::MenuEntry>&) { return static_cast<int>(tarvo::HelpChoice::kAbout); });
    bool stillShown = false, timerIdle = false, modal = false;
    QString title;
    w->SetModalHook([&](QWidget* window) {
      auto* about = static_cast<tarvo::ui::SplashWindow*>(window);
      title = about->LblTIT1()->text();
      modal = about->isModal();
      QTest::qWait(tarvo::ui::SplashWindow::kShowMilliseconds + 300);
      stillShown = about->isVisible();
      timerIdle = !about->Timer1()->isActive();
      QTest::mouseClick(about, Qt::LeftButton, {}, QPoint(10, 10));
    });
    QTest::mouseClick(w->Key(92), Qt::LeftButton);
    QVERIFY(stillShown);
    QVERIFY(timerIdle);
    QVERIFY(modal);
    QCOMPARE(title, QStringLiteral("Tarvo"));
    QVERIFY(w->isVisible());
  }

  void aboutBoxClosesOnAKey() {
    Recorded rec;
    auto w = NewWindow(rec);
    w->SetPopupMenu([](const std::vector<tarvo::MenuEntry>&) { return static_cast<int>(tarvo::HelpChoice::kAbout); });
    int hooks = 0;
    w->SetModalHook([&](QWidget* window) {
      ++hooks;
      QTest::keyClick(window, Qt::Key_Space);
    });
    QTest::mouseClick(w->Key(92), Qt::LeftButton);  // returns only once the box is gone
    QCOMPARE(hooks, 1);
  }

  void splashLinksOpenOrExplain() {
    struct Row {
      const char* name;
      bool mail;
      bool accepts;
      QUrl url;
      QStringList texts;
    };
    const Row rows[] = {
        {"mail", true, true, QUrl(QStringLiteral("mailto:tarvo@example.org")), {}},
        {"mail refused", true, false, QUrl(QStringLiteral("mailto:tarvo@example.org")),
         {QStringLiteral("Sorry, can't found your email client application.")}},
        {"web", false, true, QUrl(QStringLiteral("https://tarvo.example.org/")), {}},
        {"web refused", false, false, QUrl(QStringLiteral("https://tarvo.example.org/")),
         {QStringLiteral("Sorry, cannot connect to tarvo.example.org")}},
    };
    for (const Row& r : rows) {
      tarvo::ui::SplashWindow splash;
      QList<QUrl> urls;
      QStringList texts;
      splash.openUrl = [&](const QUrl& url) {
        urls << url;
        return r.accepts;
      };
      splash.messageBox = [&](const QString&, const QString& text) { texts << text; };
      splash.SetTimerEnabled(false);
      splash.show();
      QTest::mouseClick(r.mail ? splash.LlblMAIL() : splash.LblWEB(), Qt::LeftButton, {}, QPoint(3, 3));
      QCOMPARE(urls, QList<QUrl>({r.url}));
      QVERIFY2(texts == r.texts, r.name);
      QVERIFY2(splash.isVisible(), r.name);  // an address is no click to close
    }
  }
};

QTEST_MAIN(VarListTest)
#include "variable_list_window_test.moc"
