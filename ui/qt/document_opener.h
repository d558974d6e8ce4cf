// Hands a local document to the desktop and hears whether it was opened.
// Qt's own hand-over reports only whether a launcher could be started, not
// whether the launcher found a program for the file: xdg-open, where it is
// installed, says so by its exit status, which comes back later.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <functional>

namespace tarvo::ui {

class DocumentOpener : public QObject {
 public:
  explicit DocumentOpener(QObject* parent) : QObject(parent) {}

  // False when the document could not be handed over at all; a launcher
  // that fails afterwards calls `onFailed` with the document's path.
  bool Open(const QString& path);
  std::function<void(const QString& path)> onFailed;

  // A launcher that ends in failure this long after the request failed to
  // open the document; one that ends later ran the document's program,
  // whatever that program's own end was.
  static constexpr int kFailureMilliseconds = 15000;
};

}  // namespace tarvo::ui
