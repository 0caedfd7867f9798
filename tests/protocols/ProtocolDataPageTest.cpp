#include "protocols/ProtocolDataPage.h"
#include "protocols/ProtocolSettingsPage.h"

#include "chart/ResultsTableHtml.h"
#include "engine/PrbsMeasurement.h"
#include "engine/catalogue/GraphKindTable.h"
#include "engine/catalogue/ParamDescriptor.h"

#include "protocols/ProtocolPagesFixture.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QRegularExpression>

#include <cstring>
#include <vector>

namespace {

// The curve block as the snapshot lays it out, written here byte by byte.
class CurveBlock {
public:
    template <typename T> CurveBlock &Put(T value) {
        uint8_t bytes[sizeof(T)];
        std::memcpy(bytes, &value, sizeof(T));
        Bytes.insert(Bytes.end(), std::begin(bytes), std::end(bytes));
        return *this;
    }
    CurveBlock &Curve(int16_t kind, const std::vector<float> &x, const std::vector<float> &y,
                      const std::vector<uint8_t> &marks = {}, const std::vector<float> &second = {}) {
        Put(kind).Put(int32_t(x.size()));
        if (x.empty())
            return *this;
        Put(int32_t(second.empty() ? 2 : 3));
        for (const auto *column : {&x, &second, &y})
            for (float v : *column)
                Put(v);
        Put(uint8_t(marks.empty() ? 0 : 1));
        Bytes.insert(Bytes.end(), marks.begin(), marks.end());
        return *this;
    }
    std::vector<uint8_t> Bytes;
};

ParamDescriptor Row(const char *caption, int8_t graphKind = -1) {
    ParamDescriptor row{};
    row.Caption = caption;
    row.GraphKind = graphKind;
    row.MaskSlot = -1;
    row.Settings.Analyse = 1;
    row.Settings.Protocol = 1;
    row.Settings.LowerMaskName = -1;
    row.Settings.UpperMaskName = -1;
    row.Result = {NoValue, NoValue, ParamNotJudged, {}};
    return row;
}

std::unique_ptr<TSnapshotPicture> Picture(int width, int height) {
    auto picture = std::make_unique<TSnapshotPicture>();
    picture->Width = width;
    picture->Height = height;
    picture->Palette[0] = 0xFFFFFFFF;
    picture->Palette[1] = 0xFF0000FF;
    // Broad diagonal stripes of the second colour on the first.
    picture->Bits.assign(std::size_t(picture->RowBytes()) * std::size_t(height), 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if ((x + y) % 40 < 20)
                picture->Bits[std::size_t(y * picture->RowBytes() + x / 2)] |= uint8_t(x % 2 ? 0x01 : 0x10);
    return picture;
}

// The picture painted pixel by pixel from its palette and encoded at a JPEG quality.
QByteArray Jpeg(const TSnapshotPicture &picture, int quality) {
    QImage image(picture.Width, picture.Height, QImage::Format_RGB32);
    for (int y = 0; y < picture.Height; ++y)
        for (int x = 0; x < picture.Width; ++x)
            image.setPixel(x, y, picture.Palette[picture.PixelAt(x, y)]);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", quality);
    return bytes;
}

QString Html(const QStringList &lines) {
    return lines.join(QString());
}

using ProtocolDataPage = ProtocolPagesTest;

TEST_F(ProtocolDataPage, ResultsTableShowsVerdictsNormsMarginsAndMaskNames) {
    MaskNameList = {QStringLiteral("Низ.9sf;Второй.9sf;"), QStringLiteral("Верх.9sf")};
    std::vector<ParamDescriptor> rows = {Row("Качество,дБ\n"), Row("Отметка соответ.\n"), Row("Сигнал,дБм0\n"),
                                         Row("Шум,дБм0\n"),    Row("Кнс,%\n", 29),        Row("Скрытый\n")};
    rows[0].Result = {12.5f, NoValue, ParamPassed, {}};
    rows[1].Result = {NoValue, NoValue, ParamFailed, {}};
    ParamDescriptor &level = rows[2];
    level.LowerNormAllowed = level.UpperNormAllowed = level.MarginAllowed = 1;
    level.Settings.ApplyLower = 1;
    level.Settings.LowerNorm = -40;
    level.Settings.UpperNorm = 10; // allowed, not applied: yellow and empty
    level.Settings.ComputeMargin = 1;
    level.Result = {-45.5f, -5.5f, ParamFailed, {}};
    rows[3].Result = {-70, NoValue, ParamPassed, {}}; // no norms allowed: gainsboro
    ParamDescriptor &curve = rows[4];
    curve.TextNorms = 1;
    curve.MaskSlot = 33;
    curve.LowerNormAllowed = curve.UpperNormAllowed = 1;
    curve.Settings.ApplyLower = curve.Settings.ApplyUpper = 1;
    curve.Settings.LowerMaskName = 0;
    curve.Settings.UpperMaskName = 1;
    curve.Result = {NoValue, NoValue, ParamNotJudged, {}}; // no mask in the slot: not judged
    rows[5].Settings.Protocol = 0;

    QStringList lines;
    WriteResultsTableHtml(lines, rows.data(), int(rows.size()), 0, MaskNameList, QStringLiteral("SIN"));
    const QString own = Html(lines);
    EXPECT_TRUE(own.startsWith("<h5 align=center><NOBR><FONT COLOR=\"#0000FF\">Результаты измерения:  </FONT>"
                               "<FONT COLOR=\"#008000\">SIN</NOBR></FONT></h5>\n<table align=center border=\"1\""));
    EXPECT_TRUE(own.contains("<tr><td align=left>Качество,дБ\n</td>\n<td align=center width=\"15%\">12.50</td>\n"));
    EXPECT_TRUE(own.contains("<td align=center bgcolor=\"lightpink\" width=\"15%\">Ненорма</td>\n"));
    EXPECT_TRUE(own.contains("<tr><td align=left>Сигнал,дБм0\n</td>\n"
                             "<td align=center bgcolor=\"lightpink\" width=\"15%\">-45.50</td>\n"
                             "<td align=center width=\"15%\">>=-40.00</td>\n"
                             "<td align=center bgcolor=\"yellow\" width=\"15%\">&nbsp</td>\n"
                             "<td align=center width=\"15%\">-5.50</td></tr>\n"));
    EXPECT_TRUE(own.contains("<tr><td align=left>Шум,дБм0\n</td>\n<td align=center width=\"15%\">-70.00</td>\n"
                             "<td align=center bgcolor=\"gainsboro\" width=\"15%\"></td>\n"
                             "<td align=center bgcolor=\"gainsboro\" width=\"15%\"></td>\n"
                             "<td align=center bgcolor=\"gainsboro\" width=\"15%\"></td></tr>\n"));
    EXPECT_TRUE(own.contains("<td align=center width=\"15%\">&nbsp</td>\n<td align=center width=\"15%\">&gt "
                             "Низ.9sf...</td>\n<td align=center width=\"15%\">&lt Верх.9sf</td>\n"));
    EXPECT_FALSE(own.contains("Скрытый"));

    lines.clear();
    WriteResultsTableHtml(lines, rows.data(), int(rows.size()), 1, MaskNameList, QStringLiteral("ПСС"));
    EXPECT_TRUE(Html(lines).startsWith("<h5 align=center><FONT COLOR=\"#0000FF\">Результаты измерения от удаленного "
                                       "прибора:  </FONT><FONT COLOR=\"#008000\">ПСС</FONT></h5>\n"));
    lines.clear();
    WriteResultsTableHtml(lines, rows.data(), int(rows.size()), -1, MaskNameList);
    EXPECT_TRUE(Html(lines).startsWith("<table"));
    EXPECT_TRUE(Html(lines).contains("Скрытый"));
}

TEST_F(ProtocolDataPage, OwnSectionHoldsCurveTablesAndPicturesThatExist) {
    // Two rows of the reflectogram's graph kind share its window's picture; the spectrum has no picture.
    std::vector<ParamDescriptor> rows = {Row("Качество,дБ\n"), Row("Отметка соответ.\n"), Row("Рефлектограмма,%\n", 4),
                                         Row("Спектр,дБм0\n", 1), Row("Рефлекс/2,дБ\n", 4)};
    rows[0].Result = {-3.5f, NoValue, ParamFailed, {}};
    rows[1].Result = {NoValue, NoValue, ParamFailed, {}};
    TProtocolSnapshot holder;
    holder.Curves = CurveBlock()
                        .Curve(4, {1.5f, 3}, {70, 12.25f}, {1, 0}, {150, 300})
                        .Curve(1, {0.5f, 1, 1.5f}, {-10, -20, NoValue}, {1, 255, 1})
                        .Curve(4, {}, {})
                        .Bytes;
    holder.Pictures[4] = Picture(320, 200);
    WriteDataSection(holder, rows.data(), int(rows.size()), 0);

    const QString html = Sections(DataPage);
    KeepPage(DataPage);
    EXPECT_TRUE(html.startsWith(
        "<A NAME=\"15.03.13_10:22:05__1\"></A>\n<H5 align=left><FONT COLOR=\"#0000FF\"><NOBR>15.03.13 10:22:05 </NOBR> "
        "<NOBR>SIN/2_Г_И_симм/1024 кГц</NOBR>&nbsp&nbsp&nbsp&nbsp</FONT>\n<A href=\".\\150313 102205 _sett_1.html"
        "#15.03.13_10:22:05__1\">\n<FONT COLOR=\"#78CEEB\"><NOBR>Настройки прибора</NOBR></FONT></A></H5>\n"));
    // Three-column table with its failed point, two-column table with its failed point and blank.
    EXPECT_TRUE(html.contains("<td align=left width=\"33%\">300.00</td>\n"
                              "<td align=left bgcolor=\"lightpink\" width=\"33%\">12.25</td>\n"));
    EXPECT_TRUE(html.contains("<td align=left bgcolor=\"lightpink\" width=\"8.25%\">-20.00</td>\n"));
    EXPECT_TRUE(html.contains("<td align=left width=\"8.25%\">&nbsp</td>\n"));
    EXPECT_EQ(html.count("<table align=center"), 1 + 2); // results, two point tables (the empty curve has none)

    const QString caption = GraphText(GraphKindTable[4].Caption);
    for (const char *name : {"150313_102205_1_Рефлектограмма_%.jpg", "150313_102205_1_Рефлекс_2_дБ.jpg"}) {
        const QString file = QString::fromUtf8(name);
        EXPECT_TRUE(html.contains("<h5 align=center><FONT COLOR=\"#0000FF\">" + caption +
                                  "</FONT></h5>\n"
                                  "<P align=center><IMG SRC=\".\\" +
                                  file + "\" BORDER=1></P>\n"))
            << name;
        QImageReader reader(Folder.path(file));
        EXPECT_EQ(reader.format(), "jpeg") << name;
        const QImage image = reader.read();
        ASSERT_EQ(image.size(), QSize(320, 200)) << name;
        const QColor pixel = image.pixelColor(5, 4);
        EXPECT_TRUE(pixel.blue() > 200 && pixel.red() < 60) << name; // the palette's second colour
        EXPECT_EQ(Folder.read(file), Jpeg(*holder.Pictures[4], 90)) << name;
    }
    EXPECT_NE(Jpeg(*holder.Pictures[4], 90), Jpeg(*holder.Pictures[4], 75));
    EXPECT_FALSE(html.contains("Спектр,дБм0.jpg"));
}

// Every href and src of a page, as a browser reads them: "\\" as "/", the entities decoded.
QStringList Links(const QString &html) {
    QStringList links;
    static const QRegularExpression link(QStringLiteral("(?:href|src)=\"([^\"]*)\""),
                                         QRegularExpression::CaseInsensitiveOption);
    for (const QRegularExpressionMatch &m : link.globalMatch(html))
        links << m.captured(1).replace('\\', '/').replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return links;
}

TEST_F(ProtocolDataPage, LinksOfTwoEntriesResolveToFilesAndAnchors) {
    std::vector<ParamDescriptor> rows = {Row("Качество,дБ\n"), Row("Отметка соответ.\n"), Row("Рефлектограмма,%\n", 4)};
    TProtocolSnapshot holder;
    holder.Curves = CurveBlock().Curve(4, {1}, {2}, {}, {3}).Bytes;
    holder.Pictures[4] = Picture(16, 8);
    for (const char *stamp : {"15.03.13_10:22:05__1", "15.03.13_10:22:09_REMOTE_R9_1"}) {
        ProtocolPageStamp = QString::fromLatin1(stamp);
        const int remote = ProtocolPageStamp.contains("REMOTE") ? 1 : 0;
        WriteDataSection(holder, rows.data(), int(rows.size()), remote);
        WriteSettingsSection(remote);
    }
    QStringList checked;
    for (const int page : {DataPage, SettingsPage}) {
        for (const QString &link : Links(Sections(page))) {
            ASSERT_TRUE(link.startsWith("./")) << link.toStdString();
            const QString file = link.mid(2).section('#', 0, 0);
            const QString anchor = link.section('#', 1);
            ASSERT_TRUE(QFileInfo::exists(Folder.path(file))) << link.toStdString();
            if (!anchor.isEmpty())
                EXPECT_TRUE(FromCp1251(Folder.read(file)).contains("<A NAME=\"" + anchor + "\"></A>"))
                    << link.toStdString();
            checked << link;
        }
    }
    // The two settings links and the one picture of the own entry.
    EXPECT_EQ(checked.size(), 3);
}

TEST_F(ProtocolDataPage, RemoteSectionHasNoCurves) {
    std::vector<ParamDescriptor> rows = {Row("Качество,дБ\n"), Row("Отметка соответ.\n"), Row("Спектр,дБм0\n", 1)};
    TProtocolSnapshot holder;
    holder.Curves = CurveBlock().Curve(1, {1}, {2}).Bytes;
    holder.Pictures[1] = Picture(2, 2);
    ProtocolKindName = QStringLiteral("SIN2");
    WriteDataSection(holder, rows.data(), int(rows.size()), 1);
    const QString html = Sections(DataPage);
    EXPECT_TRUE(html.contains("Результаты измерения от удаленного прибора:  </FONT><FONT COLOR=\"#008000\">SIN2"));
    EXPECT_FALSE(html.contains("<IMG"));
    EXPECT_EQ(html.count("<table"), 1);
    EXPECT_TRUE(QDir(Folder.path()).entryList({"*.jpg"}).isEmpty());
}

TEST_F(ProtocolDataPage, CurveRecordsAreReadWithinTheBlock) {
    const std::vector<uint8_t> whole =
        CurveBlock().Curve(3, {1, 2}, {3, 4}, {}, {5, 6}).Curve(0, {}, {}).Curve(21, {7}, {8}, {1}).Bytes;
    const std::size_t ends[] = {2 + 4 + 4 + 6 * 4 + 1, 2 + 4 + 4 + 6 * 4 + 1 + 6, whole.size()};
    // Every cut of the block reads the whole records before it and stops at the cut one.
    for (std::size_t cut = 0; cut <= whole.size(); ++cut) {
        TProtocolSnapshot holder;
        holder.Curves.assign(whole.begin(), whole.begin() + std::ptrdiff_t(cut));
        int32_t position = 0;
        std::size_t records = 0;
        while (const auto record = ReadCurveRecord(holder, position)) {
            ++records;
            EXPECT_EQ(std::size_t(position), ends[records - 1]);
        }
        EXPECT_EQ(records, std::size_t(std::upper_bound(std::begin(ends), std::end(ends), cut) - std::begin(ends)))
            << cut;
    }
    TProtocolSnapshot holder;
    holder.Curves = whole;
    int32_t position = 0;
    const auto first = ReadCurveRecord(holder, position);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->Columns, 3);
    EXPECT_EQ(first->Second, (std::vector<float>{5, 6}));
    EXPECT_EQ(first->Y, (std::vector<float>{3, 4}));
    EXPECT_TRUE(first->Marks.empty());

    // Counts and kinds the writer never writes: nothing is read and the position stays.
    const std::vector<uint8_t> damaged[] = {
        CurveBlock().Put(int16_t(1)).Put(int32_t(0x7FFFFFFF)).Put(int32_t(2)).Put(0.0f).Bytes,
        CurveBlock().Put(int16_t(1)).Put(int32_t(1)).Put(int32_t(4)).Put(0.0f).Put(0.0f).Put(0.0f).Put(0.0f).Bytes,
        CurveBlock().Put(int16_t(39)).Put(int32_t(0)).Bytes,
        CurveBlock().Put(int16_t(-1)).Put(int32_t(0)).Bytes,
        CurveBlock()
            .Put(int16_t(1))
            .Put(int32_t(2))
            .Put(int32_t(2))
            .Put(0.0f)
            .Put(0.0f)
            .Put(0.0f)
            .Put(0.0f)
            .Put(uint8_t(1))
            .Put(uint8_t(1))
            .Bytes, // marks flag set, one mark of two
    };
    for (const std::vector<uint8_t> &bytes : damaged) {
        holder.Curves = bytes;
        position = 0;
        EXPECT_FALSE(ReadCurveRecord(holder, position));
        EXPECT_EQ(position, 0);
    }
}

TEST_F(ProtocolDataPage, CurveSectionsReadTheSnapshotsOwnBlock) {
    for (int i = 0; i < TableEchoCount; ++i) {
        ReflectionTable.Delay[i] = float(i) + 0.5f;
        ReflectionTable.Distance[i] = 100.0f * float(i + 1);
        ReflectionTable.Level[i] = -float(i) - 0.25f;
        ReflectionTable.Percent[i] = 10.0f * float(i + 1);
    }
    // Rows the writer skips lie between the ones it files: no protocol mark, no graph kind, a kind beyond
    // the table; the oscillogram row has no points.
    std::vector<ParamDescriptor> rows = {
        Row("Рефлектограмма,дБ\n", 3), Row("Без протокола\n", 4), Row("Число\n"),
        Row("Осциллограмма\n", 0),     Row("Чужой\n", 39),        Row("Рефлектограмма,%\n", 4)};
    rows[1].Settings.Protocol = 0;
    TProtocolSnapshot holder;
    WriteSnapshotCurves(rows.data(), int32_t(rows.size()), holder.Curves, holder.Pictures);

    int32_t position = 0;
    for (const int kind : {3, 0, 4}) {
        const auto record = ReadCurveRecord(holder, position);
        ASSERT_TRUE(record) << kind;
        EXPECT_EQ(record->GraphKind, kind);
        EXPECT_EQ(record->N, kind == 0 ? 0 : TableEchoCount);
        if (kind != 0) {
            EXPECT_EQ(record->Columns, 3);
            EXPECT_EQ(record->Second,
                      std::vector<float>(std::begin(ReflectionTable.Distance), std::end(ReflectionTable.Distance)));
            EXPECT_EQ(record->Y.back(), kind == 3 ? ReflectionTable.Level[7] : ReflectionTable.Percent[7]);
        }
    }
    EXPECT_EQ(std::size_t(position), holder.Curves.size());

    QStringList lines;
    WriteCurveSections(lines, rows.data(), holder, int(rows.size()));
    const QString html = Html(lines);
    EXPECT_EQ(html.count("<table"), 2);
    EXPECT_TRUE(html.contains(">-7.25</td>") && html.contains(">80.00</td>"));
}

TEST_F(ProtocolDataPage, CurvesStopAtARecordOfAnotherGraphKind) {
    std::vector<ParamDescriptor> rows = {Row("Спектр,дБм0\n", 1), Row("АЧХ,дБ\n", 5)};
    TProtocolSnapshot holder;
    holder.Curves = CurveBlock().Curve(1, {1}, {-1}).Curve(6, {2}, {-2}).Bytes; // the second row was 6 then
    QStringList lines;
    WriteCurveSections(lines, rows.data(), holder, int(rows.size()));
    const QString html = Html(lines);
    EXPECT_TRUE(html.contains(">-1.00<"));
    EXPECT_FALSE(html.contains(">-2.00<"));
}

TEST_F(ProtocolDataPage, SelectiveLevelMarksWithoutADeviceSubModeCode) {
    Settings.Mirvak.DeviceSubMode = 0;
    std::vector<ParamDescriptor> rows = {Row("Мирвак,дБм0\n", 21)};
    TProtocolSnapshot holder;
    holder.Curves = CurveBlock().Curve(21, {10, 20, 30}, {-5, -300, -7}, {1, 1, 0}).Bytes;
    QStringList lines;
    WriteCurveSections(lines, rows.data(), holder, 1);
    const QString html = Html(lines);
    EXPECT_FALSE(html.contains(">20.00<")); // the gap
    EXPECT_TRUE(html.contains("<td align=left bgcolor=\"lightpink\" width=\"8.25%\">-7.00</td>"));
    EXPECT_EQ(html.count("lightpink"), 1);
}

} // namespace
