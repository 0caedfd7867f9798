#pragma once

#include <QFont>
#include <QList>
#include <QPointF>
#include <QRawFont>

#include <array>
#include <cstdint>

class QPainter;
class QRect;
class QString;

// Draws the short one-line texts of a value table's cells left-aligned and centred vertically in a
// rectangle, with the pixels QPainter::drawText(rect, Qt::AlignLeft | Qt::AlignVCenter, text) gives, but
// from glyphs looked up once per character instead of laying out and shaping every text: a table repaints
// hundreds of numbers with every frame. A text with a character that numbers are not written with, a text
// the rectangle cuts, and every text of a font that kerns those characters are drawn by drawText itself.
class TCellTextPainter {
public:
    void Draw(QPainter &painter, const QRect &rect, const QString &text);

private:
    // The glyphs and advances of the characters of numbers in the font, looked up when it changes.
    void Prepare(const QFont &font);

    bool prepared_ = false;
    QFont font_;
    QRawFont raw_;
    qreal ascent_ = 0;
    qreal height_ = 0;
    std::array<uint32_t, 128> glyph_{}; // 0: not drawn from glyphs
    std::array<QPointF, 128> advance_{};
    QList<quint32> glyphs_; // one text's, kept to reuse their storage
    QList<QPointF> positions_;
};
