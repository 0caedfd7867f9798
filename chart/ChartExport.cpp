#include "chart/Chart.h"

#include "chart/ChartPlot.h"
#include "chart/EmfWriter.h"
#include "chart/MetafileRecorder.h"
#include "chart/WmfWriter.h"

#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPrinter>
#include <QSaveFile>

namespace {

// The 16 colours of the Windows system palette, which pictures are reduced to before JPEG compression.
QList<QRgb> SystemPalette16() {
    return {qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
            qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
            qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
            qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};
}

bool WriteAtomically(const QString &path, const std::function<bool(QIODevice &)> &write) {
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && write(file) && file.commit();
}

bool SaveImage(const QImage &image, const QString &path, const char *format, int quality) {
    return !image.isNull() &&
           WriteAtomically(path, [&](QIODevice &file) { return image.save(&file, format, quality); });
}

} // namespace

QImage TChart::Bitmap() {
    UpdateSeries();
    if (plot_->width() <= 0 || plot_->height() <= 0)
        return {};
    QImage image(plot_->size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QCPPainter painter(&image);
    plot_->toPainter(&painter, image.width(), image.height());
    return image;
}

bool TChart::SavePicture(const QString &path) {
    const QString extension = QFileInfo(path).suffix().toLower();
    if (extension == QLatin1String("bmp"))
        return SaveToBitmapFile(path);
    if (extension == QLatin1String("jpg"))
        return SaveToJpegFile(path);
    if (extension == QLatin1String("emf"))
        return SaveToMetafileEnh(path);
    if (extension == QLatin1String("wmf"))
        return SaveToMetafile(path);
    return false;
}

bool TChart::SaveToBitmapFile(const QString &path) {
    return SaveImage(Bitmap(), path, "BMP", -1);
}

QImage TChart::FramedBitmap16() {
    QImage image = Bitmap();
    if (image.isNull())
        return image;
    {
        QPainter frame(&image);
        frame.setPen(Qt::black);
        frame.drawRect(0, 0, image.width() - 1, image.height() - 1);
    }
    return image.convertToFormat(QImage::Format_Indexed8, SystemPalette16(), Qt::ThresholdDither | Qt::AvoidDither);
}

bool TChart::SaveToJpegFile(const QString &path) {
    const QImage reduced = FramedBitmap16();
    return !reduced.isNull() && SaveImage(reduced.convertToFormat(QImage::Format_RGB32), path, "JPG", 90);
}

bool TChart::SaveMetafile(const QString &path, QByteArray (*format)(const MetafileDrawing &)) {
    if (plot_->width() <= 0 || plot_->height() <= 0)
        return false;
    UpdateSeries();
    MetafileRecorder recorder(plot_->size());
    {
        QCPPainter painter(&recorder);
        painter.setMode(QCPPainter::pmVectorized);
        painter.setMode(QCPPainter::pmNoCaching);
        plot_->toPainter(&painter, plot_->width(), plot_->height());
    }
    const QByteArray bytes = format(recorder.Drawing());
    return WriteAtomically(path, [&](QIODevice &file) { return file.write(bytes) == bytes.size(); });
}

bool TChart::SaveToMetafileEnh(const QString &path) {
    return SaveMetafile(path, EmfBytes);
}

bool TChart::SaveToMetafile(const QString &path) {
    return SaveMetafile(path, WmfBytes);
}

void TChart::CopyToClipboardBitmap() {
    QGuiApplication::clipboard()->setImage(Bitmap());
}

bool TChart::Print(QPrinter &printer) {
    const QImage image = Bitmap();
    if (image.isNull())
        return false;
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    const QRect page = painter.viewport();
    const QSize size = image.size().scaled(page.size(), Qt::KeepAspectRatio);
    painter.drawImage(QRect(page.topLeft(), size), image);
    return painter.end();
}
