#pragma once

#include <QListWidget>

#include <functional>

class QPainter;

// Keeps a list box's scrollable width equal to its widest item plus the width of "x": measured when an
// item comes, re-measured over all items when the widest one goes or the font changes, 0 when the list
// empties. Both list boxes below use it; the width of one item is theirs to say.
class TListBoxExtent : public QObject {
    Q_OBJECT
public:
    TListBoxExtent(QListWidget *list, std::function<int(int index)> itemWidth);

    bool Enabled() const { return enabled_; }
    // Switching on recomputes over all items; switching off sets the extent to 0.
    void SetEnabled(bool value);
    int MaxItemWidth() const { return maxItemWidth_; }
    void ResetHorizontalExtent();
    void SetHorizontalExtent();
    void ScrollToLeft();
    // The horizontal scroll range that the extent gives, applied after the view laid itself out.
    void ApplyScrollRange();

private:
    void RowsInserted(int first, int last);
    void RowsAboutToBeRemoved(int first, int last);
    void RowsRemoved();

    QListWidget *list_;
    std::function<int(int)> itemWidth_;
    bool enabled_ = false;
    int maxItemWidth_ = 0;
    bool recomputeAfterRemoval_ = false;
};

// The width that an item's text needs: the text with one "x" appended, plain, or with TabWidth above 0
// expanded to tab stops Round(width of "0" x TabWidth x 0.25) pixels apart.
int ListItemTextWidth(const QFontMetrics &metrics, const QString &text, int tabWidth);

enum TListBoxStyle { lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable };
enum TDragMode { dmManual, dmAutomatic };

// The list box base of the control library: keeps the horizontal extent while AutoScroll reads True
// (never for a multi-column list), lets an owner draw and measure its items, paints into a given painter
// and starts dragging by itself in dmAutomatic.
class TRxCustomListBox : public QListWidget {
    Q_OBJECT
public:
    using TDrawItemEvent = std::function<void(TRxCustomListBox *, int index, QPainter *, const QRect &)>;
    using TGetItemWidthEvent = std::function<void(TRxCustomListBox *, int index, int &width)>;

    explicit TRxCustomListBox(QWidget *parent = nullptr);

    bool AutoScroll() const { return autoScroll_ && columns_ == 0; }
    void SetAutoScroll(bool value);
    int Columns() const { return columns_; }
    void SetColumns(int value);
    TListBoxStyle Style() const { return style_; }
    void SetStyle(TListBoxStyle value) { style_ = value; }
    int TabWidth() const { return tabWidth_; }
    void SetTabWidth(int value) { tabWidth_ = value; }
    int ItemHeight() const { return itemHeight_; }
    void SetItemHeight(int value) { itemHeight_ = value; }
    TDragMode DragMode() const { return dragMode_; }
    void SetDragMode(TDragMode value) { dragMode_ = value; }

    void SetOnDrawItem(TDrawItemEvent handler);
    void SetOnGetItemWidth(TGetItemWidthEvent handler);
    const TDrawItemEvent &OnDrawItem() const { return onDrawItem_; }

    virtual int GetItemWidth(int index);
    int HorizontalExtent() const { return extent_.MaxItemWidth(); }
    void ResetHorizontalExtent() { extent_.ResetHorizontalExtent(); }

    // Draws the items from the top one down while they fit the control's height, each measured and then
    // drawn whole into `painter` (a picture of the list without its window).
    void PaintItems(QPainter *painter);
    // A drag that ended without a drop: the press and release it swallowed reach the list after all.
    void DragCanceled();

protected:
    // Starts the automatic drag; the list's own drag by default.
    virtual void BeginAutoDrag();
    void mousePressEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void updateGeometries() override;

private:
    void HandlerPresenceChanged(bool before, bool after);

    bool autoScroll_ = false;
    int columns_ = 0;
    TListBoxStyle style_ = lbStandard;
    int tabWidth_ = 0;
    int itemHeight_ = 16;
    TDragMode dragMode_ = dmManual;
    TDrawItemEvent onDrawItem_;
    TGetItemWidthEvent onGetItemWidth_;
    TListBoxExtent extent_;
};

// A plain text list box whose horizontal extent always follows its widest item.
class TTextListBox : public QListWidget {
    Q_OBJECT
public:
    explicit TTextListBox(QWidget *parent = nullptr);

    int TabWidth() const { return tabWidth_; }
    void SetTabWidth(int value) { tabWidth_ = value; }
    int GetItemWidth(int index) const;
    int HorizontalExtent() const { return extent_.MaxItemWidth(); }

protected:
    void changeEvent(QEvent *event) override;
    void updateGeometries() override;

private:
    int tabWidth_ = 0;
    TListBoxExtent extent_;
};
