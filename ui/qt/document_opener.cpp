#include "ui/qt/document_opener.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace tarvo::ui {

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
  process->start(launcher, {path});
  return true;
}

}  // namespace tarvo::ui
