#include "controls/RxctrlsGlyph.h"

#include "controls/Vclutils.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QPalette>

#include <algorithm>

namespace {

std::unique_ptr<TGlyphCache> glyphCache;
int glyphPainters = 0;

constexpr int kPopupMarkWidth = 9;
constexpr int kMaxCaption = 255;

// Pixels of `maskColor` become transparent.
QPixmap Masked(const QImage &picture, QColor maskColor) {
    QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    const QRgb masked = maskColor.rgb() | 0xFF000000u;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) | 0xFF000000u) == masked)
                image.setPixel(x, y, qRgba(0, 0, 0, 0));
    return QPixmap::fromImage(image);
}

QImage FilledImage(int width, int height, QColor color) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(color);
    return image;
}

// The embossed picture of a disabled button: the figure (every pixel that is neither background nor the
// outline colour) in the highlight colour one pixel right and down, then in the shadow colour in place,
// on the button face. The strip's own background stays background.
QImage DisabledImage(const QImage &source, QColor transparent, QColor outline) {
    QImage result = FilledImage(source.width(), source.height(), ButtonColors::Face());
    auto figure = [&](int x, int y) {
        const QRgb pixel = source.pixel(x, y) | 0xFF000000u;
        return pixel != (transparent.rgb() | 0xFF000000u) && pixel != (outline.rgb() | 0xFF000000u);
    };
    for (int pass = 0; pass < 2; ++pass) {
        const int shift = pass == 0 ? 1 : 0;
        const QRgb color = pass == 0 ? ButtonColors::Highlight().rgb() : ButtonColors::Shadow().rgb();
        for (int y = 0; y < source.height(); ++y)
            for (int x = 0; x < source.width(); ++x)
                if (figure(x, y) && x + shift < result.width() && y + shift < result.height())
                    result.setPixel(x + shift, y + shift, color);
    }
    return result;
}

void DrawPixelRow(QPainter &painter, int x1, int x2, int y) {
    painter.drawLine(x1, y, x2, y);
}

} // namespace

namespace ButtonColors {
QColor Face() { return QApplication::palette().color(QPalette::Button); }
QColor Highlight() { return QApplication::palette().color(QPalette::Light); }
QColor Shadow() { return QApplication::palette().color(QPalette::Dark); }
QColor WindowFrame() { return QApplication::palette().color(QPalette::Shadow); }
QColor Text() { return QApplication::palette().color(QPalette::ButtonText); }
} // namespace ButtonColors

void DrawPanelBevel(QPainter &painter, QRect &frame, TPanelBevel kind, int width) {
    if (kind == bvNone)
        return;
    const QColor topLeft = kind == bvLowered ? ButtonColors::Shadow() : ButtonColors::Highlight();
    const QColor bottomRight = kind == bvLowered ? ButtonColors::Highlight() : ButtonColors::Shadow();
    for (int i = 0; i < width; ++i) {
        painter.setPen(topLeft);
        painter.drawLine(frame.left(), frame.bottom(), frame.left(), frame.top());
        painter.drawLine(frame.left(), frame.top(), frame.right(), frame.top());
        painter.setPen(bottomRight);
        painter.drawLine(frame.right(), frame.top(), frame.right(), frame.bottom());
        painter.drawLine(frame.left(), frame.bottom(), frame.right(), frame.bottom());
        frame.adjust(1, 1, -1, -1);
    }
}

int TGlyphList::AllocIndex() {
    const auto free = std::find(used_.begin(), used_.end(), false);
    if (free != used_.end())
        return int(free - used_.begin());
    pictures_.emplace_back(width_, height_);
    pictures_.back().fill(Qt::transparent);
    used_.push_back(false);
    return int(pictures_.size()) - 1;
}

// The mask is white where the picture is transparent, as a platform image list's mask is.
int TGlyphList::AddPicture(const QImage &picture, const QImage &mask) {
    const int index = AllocIndex();
    QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height() && y < mask.height(); ++y)
        for (int x = 0; x < image.width() && x < mask.width(); ++x)
            if (mask.pixelColor(x, y) == QColor(Qt::white))
                image.setPixel(x, y, qRgba(0, 0, 0, 0));
    pictures_[index] = QPixmap::fromImage(image);
    used_[index] = true;
    ++usedCount_;
    return index;
}

int TGlyphList::AddPictureMasked(const QImage &picture, QColor maskColor) {
    const int index = AllocIndex();
    pictures_[index] = Masked(picture, maskColor);
    used_[index] = true;
    ++usedCount_;
    return index;
}

void TGlyphList::ReleaseIndex(int index) {
    if (index < 0 || index >= int(used_.size()) || !used_[index])
        return;
    used_[index] = false;
    --usedCount_;
}

void TGlyphList::Draw(QPainter &painter, int x, int y, int index) const {
    if (index >= 0 && index < Count())
        painter.drawPixmap(x, y, pictures_[index]);
}

TGlyphList *TGlyphCache::ListForSize(int width, int height) {
    for (auto list = lists_.rbegin(); list != lists_.rend(); ++list)
        if ((*list)->Width() == width && (*list)->Height() == height)
            return list->get();
    lists_.push_back(std::make_unique<TGlyphList>(width, height));
    return lists_.back().get();
}

void TGlyphCache::GiveBackList(TGlyphList *list) {
    if (!list || list->UsedCount() != 0)
        return;
    std::erase_if(lists_, [list](const std::unique_ptr<TGlyphList> &held) { return held.get() == list; });
}

TGlyphCache *GlyphCache() {
    return glyphCache.get();
}

TRxButtonGlyph::TRxButtonGlyph() {
    indexes_.fill(-1);
    if (!glyphCache)
        glyphCache = std::make_unique<TGlyphCache>();
    ++glyphPainters;
}

TRxButtonGlyph::~TRxButtonGlyph() {
    Invalidate();
    if (--glyphPainters == 0 && glyphCache && glyphCache->Empty())
        glyphCache.reset();
}

void TRxButtonGlyph::SetGlyph(const QImage &value) {
    Invalidate();
    glyph_ = value;
    GlyphChanged();
}

void TRxButtonGlyph::SetNumGlyphs(int value) {
    if (value == 0 || value == numGlyphs_)
        return;
    Invalidate();
    numGlyphs_ = value;
}

void TRxButtonGlyph::Invalidate() {
    for (int &index : indexes_) {
        if (index != -1 && glyphList_)
            glyphList_->ReleaseIndex(index);
        index = -1;
    }
    if (glyphCache)
        glyphCache->GiveBackList(glyphList_);
    glyphList_ = nullptr;
}

// The strip's transparent colour is its bottom-left pixel; a strip of square cells says how many it holds.
void TRxButtonGlyph::GlyphChanged() {
    Invalidate();
    if (glyph_.height() > 0) {
        transparentColor_ = QColor(glyph_.pixel(0, glyph_.height() - 1) | 0xFF000000u);
        if (glyph_.width() % glyph_.height() == 0) {
            const int cells = glyph_.width() / glyph_.height();
            numGlyphs_ = cells > 5 ? 1 : cells;
        }
    }
    if (OnChange)
        OnChange();
}

TGlyphList *TRxButtonGlyph::ListFor(int width, int height) {
    if (!glyphList_) {
        if (!glyphCache)
            glyphCache = std::make_unique<TGlyphCache>();
        glyphList_ = glyphCache->ListForSize(width, height);
    }
    return glyphList_;
}

QColor TRxButtonGlyph::MapColor(QColor color) const {
    if (color.rgb() == transparentColor_.rgb() || color.rgb() == ButtonColors::Face().rgb())
        return color;
    const int grey = (77 * color.red() + 150 * color.green() + 29 * color.blue()) >> 8;
    return QColor(grey, grey, grey);
}

int TRxButtonGlyph::CreateButtonGlyph(TRxButtonState state) {
    if (state == rbsDown && numGlyphs_ < 3)
        state = rbsUp;
    if (indexes_[state] != -1)
        return indexes_[state];
    if (glyph_.isNull() || glyph_.width() == 0 || glyph_.height() == 0)
        return -1;
    const int width = glyph_.width() / numGlyphs_;
    const int height = glyph_.height();
    TGlyphList *list = ListFor(width, height);
    const int cell = int(state) < numGlyphs_ ? int(state) : 0;
    auto cellImage = [&](int n) { return glyph_.copy(n * width, 0, width, height); };

    switch (state) {
    case rbsUp:
    case rbsDown:
    case rbsExclusive:
        indexes_[state] = list->AddPictureMasked(cellImage(cell), transparentColor_);
        break;
    case rbsDisabled:
        if (numGlyphs_ >= 2)
            indexes_[state] = list->AddPictureMasked(cellImage(1), transparentColor_);
        else
            indexes_[state] = list->AddPictureMasked(DisabledImage(glyph_, transparentColor_, Qt::black),
                                                     ButtonColors::Face());
        break;
    case rbsInactive:
        if (numGlyphs_ == 5) {
            indexes_[state] = list->AddPictureMasked(cellImage(4), transparentColor_);
        } else {
            QImage grey = cellImage(0).convertToFormat(QImage::Format_ARGB32);
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x)
                    grey.setPixel(x, y, MapColor(QColor(glyph_.pixel(x, y))).rgb());
            indexes_[state] = list->AddPictureMasked(grey, transparentColor_);
        }
        break;
    }
    return indexes_[state];
}

int TRxButtonGlyph::CreateImageGlyph(TRxButtonState state, const TImageRow *images, int index) {
    if (state == rbsDown)
        state = rbsUp;
    if (indexes_[state] != -1 || !images || images->isEmpty() || images->front().width() == 0 ||
        images->front().height() == 0 || index < 0 || index >= images->size())
        return indexes_[state];
    const QSize size = images->front().size();
    TGlyphList *list = ListFor(size.width(), size.height());
    const QImage entry = images->at(index).toImage().convertToFormat(QImage::Format_ARGB32);
    switch (state) {
    case rbsDisabled: {
        QImage picture = FilledImage(size.width(), size.height(), ButtonColors::Face());
        QPainter painter(&picture);
        painter.drawImage(0, 0, DisabledImage(entry, Qt::transparent, Qt::transparent));
        painter.end();
        indexes_[state] = list->AddPictureMasked(picture, ButtonColors::Face());
        break;
    }
    case rbsInactive: {
        QImage picture = FilledImage(size.width(), size.height(), ButtonColors::Face());
        QPainter painter(&picture);
        painter.drawImage(0, 0, entry);
        painter.end();
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                picture.setPixel(x, y, MapColor(QColor(picture.pixel(x, y))).rgb());
        indexes_[state] = list->AddPictureMasked(picture, ButtonColors::Face());
        break;
    }
    default:
        QImage mask(entry.size(), QImage::Format_RGB32);
        for (int y = 0; y < entry.height(); ++y)
            for (int x = 0; x < entry.width(); ++x)
                mask.setPixel(x, y, qAlpha(entry.pixel(x, y)) == 0 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
        indexes_[state] = list->AddPicture(entry, mask);
        break;
    }
    return indexes_[state];
}

QPoint TRxButtonGlyph::DrawButtonGlyph(QPainter &painter, int x, int y, TRxButtonState state) {
    const int index = CreateButtonGlyph(state);
    if (index == -1 || !glyphList_)
        return {0, 0};
    glyphList_->Draw(painter, x, y, index);
    return {glyphList_->Width(), glyphList_->Height()};
}

QPoint TRxButtonGlyph::DrawButtonImage(QPainter &painter, int x, int y, const TImageRow *images, int index,
                                       TRxButtonState state) {
    if (!images || index < 0 || index >= images->size())
        return {0, 0};
    const QSize size = images->front().size();
    if (state == rbsDisabled) {
        const QImage entry = images->at(index).toImage().convertToFormat(QImage::Format_ARGB32);
        painter.drawPixmap(x, y, Masked(DisabledImage(entry, Qt::transparent, Qt::transparent),
                                        ButtonColors::Face()));
    } else if (state == rbsInactive) {
        const int made = CreateImageGlyph(state, images, index);
        if (made != -1 && glyphList_)
            glyphList_->Draw(painter, x, y, made);
    } else {
        painter.drawPixmap(x, y, images->at(index));
    }
    return {size.width(), size.height()};
}

void TRxButtonGlyph::DrawButtonText(QPainter &painter, const QString &caption, QRect bounds,
                                    TRxButtonState state, int flags) {
    const QString text = caption.left(kMaxCaption);
    const int drawFlags = Qt::AlignVCenter | (wordWrap_ ? Qt::TextWordWrap : 0) | flags;
    painter.save();
    painter.setBrush(Qt::NoBrush);
    if (state == rbsDisabled) {
        painter.setPen(ButtonColors::Highlight());
        painter.drawText(bounds.translated(1, 1), drawFlags, text);
        painter.setPen(ButtonColors::Shadow());
        painter.drawText(bounds, drawFlags, text);
    } else {
        painter.drawText(bounds, drawFlags, text);
    }
    painter.restore();
}

void TRxButtonGlyph::DrawPopupMark(QPainter &painter, int x, int y, TRxButtonState state) {
    auto triangle = [&](int dx, int dy, QColor color) {
        painter.setPen(color);
        for (int row = 0; row < 4; ++row)
            DrawPixelRow(painter, x + dx + row, x + dx + 6 - row, y + dy - 1 + row);
    };
    painter.save();
    if (state == rbsDisabled) {
        triangle(1, 1, ButtonColors::Highlight());
        triangle(0, 0, ButtonColors::Shadow());
    } else {
        triangle(0, 0, ButtonColors::Text());
    }
    painter.restore();
}

// Every line shortened to the width, unless the caption wraps; trailing blanks and line breaks go.
QString TRxButtonGlyph::MinimizeCaption(QPainter &painter, const QString &caption, int width) const {
    QString result = caption.left(kMaxCaption);
    if (wordWrap_)
        return result;
    QStringList lines = result.split(u'\n');
    for (QString &line : lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        line = MinimizeText(line, painter.fontMetrics(), width);
    }
    result = lines.join(QStringLiteral("\r\n"));
    while (!result.isEmpty() && (result.back() == u' ' || result.back() == u'\r' || result.back() == u'\n'))
        result.chop(1);
    return result;
}

void TRxButtonGlyph::CalcButtonLayout(QPainter &painter, const QRect &client, QString &caption,
                                      TButtonLayout layout, int margin, int spacing, bool popupMark,
                                      QPoint &glyphPos, QRect &textBounds, int flags, const TImageRow *images,
                                      int index) {
    const QPoint clientSize(client.width(), client.height());
    QPoint glyphSize(0, 0);
    if (images && !images->isEmpty() && images->front().width() > 0 && index >= 0 && index < images->size())
        glyphSize = QPoint(images->front().width(), images->front().height());
    else if (!glyph_.isNull())
        glyphSize = QPoint(glyph_.width() / numGlyphs_, glyph_.height());
    const bool horizontal = layout == blGlyphLeft || layout == blGlyphRight;

    QPoint room;
    if (horizontal) {
        room.setX(clientSize.x() - glyphSize.x() - (margin != -1 ? margin : 0) - (spacing != -1 ? spacing : 0) -
                  (popupMark ? kPopupMarkWidth : 0));
        room.setY(clientSize.y());
    } else {
        room.setX(clientSize.x());
        room.setY(clientSize.y() - glyphSize.y() - (margin != -1 ? margin : 0) - (spacing != -1 ? spacing : 0));
    }
    room = QPoint(std::max(0, room.x()), std::max(0, room.y()));

    caption = MinimizeCaption(painter, caption, room.x());
    if (!caption.isEmpty()) {
        const int measureFlags = Qt::AlignHCenter | Qt::AlignVCenter | (wordWrap_ ? Qt::TextWordWrap : 0) | flags;
        textBounds = painter.boundingRect(QRect(0, 0, room.x(), 0), measureFlags, caption);
        textBounds.moveTopLeft(QPoint(0, 0));
    } else {
        textBounds = QRect(0, 0, 0, 0);
    }
    textBounds.setSize(QSize(std::max(0, std::min(room.x(), textBounds.width())),
                             std::max(0, std::min(room.y(), textBounds.height()))));
    QPoint textSize(textBounds.width(), textBounds.height());

    if (popupMark) {
        if (glyphSize.x() == 0 || glyphSize.y() == 0 || layout == blGlyphLeft)
            textSize.rx() += kPopupMarkWidth;
        else if (glyphSize.x() > 0)
            glyphSize.rx() += 6;
    }

    QPoint textPos;
    if (horizontal) {
        glyphPos.setY(clientSize.y() / 2 - glyphSize.y() / 2);
        textPos.setY(clientSize.y() / 2 - textSize.y() / 2);
    } else {
        glyphPos.setX(clientSize.x() / 2 - glyphSize.x() / 2);
        textPos.setX(clientSize.x() / 2 - textSize.x() / 2);
    }
    if (textSize.x() == 0 || glyphSize.x() == 0)
        spacing = 0;

    auto along = [horizontal](const QPoint &p) { return horizontal ? p.x() : p.y(); };
    if (margin == -1 && spacing == -1) {
        const int total = along(glyphSize) + along(textSize);
        margin = (along(clientSize) - total) / 3;
        spacing = margin;
    } else if (margin == -1) {
        const int total = along(glyphSize) + spacing + along(textSize);
        margin = along(clientSize) / 2 - total / 2;
    } else if (spacing == -1) {
        const int rest = along(clientSize) - (margin + along(glyphSize));
        spacing = rest / 2 - along(textSize) / 2;
    }

    switch (layout) {
    case blGlyphLeft:
        glyphPos.setX(margin);
        textPos.setX(glyphPos.x() + glyphSize.x() + spacing);
        break;
    case blGlyphRight:
        glyphPos.setX(clientSize.x() - margin - glyphSize.x());
        textPos.setX(glyphPos.x() - spacing - textSize.x());
        break;
    case blGlyphTop:
        glyphPos.setY(margin);
        textPos.setY(glyphPos.y() + glyphSize.y() + spacing);
        break;
    case blGlyphBottom:
        glyphPos.setY(clientSize.y() - margin - glyphSize.y());
        textPos.setY(glyphPos.y() - spacing - textSize.y());
        break;
    }
    glyphPos += client.topLeft();
    textBounds = QRect(textPos + client.topLeft(), QSize(textBounds.width(), textBounds.height()));
}

QRect TRxButtonGlyph::DrawEx(QPainter &painter, const QRect &client, const QString &caption, TButtonLayout layout,
                             int margin, int spacing, bool popupMark, const TImageRow *images, int index,
                             TRxButtonState state, int flags) {
    QString text = caption;
    QPoint glyphPos;
    QRect textBounds;
    CalcButtonLayout(painter, client, text, layout, margin, spacing, popupMark, glyphPos, textBounds, flags, images,
                     index);
    QPoint drawn(0, 0);
    const bool useImages =
        images && index >= 0 && index < images->size() && !images->isEmpty() && images->front().width() > 0;
    if (useImages)
        drawn = DrawButtonImage(painter, glyphPos.x(), glyphPos.y(), images, index, state);
    else
        drawn = DrawButtonGlyph(painter, glyphPos.x(), glyphPos.y(), state);
    DrawButtonText(painter, text, textBounds, state, flags);
    if (popupMark) {
        const bool pictureDrawn = glyph_.width() > 0 || useImages;
        if (layout != blGlyphLeft && pictureDrawn) {
            DrawPopupMark(painter, glyphPos.x() + drawn.x() + 1, glyphPos.y() + drawn.y() / 2, state);
        } else {
            const int x = !text.isEmpty() ? textBounds.left() + textBounds.width() + 3
                                          : (client.left() + client.left() + client.width() - 7) / 2;
            DrawPopupMark(painter, x, textBounds.top() + textBounds.height() / 2, state);
        }
    }
    return textBounds;
}

QRect TRxButtonGlyph::Draw(QPainter &painter, const QRect &client, const QString &caption, TButtonLayout layout,
                           int margin, int spacing, bool popupMark, TRxButtonState state, int flags) {
    return DrawEx(painter, client, caption, layout, margin, spacing, popupMark, nullptr, -1, state, flags);
}

TButtonImage::TButtonImage() {
    glyph_.SetNumGlyphs(1);
}

// Two one-pixel frames around the face: shadow over window frame, then highlight over shadow.
void TButtonImage::DrawEx(QPainter &painter, int x, int y, int margin, int spacing, TButtonLayout layout,
                          const QFont *font, const TImageRow *images, int index, int flags) {
    painter.save();
    QRect rect(QPoint(x, y), ButtonSize);
    painter.fillRect(rect, ButtonColors::Face());
    auto frame = [&](QColor topLeft, QColor bottomRight) {
        painter.setPen(topLeft);
        painter.drawLine(rect.left(), rect.bottom(), rect.left(), rect.top());
        painter.drawLine(rect.left(), rect.top(), rect.right(), rect.top());
        painter.setPen(bottomRight);
        painter.drawLine(rect.right(), rect.top(), rect.right(), rect.bottom());
        painter.drawLine(rect.left(), rect.bottom(), rect.right(), rect.bottom());
        rect.adjust(1, 1, -1, -1);
    };
    frame(ButtonColors::Shadow(), ButtonColors::WindowFrame());
    frame(ButtonColors::Highlight(), ButtonColors::Shadow());
    if (font)
        painter.setFont(*font);
    painter.setPen(ButtonColors::Text());
    glyph_.DrawEx(painter, rect, Caption, layout, margin, spacing, false, images, index, rbsUp, flags);
    painter.restore();
}

void TButtonImage::Draw(QPainter &painter, int x, int y, int margin, int spacing, TButtonLayout layout,
                        const QFont *font, int flags) {
    DrawEx(painter, x, y, margin, spacing, layout, font, nullptr, -1, flags);
}
