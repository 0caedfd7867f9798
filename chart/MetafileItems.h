#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <cstdint>
#include <vector>

// A chart drawing as the Windows metafile writers take it: device pixels, colours as COLORREF
// (0x00BBGGRR), pens, brushes and fonts by value.

enum class MetafilePenStyle : std::uint16_t { Solid = 0, Dash = 1, Dot = 2, DashDot = 3, DashDotDot = 4, Null = 5 };
enum class MetafileBrushStyle : std::uint16_t { Solid = 0, Null = 1, Hatched = 2 };

struct MetafilePen {
    MetafilePenStyle style = MetafilePenStyle::Solid;
    int width = 1;
    std::uint32_t colour = 0;
    bool operator==(const MetafilePen &) const = default;
};

struct MetafileBrush {
    MetafileBrushStyle style = MetafileBrushStyle::Null;
    std::uint32_t colour = 0;
    std::uint16_t hatch = 0; // HS_HORIZONTAL 0 .. HS_DIAGCROSS 5
    bool operator==(const MetafileBrush &) const = default;
};

struct MetafileFont {
    QString family;
    int height = 12;    // character height in pixels
    int weight = 400;   // 400 normal, 700 bold
    int escapement = 0; // tenths of a degree, counter-clockwise
    bool italic = false;
    bool operator==(const MetafileFont &) const = default;
};

struct MetafileItem {
    enum class Kind { Polyline, Polygon, Text };
    Kind kind = Kind::Polyline;
    std::vector<QPoint> points; // Polyline, Polygon
    MetafilePen pen;            // outline, and the text colour of Text
    MetafileBrush brush;        // Polygon
    QString text;               // Text: drawn with its baseline's left end at points[0]
    std::vector<int> advances;  // Text: advance of each UTF-16 unit
    MetafileFont font;          // Text
    QRect clip;                 // drawing is limited to it; an empty rectangle limits nothing
};

struct MetafileDrawing {
    QSize size;
    std::vector<MetafileItem> items;
};
