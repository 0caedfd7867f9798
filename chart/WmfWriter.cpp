#include "chart/WmfWriter.h"

#include "chart/MetafileRecords.h"
#include "platform/Cp1251.h"

#include <algorithm>

namespace {

enum : std::uint16_t {
    MetaEof = 0x0000,
    MetaSaveDC = 0x001E,
    MetaSetBkMode = 0x0102,
    MetaSetMapMode = 0x0103,
    MetaRestoreDC = 0x0127,
    MetaSelectObject = 0x012D,
    MetaSetTextAlign = 0x012E,
    MetaSetWindowOrg = 0x020B,
    MetaSetWindowExt = 0x020C,
    MetaSetTextColor = 0x0209,
    MetaCreatePenIndirect = 0x02FA,
    MetaCreateFontIndirect = 0x02FB,
    MetaCreateBrushIndirect = 0x02FC,
    MetaPolygon = 0x0324,
    MetaPolyline = 0x0325,
    MetaIntersectClipRect = 0x0416,
    MetaTextOut = 0x0521,
};

constexpr std::uint8_t RussianCharset = 204;
constexpr qsizetype PlaceableSize = 22, MetaHeaderSize = 18;

class WmfSink final : public MetafileRecordSink {
public:
    MetafileBytes out;
    std::uint32_t largestRecord = 0; // in 16-bit words

    void Begin(std::uint16_t function) {
        start_ = out.Size();
        out.U32(0); // size in words, set by End
        out.U16(function);
    }
    void End() {
        out.PadTo(2);
        const auto words = std::uint32_t((out.Size() - start_) / 2);
        out.PutU32At(start_, words);
        largestRecord = std::max(largestRecord, words);
    }
    void Words(std::uint16_t function, std::initializer_list<int> values) {
        Begin(function);
        for (int v : values)
            out.I16(v);
        End();
    }

    void CreatePen(int, const MetafilePen &pen) override {
        Begin(MetaCreatePenIndirect);
        out.U16(std::uint16_t(pen.style));
        out.I16(pen.width);
        out.I16(0);
        out.U32(pen.colour);
        End();
    }
    void CreateBrush(int, const MetafileBrush &brush) override {
        Begin(MetaCreateBrushIndirect);
        out.U16(std::uint16_t(brush.style));
        out.U32(brush.colour);
        out.U16(brush.hatch);
        End();
    }
    void CreateFont(int, const MetafileFont &font) override {
        Begin(MetaCreateFontIndirect);
        out.I16(-font.height);
        out.I16(0);
        out.I16(font.escapement);
        out.I16(font.escapement);
        out.I16(font.weight);
        out.Bytes(QByteArray(1, font.italic ? 1 : 0));
        out.Bytes(QByteArray(2, '\0')); // underline, strike-out
        out.Bytes(QByteArray(1, char(RussianCharset)));
        out.Bytes(QByteArray(4, '\0'));
        QByteArray face = ToCp1251(font.family).left(31);
        face.append(QByteArray(32 - face.size(), '\0'));
        out.Bytes(face);
        End();
    }
    // the slots of a plain metafile are the lowest free ones, which the player hands out in order
    void SelectObject(int slot) override { Words(MetaSelectObject, {slot}); }
    void SetTextColour(std::uint32_t colour) override {
        Begin(MetaSetTextColor);
        out.U32(colour);
        End();
    }
    void Polyline(const std::vector<QPoint> &points) override { Poly(MetaPolyline, points); }
    void Polygon(const std::vector<QPoint> &points) override { Poly(MetaPolygon, points); }
    void Text(QPoint origin, const QString &text, const std::vector<int> &) override {
        const QByteArray bytes = ToCp1251(text).left(32767);
        Begin(MetaTextOut);
        out.I16(int(bytes.size()));
        out.Bytes(bytes);
        out.PadTo(2);
        out.I16(origin.y());
        out.I16(origin.x());
        End();
    }
    void SaveDC() override { Words(MetaSaveDC, {}); }
    void RestoreDC() override { Words(MetaRestoreDC, {-1}); }
    void IntersectClipRect(const QRect &r) override {
        Words(MetaIntersectClipRect, {r.top() + r.height(), r.left() + r.width(), r.top(), r.left()});
    }

private:
    void Poly(std::uint16_t function, const std::vector<QPoint> &points) {
        const std::size_t count = std::min<std::size_t>(points.size(), 32767);
        Begin(function);
        out.I16(int(count));
        for (std::size_t i = 0; i < count; ++i) {
            out.I16(points[i].x());
            out.I16(points[i].y());
        }
        End();
    }

    qsizetype start_ = 0;
};

} // namespace

QByteArray WmfBytes(const MetafileDrawing &drawing) {
    const int width = std::clamp(drawing.size.width(), 1, 32767), height = std::clamp(drawing.size.height(), 1, 32767);
    WmfSink sink;
    sink.out.U32(0x9AC6CDD7); // placeable metafile key
    sink.out.U16(0);
    sink.out.I16(0);
    sink.out.I16(0);
    sink.out.I16(width);
    sink.out.I16(height);
    sink.out.U16(96); // units per inch
    sink.out.U32(0);
    std::uint16_t checksum = 0;
    for (int i = 0; i < 10; ++i)
        checksum ^= std::uint16_t(std::uint8_t(sink.out.Data()[2 * i]) | std::uint8_t(sink.out.Data()[2 * i + 1]) << 8);
    sink.out.U16(checksum);

    sink.out.U16(1); // in memory
    sink.out.U16(MetaHeaderSize / 2);
    sink.out.U16(0x0300);
    sink.out.U32(0); // size in words, set below
    sink.out.U16(0); // objects, set below
    sink.out.U32(0); // largest record, set below
    sink.out.U16(0);

    sink.Words(MetaSetMapMode, {8}); // MM_ANISOTROPIC: the window below maps onto the picture frame
    sink.Words(MetaSetWindowOrg, {0, 0});
    sink.Words(MetaSetWindowExt, {height, width});
    sink.Words(MetaSetBkMode, {1});     // TRANSPARENT
    sink.Words(MetaSetTextAlign, {24}); // TA_BASELINE | TA_LEFT
    const int objects = PlayMetafileDrawing(drawing, sink);
    sink.Words(MetaEof, {});

    QByteArray bytes = sink.out.Data();
    const auto put16 = [&](qsizetype at, std::uint32_t v) {
        bytes[at] = char(v & 0xFF);
        bytes[at + 1] = char((v >> 8) & 0xFF);
    };
    const auto words = std::uint32_t((bytes.size() - PlaceableSize) / 2);
    put16(PlaceableSize + 6, words & 0xFFFF);
    put16(PlaceableSize + 8, words >> 16);
    put16(PlaceableSize + 10, std::uint32_t(std::min(objects, 65535)));
    put16(PlaceableSize + 12, sink.largestRecord & 0xFFFF);
    put16(PlaceableSize + 14, sink.largestRecord >> 16);
    return bytes;
}
