// The looks as a person sees them, measured from the pixels the windows
// render: the contrast of every key's caption, of the page selector, the
// entry line (plain, an error, a notice), the display, the message lines,
// the title line, and the tape's and the variable list's rows, titles and
// buttons; the ring that marks the focus; the look that follows the
// desktop, the one chosen from the help menu and kept, and --look.
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <vector>

#include "core/settings.h"
#include "tests/qt/window_driver.h"
#include "ui/logic/menus.h"
#include "ui/qt/key_pictures.h"
#include "ui/qt/look_colours.h"
#include "ui/qt/tape_window.h"
#include "ui/qt/variable_list_window.h"

using namespace tarvo::test;
using tarvo::HelpChoice;
using tarvo::Key;
using tarvo::Look;

namespace {

double Luminance(QRgb rgb) {
  const auto channel = [](int v) {
    const double c = v / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * channel(qRed(rgb)) + 0.7152 * channel(qGreen(rgb)) + 0.0722 * channel(qBlue(rgb));
}

double Ratio(double a, double b) { return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05); }

struct Contrast {
  double ratio = 0;
  int textPixels = 0;
};

// The contrast of the text in `area` of `image` against what is around it,
// as the eye takes it. The background is what most of the area shows (its
// median luminance); the text, the pixels that stand 1.5:1 or more from it
// on the side where there are more of them. The text's luminance is that of
// its strokes' core: the tenth of its pixels farthest from the background.
// The background's is its part nearest the text: the 5 % of its pixels
// closest to the text's luminance, leaving out those within two pixels of
// the text, which antialiasing blends with it. On a gradient that is the
// gradient's worst end.
Contrast Measure(const QImage& source, const QRect& area) {
  const QImage image = source.convertToFormat(QImage::Format_RGB32);
  const QRect r = area.intersected(image.rect());
  const int w = r.width(), h = r.height();
  if (w <= 0 || h <= 0) return {};
  std::vector<double> lum(static_cast<size_t>(w * h));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) lum[static_cast<size_t>(y * w + x)] = Luminance(image.pixel(r.x() + x, r.y() + y));
  std::vector<double> sorted = lum;
  std::nth_element(sorted.begin(), sorted.begin() + static_cast<long>(sorted.size() / 2), sorted.end());
  const double median = sorted[sorted.size() / 2];
  int lighter = 0, darker = 0;
  for (const double l : lum) {
    if (Ratio(l, median) < 1.5) continue;
    (l > median ? lighter : darker) += 1;
  }
  const bool textIsLight = lighter > darker;
  const auto isText = [&](int x, int y) {
    const double l = lum[static_cast<size_t>(y * w + x)];
    return Ratio(l, median) >= 1.5 && (l > median) == textIsLight;
  };
  std::vector<double> text, paper;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const double l = lum[static_cast<size_t>(y * w + x)];
      if (isText(x, y)) {
        text.push_back(l);
        continue;
      }
      bool near = false;
      for (int dy = -2; dy <= 2 && !near; ++dy)
        for (int dx = -2; dx <= 2 && !near; ++dx)
          near = x + dx >= 0 && x + dx < w && y + dy >= 0 && y + dy < h && isText(x + dx, y + dy);
      if (!near) paper.push_back(l);
    }
  if (text.empty() || paper.empty()) return {};
  std::sort(text.begin(), text.end());
  std::sort(paper.begin(), paper.end());
  const auto at = [](const std::vector<double>& v, double share) {
    return v[std::min(v.size() - 1, static_cast<size_t>(share * static_cast<double>(v.size())))];
  };
  const double ink = textIsLight ? at(text, 0.9) : at(text, 0.1);
  const double background = textIsLight ? at(paper, 0.95) : at(paper, 0.05);
  return {Ratio(ink, background), static_cast<int>(text.size())};
}

// One text to measure: where it stands in a picture of its window.
struct Sample {
  QString name;
  QImage image;
  QRect area;
};

// The least contrast each look promises every text; the default look keeps
// the calculator's own colours and promises it only where it was mended.
double Least(Look look) { return look == Look::kHighContrast ? 7.0 : look == Look::kDark ? 4.5 : 0.0; }

QRect Within(const QWidget* widget, const QWidget* window, int inset) {
  return QRect(widget->mapTo(window, QPoint(0, 0)), widget->size()).adjusted(inset, inset, -inset, -inset);
}

QLabel* Labelled(QWidget* window, const QString& text) {
  for (QLabel* l : window->findChildren<QLabel*>())
    if (l->text() == text) return l;
  return nullptr;
}

// The keypad page the window shows: the second where its keys are visible.
int ShownPage(MainWindow& w) {
  for (const tarvo::KeyDef& row : tarvo::KeyTable())
    if (row.page == tarvo::KeyPage::kSecond) return w.Key(row.key)->isVisibleTo(&w) ? 1 : 0;
  return 0;
}

}  // namespace

class LookTest : public QObject {
  Q_OBJECT

  Recorder rec;
  std::unique_ptr<MainWindow> w;

  // Every text the calculator and its list windows show in `look`.
  std::vector<Sample> Samples(Look look) {
    std::vector<Sample> samples;
    rec = {}, w = NewWindow(rec);
    w->ShowLook(look);
    // The keys on their pages, each plain and, where it latches, lit.
    for (const int page : {0, 1}) {
      if (ShownPage(*w) != page) w->Logic().TurnKeypadPage();
      for (const tarvo::KeyDef& row : tarvo::KeyTable()) {
        tarvo::ui::KeyImage* key = w->Key(row.key);
        if (!key->isVisibleTo(w.get())) continue;
        const bool wasLit = key->Lit();
        for (const bool lit : {false, true}) {
          const bool latches = row.role == tarvo::KeyRole::kOutput || row.role == tarvo::KeyRole::kAngleUnit ||
                               row.role == tarvo::KeyRole::kArc || row.role == tarvo::KeyRole::kHyp;
          if (lit && !latches) continue;
          key->SetLit(lit);
          // Inside the key's edge; a lit key's lamp stands above its caption.
          const QRect area = Within(key, w.get(), 3).adjusted(0, lit && look != Look::kHighContrast ? 4 : 0, 0, -1);
          samples.push_back({QStringLiteral("key %1%2").arg(Text(row.caption), lit ? " lit" : ""), w->grab().toImage(), area});
        }
        key->SetLit(wasLit);
      }
    }
    for (const int page : {0, 1}) {
      if (ShownPage(*w) != page) w->Logic().TurnKeypadPage();
      const QPoint at = w->PageSelector()->pos();
      const QImage face = w->grab().toImage();
      samples.push_back({QStringLiteral("page selector, PAGE"), face, QRect(at + QPoint(6, 4), QSize(40, 18))});
      for (const int box : {0, 1})
        samples.push_back({QStringLiteral("page %1 %2").arg(box + 1).arg(box == page ? "shown" : "hidden"), face,
                           QRect(at + QPoint(51 + 33 * box, 5), QSize(26, 16))});
    }
    if (ShownPage(*w) != 0) w->Logic().TurnKeypadPage();

    // The lines: an entry, its result with an exponent, an error, a notice,
    // a key's two lines of help.
    Start(*w, QStringLiteral("12+345"));
    samples.push_back({QStringLiteral("entry line"), w->grab().toImage(), Within(w->Entry(), w.get(), 2)});
    Calculate(*w, QStringLiteral("1.5E20*10"));
    QImage face = w->grab().toImage();
    samples.push_back({QStringLiteral("display"), face, Within(w->Display(), w.get(), 2)});
    for (QLabel* l : w->findChildren<QLabel*>()) {
      if (l->text().contains(QStringLiteral("TARVO"))) {
        const QRect title = Within(l, w.get(), 0);
        samples.push_back({QStringLiteral("title"), face, title.adjusted(0, 0, 90 - title.width(), 0)});
        samples.push_back({QStringLiteral("subtitle"), face, title.adjusted(92, 0, 0, 0)});
      }
      if (l->text() == QStringLiteral("Minimize") || l->text() == QStringLiteral("Exit"))
        samples.push_back({l->text(), face, Within(l, w.get(), 0)});
    }
    Calculate(*w, QStringLiteral("1/0"));
    face = w->grab().toImage();
    samples.push_back({QStringLiteral("entry line, error"), face, Within(w->Entry(), w.get(), 2)});
    samples.push_back({QStringLiteral("upper message line"), face, Within(w->UpperMessageLine(), w.get(), 0)});
    Calculate(*w, QStringLiteral("solve(x^2+1,0,1)"));
    samples.push_back({QStringLiteral("entry line, notice"), w->grab().toImage(), Within(w->Entry(), w.get(), 2)});
    QTest::mouseClick(w->Key(Key::Exponent), Qt::LeftButton);
    samples.push_back({QStringLiteral("lower message line"), w->grab().toImage(), Within(w->LowerMessageLine(), w.get(), 0)});

    // The tape: an answer, an error, a notice and the current row.
    Calculate(*w, QStringLiteral("2*4"));
    QTest::keyClick(w->Entry(), Qt::Key_F12, Qt::ShiftModifier);
    tarvo::ui::TapeWindow* tape = w->Tape();
    QListWidget* rows = tape->List();
    const int n = rows->count();
    const QImage tapeFace = tape->grab().toImage();
    const auto row = [&](int i) {
      return rows->visualItemRect(rows->item(i)).translated(rows->viewport()->mapTo(tape, QPoint(0, 0))).adjusted(1, 1, -1, -1);
    };
    samples.push_back({QStringLiteral("tape row"), tapeFace, row(n - 4)});
    samples.push_back({QStringLiteral("tape row, error"), tapeFace, row(n - 3)});
    samples.push_back({QStringLiteral("tape row, notice"), tapeFace, row(n - 2)});
    samples.push_back({QStringLiteral("tape row, selected"), tapeFace, row(n - 1)});
    for (const char* label : {"Tape", "Copy", "Clear", "Close"})
      if (QLabel* l = Labelled(tape, QString::fromLatin1(label))) samples.push_back({QStringLiteral("tape: ") + label, tapeFace, Within(l, tape, 0)});
    tape->close();

    // The variable list, its first row current.
    Calculate(*w, QStringLiteral("a=1.5"));
    Calculate(*w, QStringLiteral("b=-2"));
    w->SetModalHook([&](QWidget* window) {
      auto* list = static_cast<tarvo::ui::VariableListWindow*>(window);
      list->ListRows()->setCurrentRow(0);
      const QImage listFace = list->grab().toImage();
      QListWidget* shown = list->ListRows();
      for (const int i : {0, 1})
        samples.push_back({i == 0 ? QStringLiteral("list row, selected") : QStringLiteral("list row"), listFace,
                           shown->visualItemRect(shown->item(i))
                               .translated(shown->viewport()->mapTo(list, QPoint(0, 0)))
                               .adjusted(1, 1, -1, -1)});
      for (const char* label : {"List of variables", "Copy", "Clear", "Exit"})
        if (QLabel* l = Labelled(list, QString::fromLatin1(label))) samples.push_back({QStringLiteral("list: ") + label, listFace, Within(l, list, 0)});
      window->close();
    });
    QTest::mouseClick(w->Key(Key::VariableList), Qt::LeftButton);
    return samples;
  }

  static QString Text(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

 private slots:
  void init() { rec = {}, w = NewWindow(rec); }

  // The measure itself: known text on known backgrounds reads as the
  // guidelines compute it, and a gradient counts at its worst end.
  void contrastIsMeasuredAsTheGuidelinesCompute() {
    const struct { QColor ink, top, bottom; double expected; } rows[] = {
        {QColor(118, 118, 118), Qt::white, Qt::white, 4.54},
        {QColor(150, 150, 150), Qt::white, Qt::white, 2.96},
        {Qt::white, QColor(206, 70, 36), QColor(206, 70, 36), 4.65},
        {Qt::white, Qt::black, Qt::black, 21.0},
        {Qt::yellow, Qt::black, Qt::black, 19.56},
        {Qt::white, QColor(250, 140, 90), QColor(206, 70, 36), 2.34},  // the light end counts
    };
    for (const auto& r : rows) {
      QImage image(80, 30, QImage::Format_RGB32);
      QPainter p(&image);
      QLinearGradient g(0, 0, 0, 30);
      g.setColorAt(0, r.top);
      g.setColorAt(1, r.bottom);
      p.fillRect(image.rect(), g);
      QFont f(QStringLiteral("DejaVu Sans"));
      f.setPixelSize(15);
      f.setBold(true);
      p.setFont(f);
      p.setPen(r.ink);
      p.drawText(image.rect(), Qt::AlignCenter, QStringLiteral("EXE 7"));
      p.end();
      const Contrast c = Measure(image, image.rect());
      QVERIFY2(std::abs(c.ratio - r.expected) < r.expected * 0.06,
               qPrintable(QStringLiteral("%1 measured, %2 expected").arg(c.ratio).arg(r.expected)));
    }
  }

  // Every text of each look, from its pixels: at least 7:1 in the
  // high-contrast look, 4.5:1 in the dark one; in the default look the
  // tape's and the list's current rows, which it mends. The figures are
  // printed.
  void everyTextOfEachLookStandsOut() {
    for (const Look look : tarvo::kLooks) {
      int measured = 0;
      double least = 1e9;
      QString weakest;
      for (const Sample& s : Samples(look)) {
        const Contrast c = Measure(s.image, s.area);
        if (qEnvironmentVariableIsSet("TARVO_LOOK_CROPS"))
          s.image.copy(s.area).save(QStringLiteral("%1/%2-%3.png").arg(qEnvironmentVariable("TARVO_LOOK_CROPS"), tarvo::LookName(look).data(), QString(s.name).replace(QRegularExpression("[^A-Za-z0-9]"), "_")));
        QVERIFY2(c.textPixels >= 8, qPrintable(s.name + ": no text found"));
        qInfo("%s look, %s: %.2f", tarvo::LookName(look).data(), qPrintable(s.name), c.ratio);
        ++measured;
        if (c.ratio < least) least = c.ratio, weakest = s.name;
        QVERIFY2(c.ratio >= Least(look),
                 qPrintable(QStringLiteral("%1 look, %2: %3").arg(tarvo::LookName(look).data(), s.name).arg(c.ratio)));
        if (s.name.endsWith(QLatin1String("selected"))) QVERIFY2(c.ratio >= 4.5, qPrintable(s.name));
      }
      qInfo("%s look: %d texts, the weakest %s at %.2f", tarvo::LookName(look).data(), measured, qPrintable(weakest), least);
      QVERIFY(measured > 150);
    }
  }

  // What opens over the calculator and what a press shows, from their
  // pixels: the title line's buttons held down, the help menu's entries
  // (the one under the keyboard and the others), a warning box's text and
  // button, and the About window's texts; each look's least contrast.
  void whatOpensOverTheCalculatorStandsOut() {
    for (const Look look : tarvo::kLooks) {
      std::vector<Sample> samples;
      rec = {}, w = NewWindow(rec);
      w->ShowLook(look);
      QVERIFY(QTest::qWaitForWindowExposed(w.get()));
      for (QLabel* l : w->findChildren<QLabel*>()) {
        if (l->text() != QStringLiteral("Minimize") && l->text() != QStringLiteral("Exit")) continue;
        QTest::mousePress(l, Qt::LeftButton);
        samples.push_back({l->text() + QStringLiteral(" held"), w->grab().toImage(), Within(l, w.get(), 0)});
        QTest::mouseRelease(l, Qt::LeftButton, {}, QPoint(-40, -40));  // let go away from it: no click
      }
      // The help menu as it really opens, its second entry under the keyboard.
      w->SetPopupMenu({});
      QTimer::singleShot(300, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu == nullptr) return;
        const QList<QAction*> actions = menu->actions();
        menu->setActiveAction(actions.at(1));
        const QImage face = menu->grab().toImage();
        samples.push_back({QStringLiteral("menu entry"), face, menu->actionGeometry(actions.at(0)).adjusted(2, 1, -2, -1)});
        samples.push_back({QStringLiteral("menu entry, selected"), face, menu->actionGeometry(actions.at(1)).adjusted(2, 1, -2, -1)});
        menu->close();
      });
      QTest::mouseClick(w->Key(Key::Help), Qt::LeftButton);
      // F1 without a manual: the warning box.
      w->SetProgramDirectory("/nonexistent-tarvo-folder");
      w->SetMessageBox([this](const QString& title, const QString& text) { tarvo::ui::ShowWarningBox(w.get(), title, text, w->CurrentLook()); });
      QTimer::singleShot(300, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) return;
        const QImage face = box->grab().toImage();
        for (QLabel* l : box->findChildren<QLabel*>())
          if (l->text().contains(QStringLiteral("nonexistent"))) samples.push_back({QStringLiteral("warning box text"), face, Within(l, box, 0)});
        for (QPushButton* b : box->findChildren<QPushButton*>())
          samples.push_back({QStringLiteral("warning box button"), face, Within(b, box, 4)});
        box->reject();
      });
      QTest::keyClick(w->Entry(), Qt::Key_F1);
      // About.
      w->SetModalHook([&](QWidget* window) {
        const QImage face = window->grab().toImage();
        for (QLabel* l : window->findChildren<QLabel*>())
          samples.push_back({QStringLiteral("About: ") + l->text(), face, Within(l, window, 0)});
        window->close();
      });
      w->SetPopupMenu([](const std::vector<tarvo::MenuEntry>&) { return static_cast<int>(HelpChoice::kAbout); });
      QTest::mouseClick(w->Key(Key::Help), Qt::LeftButton);
      QVERIFY2(samples.size() >= 11, qPrintable(QString::number(samples.size())));
      for (const Sample& s : samples) {
        const Contrast c = Measure(s.image, s.area);
        if (qEnvironmentVariableIsSet("TARVO_LOOK_CROPS"))
          s.image.save(QStringLiteral("%1/%2-%3.png").arg(qEnvironmentVariable("TARVO_LOOK_CROPS"), tarvo::LookName(look).data(), QString(s.name).left(12).replace(QRegularExpression("[^A-Za-z0-9]"), "_")));
        qInfo("%s look, %s: %.2f", tarvo::LookName(look).data(), qPrintable(s.name), c.ratio);
        QVERIFY2(c.textPixels >= 8, qPrintable(s.name + ": no text found"));
        QVERIFY2(c.ratio >= Least(look),
                 qPrintable(QStringLiteral("%1 look, %2: %3").arg(tarvo::LookName(look).data(), s.name).arg(c.ratio)));
      }
    }
  }

  // Tab through the calculator's readouts, and the tape: in the looks that
  // mark the focus, the pixels all round the control that takes it change
  // by 3:1 or more, the least the guidelines ask of a focus mark.
  void theFocusIsAlwaysMarked() {
    for (const Look look : tarvo::kLooks) {
      rec = {}, w = NewWindow(rec);
      w->ShowLook(look);
      w->activateWindow();
      QVERIFY(QTest::qWaitForWindowActive(w.get()));
      w->Entry()->setFocus();
      QTRY_VERIFY(w->Entry()->hasFocus());
      QImage before = w->grab().toImage();
      for (QWidget* next : {static_cast<QWidget*>(w->Display()), static_cast<QWidget*>(w->UpperMessageLine()),
                            static_cast<QWidget*>(w->LowerMessageLine())}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTRY_COMPARE(QApplication::focusWidget(), next);
        const QImage after = w->grab().toImage();
        QVERIFY2(MarkedAllRound(before, after, Within(next, w.get(), 0)),
                 qPrintable(QStringLiteral("%1 look, %2").arg(tarvo::LookName(look).data(), next->accessibleDescription())));
        before = after;
      }
      Start(*w, QStringLiteral("2+2"));
      QTest::keyClick(w->Entry(), Qt::Key_Return);
      QTest::keyClick(w->Entry(), Qt::Key_F12, Qt::ShiftModifier);
      tarvo::ui::TapeWindow* tape = w->Tape();
      QTRY_VERIFY(tape->List()->hasFocus());
      const QImage marked = tape->grab().toImage();
      tape->List()->clearFocus();
      const QImage unmarked = tape->grab().toImage();
      QVERIFY2(MarkedAllRound(unmarked, marked, Within(tape->List(), tape, 0)), tarvo::LookName(look).data());
    }
  }

  // Where no look was given or chosen, the window takes the desktop's: a
  // dark palette makes it dark, a black-and-white one high-contrast, at the
  // start and whenever the desktop changes; a look chosen stays.
  void theDesktopsSchemeIsFollowedUnlessALookIsChosen() {
    const QPalette original = QApplication::palette();
    QPalette dark = original, contrast = original;
    for (const auto& [role, colour] : {std::pair{QPalette::Window, QColor(45, 45, 48)}, {QPalette::WindowText, QColor(230, 230, 230)},
                                       {QPalette::Base, QColor(30, 30, 30)}, {QPalette::Text, QColor(230, 230, 230)}})
      dark.setColor(role, colour);
    for (const auto& [role, colour] : {std::pair{QPalette::Window, QColor(Qt::black)}, {QPalette::WindowText, QColor(Qt::white)},
                                       {QPalette::Base, QColor(Qt::black)}, {QPalette::Text, QColor(Qt::white)}})
      contrast.setColor(role, colour);
    QCOMPARE(w->CurrentLook(), Look::kDefault);
    const struct { const QPalette* palette; Look look; } rows[] = {
        {&dark, Look::kDark}, {&contrast, Look::kHighContrast}, {&original, Look::kDefault}};
    for (const auto& r : rows) {
      QApplication::setPalette(*r.palette);
      QCoreApplication::processEvents();
      QCOMPARE(w->CurrentLook(), r.look);
      // The display shows it: dark behind its text in both the dark looks.
      const QImage face = w->grab().toImage();
      QCOMPARE(Luminance(face.pixel(Within(w->Display(), w.get(), 3).topLeft())) < 0.1, r.look != Look::kDefault);
      auto started = std::make_unique<MainWindow>("");
      QCOMPARE(started->CurrentLook(), r.look);
    }
    w->SetPopupMenu([](const std::vector<tarvo::MenuEntry>&) { return static_cast<int>(HelpChoice::kDefaultLook); });
    QTest::mouseClick(w->Key(Key::Help), Qt::LeftButton);
    QApplication::setPalette(dark);
    QCoreApplication::processEvents();
    QCOMPARE(w->CurrentLook(), Look::kDefault);
    QApplication::setPalette(original);
  }

  // A look given for the run wins over the desktop's, at the start and when
  // the desktop changes; given as "default" on a dark desktop, the window is
  // the calculator's own while the menus it opens keep the desktop's colours.
  void aLookGivenForTheRunWinsOverTheDesktop() {
    const QPalette original = QApplication::palette();
    QPalette dark = original;
    for (const auto& [role, colour] : {std::pair{QPalette::Window, QColor(45, 45, 48)}, {QPalette::WindowText, QColor(230, 230, 230)},
                                       {QPalette::Base, QColor(30, 30, 30)}, {QPalette::Text, QColor(230, 230, 230)}})
      dark.setColor(role, colour);
    const struct { Look given; } rows[] = {{Look::kDefault}, {Look::kHighContrast}};
    for (const auto& r : rows) {
      QApplication::setPalette(dark);
      QCoreApplication::processEvents();
      auto started = std::make_unique<MainWindow>("");
      started->SetLookForThisRun(r.given);
      QCOMPARE(started->CurrentLook(), r.given);
      QApplication::setPalette(original);
      QCoreApplication::processEvents();
      QCOMPARE(started->CurrentLook(), r.given);
      QApplication::setPalette(dark);
      QCoreApplication::processEvents();
      QCOMPARE(started->CurrentLook(), r.given);
      QMenu menu(started.get());
      tarvo::ui::StyleBox(&menu, started->CurrentLook());
      QCOMPARE(menu.palette().color(QPalette::Window),
               r.given == Look::kDefault ? QColor(45, 45, 48) : tarvo::ui::ColoursOf(r.given).listBase);
    }
    QApplication::setPalette(original);
  }

  // A look chosen from the help menu shows at once and is kept in the state
  // folder's settings, which the next window reads; a look given for the
  // run shows without being kept.
  void aChosenLookIsKept() {
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString();
    QVERIFY(tarvo::SaveSetting(folder, tarvo::kLookSetting, "dark").ok);
    rec = {}, w = NewWindow(rec, folder);
    QCOMPARE(w->CurrentLook(), Look::kDark);
    const QImage darkKeys = w->grab().toImage();
    w->SetPopupMenu([](const std::vector<tarvo::MenuEntry>& entries) {
      return entries.at(static_cast<size_t>(HelpChoice::kDarkLook)).checked ? static_cast<int>(HelpChoice::kHighContrastLook) : -1;
    });
    QTest::mouseClick(w->Key(Key::Help), Qt::LeftButton);
    QCOMPARE(w->CurrentLook(), Look::kHighContrast);
    QCOMPARE(w->UpperMessageLine()->text(), QStringLiteral("High-contrast look "));
    const QRect seven = Within(w->Key(Key::Seven), w.get(), 3);
    QVERIFY(Measure(w->grab().toImage(), seven).ratio >= 7 && Measure(darkKeys, seven).ratio < 7);
    std::optional<std::string> kept;
    QVERIFY(tarvo::ReadSetting(folder, tarvo::kLookSetting, kept).ok);
    QCOMPARE(kept.value_or(""), std::string("high-contrast"));
    w.reset();
    w = NewWindow(rec, folder);
    QCOMPARE(w->CurrentLook(), Look::kHighContrast);
    w->SetLookForThisRun(Look::kDefault);
    QCOMPARE(w->CurrentLook(), Look::kDefault);
    QVERIFY(tarvo::ReadSetting(folder, tarvo::kLookSetting, kept).ok);
    QCOMPARE(kept.value_or(""), std::string("high-contrast"));
  }

  // The window program's --look, as a person starts it: the picture it
  // saves is in that look; a name that is no look's stops it with a word why.
  void theCommandLineGivesTheLookForTheRun() {
    QTemporaryDir dir;
    const struct { QString option; int status; QColor background; } rows[] = {
        {"--look=high-contrast", 0, Qt::black},
        {"--look=dark", 0, tarvo::ui::ColoursOf(Look::kDark).window},
        {"--look=default", 0, tarvo::ui::ColoursOf(Look::kDefault).window},
        {"--look=grey", 2, {}},
    };
    for (const auto& r : rows) {
      const QString file = dir.filePath(r.option.mid(7) + ".png");
      QProcess tarvo;
      tarvo.setWorkingDirectory(dir.path());
      tarvo.start(QStringLiteral(TARVO_WINDOW), {QStringLiteral("--screenshot"), file, r.option});
      QVERIFY(tarvo.waitForFinished(30000));
      QCOMPARE(tarvo.exitCode(), r.status);
      if (r.status != 0) {
        QVERIFY(tarvo.readAllStandardError().contains("--look takes default, high-contrast or dark"));
        continue;
      }
      const QImage shot(file);
      QCOMPARE(shot.pixelColor(4, 200), r.background);  // the panel left of the keypad's frame
    }
  }

 private:
  // Whether every side of `control` changed by 3:1 or more between the two
  // pictures, in a band up to four pixels outside it.
  static bool MarkedAllRound(const QImage& before, const QImage& after, const QRect& control) {
    int sides = 0;
    const QRect band = control.adjusted(-4, -4, 4, 4);
    const QRect strips[] = {
        {band.left(), band.top(), band.width(), 4}, {band.left(), control.bottom() + 1, band.width(), 4},
        {band.left(), band.top(), 4, band.height()}, {control.right() + 1, band.top(), 4, band.height()}};
    for (const QRect& strip : strips) {
      int changed = 0;
      const QRect in = strip.intersected(before.rect());
      for (int y = in.top(); y <= in.bottom(); ++y)
        for (int x = in.left(); x <= in.right(); ++x)
          changed += Ratio(Luminance(before.pixel(x, y)), Luminance(after.pixel(x, y))) >= 3;
      // Most of the strip's length: a ring may meet the window's edge.
      sides += changed >= std::max(in.width(), in.height()) * 3 / 4;
    }
    return sides == 4;
  }
};

QTEST_MAIN(LookTest)
#include "look_test.moc"
