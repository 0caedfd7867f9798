#include "views/CellTextPainter.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPainter>
#include <QRect>
#include <QString>

#include <cmath>

void TCellTextPainter::Prepare(const QFont &font) {
    prepared_ = true;
    font_ = font;
    raw_ = QRawFont::fromFont(font);
    const QFontMetricsF metrics(font);
    ascent_ = metrics.ascent();
    height_ = metrics.ascent() + metrics.descent();
    glyph_.fill(0);
    if (!raw_.isValid())
        return;
    const QString characters = QStringLiteral("0123456789.,-+eE ");
    const QList<quint32> glyphs = raw_.glyphIndexesForString(characters);
    if (glyphs.size() != characters.size() || glyphs.contains(0))
        return;
    const QList<QPointF> advances = raw_.advancesForGlyphIndexes(glyphs, QRawFont::SeparateAdvances);
    // A pair drawn closer or wider than its advances would differ from the shaped text.
    for (const quint32 first : glyphs)
        for (const quint32 second : glyphs) {
            const QList<QPointF> kerned = raw_.advancesForGlyphIndexes({first, second}, QRawFont::KernedAdvances);
            const QList<QPointF> plain = raw_.advancesForGlyphIndexes({first, second}, QRawFont::SeparateAdvances);
            if (kerned != plain)
                return;
        }
    for (qsizetype i = 0; i < characters.size(); ++i) {
        glyph_[characters[i].unicode()] = glyphs[i];
        advance_[characters[i].unicode()] = advances[i];
    }
}

void TCellTextPainter::Draw(QPainter &painter, const QRect &rect, const QString &text) {
    if (!prepared_ || painter.font() != font_)
        Prepare(painter.font());
    glyphs_.resize(0);
    positions_.resize(0);
    // Where the text layout puts a single line: its box of ascent plus descent centred in the rectangle,
    // its top cut to the layout's 1/64 pixel.
    const qreal top = std::trunc((rect.y() + (rect.height() - height_) / 2) * 64) / 64;
    QPointF at(rect.x(), top + ascent_);
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c >= glyph_.size() || glyph_[c] == 0) {
            painter.drawText(rect, Qt::AlignLeft | Qt::AlignVCenter, text);
            return;
        }
        glyphs_.append(glyph_[c]);
        positions_.append(at);
        at += advance_[c];
    }
    if (glyphs_.isEmpty())
        return;
    // The layout clips a text that leaves the rectangle.
    if (!QRectF(rect).contains(QRectF(rect.x(), rect.y() + (rect.height() - height_) / 2, at.x() - rect.x(), height_))) {
        painter.drawText(rect, Qt::AlignLeft | Qt::AlignVCenter, text);
        return;
    }
    QGlyphRun run;
    run.setRawFont(raw_);
    run.setGlyphIndexes(glyphs_);
    run.setPositions(positions_);
    painter.drawGlyphRun(QPointF(0, 0), run);
}
