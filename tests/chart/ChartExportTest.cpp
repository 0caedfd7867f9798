#include "ChartFixture.h"
#include "MetafileRecordWalk.h"
#include "platform/Cp1251.h"

#include <QClipboard>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

QByteArray ReadAll(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// ImageMagick reads a format only through a delegate that a machine may lack.
// Converts a metafile to PNG with LibreOffice when it is installed (the office program our users open
// the pictures in), else with ImageMagick when it reads the format; false when neither can.
bool ConvertToPng(const QString &format, const QString &source, const QString &target) {
    const QString office = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (!office.isEmpty()) {
        const QString folder = QFileInfo(target).absolutePath() + "/office_" + format;
        if (QProcess::execute(office, {"--headless", "--convert-to", "png", "--outdir", folder, source}) != 0)
            return false;
        return QFile::rename(folder + "/" + QFileInfo(source).completeBaseName() + ".png", target);
    }
    const QString convert = QStandardPaths::findExecutable(QStringLiteral("convert"));
    if (convert.isEmpty())
        return false;
    QProcess list;
    list.start(convert, {QStringLiteral("-list"), QStringLiteral("format")});
    if (!list.waitForFinished(10000))
        return false;
    for (const QByteArray &line : list.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() >= 3 && fields[0].startsWith(format.toLatin1()) && fields[2].contains('r'))
            return QProcess::execute(convert, {source, target}) == 0;
    }
    return false;
}

} // namespace

class ChartExportFixture : public ChartFixture {
protected:
    ChartExportFixture() {
        chart.BottomAxis().SetTitle(QStringLiteral("кГц"));
        TChartSeries *area = chart.AddSeries(TChartSeries::Style::StairsArea);
        for (int i = 0; i <= 10; ++i)
            area->AddXY(i, i % 4 + 2, {}, i > 5 ? QColor(Qt::red) : QColor());
        TChartSeries *line = chart.AddSeries(TChartSeries::Style::Line);
        line->SetColor(Qt::blue);
        line->AddXY(0, 9);
        line->AddNull(5);
        line->AddXY(10, 1);
        chart.Repaint();
    }
    QString Path(const QString &name) const { return dir.path() + QLatin1Char('/') + name; }

    QTemporaryDir dir;
};

TEST_F(ChartExportFixture, BitmapAndJpegOpenAtTheChartsSize) {
    for (const QString &name : {QStringLiteral("a.bmp"), QStringLiteral("b.BMP"), QStringLiteral("c.jpg"),
                                QStringLiteral("d.JPG"), QStringLiteral("e.Jpg")}) {
        ASSERT_TRUE(chart.SavePicture(Path(name))) << name.toStdString();
        QImage image;
        ASSERT_TRUE(image.load(Path(name))) << name.toStdString();
        EXPECT_EQ(image.size(), chart.size()) << name.toStdString();
    }
    EXPECT_EQ(ReadAll(Path("a.bmp")).left(2), "BM");
    EXPECT_EQ(ReadAll(Path("c.jpg")).left(3), QByteArray::fromHex("ffd8ff"));

    // the JPEG has the black frame, and its colours were brought to the 16 system colours before compression
    QImage jpeg(Path("c.jpg"));
    EXPECT_LT(qGray(jpeg.pixel(0, 0)), 60);
    EXPECT_LT(qGray(jpeg.pixel(jpeg.width() / 2, jpeg.height() - 1)), 60);
    const QImage bitmap(Path("a.bmp"));
    const int x = chart.BottomAxis().CalcPosValue(2.5), y = chart.ChartRect().bottom() - 2;
    EXPECT_EQ(QColor(bitmap.pixel(x, y)), QColor(0xFF, 0xCB, 0xC0)); // the series colour itself
    EXPECT_GT(qGray(jpeg.pixel(x, y)), 180);                         // as white or silver
    EXPECT_LT(std::abs(qRed(jpeg.pixel(x, y)) - qBlue(jpeg.pixel(x, y))), 20);
}

TEST_F(ChartExportFixture, OtherExtensionsWriteNothing) {
    for (const QString &name :
         {QStringLiteral("a.png"), QStringLiteral("a"), QStringLiteral("a.jpeg"), QStringLiteral("a.emf.txt")}) {
        EXPECT_FALSE(chart.SavePicture(Path(name))) << name.toStdString();
        EXPECT_FALSE(QFile::exists(Path(name))) << name.toStdString();
    }
    EXPECT_FALSE(chart.SavePicture(Path("missing/folder/a.bmp")));
}

TEST_F(ChartExportFixture, EnhancedMetafileHoldsTheCurvesAndTheAxisTitle) {
    ASSERT_TRUE(chart.SavePicture(Path("a.EMF")));
    const QByteArray emf = ReadAll(Path("a.EMF"));
    const auto records = EmfRecords(emf);
    ASSERT_GT(records.size(), 10u);
    EXPECT_EQ(records.front().type, 1u);
    EXPECT_EQ(records.back().type, 14u);
    EXPECT_EQ(ReadU32(emf, 48), std::uint32_t(emf.size()));
    EXPECT_EQ(ReadU32(emf, 52), std::uint32_t(records.size()));
    EXPECT_EQ(ReadU32(emf, 16), std::uint32_t(chart.width() - 1)); // bounds, inclusive
    int polylines = 0, polygons = 0;
    bool title = false;
    for (const MetafileRecord &r : records) {
        polylines += r.type == 87;
        polygons += r.type == 86;
        if (r.type == 84) {
            const qsizetype at = r.offset + ReadU32(emf, r.offset + 48);
            const auto count = qsizetype(ReadU32(emf, r.offset + 44));
            title |= QString::fromUtf16(reinterpret_cast<const char16_t *>(emf.constData() + at), count) ==
                     QStringLiteral("кГц");
        }
    }
    EXPECT_GE(polylines, 2); // at least the two pieces of the broken line, beside axes and grid
    EXPECT_GE(polygons, 2);  // the area in two colours, beside the background
    EXPECT_TRUE(title);
}

TEST_F(ChartExportFixture, PlainMetafileHoldsTheCurvesAndTheAxisTitle) {
    ASSERT_TRUE(chart.SavePicture(Path("a.Wmf")));
    const QByteArray wmf = ReadAll(Path("a.Wmf"));
    EXPECT_EQ(ReadU32(wmf, 0), 0x9AC6CDD7u);
    std::uint16_t checksum = 0;
    for (int i = 0; i < 10; ++i)
        checksum ^= ReadU16(wmf, 2 * i);
    EXPECT_EQ(ReadU16(wmf, 20), checksum);
    EXPECT_EQ(ReadU16(wmf, 10), chart.width());
    EXPECT_EQ(ReadU16(wmf, 12), chart.height());
    const auto records = WmfRecords(wmf);
    ASSERT_GT(records.size(), 10u);
    EXPECT_EQ(records.back().type, 0u);
    EXPECT_EQ(records.back().offset + records.back().size, wmf.size());
    int polylines = 0, polygons = 0;
    bool title = false;
    for (const MetafileRecord &r : records) {
        polylines += r.type == 0x0325;
        polygons += r.type == 0x0324;
        if (r.type == 0x0521)
            title |= FromCp1251(wmf.mid(r.offset + 8, ReadU16(wmf, r.offset + 6))) == QStringLiteral("кГц");
    }
    EXPECT_GE(polylines, 2);
    EXPECT_GE(polygons, 2);
    EXPECT_TRUE(title);
}

TEST_F(ChartExportFixture, MetafilesOpenInAConverterWhereOneIsInstalled) {
    bool converted = false;
    for (const QString &format : {QStringLiteral("EMF"), QStringLiteral("WMF")}) {
        const QString source = Path("m." + format.toLower()), target = Path("m_" + format + ".png");
        ASSERT_TRUE(chart.SavePicture(source));
        if (!ConvertToPng(format, source, target))
            continue;
        QImage image;
        ASSERT_TRUE(image.load(target)) << format.toStdString();
        EXPECT_GT(image.width(), 0);
        // The curves are drawn: the picture is not blank.
        const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
        int dark = 0;
        for (int y = 0; y < grey.height(); ++y)
            for (int x = 0; x < grey.width(); ++x)
                dark += qGray(grey.pixel(x, y)) < 128;
        EXPECT_GT(dark, 100) << format.toStdString();
        converted = true;
    }
    if (!converted)
        GTEST_SKIP() << "no converter here reads EMF or WMF";
}

TEST_F(ChartExportFixture, PrintsToPdfAndCopiesToTheClipboard) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(Path("chart.pdf"));
    ASSERT_TRUE(chart.Print(printer));
    const QByteArray pdf = ReadAll(Path("chart.pdf"));
    EXPECT_TRUE(pdf.startsWith("%PDF"));
    EXPECT_TRUE(pdf.contains("/Image"));

    QGuiApplication::clipboard()->clear();
    chart.CopyToClipboardBitmap();
    const QImage copied = QGuiApplication::clipboard()->image();
    EXPECT_EQ(copied.size(), chart.size());
    EXPECT_EQ(copied.convertToFormat(QImage::Format_RGB32), chart.Bitmap());
}
