#include "chart/EmfWriter.h"

#include "chart/MetafileRecords.h"

#include <algorithm>

namespace {

enum : std::uint32_t {
    EmrHeader = 1,
    EmrEof = 14,
    EmrSetMapMode = 17,
    EmrSetBkMode = 18,
    EmrSetTextAlign = 22,
    EmrSetTextColor = 24,
    EmrIntersectClipRect = 30,
    EmrSaveDC = 33,
    EmrRestoreDC = 34,
    EmrSelectObject = 37,
    EmrCreatePen = 38,
    EmrCreateBrushIndirect = 39,
    EmrExtCreateFontIndirectW = 82,
    EmrExtTextOutW = 84,
    EmrPolygon16 = 86,
    EmrPolyline16 = 87,
};

constexpr int ReferenceWidth = 1024, ReferenceHeight = 768; // pixels of the reference device at 96 per inch

int HundredthsOfMillimetre(int pixels) {
    return pixels * 2540 / 96;
}

class EmfSink final : public MetafileRecordSink {
public:
    MetafileBytes out;
    std::uint32_t records = 0;

    void Begin(std::uint32_t type) {
        start_ = out.Size();
        out.U32(type);
        out.U32(0); // size, set by End
        ++records;
    }
    void End() {
        out.PadTo(4);
        out.PutU32At(start_ + 4, std::uint32_t(out.Size() - start_));
    }
    void Simple(std::uint32_t type, std::uint32_t value) {
        Begin(type);
        out.U32(value);
        End();
    }
    void Rect(const QRect &r) {
        out.I32(r.left());
        out.I32(r.top());
        out.I32(r.right());
        out.I32(r.bottom());
    }

    void CreatePen(int slot, const MetafilePen &pen) override {
        Begin(EmrCreatePen);
        out.U32(Handle(slot));
        out.U32(std::uint32_t(pen.style));
        out.I32(pen.width);
        out.I32(0);
        out.U32(pen.colour);
        End();
    }
    void CreateBrush(int slot, const MetafileBrush &brush) override {
        Begin(EmrCreateBrushIndirect);
        out.U32(Handle(slot));
        out.U32(std::uint32_t(brush.style));
        out.U32(brush.colour);
        out.U32(brush.hatch);
        End();
    }
    void CreateFont(int slot, const MetafileFont &font) override {
        Begin(EmrExtCreateFontIndirectW);
        out.U32(Handle(slot));
        out.I32(-font.height);
        out.I32(0);
        out.I32(font.escapement);
        out.I32(font.escapement);
        out.I32(font.weight);
        out.Bytes(QByteArray(1, font.italic ? 1 : 0));
        out.Bytes(QByteArray::fromRawData("\0\0\x01\0\0\0\0", 7)); // underline, strike-out, DEFAULT_CHARSET, ...
        const QString face = font.family.left(31);
        for (int i = 0; i < 32; ++i)
            out.U16(i < face.size() ? face[i].unicode() : 0);
        End();
    }
    void SelectObject(int slot) override { Simple(EmrSelectObject, Handle(slot)); }
    void SetTextColour(std::uint32_t colour) override { Simple(EmrSetTextColor, colour); }
    void Polyline(const std::vector<QPoint> &points) override { Poly(EmrPolyline16, points); }
    void Polygon(const std::vector<QPoint> &points) override { Poly(EmrPolygon16, points); }
    void Text(QPoint origin, const QString &text, const std::vector<int> &advances) override {
        Begin(EmrExtTextOutW);
        int width = 0;
        for (int a : advances)
            width += a;
        Rect(QRect(origin.x(), origin.y(), std::max(width, 1), 1));
        out.U32(1); // GM_COMPATIBLE
        out.F32(0);
        out.F32(0);
        out.I32(origin.x());
        out.I32(origin.y());
        const auto chars = std::uint32_t(text.size());
        const std::uint32_t stringOffset = 76;
        const std::uint32_t dxOffset = stringOffset + (chars * 2 + 3) / 4 * 4;
        out.U32(chars);
        out.U32(stringOffset);
        out.U32(0); // no options, so the rectangle below is not used
        for (int i = 0; i < 4; ++i)
            out.I32(0);
        out.U32(dxOffset);
        for (QChar c : text)
            out.U16(c.unicode());
        out.PadTo(4);
        for (qsizetype i = 0; i < text.size(); ++i)
            out.I32(std::size_t(i) < advances.size() ? advances[std::size_t(i)] : 0);
        End();
    }
    void SaveDC() override {
        Begin(EmrSaveDC);
        End();
    }
    void RestoreDC() override { Simple(EmrRestoreDC, std::uint32_t(-1)); }
    void IntersectClipRect(const QRect &rect) override {
        Begin(EmrIntersectClipRect);
        out.I32(rect.left());
        out.I32(rect.top());
        out.I32(rect.left() + rect.width()); // GDI clip rectangles end before right and bottom
        out.I32(rect.top() + rect.height());
        End();
    }

private:
    // handle 0 stands for the metafile itself
    static std::uint32_t Handle(int slot) { return std::uint32_t(slot + 1); }

    void Poly(std::uint32_t type, const std::vector<QPoint> &points) {
        Begin(type);
        int left = points.front().x(), right = left, top = points.front().y(), bottom = top;
        for (const QPoint &p : points) {
            left = std::min(left, p.x());
            right = std::max(right, p.x());
            top = std::min(top, p.y());
            bottom = std::max(bottom, p.y());
        }
        out.I32(left);
        out.I32(top);
        out.I32(right);
        out.I32(bottom);
        out.U32(std::uint32_t(points.size()));
        for (const QPoint &p : points) {
            out.I16(p.x());
            out.I16(p.y());
        }
        End();
    }

    qsizetype start_ = 0;
};

} // namespace

QByteArray EmfBytes(const MetafileDrawing &drawing) {
    const int width = std::max(drawing.size.width(), 1), height = std::max(drawing.size.height(), 1);
    EmfSink sink;
    sink.Begin(EmrHeader);
    sink.Rect(QRect(0, 0, width, height));
    sink.Rect(QRect(QPoint(0, 0), QPoint(HundredthsOfMillimetre(width), HundredthsOfMillimetre(height))));
    sink.out.U32(0x464D4520); // " EMF"
    sink.out.U32(0x00010000);
    sink.out.U32(0); // bytes, set below
    sink.out.U32(0); // records, set below
    sink.out.U32(0); // handles and a reserved word, set below
    sink.out.U32(0); // no description
    sink.out.U32(0);
    sink.out.U32(0); // no palette
    sink.out.I32(ReferenceWidth);
    sink.out.I32(ReferenceHeight);
    sink.out.I32(HundredthsOfMillimetre(ReferenceWidth) / 100);
    sink.out.I32(HundredthsOfMillimetre(ReferenceHeight) / 100);
    sink.out.U32(0); // no pixel format
    sink.out.U32(0);
    sink.out.U32(0); // not OpenGL
    sink.out.I32(HundredthsOfMillimetre(ReferenceWidth) * 10);
    sink.out.I32(HundredthsOfMillimetre(ReferenceHeight) * 10);
    sink.End();

    sink.Simple(EmrSetMapMode, 1);    // MM_TEXT: one unit is one pixel
    sink.Simple(EmrSetBkMode, 1);     // TRANSPARENT
    sink.Simple(EmrSetTextAlign, 24); // TA_BASELINE | TA_LEFT
    const int objects = PlayMetafileDrawing(drawing, sink);

    sink.Begin(EmrEof);
    sink.out.U32(0);
    sink.out.U32(16);
    sink.out.U32(20);
    sink.End();

    sink.out.PutU32At(48, std::uint32_t(sink.out.Size()));
    sink.out.PutU32At(52, sink.records);
    sink.out.PutU32At(56, std::uint32_t(objects + 1));
    return sink.out.Data();
}
