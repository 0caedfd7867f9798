#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QList>
#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QString>

#include <array>
#include <functional>
#include <memory>
#include <vector>

class QPainter;

enum TRxButtonState { rbsUp, rbsDisabled, rbsDown, rbsExclusive, rbsInactive };
enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

// A row of equally sized pictures addressed by index (the images of a speed bar).
using TImageRow = QList<QPixmap>;

// The system colours the buttons are drawn with, from the application's palette.
namespace ButtonColors {
QColor Face();
QColor Highlight();
QColor Shadow();
QColor WindowFrame();
QColor Text();
} // namespace ButtonColors

// A panel's bevel: none, or lines of the shadow and highlight colours that make it look sunk or raised.
enum TPanelBevel { bvNone, bvLowered, bvRaised };

// Draws `width` rings of a bevel along the edges of frame, which shrinks by one pixel each ring.
void DrawPanelBevel(QPainter &painter, QRect &frame, TPanelBevel kind, int width);


// Pictures of one size in numbered slots; a freed slot keeps its picture until it is used again.
class TGlyphList {
public:
    TGlyphList(int width, int height) : width_(width), height_(height) {}

    int Width() const { return width_; }
    int Height() const { return height_; }
    int Count() const { return int(pictures_.size()); }
    int UsedCount() const { return usedCount_; }
    // Both store the picture in the first free slot and return it.
    int AddPicture(const QImage &picture, const QImage &mask);
    int AddPictureMasked(const QImage &picture, QColor maskColor);
    void ReleaseIndex(int index);
    void Draw(QPainter &painter, int x, int y, int index) const;
    const QPixmap &Picture(int index) const { return pictures_.at(index); }

private:
    int AllocIndex();

    int width_;
    int height_;
    std::vector<QPixmap> pictures_;
    std::vector<bool> used_;
    int usedCount_ = 0;
};

// The glyph lists that every button shares, one per picture size.
class TGlyphCache {
public:
    TGlyphList *ListForSize(int width, int height);
    // Frees the list once none of its slots is used.
    void GiveBackList(TGlyphList *list);
    bool Empty() const { return lists_.empty(); }
    int ListCount() const { return int(lists_.size()); }

private:
    std::vector<std::unique_ptr<TGlyphList>> lists_;
};

// The program's one cache while any glyph painter lives; none otherwise.
TGlyphCache *GlyphCache();

// Draws a button's picture and caption: the strip of up to five cells (up, disabled, down, exclusive,
// inactive) or an entry of an image row, with the missing state pictures made from the first cell once
// and kept in the shared cache.
class TRxButtonGlyph {
public:
    TRxButtonGlyph();
    ~TRxButtonGlyph();
    TRxButtonGlyph(const TRxButtonGlyph &) = delete;
    TRxButtonGlyph &operator=(const TRxButtonGlyph &) = delete;

    const QImage &Glyph() const { return glyph_; }
    void SetGlyph(const QImage &value);
    int NumGlyphs() const { return numGlyphs_; }
    void SetNumGlyphs(int value);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool value) { wordWrap_ = value; }
    Qt::Alignment Alignment() const { return alignment_; }
    void SetAlignment(Qt::Alignment value) { alignment_ = value; }
    QColor TransparentColor() const { return transparentColor_; }
    std::function<void()> OnChange;

    void Invalidate();
    int CreateButtonGlyph(TRxButtonState state);
    int CreateImageGlyph(TRxButtonState state, const TImageRow *images, int index);
    QColor MapColor(QColor color) const;
    const TGlyphList *GlyphList() const { return glyphList_; }

    QPoint DrawButtonGlyph(QPainter &painter, int x, int y, TRxButtonState state);
    QPoint DrawButtonImage(QPainter &painter, int x, int y, const TImageRow *images, int index,
                           TRxButtonState state);
    void DrawButtonText(QPainter &painter, const QString &caption, QRect bounds, TRxButtonState state,
                        int flags);
    void DrawPopupMark(QPainter &painter, int x, int y, TRxButtonState state);
    QString MinimizeCaption(QPainter &painter, const QString &caption, int width) const;
    void CalcButtonLayout(QPainter &painter, const QRect &client, QString &caption, TButtonLayout layout,
                          int margin, int spacing, bool popupMark, QPoint &glyphPos, QRect &textBounds,
                          int flags, const TImageRow *images, int index);
    QRect DrawEx(QPainter &painter, const QRect &client, const QString &caption, TButtonLayout layout,
                 int margin, int spacing, bool popupMark, const TImageRow *images, int index,
                 TRxButtonState state, int flags);
    QRect Draw(QPainter &painter, const QRect &client, const QString &caption, TButtonLayout layout, int margin,
               int spacing, bool popupMark, TRxButtonState state, int flags);

private:
    void GlyphChanged();
    TGlyphList *ListFor(int width, int height);

    QImage glyph_;
    TGlyphList *glyphList_ = nullptr;
    std::array<int, 5> indexes_;
    QColor transparentColor_ = QColor(255, 0, 255);
    int numGlyphs_ = 1;
    bool wordWrap_ = false;
    Qt::Alignment alignment_ = Qt::AlignHCenter;
};

// A complete framed button face drawn at a point: the drag image of a speed bar button and the rows of
// the setup window.
class TButtonImage {
public:
    TButtonImage();

    TRxButtonGlyph &Painter() { return glyph_; }
    QSize ButtonSize{24, 23};
    QString Caption;
    void Invalidate() { glyph_.Invalidate(); }

    void DrawEx(QPainter &painter, int x, int y, int margin, int spacing, TButtonLayout layout, const QFont *font,
                const TImageRow *images, int index, int flags);
    void Draw(QPainter &painter, int x, int y, int margin, int spacing, TButtonLayout layout, const QFont *font,
              int flags);

private:
    TRxButtonGlyph glyph_;
};
