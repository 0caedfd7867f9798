#pragma once

#include <QListWidget>
#include <QStyle>

#include <functional>

class QPainter;

// Keeps a list box's scrollable width equal to its widest item plus the width of "x": measured when an
// item comes, re-measured over all items when the widest one goes or the font changes, 0 when the list
// empties. Both list boxes below use it; the width of one item is theirs to say.
class TListBoxExtent : public QObject {
    Q_OBJECT
public:
    // `apply` hands a changed widest width on to the list; without it the horizontal scroll range is set.
    TListBoxExtent(QListWidget *list, std::function<int(int index)> itemWidth, std::function<void()> apply = {});

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
    std::function<void()> apply_;
    bool enabled_ = false;
    int maxItemWidth_ = 0;
    bool recomputeAfterRemoval_ = false;
};

// The width that an item's text needs: the text with one "x" appended, plain, or with TabWidth above 0
// expanded to tab stops Round(width of "0" x TabWidth x 0.25) pixels apart.
int ListItemTextWidth(const QFontMetrics &metrics, const QString &text, int tabWidth);

enum TListBoxStyle { lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable };
enum TDragMode { dmManual, dmAutomatic };

class TRxListBoxDelegate;

// The list box base of the control library. Every row is drawn and measured by the list itself (a row's
// rectangle, its selection colours and its focus frame, then `DrawItem`), so that a descendant can draw
// beside the text. It keeps the horizontal extent while AutoScroll reads True (never for a multi-column
// list), lets an owner draw and measure its items, paints into a given painter and starts dragging by
// itself in dmAutomatic. Rows are addressed by index; an index outside the list raises
// EStringListError "List index out of bounds (%d)" where the operation says so. Rectangles and points are
// in the coordinates of the viewport, the list's client area.
class TRxCustomListBox : public QListWidget {
    Q_OBJECT
public:
    using TDrawItemEvent = std::function<void(TRxCustomListBox *, int index, QPainter *, const QRect &)>;
    using TGetItemWidthEvent = std::function<void(TRxCustomListBox *, int index, int &width)>;
    using TMeasureItemEvent = std::function<void(TRxCustomListBox *, int index, int &height)>;
    // Called before the list's own handling of a key; setting `key` to 0 swallows the key.
    using TKeyEvent = std::function<void(TRxCustomListBox *, int &key, Qt::KeyboardModifiers)>;

    explicit TRxCustomListBox(QWidget *parent = nullptr);

    bool AutoScroll() const { return autoScroll_ && columns_ == 0; }
    void SetAutoScroll(bool value);
    int Columns() const { return columns_; }
    void SetColumns(int value);
    TListBoxStyle Style() const { return style_; }
    void SetStyle(TListBoxStyle value);
    int TabWidth() const { return tabWidth_; }
    // Negative values become 0.
    void SetTabWidth(int value);
    int ItemHeight() const { return itemHeight_; }
    // Only heights above 0 are taken.
    void SetItemHeight(int value);
    TDragMode DragMode() const { return dragMode_; }
    void SetDragMode(TDragMode value) { dragMode_ = value; }
    bool MultiSelect() const { return multiSelect_; }
    void SetMultiSelect(bool value);
    bool ExtendedSelect() const { return extendedSelect_; }
    void SetExtendedSelect(bool value);
    bool Sorted() const { return isSortingEnabled(); }
    void SetSorted(bool value);
    // Without the focus, selected rows show in the button face colour instead of the highlight.
    bool GraySelection() const { return graySelection_; }
    void SetGraySelection(bool value);

    void SetOnDrawItem(TDrawItemEvent handler);
    void SetOnGetItemWidth(TGetItemWidthEvent handler);
    void SetOnMeasureItem(TMeasureItemEvent handler);
    const TDrawItemEvent &OnDrawItem() const { return onDrawItem_; }
    TKeyEvent OnKeyDown;

    // In a single-select list the selected row or -1; in a multi-select list the row with the focus frame.
    int GetItemIndex() const;
    // Makes the row current; a multi-select list keeps its selection.
    void SetItemIndex(int index);
    int GetSelCount() const;
    // Throws for an index outside the list.
    bool GetSelected(int index) const;
    // Multi-select: selects or deselects the row (throws for an index outside the list). Single-select:
    // true makes the row current, false clears the current row only when it is this row.
    void SetSelected(int index, bool value);
    int GetTopIndex() const;
    void SetTopIndex(int index);
    // The rectangle of a row; for index Count the place where a new row would go, just below the last
    // one; for any other index outside the list an all-zero rectangle.
    QRect ItemRect(int index) const;
    // -1 outside the client area; else the row that holds the point; below the rows -1 when `existing`,
    // else Count.
    int ItemAtPos(const QPoint &pos, bool existing) const;
    // The height of the rows as the list lays them out.
    virtual int GetItemHeight() const;

    virtual int GetItemWidth(int index);
    int HorizontalExtent() const { return extent_.MaxItemWidth(); }
    void ResetHorizontalExtent() { extent_.ResetHorizontalExtent(); }

    // Draws the items from the top one down while they fit the control's height, each measured and then
    // drawn whole into `painter` (a picture of the list without its window).
    void PaintItems(QPainter *painter);
    // A drag that ended without a drop: the press and release it swallowed reach the list after all.
    void DragCanceled();

protected:
    // One row's draw request: the painter gets the row's colours (brush the background, pen the text;
    // selected rows the highlight, or the button face under GraySelection without the focus), `DrawItem`
    // draws the row and the current row of a focused list gets its focus frame. An index below 0 only
    // fills the rectangle.
    virtual void DrawItemRequest(QPainter *painter, int index, const QRect &rect, QStyle::State state);
    // With an owner-draw style and OnDrawItem, the handler draws the row; otherwise the row is filled and
    // its text drawn 2 pixels in from the text side, centred on the height of "Wy".
    virtual void DrawItem(QPainter *painter, int index, const QRect &rect, QStyle::State state);
    // The height of one row: the font's for lbStandard, ItemHeight for the owner-draw styles, and for
    // lbOwnerDrawVariable what OnMeasureItem makes of it.
    virtual int RowHeight(int index) const;
    // The text at x, y with the list's tab stops (TabWidth quarters of the width of "0" apart).
    void DefaultDrawText(QPainter *painter, int x, int y, const QString &text) const;
    // Throws EStringListError unless 0 <= index < Count.
    void CheckIndex(int index) const;
    // Runs OnKeyDown; true when the handler swallowed the key.
    bool DoKeyDown(QKeyEvent *event);
    // Lays the rows out again after their height may have changed.
    void ItemHeightChanged();

    // Starts the automatic drag; the list's own drag by default.
    virtual void BeginAutoDrag();
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    friend class TRxListBoxDelegate;
    void HandlerPresenceChanged(bool before, bool after);
    void UpdateSelectionMode();

    bool autoScroll_ = false;
    int columns_ = 0;
    TListBoxStyle style_ = lbStandard;
    int tabWidth_ = 0;
    int itemHeight_ = 16;
    TDragMode dragMode_ = dmManual;
    bool multiSelect_ = false;
    bool extendedSelect_ = true;
    bool graySelection_ = false;
    TDrawItemEvent onDrawItem_;
    TGetItemWidthEvent onGetItemWidth_;
    TMeasureItemEvent onMeasureItem_;
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
