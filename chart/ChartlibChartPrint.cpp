#include "chart/ChartlibChart.h"

#include "chart/Chart.h"
#include "chart/ChartlibChartDialogs.h"

#include <QDateTime>
#include <QPainter>
#include <QPrinter>

#include <cmath>

namespace {

// The chart may take this share of the page width at most.
constexpr double PrintedWidthShare = 0.8;

QString PrintStamp(const QDateTime &now) {
    const QDate date = now.date();
    const QTime time = now.time();
    // The date, then " " and " hh:mm:ss": two blanks between date and time.
    return QString::asprintf("%02d.%02d.%04d", date.day(), date.month(), date.year()) + QLatin1Char(' ') +
           QString::asprintf(" %02d:%02d:%02d", time.hour(), time.minute(), time.second());
}

} // namespace

QRect PrintedBitmapRect(QSize bitmapSize, QSizeF screenDpi, QSizeF printerDpi, QSize page, int top) {
    if (bitmapSize.isEmpty() || screenDpi.width() <= 0 || screenDpi.height() <= 0)
        return {page.width() / 10, top, 0, 0};
    double width = bitmapSize.width() * printerDpi.width() / screenDpi.width();
    double height = bitmapSize.height() * printerDpi.height() / screenDpi.height();
    const double aspect = double(bitmapSize.height()) / bitmapSize.width();
    if (width > PrintedWidthShare * page.width()) {
        width = std::trunc(PrintedWidthShare * page.width());
        height = width * aspect;
    }
    const double room = std::max(page.height() - top, 0);
    if (height > room) {
        height = room;
        width = height / aspect;
    }
    return {page.width() / 10, top, int(width), int(height)};
}

void PrintBitmap(const QWidget *window, QPainter &painter, const QImage &bitmap, int lineHeight, int lineCount) {
    const QPaintDevice *device = painter.device();
    const QSize page(device->width(), device->height());
    const QRect target =
        PrintedBitmapRect(bitmap.size(), QSizeF(window->logicalDpiX(), window->logicalDpiY()),
                          QSizeF(device->logicalDpiX(), device->logicalDpiY()), page, lineHeight * lineCount);
    if (!target.isEmpty())
        painter.drawImage(target, bitmap.convertToFormat(QImage::Format_Indexed8));
}

void PrintChart(QWidget *window, TChart &chart, const QStringList &lines) {
    QPrinter printer(QPrinter::HighResolution);
    if (!AskPrinter(window, printer))
        return;
    const QString caption = window->windowTitle();
    printer.setDocName(window->window()->windowTitle() + QStringLiteral(" - ") + caption);
    QPainter painter;
    if (!painter.begin(&printer))
        return;
    painter.setFont(window->font());
    const double points = window->font().pointSizeF();
    const int lineHeight = int(std::fabs(points * printer.logicalDpiY() / 72.0) * 1.4);
    const int left = printer.width() / 10;
    painter.drawText(left, 4 * lineHeight, PrintStamp(QDateTime::currentDateTime()) + QLatin1Char(' ') + caption);
    for (qsizetype i = 0; i < lines.size(); ++i)
        painter.drawText(left, int(i + 5) * lineHeight, lines[i]);
    PrintBitmap(window, painter, chart.Bitmap(), lineHeight, int(lines.size()) + 5);
    painter.end();
}
