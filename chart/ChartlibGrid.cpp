#include "chart/ChartlibChart.h"

#include "chart/HtmlText.h"
#include "chart/ResultsTableHtml.h"
#include "chartlib/Chartlib.h"

#include <QFileInfo>
#include <QHeaderView>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPainter>
#include <QPointer>
#include <QTableWidget>
#include <QToolTip>

namespace {

// A printed page of an HTML table holds this many rows, its header row included.
constexpr int HtmlRowsPerPage = 37;

const QString HtmlTableOpen = QStringLiteral("<table align=center border=\"1\" cellpadding=\"1\" width=\"100%\">");

QString LineFeedsAsUnderscores(QString text) {
    return text.replace(QLatin1Char('\n'), QLatin1Char('_'));
}

bool WriteNewTextFile(const QString &fileName, const QString &text) {
    std::unique_ptr<QFile> file;
    return OpenFileStream(file, fileName, FileOpenMode::Create, SeekOrigin::Begin) && WriteTextToFile(*file, text);
}

void AppendHtmlRow(QString &html, const QTableWidget *grid, int row, const QString &opening) {
    html += opening;
    for (int column = 0; column < grid->columnCount(); ++column) {
        const QString text = GridCell(grid, column, row);
        html += text.isEmpty() ? QStringLiteral("<td align=center>&nbsp</td>")
                               : QStringLiteral("<td align=center>") + HtmlEscaped(text) + QStringLiteral("</td>");
    }
    html += QStringLiteral("</tr>");
}

void AppendGridTables(QString &html, const QTableWidget *grid) {
    html += HtmlTableOpen;
    for (int row = 0; row < grid->rowCount(); ++row) {
        if (row % HtmlRowsPerPage == 0) {
            // The empty paragraph breaks the printed page; every page repeats the header row.
            if (row > 0)
                html += QStringLiteral("</table><p></p>") + HtmlTableOpen;
            AppendHtmlRow(html, grid, 0, QStringLiteral("<tr bgcolor=\"wheat\">"));
        }
        if (row > 0)
            AppendHtmlRow(html, grid, row,
                          row % 2 ? QStringLiteral("<tr>") : QStringLiteral("<tr bgcolor=\"gainsboro\">"));
    }
    html += QStringLiteral("</table>");
}

} // namespace

int GridFixedRows(const QTableWidget *grid) {
    const QVariant fixedRows = grid->property("FixedRows");
    return fixedRows.isValid() ? fixedRows.toInt() : 1;
}

QString GridCell(const QTableWidget *grid, int column, int row) {
    const QTableWidgetItem *item = grid->item(row, column);
    return item ? item->text() : QString();
}

bool AskTableFileName(QWidget *window, QString &fileName, QString &maskFolder, QString &reportFolder,
                      const QString &filter, TableFileKind kind) {
    static const QString textFilter = QStringLiteral("Текстовый файл (*.txt)|*.txt");
    TSaveDialogRequest request;
    request.title = LoadStr(412);
    request.fileName = CaptionFileName(window);
    request.defaultSuffix = QStringLiteral("txt");
    switch (kind) {
    case TableFileKind::TextOrHtml:
        request.filters =
            DialogFilters(textFilter + QLatin1Char('|') + LoadStr(279) + QStringLiteral("( *.html)|*.html"));
        request.folder = reportFolder;
        break;
    case TableFileKind::Filtered:
        request.filters = DialogFilters(filter);
        request.folder = maskFolder;
        break;
    case TableFileKind::Text:
        request.filters = DialogFilters(textFilter);
        request.folder = reportFolder;
        break;
    }
    fileName = AskSaveFileName(window, request);
    if (fileName.isEmpty())
        return false;
    const QString folder = QFileInfo(fileName).absolutePath() + QLatin1Char('/');
    (kind == TableFileKind::TextOrHtml ? reportFolder : maskFolder) = folder;
    return true;
}

void SaveGridToFile(QWidget *window, const QTableWidget *grid, QString &maskFolder, QString &reportFolder) {
    QString fileName;
    if (!AskTableFileName(window, fileName, maskFolder, reportFolder, {}, TableFileKind::TextOrHtml))
        return;
    if (QFileInfo(fileName).suffix().compare(QLatin1String("txt"), Qt::CaseInsensitive) == 0)
        WriteGridText(window, grid, fileName);
    else
        WriteGridHtml(window, grid, fileName);
}

bool WriteGridText(const QWidget *window, const QTableWidget *grid, const QString &fileName) {
    QString text = LineFeedsAsUnderscores(window->windowTitle()) + QLatin1Char('\n');
    for (int row = 0; row < grid->rowCount(); ++row) {
        for (int column = 0; column < grid->columnCount(); ++column) {
            if (column > 0)
                text += QLatin1Char(';');
            const QString cell = GridCell(grid, column, row);
            text += cell.isEmpty() ? QStringLiteral(" ") : LineFeedsAsUnderscores(cell);
        }
        text += QLatin1Char('\n');
    }
    return WriteNewTextFile(fileName, text);
}

bool WriteGridHtml(const QWidget *window, const QTableWidget *grid, const QString &fileName) {
    QString html = QStringLiteral(
        "<HTML><HEAD><META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=windows-1251\"></HEAD><BODY>"
        "<style type=\"text/css\"> p { page-break-after: always; margin-top: 0.5em; margin-bottom: 0.5em; } "
        "</style>\n");
    html += QStringLiteral("<h4 align=center>") + HtmlEscaped(window->windowTitle()) + QStringLiteral("</h4>");
    if (const auto *results = dynamic_cast<const TResultsTableSource *>(window); results && results->ResultRows()) {
        QStringList lines;
        WriteResultsTableHtml(lines, results->ResultRows(), results->ResultRowCount(), -1, results->MaskNames());
        html += lines.join(QString());
    } else {
        AppendGridTables(html, grid);
    }
    html += QStringLiteral("</BODY></HTML>\n");
    return WriteNewTextFile(fileName, html);
}

void AutoSizeGridColumn(QTableWidget *grid, int column) {
    // Header cells break their text at line feeds; each line but the last is measured 3 pixels wider.
    constexpr int BrokenLineExtra = 3;
    constexpr int GridLineWidth = 1;
    const QFontMetrics metrics(grid->font());
    const int fixedRows = GridFixedRows(grid);
    int widest = grid->horizontalHeader()->defaultSectionSize();
    for (int row = 0; row < grid->rowCount(); ++row) {
        const QString text = GridCell(grid, column, row);
        widest = std::max(widest, metrics.horizontalAdvance(text));
        if (row >= fixedRows)
            continue;
        const QStringList pieces = text.split(QLatin1Char('\n'));
        for (qsizetype i = 0; i < pieces.size(); ++i) {
            const int extra = i + 1 < pieces.size() ? BrokenLineExtra : 0;
            widest = std::max(widest, metrics.horizontalAdvance(pieces[i]) + extra);
        }
    }
    grid->setColumnWidth(column, widest + 2 * GridLineWidth + 3);
}

void DrawGridCellCentered(QTableWidget *grid, QPainter &painter, int column, int row, const QRect &cell) {
    constexpr int TextIndent = 3;
    const QString text = GridCell(grid, column, row);
    const int textHeight =
        painter.fontMetrics().boundingRect(cell, Qt::TextSingleLine | Qt::AlignVCenter, text).height();
    QRect textRect = cell;
    if (textHeight > cell.height()) {
        grid->setRowHeight(row, textHeight);
        textRect.setHeight(textHeight);
    } else {
        textRect.setTop(cell.top() + (cell.height() - textHeight) / 2);
        textRect.setHeight(textHeight);
    }
    painter.fillRect(cell, painter.brush());
    painter.drawText(textRect.adjusted(TextIndent, 0, 0, 0), Qt::TextSingleLine | Qt::AlignLeft | Qt::AlignTop, text);
}

void ShowCellHint(QWidget *control, const QString &hint, int &lastSecond, int &lastFirst, int first, int second,
                  int mode) {
    const bool firstChanged = first != lastFirst;
    const bool secondChanged = second != lastSecond;
    const bool leaveCell =
        (mode == 0 && (firstChanged || secondChanged)) || (mode == 1 && firstChanged) || (mode == 2 && secondChanged);
    if (leaveCell)
        QToolTip::hideText();
    if (QToolTip::isVisible())
        return;
    lastSecond = second;
    lastFirst = first;
    control->setToolTip(hint);
    QToolTip::showText(QCursor::pos(), hint, control);
}

void ActivateMdiChild(QWidget *child) {
    child->setFocus();
    // Activated after the click is handled, as the posted activation of the original did.
    QMetaObject::invokeMethod(
        child,
        [window = QPointer<QWidget>(child)] {
            if (!window)
                return;
            for (QWidget *w = window; w; w = w->parentWidget()) {
                auto *sub = qobject_cast<QMdiSubWindow *>(w);
                if (sub && sub->mdiArea()) {
                    sub->mdiArea()->setActiveSubWindow(sub);
                    return;
                }
            }
        },
        Qt::QueuedConnection);
}
