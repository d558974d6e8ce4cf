// manual_pdf: typesets the user's manual (Markdown) into the PDF that the
// help menu opens. Runs at build time on machines without a display, so it
// asks for Qt's off-screen platform unless the caller chose one.
//
//   manual_pdf INPUT.md OUTPUT.pdf
#include <QtCore/QFile>
#include <QtCore/QMarginsF>
#include <QtCore/QString>
#include <QtGui/QFont>
#include <QtGui/QGuiApplication>
#include <QtGui/QPageLayout>
#include <QtGui/QPageSize>
#include <QtGui/QPdfWriter>
#include <QtGui/QTextDocument>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: manual_pdf INPUT.md OUTPUT.pdf\n");
    return 2;
  }
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);

  QFile input(QString::fromLocal8Bit(argv[1]));
  if (!input.open(QIODevice::ReadOnly)) {
    std::fprintf(stderr, "manual_pdf: cannot read %s\n", argv[1]);
    return 1;
  }
  const QString markdown = QString::fromUtf8(input.readAll());

  QTextDocument doc;
  // DejaVu Sans carries every sign the manual shows (√ ∛ ⁿ√ ⁻¹ π).
  QFont body(QStringLiteral("DejaVu Sans"));
  body.setPointSizeF(10);
  doc.setDefaultFont(body);
  doc.setDefaultStyleSheet(QStringLiteral("code, pre { font-family: 'DejaVu Sans Mono'; }"));
  doc.setMarkdown(markdown, QTextDocument::MarkdownDialectGitHub);
  doc.setMetaInformation(QTextDocument::DocumentTitle,
                         QStringLiteral("Tarvo Scientific Calculator - User's Manual"));

  const QString outputPath = QString::fromLocal8Bit(argv[2]);
  {
    QPdfWriter writer(outputPath);
    writer.setPageSize(QPageSize(QPageSize::A4));
    // QTextDocument::print keeps a 2 cm margin of its own and numbers the
    // pages in it; a margin here would add to that.
    writer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    writer.setTitle(QStringLiteral("Tarvo Scientific Calculator - User's Manual"));
    writer.setCreator(QStringLiteral("Tarvo"));
    doc.print(&writer);
  }  // the writer finishes the file when it goes

  QFile output(outputPath);
  if (!output.exists() || output.size() == 0) {
    std::fprintf(stderr, "manual_pdf: nothing written to %s\n", argv[2]);
    return 1;
  }
  return 0;
}
