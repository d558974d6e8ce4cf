#include "ui/qt/document_opener.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace tarvo::ui {

DocumentOpener::~DocumentOpener() {
  for (QProcess* waiting : findChildren<QProcess*>()) {
    waiting->disconnect(this);
    waiting->kill();
    waiting->waitForFinished(1000);
  }
}

bool DocumentOpener::Open(const QString& path) {
  const QString launcher = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
  if (launcher.isEmpty()) return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
  auto* process = new QProcess(this);
  process->setProcessChannelMode(QProcess::ForwardedChannels);
  process->setStandardInputFile(QProcess::nullDevice());
  auto started = std::make_shared<QElapsedTimer>();
  started->start();
  const auto fail = [this, path, process] {
    if (onFailed) onFailed(path);
    process->deleteLater();
  };
  QObject::connect(process, &QProcess::finished, this, [=](int code, QProcess::ExitStatus status) {
    if ((code != 0 || status != QProcess::NormalExit) && started->elapsed() < kFailureMilliseconds) fail();
    else process->deleteLater();
  });
  QObject::connect(process, &QProcess::errorOccurred, this, [=](QProcess::ProcessError error) {
    if (error == QProcess::FailedToStart) fail();
  });
  // Through a shell that waits for the launcher: a launcher that runs on
  // (without a desktop, xdg-open becomes the document's program) is the
  // shell's child, not ours, and outlives the calculator, which on its way
  // out ends only the shell.
  process->start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("\"$0\" \"$1\" & wait $!"), launcher, path});
  return true;
}

}  // namespace tarvo::ui
