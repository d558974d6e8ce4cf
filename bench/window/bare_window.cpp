// The yardstick: a bare Qt 6 Widgets window with one label, nothing else.
#include <QApplication>
#include <QLabel>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QLabel label(QStringLiteral("bare"));
  label.resize(752, 346);
  label.show();
  return app.exec();
}
