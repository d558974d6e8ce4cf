// The variable list window, alone and opened from the calculator window, and
// the help key's hand-overs to the desktop, the About box and the splash's links.
#include <QClipboard>
#include <QTemporaryDir>

#include "engine/state.h"
#include "tests/qt/window_driver.h"
#include "ui/logic/keypad.h"
#include "ui/logic/menus.h"
#include "ui/qt/variable_list_window.h"

using namespace tarvo::test;
using tarvo::VarListButton;
using tarvo::ui::VariableListWindow;

class VarListTest : public QObject {
  Q_OBJECT

  static void Click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(2, 2)); }

 private slots:
  void copyClearAndExit() {
    tarvo::Engine engine;
    VariableListWindow empty(engine, 1);  // nothing to copy or clear
    QVERIFY(!empty.Button(VarListButton::kCopy)->isEnabled() && !empty.Button(VarListButton::kClear)->isEnabled());
    for (const auto& [letter, value] : {std::pair{'x', 5.0}, {'y', -0.25}}) {
      engine.VariableStore[static_cast<size_t>(letter - 'a')] = value;
      engine.DefinedFlag[static_cast<size_t>(letter - 'a')] = tarvo::kDefined;
    }
    VariableListWindow list(engine, 1);
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
    QCOMPARE(engine.DefinedFlag['x' - 'a'], tarvo::kUndefined);
    QVERIFY(!list.Button(VarListButton::kCopy)->isEnabled());
    Click(list.Button(VarListButton::kExit));
    QVERIFY(!list.isVisible());
  }

  // A solver's complex roots are listed from inside the calculation, without
  // the busy pointer; the pair is shown once, then the list is plain again.
  void aSolverShowsItsRootsInTheList() {
    Recorder rec;
    auto w = NewWindow(rec);
    QList<QStringList> shown;
    bool busyWhileOpen = false;
    w->SetModalHook([&](QWidget* window) {
      auto* list = dynamic_cast<VariableListWindow*>(window);
      shown << list->ShownRows();
      busyWhileOpen = busyWhileOpen || QApplication::overrideCursor() != nullptr;
      Click(list->Button(VarListButton::kExit));
    });
    Start(*w, QStringLiteral("EQ2D(x^2-2x+5)"));
    QTest::keyClick(w->Entry(), Qt::Key_Return);
    QVERIFY(w->UpperMessageLine()->text().trimmed().isEmpty() && rec.texts.isEmpty());
    QTest::mouseClick(w->Key(tarvo::kKeyVarList), Qt::LeftButton);
    QCOMPARE(shown, QList<QStringList>({{"a =  1 + i2", "b =  1 - i2"}, {"a =  1", "b =  1", "i =  2"}}));
    QVERIFY(!busyWhileOpen && QApplication::overrideCursor() == nullptr && !w->Busy());
    // Escape closes the list and drops the pair as well.
    w->SetModalHook([](QWidget* window) { QTest::keyClick(window, Qt::Key_Escape); });
    QTest::keyClick(w->Entry(), Qt::Key_Return);
    w->SetModalHook([&](QWidget* window) { shown << dynamic_cast<VariableListWindow*>(window)->ShownRows(), window->close(); });
    QTest::mouseClick(w->Key(tarvo::kKeyVarList), Qt::LeftButton);
    QCOMPARE(shown.last(), QStringList({"a =  1", "b =  1", "i =  2"}));
  }

  void theListKeyDropsAlwaysOnTopWhileOpen() {
    Recorder rec;
    auto w = NewWindow(rec);
    QTest::mouseClick(w->AlwaysVisibleSwitch(), Qt::LeftButton);
    bool onTopWhileOpen = true;
    w->SetModalHook([&](QWidget* window) {
      onTopWhileOpen = w->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
      window->close();
    });
    QTest::mouseClick(w->Key(tarvo::kKeyVarList), Qt::LeftButton);
    QVERIFY(!onTopWhileOpen && w->windowFlags().testFlag(Qt::WindowStaysOnTopHint) && w->isVisible());
  }

  // F1 and the help menu: the manual beside the program, the home page; what
  // cannot be opened is named.
  void helpHandsOverToTheDesktop() {
    QTemporaryDir dir;
    const QString manual = dir.filePath(QStringLiteral("Manual_Tarvo.pdf"));
    const QUrl home(QStringLiteral("https://tarvo.example.org/"));
    const struct {
      bool manualThere, accepts;
      int choice;  // -1: F1
      QList<QUrl> urls;
      QStringList texts;
    } rows[] = {
        {true, true, -1, {QUrl::fromLocalFile(manual)}, {}},
        {false, true, int(tarvo::HelpChoice::kManual), {}, {"Can't find/open file " + manual}},
        {false, false, int(tarvo::HelpChoice::kHomePage), {home}, {"Sorry, cannot connect to tarvo.example.org"}},
    };
    for (const auto& r : rows) {
      QFile file(manual);
      r.manualThere ? void(file.open(QIODevice::WriteOnly)) : void(file.remove());
      Recorder rec;
      rec.desktopAccepts = r.accepts;
      auto w = NewWindow(rec);
      w->SetProgramDirectory(dir.path().toStdString());
      w->SetPopupMenu([&](const std::vector<tarvo::MenuEntry>&) { return r.choice; });
      if (r.choice < 0) QTest::keyClick(w->Entry(), Qt::Key_F1);
      else QTest::mouseClick(w->Key(tarvo::kKeyHelp), Qt::LeftButton);
      QCOMPARE(rec.urls, r.urls);
      QCOMPARE(rec.texts, r.texts);
    }
  }

  // The About box is modal and outlives the splash's time; a click or a key
  // closes it.
  void theAboutBoxWaitsForAClickOrAKey() {
    for (const bool byKey : {false, true}) {
      Recorder rec;
      auto w = NewWindow(rec);
      w->SetPopupMenu([](const std::vector<tarvo::MenuEntry>&) { return int(tarvo::HelpChoice::kAbout); });
      bool stillShown = false, modal = false;
      w->SetModalHook([&](QWidget* about) {
        ++rec.windows;
        modal = about->isModal();
        QTest::qWait(tarvo::ui::SplashWindow::kShowMilliseconds + 300);
        stillShown = about->isVisible();
        if (byKey) QTest::keyClick(about, Qt::Key_Space);
        else QTest::mouseClick(about, Qt::LeftButton, {}, QPoint(10, 10));
      });
      QTest::mouseClick(w->Key(tarvo::kKeyHelp), Qt::LeftButton);  // returns once the box is gone
      QVERIFY(stillShown && modal && w->isVisible());
      QCOMPARE(rec.windows, 1);
    }
  }

  // The splash's addresses go to the desktop; a refusal is explained and the
  // splash stays.
  void theSplashLinksOpenOrExplain() {
    for (const bool mail : {true, false}) {
      for (const bool accepts : {true, false}) {
        tarvo::ui::SplashWindow splash;
        QList<QUrl> urls;
        QStringList texts;
        splash.openUrl = [&](const QUrl& url) { return urls << url, accepts; };
        splash.messageBox = [&](const QString&, const QString& text) { texts << text; };
        splash.SetTimerEnabled(false);
        splash.show();
        Click(mail ? static_cast<QWidget*>(splash.LlblMAIL()) : splash.LblWEB());
        QCOMPARE(urls, QList<QUrl>({QUrl(mail ? "mailto:tarvo@example.org" : "https://tarvo.example.org/")}));
        const QString refusal = mail ? "Sorry, can't found your email client application." : "Sorry, cannot connect to tarvo.example.org";
        QCOMPARE(texts, accepts ? QStringList() : QStringList({refusal}));
        QVERIFY(splash.isVisible());
      }
    }
  }
};

QTEST_MAIN(VarListTest)
#include "variable_list_window_test.moc"
