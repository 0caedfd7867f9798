#include "MetafileRecordWalk.h"
#include "chart/EmfWriter.h"
#include "chart/MetafileRecorder.h"
#include "chart/WmfWriter.h"
#include "platform/Cp1251.h"

#include <gtest/gtest.h>

#include <QPainter>

namespace {

MetafileDrawing OneRedLine() {
    MetafileItem line;
    line.points = {QPoint(0, 0), QPoint(10, 20)};
    line.pen.colour = 0x0000FF;
    return {QSize(100, 50), {line}};
}

} // namespace

TEST(WmfWriter, GoldenBytesOfOneLine) {
    const QByteArray expected =
        QByteArray::fromHex("d7cdc69a 0000 0000 0000 6400 3200 6000 00000000 2757" // placeable header, checksum 0x5727
                            "0100 0900 0003 36000000 0100 08000000 0000" // 54 words, 1 object, records <= 8 words
                            "04000000 0301 0800"                         // MM_ANISOTROPIC
                            "05000000 0b02 0000 0000"                    // window origin
                            "05000000 0c02 3200 6400"                    // window extent 100 x 50
                            "04000000 0201 0100"                         // transparent background
                            "04000000 2e01 1800"                         // text on its baseline
                            "08000000 fa02 0000 0100 0000 ff000000"      // solid red pen, width 1
                            "04000000 2d01 0000"                         // select it
                            "08000000 2503 0200 0000 0000 0a00 1400"     // polyline (0,0)-(10,20)
                            "03000000 0000");                            // end
    EXPECT_EQ(WmfBytes(OneRedLine()).toHex(), expected.toHex());
}

TEST(EmfWriter, HeaderCountsAndRecordsAgreeWithAReader) {
    MetafileDrawing drawing = OneRedLine();
    MetafileItem text;
    text.kind = MetafileItem::Kind::Text;
    text.text = QStringLiteral("кГц");
    text.advances = {7, 7, 7};
    text.points = {QPoint(5, 30)};
    text.clip = QRect(1, 2, 50, 40);
    drawing.items.push_back(text);

    const QByteArray emf = EmfBytes(drawing);
    const auto records = EmfRecords(emf);
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(records.front().type, 1u);
    EXPECT_EQ(ReadU32(emf, 40), 0x464D4520u); // " EMF"
    EXPECT_EQ(ReadU32(emf, 48), std::uint32_t(emf.size()));
    EXPECT_EQ(ReadU32(emf, 52), std::uint32_t(records.size()));
    EXPECT_EQ(ReadU16(emf, 56), 3); // pen and font, plus the reserved handle 0
    EXPECT_EQ(records.back().type, 14u);

    std::vector<std::uint32_t> types;
    for (const MetafileRecord &r : records)
        types.push_back(r.type);
    // header, map mode, background mode, text alignment, pen, select, polyline, save, clip, font, select,
    // text colour, text, restore, end
    const std::vector<std::uint32_t> expected = {1, 17, 18, 22, 38, 37, 87, 33, 30, 82, 37, 24, 84, 34, 14};
    EXPECT_EQ(types, expected);

    const MetafileRecord &polyline = records[6];
    EXPECT_EQ(emf.mid(polyline.offset, polyline.size).toHex(),
              QByteArray::fromHex("57000000 24000000 00000000 00000000 0a000000 14000000 02000000 00000000 0a001400")
                  .toHex());
    const MetafileRecord &clip = records[8];
    EXPECT_EQ(emf.mid(clip.offset + 8, 16).toHex(), QByteArray::fromHex("01000000 02000000 33000000 2a000000").toHex());
    const MetafileRecord &out = records[12];
    EXPECT_EQ(ReadU32(emf, out.offset + 44), 3u); // characters
    const qsizetype string = out.offset + ReadU32(emf, out.offset + 48);
    EXPECT_EQ(QString::fromUtf16(reinterpret_cast<const char16_t *>(emf.constData() + string), 3), text.text);
}

TEST(WmfWriter, TextIsWindows1251AndObjectsAreCounted) {
    MetafileDrawing drawing = OneRedLine();
    MetafileItem polygon;
    polygon.kind = MetafileItem::Kind::Polygon;
    polygon.points = {QPoint(0, 0), QPoint(10, 0), QPoint(10, 10)};
    polygon.pen.style = MetafilePenStyle::Null;
    polygon.brush = {MetafileBrushStyle::Hatched, 0x00FF00, 3};
    MetafileItem text;
    text.kind = MetafileItem::Kind::Text;
    text.text = QStringLiteral("Не измеряется");
    text.points = {QPoint(5, 30)};
    drawing.items.push_back(polygon);
    drawing.items.push_back(text);

    const QByteArray wmf = WmfBytes(drawing);
    const auto records = WmfRecords(wmf);
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(records.back().type, 0u);
    EXPECT_EQ(ReadU32(wmf, 22 + 6) * 2 + 22, std::uint32_t(wmf.size()));
    EXPECT_EQ(ReadU16(wmf, 22 + 10), 4); // red pen, null pen, hatched brush, font
    std::uint32_t largest = 0;
    bool textFound = false;
    for (const MetafileRecord &r : records) {
        largest = std::max(largest, std::uint32_t(r.size / 2));
        if (r.type == 0x0521) {
            const int length = ReadU16(wmf, r.offset + 6);
            EXPECT_EQ(FromCp1251(wmf.mid(r.offset + 8, length)), text.text);
            textFound = true;
        }
        if (r.type == 0x02FC) { // hatched, green, backward diagonal
            EXPECT_EQ(wmf.mid(r.offset + 6, 8).toHex(), QByteArray::fromHex("0200 00ff0000 0300").toHex());
        }
    }
    EXPECT_TRUE(textFound);
    EXPECT_EQ(ReadU32(wmf, 22 + 12), largest);
}

TEST(MetafileRecorder, KeepsTransformedLinesFillsClipsAndTextAngles) {
    MetafileRecorder recorder(QSize(200, 100));
    {
        QPainter painter(&recorder);
        painter.setPen(QPen(Qt::red, 2));
        painter.translate(10, 5);
        painter.drawLine(0, 0, 10, 0);
        painter.resetTransform();
        painter.setClipRect(QRect(20, 20, 30, 30));
        painter.fillRect(QRect(0, 0, 4, 4), QBrush(Qt::blue, Qt::BDiagPattern));
        painter.setClipping(false);
        painter.translate(50, 60);
        painter.rotate(-90);
        painter.setPen(Qt::black);
        painter.drawText(0, 0, QStringLiteral("дБ"));
    }
    const auto &items = recorder.Drawing().items;
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].kind, MetafileItem::Kind::Polyline);
    EXPECT_EQ(items[0].points, (std::vector<QPoint>{QPoint(10, 5), QPoint(20, 5)}));
    EXPECT_EQ(items[0].pen.colour, 0x0000FFu);
    EXPECT_EQ(items[0].pen.width, 2);
    EXPECT_TRUE(items[0].clip.isEmpty());

    EXPECT_EQ(items[1].kind, MetafileItem::Kind::Polygon);
    EXPECT_EQ(items[1].brush.style, MetafileBrushStyle::Hatched);
    EXPECT_EQ(items[1].brush.hatch, 3);
    EXPECT_EQ(items[1].brush.colour, 0xFF0000u);
    EXPECT_EQ(items[1].clip, QRect(20, 20, 30, 30));

    EXPECT_EQ(items[2].kind, MetafileItem::Kind::Text);
    EXPECT_EQ(items[2].text, QStringLiteral("дБ"));
    EXPECT_EQ(items[2].font.escapement, 900);
    EXPECT_EQ(items[2].points.front(), QPoint(50, 60));
    EXPECT_EQ(items[2].advances.size(), 2u);
    EXPECT_TRUE(items[2].clip.isEmpty());
}
