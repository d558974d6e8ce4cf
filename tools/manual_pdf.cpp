// manual_pdf: typesets the user's manual (Markdown) into the PDF that the
// help menu opens. Runs at build time on machines without a display, so it
// asks for Qt's off-screen platform unless the caller chose one.
//
//   manual_pdf INPUT.md OUTPUT.pdf
//
// Beyond what QTextDocument does with Markdown by itself, the pages keep a
// table, a code block and a command written in a line whole where they fit:
// a table or code block that would cross a page starts on a new page (with
// the heading or the "...:" line that leads into it), a heading stays with
// what follows it, an inline command moves to the next line whole, and a
// table taller than a page repeats its header row on the next.
#include <QtCore/QFile>
#include <QtCore/QMarginsF>
#include <QtCore/QString>
#include <QtGui/QAbstractTextDocumentLayout>
#include <QtGui/QFont>
#include <QtGui/QFontMetricsF>
#include <QtGui/QGuiApplication>
#include <QtGui/QPageLayout>
#include <QtGui/QPageSize>
#include <QtGui/QPainter>
#include <QtGui/QPdfWriter>
#include <QtGui/QTextBlock>
#include <QtGui/QTextCursor>
#include <QtGui/QTextDocument>
#include <QtGui/QTextFrame>
#include <QtGui/QTextLayout>
#include <QtGui/QTextTable>

#include <cmath>
#include <cstdio>
#include <vector>

namespace {

// The margin QTextDocument::print leaves around a page, kept here.
constexpr double kMarginCm = 2.0;
// The resolution the layout takes frame margins in; it scales them to the
// writer's.
constexpr double kLayoutDpi = 96;

// In a table cell, Markdown writes a bar as "\|" (also inside code), and Qt
// keeps the backslash.
void UnescapeTableBars(QTextDocument& doc) {
  QTextCursor found(&doc);
  while (!(found = doc.find(QStringLiteral("\\|"), found)).isNull()) {
    if (found.currentTable() == nullptr) continue;
    QTextCursor first(&doc);
    first.setPosition(found.selectionStart() + 1);  // the format of the backslash
    found.insertText(QStringLiteral("|"), first.charFormat());
  }
}

// Lays the whole document out again. After a change of format the layout
// works incrementally, and on paginated pages it then leaves some of the
// blocks after the change without lines.
void LayOut(QTextDocument& doc) {
  doc.markContentsDirty(0, doc.characterCount());
  (void)doc.pageCount();
}

bool IsCodeLine(const QTextBlock& b) {
  const QTextBlockFormat f = b.blockFormat();
  return f.hasProperty(QTextFormat::BlockCodeLanguage) || f.hasProperty(QTextFormat::BlockCodeFence);
}

// An inline code span that a line break cuts (a command before its file
// name) moves whole to a new line: the blank before it becomes a line
// separator. A span longer than a line is left to break.
void KeepInlineCodeWhole(QTextDocument& doc) {
  LayOut(doc);
  for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
    if (IsCodeLine(b) || QTextCursor(b).currentTable() != nullptr) continue;
    for (bool moved = true; moved;) {
      moved = false;
      const QTextLayout* layout = b.layout();
      for (auto it = b.begin(); !it.atEnd() && !moved; ++it) {
        const QTextFragment span = it.fragment();
        if (!span.charFormat().fontFixedPitch()) continue;
        const int from = span.position() - b.position();
        const int to = from + span.length();
        for (int i = 1; i < layout->lineCount(); ++i) {
          const QTextLine line = layout->lineAt(i);
          const QTextLine before = layout->lineAt(i - 1);
          if (line.textStart() <= from || line.textStart() >= to || before.textStart() >= from) continue;
          const QFontMetricsF metrics(span.charFormat().font(), doc.documentLayout()->paintDevice());
          if (metrics.horizontalAdvance(span.text()) > before.width()) break;
          QTextCursor c(&doc);
          c.setPosition(span.position());
          if (b.text().at(from - 1) == QLatin1Char(' ')) c.setPosition(span.position() - 1, QTextCursor::KeepAnchor);
          c.insertText(QString(QChar::LineSeparator));
          LayOut(doc);
          moved = true;
          break;
        }
      }
    }
  }
}

// One thing of the page flow: a block, or a table with all its cells.
struct FlowItem {
  QTextBlock block;
  QTextTable* table = nullptr;
  bool keepWhole = false;  // a table, or the lines of a code block
  bool leadsIn = false;    // a heading, or a paragraph ending in ":"
  QTextBlock last;         // the last line of a code block
};

std::vector<FlowItem> FlowItems(QTextDocument& doc) {
  std::vector<FlowItem> items;
  for (auto it = doc.rootFrame()->begin(); !it.atEnd(); ++it) {
    if (auto* table = qobject_cast<QTextTable*>(it.currentFrame())) {
      FlowItem item;
      item.table = table;
      item.keepWhole = true;
      items.push_back(item);
      continue;
    }
    const QTextBlock b = it.currentBlock();
    if (!b.isValid()) continue;
    if (IsCodeLine(b) && !items.empty() && items.back().keepWhole && items.back().table == nullptr &&
        items.back().last.next() == b) {
      items.back().last = b;  // the next line of the same code block
      continue;
    }
    FlowItem item;
    item.block = b;
    item.last = b;
    item.keepWhole = IsCodeLine(b);
    item.leadsIn = !item.keepWhole && b.textList() == nullptr &&
                   (b.blockFormat().headingLevel() > 0 || b.text().trimmed().endsWith(QLatin1Char(':')));
    items.push_back(item);
  }
  return items;
}

struct Span {
  qreal top = 0;
  qreal bottom = 0;
};

// Where the lines of a block lie: a line that does not fit at the foot of a
// page moves to the next one, while its block's own rectangle stays behind.
Span LinesOf(QTextDocument& doc, const QTextBlock& b) {
  const QRectF r = doc.documentLayout()->blockBoundingRect(b);
  const QTextLayout* layout = b.layout();
  if (layout == nullptr || layout->lineCount() == 0) return {r.top(), r.bottom()};
  const QTextLine last = layout->lineAt(layout->lineCount() - 1);
  return {r.top() + layout->lineAt(0).y(), r.top() + last.y() + last.height()};
}

Span SpanOf(QTextDocument& doc, const FlowItem& item) {
  if (item.table != nullptr) {
    const QRectF r = doc.documentLayout()->frameBoundingRect(item.table);
    return {LinesOf(doc, item.table->cellAt(0, 0).firstCursorPosition().block()).top, r.bottom()};
  }
  return {LinesOf(doc, item.block).top, LinesOf(doc, item.last).bottom};
}

void SetBreakBefore(FlowItem& item, bool on) {
  const auto policy = on ? QTextFormat::PageBreak_AlwaysBefore : QTextFormat::PageBreak_Auto;
  if (item.table != nullptr) {
    QTextTableFormat f = item.table->format();
    f.setPageBreakPolicy(policy);
    item.table->setFormat(f);
    return;
  }
  QTextBlockFormat f = item.block.blockFormat();
  f.setPageBreakPolicy(policy);
  QTextCursor(item.block).setBlockFormat(f);
}

// Puts page breaks before the things that would be cut, from the top down,
// since each break moves everything after it.
void KeepItemsWhole(QTextDocument& doc, qreal pageHeight) {
  std::vector<FlowItem> items = FlowItems(doc);
  // A table taller than a page carries its header row onto the next.
  for (FlowItem& item : items) {
    if (item.table == nullptr) continue;
    QTextTableFormat f = item.table->format();
    f.setHeaderRowCount(1);
    item.table->setFormat(f);
  }
  bool changed = true;
  const auto span = [&](const FlowItem& item) {
    if (changed) LayOut(doc);
    changed = false;
    return SpanOf(doc, item);
  };
  const auto breakBefore = [&](FlowItem& item, bool on) {
    SetBreakBefore(item, on);
    changed = true;
  };
  const auto page = [pageHeight](qreal y) { return static_cast<int>(std::floor(y / pageHeight)); };
  const auto cut = [&](const FlowItem& item) {
    const Span s = span(item);
    return page(s.top) != page(s.bottom - 1);
  };
  for (size_t i = 0; i < items.size(); ++i) {
    const Span s = span(items[i]);
    // What spans more than a page, breaks and all, cannot be kept whole: it
    // flows on (a table with its header row repeated).
    if (items[i].keepWhole && cut(items[i]) && s.bottom - s.top <= pageHeight) {
      // The break goes before the headings and the "...:" line that lead into
      // it, if the page then holds them all; otherwise before it alone.
      size_t first = i;
      while (first > 0 && items[first - 1].leadsIn) --first;
      for (;; ++first) {
        breakBefore(items[first], true);
        if (!cut(items[i]) || first == i) break;
        breakBefore(items[first], false);
      }
    } else if (items[i].table == nullptr && items[i].block.blockFormat().headingLevel() > 0 &&
               i + 1 < items.size() && page(s.top) != page(span(items[i + 1]).top)) {
      // A heading stays with what follows it, and the headings before it
      // with it.
      size_t first = i;
      while (first > 0 && items[first - 1].leadsIn) --first;
      breakBefore(items[first], true);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: manual_pdf INPUT.md OUTPUT.pdf\n");
    return 2;
  }
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // Pins the layout's resolution (kLayoutDpi), whatever screen the platform
  // reports.
  QCoreApplication::setAttribute(Qt::AA_Use96Dpi);
  QGuiApplication app(argc, argv);

  QFile input(QString::fromLocal8Bit(argv[1]));
  if (!input.open(QIODevice::ReadOnly)) {
    std::fprintf(stderr, "manual_pdf: cannot read %s\n", argv[1]);
    return 1;
  }
  const QString markdown = QString::fromUtf8(input.readAll());

  const QString outputPath = QString::fromLocal8Bit(argv[2]);
  {
    QPdfWriter writer(outputPath);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    writer.setTitle(QStringLiteral("Tarvo Scientific Calculator - User's Manual"));
    writer.setCreator(QStringLiteral("Tarvo"));

    QTextDocument doc;
    // DejaVu Sans carries every sign the manual shows (√ ∛ ⁿ√ ⁻¹ π).
    QFont body(QStringLiteral("DejaVu Sans"));
    body.setPointSizeF(10);
    doc.setDefaultFont(body);
    doc.setDefaultStyleSheet(QStringLiteral("code, pre { font-family: 'DejaVu Sans Mono'; }"));
    doc.setMarkdown(markdown, QTextDocument::MarkdownDialectGitHub);
    doc.setMetaInformation(QTextDocument::DocumentTitle,
                           QStringLiteral("Tarvo Scientific Calculator - User's Manual"));

    // The layout measures in the writer's units, so that the pages it plans
    // are the pages printed.
    doc.documentLayout()->setPaintDevice(&writer);
    QTextFrameFormat frame = doc.rootFrame()->frameFormat();
    frame.setMargin(kMarginCm / 2.54 * kLayoutDpi);
    doc.rootFrame()->setFrameFormat(frame);
    const qreal margin = kMarginCm / 2.54 * writer.logicalDpiY();
    const QSizeF page(writer.width(), writer.height());
    doc.setPageSize(page);

    UnescapeTableBars(doc);
    KeepInlineCodeWhole(doc);
    KeepItemsWhole(doc, page.height());

    // Each page as QTextDocument::print draws it: the page's part of the
    // layout, and its number in the lower margin.
    QPainter painter(&writer);
    const QFontMetricsF numberMetrics(doc.defaultFont(), &writer);
    LayOut(doc);
    const int pages = doc.pageCount();
    for (int i = 0; i < pages; ++i) {
      if (i > 0) writer.newPage();
      const QRectF view(0, i * page.height(), page.width(), page.height());
      painter.save();
      painter.translate(0, -view.top());
      painter.setClipRect(view);
      QAbstractTextDocumentLayout::PaintContext context;
      context.clip = view;
      context.palette.setColor(QPalette::Text, Qt::black);
      doc.documentLayout()->draw(&painter, context);
      painter.restore();
      const QString number = QString::number(i + 1);
      painter.setFont(doc.defaultFont());
      painter.drawText(QPointF(page.width() - margin - numberMetrics.horizontalAdvance(number),
                               page.height() - margin + numberMetrics.ascent() + 5 * writer.logicalDpiY() / 72.0),
                       number);
    }
  }  // the painter and the writer finish the file when they go

  QFile output(outputPath);
  if (!output.exists() || output.size() == 0) {
    std::fprintf(stderr, "manual_pdf: nothing written to %s\n", argv[2]);
    return 1;
  }
  return 0;
}
