#include "protocols/ProtocolDataPage.h"

#include "chart/GraphTableText.h"
#include "chart/HtmlText.h"
#include "chart/ResultsTableHtml.h"
#include "chartlib/Chartlib.h"
#include "engine/catalogue/GraphKindTable.h"
#include "engine/catalogue/MaskNameList.h"
#include "engine/catalogue/ParamDescriptor.h"
#include "protocols/ProtocolState.h"
#include "settings/remote/RemoteWire.h"
#include "state/MainGlobals.h"

#include <QFileInfo>
#include <QImage>

namespace {

constexpr int JpegQuality = 90;

std::vector<float> ReadFloats(TRemoteReader &reader, int32_t count) {
    std::vector<float> values(static_cast<std::size_t>(count));
    for (float &v : values)
        v = reader.F32();
    return values;
}

// The picture as an image of its palette colours; a null image when its bits do not fill its size.
QImage PictureImage(const TSnapshotPicture &picture) {
    if (picture.Width <= 0 || picture.Height <= 0 ||
        picture.Bits.size() != std::size_t(picture.RowBytes()) * std::size_t(picture.Height))
        return {};
    QImage image(picture.Width, picture.Height, QImage::Format_Indexed8);
    image.setColorTable(QList<QRgb>(picture.Palette.begin(), picture.Palette.end()));
    for (int32_t y = 0; y < picture.Height; ++y) {
        uchar *line = image.scanLine(y);
        for (int32_t x = 0; x < picture.Width; ++x)
            line[x] = picture.PixelAt(x, y);
    }
    return image;
}

} // namespace

std::optional<TCurveRecord> ReadCurveRecord(const TProtocolSnapshot &holder, int32_t &position) {
    const std::vector<uint8_t> &block = holder.Curves;
    TRemoteReader reader(block.data(), int32_t(std::min<std::size_t>(block.size(), INT32_MAX)), position);
    TCurveRecord record;
    record.GraphKind = int16_t(reader.W16());
    record.N = reader.I32();
    if (!reader.Ok() || record.GraphKind < 0 || record.GraphKind >= GraphKindCount)
        return std::nullopt;
    if (record.N > 0) {
        record.Columns = reader.I32();
        if (!reader.Ok() || (record.Columns != 2 && record.Columns != 3))
            return std::nullopt;
        // The arrays and the marks flag must fit in what is left before anything is allocated for them.
        const int64_t arrays = int64_t(record.N) * record.Columns * int64_t(sizeof(float));
        if (arrays + 1 > reader.Left())
            return std::nullopt;
        record.X = ReadFloats(reader, record.N);
        if (record.Columns == 3)
            record.Second = ReadFloats(reader, record.N);
        record.Y = ReadFloats(reader, record.N);
        if (reader.B() != 0) {
            const QByteArray marks = reader.Bytes(record.N);
            if (!reader.Ok())
                return std::nullopt;
            record.Marks.assign(marks.begin(), marks.end());
        }
    }
    position = reader.Position();
    return record;
}

QString GraphPictureName(const char *caption) {
    QString name = ProtocolStampText + QString::number(InstanceNumber) + QLatin1Char('_') +
                   QString::fromUtf8(caption).remove(QLatin1Char('\n'));
    name.replace(QLatin1Char(' '), QLatin1Char('_')).replace(QLatin1Char(','), QLatin1Char('_'));
    name.remove(QLatin1Char('.')).remove(QLatin1Char(':'));
    // Both separators: a browser reads a backslash in a link as a slash.
    name.replace(QLatin1Char('/'), QLatin1Char('_')).replace(QLatin1Char('\\'), QLatin1Char('_'));
    return name + QStringLiteral(".jpg");
}

void WriteGraphPicture(QStringList &lines, const TProtocolSnapshot &holder, const ParamDescriptor &row) {
    if (row.GraphKind < 0 || row.GraphKind >= GraphKindCount)
        return;
    const std::unique_ptr<TSnapshotPicture> &picture = holder.Pictures[std::size_t(row.GraphKind)];
    if (!picture)
        return;
    const QImage image = PictureImage(*picture);
    if (image.isNull())
        return;
    const QString name = GraphPictureName(row.Caption);
    const QString path = QFileInfo(ProtocolFilePaths[FramesetPage]).path() + QLatin1Char('/') + name;
    if (!image.save(path, "JPG", JpegQuality)) {
        ShowCannotOpen(path);
        return;
    }
    lines << QStringLiteral("<h5 align=center><FONT COLOR=\"#0000FF\">") +
                 HtmlEscaped(GraphText(GraphKindTable[row.GraphKind].Caption)) + QStringLiteral("</FONT></h5>\n");
    lines << QStringLiteral("<P align=center><IMG SRC=\".\\") + HtmlEscaped(name) +
                 QStringLiteral("\" BORDER=1></P>\n");
}

void WriteCurveSections(QStringList &lines, const ParamDescriptor *rows, const TProtocolSnapshot &holder, int count) {
    int32_t position = 0;
    for (int i = 0; rows && i < count; ++i) {
        const ParamDescriptor &row = rows[i];
        if (!HasProtocolCurve(row))
            continue;
        const std::optional<TCurveRecord> record = ReadCurveRecord(holder, position);
        if (!record || record->GraphKind != row.GraphKind) {
            DebugLog(QStringLiteral("Протокол: кривые записи не соответствуют строкам параметров"));
            return;
        }
        const TCurveRecord &r = *record;
        WriteMaskTablesHtml(lines, row, MaskNameList, r.N, r.GraphKind, r.Columns, r.X.data(),
                            r.Second.empty() ? nullptr : r.Second.data(), r.Y.data(),
                            r.Marks.empty() ? nullptr : r.Marks.data());
        WriteGraphPicture(lines, holder, row);
    }
}

void WriteDataSection(const TProtocolSnapshot &holder, const ParamDescriptor *rows, int count, int remote) {
    const QString &stamp = ProtocolPageStamp;
    QStringList lines;
    lines << QStringLiteral("<A NAME=\"") + stamp + QStringLiteral("\"></A>\n");
    lines << QStringLiteral("<H5 align=left><FONT COLOR=\"#0000FF\">") + ProtocolEntryTitle +
                 QStringLiteral("&nbsp&nbsp&nbsp&nbsp</FONT>\n");
    lines << QStringLiteral("<A href=\".\\") + ProtocolFileNames[SettingsPage] + QLatin1Char('#') + stamp +
                 QStringLiteral("\">\n") +
                 QStringLiteral("<FONT COLOR=\"#78CEEB\"><NOBR>Настройки прибора</NOBR></FONT></A></H5>\n");
    WriteResultsTableHtml(lines, rows, count, remote, MaskNameList, ProtocolKindName);
    if (!remote)
        WriteCurveSections(lines, rows, holder, count);
    AppendToProtocolPage(DataPage, lines);
}
