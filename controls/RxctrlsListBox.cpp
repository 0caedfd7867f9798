#include "controls/RxctrlsListBox.h"

#include "controls/LibraryErrors.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionFocusRect>
#include <QStyledItemDelegate>
#include <QTextOption>

#include <algorithm>
#include <cmath>

TListBoxExtent::TListBoxExtent(QListWidget *list, std::function<int(int)> itemWidth, std::function<void()> apply)
    : QObject(list), list_(list), itemWidth_(std::move(itemWidth)), apply_(std::move(apply)) {
    QAbstractItemModel *model = list_->model();
    connect(model, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex &, int first, int last) { RowsInserted(first, last); });
    connect(model, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex &, int first, int last) { RowsAboutToBeRemoved(first, last); });
    connect(model, &QAbstractItemModel::rowsRemoved, this, [this] { RowsRemoved(); });
    connect(model, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
        if (enabled_) {
            maxItemWidth_ = 0;
            SetHorizontalExtent();
            ScrollToLeft();
        }
    });
}

void TListBoxExtent::SetEnabled(bool value) {
    if (enabled_ == value)
        return;
    enabled_ = value;
    ScrollToLeft();
    if (enabled_) {
        ResetHorizontalExtent();
    } else {
        maxItemWidth_ = 0;
        SetHorizontalExtent();
    }
}

void TListBoxExtent::ResetHorizontalExtent() {
    maxItemWidth_ = 0;
    for (int i = 0; i < list_->count(); ++i)
        maxItemWidth_ = std::max(maxItemWidth_, itemWidth_(i));
    SetHorizontalExtent();
}

void TListBoxExtent::SetHorizontalExtent() {
    if (apply_)
        apply_();
    else
        ApplyScrollRange();
}

void TListBoxExtent::ScrollToLeft() {
    list_->horizontalScrollBar()->setValue(0);
}

void TListBoxExtent::ApplyScrollRange() {
    if (!enabled_)
        return;
    QScrollBar *bar = list_->horizontalScrollBar();
    bar->setRange(0, std::max(0, maxItemWidth_ - list_->viewport()->width()));
    bar->setPageStep(list_->viewport()->width());
}

void TListBoxExtent::RowsInserted(int first, int last) {
    if (!enabled_)
        return;
    for (int i = first; i <= last; ++i)
        maxItemWidth_ = std::max(maxItemWidth_, itemWidth_(i));
    SetHorizontalExtent();
}

// The width of an item that goes is measured while it is still there; only the widest one makes the
// list scroll home and measure again once it has gone.
void TListBoxExtent::RowsAboutToBeRemoved(int first, int last) {
    recomputeAfterRemoval_ = false;
    if (!enabled_)
        return;
    for (int i = first; i <= last; ++i)
        if (itemWidth_(i) >= maxItemWidth_)
            recomputeAfterRemoval_ = true;
    if (recomputeAfterRemoval_)
        ScrollToLeft();
}

void TListBoxExtent::RowsRemoved() {
    if (recomputeAfterRemoval_)
        ResetHorizontalExtent();
    recomputeAfterRemoval_ = false;
}

int ListItemTextWidth(const QFontMetrics &metrics, const QString &text, int tabWidth) {
    const QString measured = text + u'x';
    if (tabWidth == 0)
        return metrics.horizontalAdvance(measured);
    const int stop = int(std::lround(metrics.horizontalAdvance(u'0') * tabWidth * 0.25));
    return metrics.size(Qt::TextSingleLine | Qt::TextExpandTabs, measured, stop).width() & 0xFFFF;
}

// Hands every row of a TRxCustomListBox to the list's own draw request and measure rule.
class TRxListBoxDelegate : public QStyledItemDelegate {
public:
    explicit TRxListBoxDelegate(TRxCustomListBox *list) : QStyledItemDelegate(list), list_(list) {}

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override {
        painter->save();
        list_->DrawItemRequest(painter, index.row(), option.rect, option.state);
        painter->restore();
    }
    // As wide as the widest row: the view scrolls as far as the extent reaches, and a highlight with it.
    QSize sizeHint(const QStyleOptionViewItem &, const QModelIndex &index) const override {
        return {list_->HorizontalExtent(), list_->RowHeight(index.row())};
    }

private:
    TRxCustomListBox *list_;
};

// The rows are as wide as the extent, so the view's own scroll range is the extent's.
TRxCustomListBox::TRxCustomListBox(QWidget *parent)
    : QListWidget(parent), extent_(
                               this, [this](int index) { return GetItemWidth(index); },
                               [this] { scheduleDelayedItemsLayout(); }) {
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setItemDelegate(new TRxListBoxDelegate(this));
    setUniformItemSizes(true);
    UpdateSelectionMode();
}

void TRxCustomListBox::SetAutoScroll(bool value) {
    if (value == AutoScroll())
        return;
    autoScroll_ = value;
    extent_.SetEnabled(AutoScroll());
}

void TRxCustomListBox::SetColumns(int value) {
    columns_ = std::max(0, value);
    setFlow(columns_ > 0 ? QListView::TopToBottom : QListView::TopToBottom);
    setWrapping(columns_ > 0);
    extent_.SetEnabled(AutoScroll());
}

void TRxCustomListBox::SetStyle(TListBoxStyle value) {
    if (value == style_)
        return;
    style_ = value;
    setUniformItemSizes(style_ != lbOwnerDrawVariable);
    ItemHeightChanged();
}

void TRxCustomListBox::SetTabWidth(int value) {
    tabWidth_ = std::max(0, value);
    viewport()->update();
}

void TRxCustomListBox::SetItemHeight(int value) {
    if (value <= 0 || value == itemHeight_)
        return;
    itemHeight_ = value;
    ItemHeightChanged();
}

void TRxCustomListBox::ItemHeightChanged() {
    doItemsLayout();
    viewport()->update();
}

void TRxCustomListBox::SetMultiSelect(bool value) {
    multiSelect_ = value;
    UpdateSelectionMode();
}

void TRxCustomListBox::SetExtendedSelect(bool value) {
    extendedSelect_ = value;
    UpdateSelectionMode();
}

void TRxCustomListBox::UpdateSelectionMode() {
    if (!multiSelect_)
        setSelectionMode(QAbstractItemView::SingleSelection);
    else
        setSelectionMode(extendedSelect_ ? QAbstractItemView::ExtendedSelection : QAbstractItemView::MultiSelection);
}

void TRxCustomListBox::SetSorted(bool value) {
    setSortingEnabled(value);
    if (value)
        sortItems(Qt::AscendingOrder);
}

void TRxCustomListBox::SetGraySelection(bool value) {
    if (value == graySelection_)
        return;
    graySelection_ = value;
    if (!hasFocus())
        viewport()->update();
}

void TRxCustomListBox::SetOnMeasureItem(TMeasureItemEvent handler) {
    onMeasureItem_ = std::move(handler);
    if (style_ == lbOwnerDrawVariable)
        ItemHeightChanged();
}

void TRxCustomListBox::CheckIndex(int index) const {
    if (index < 0 || index >= count())
        throw EStringListError(QStringLiteral("List index out of bounds (%1)").arg(index));
}

int TRxCustomListBox::GetItemIndex() const {
    const int current = currentRow();
    if (multiSelect_ || current < 0)
        return current;
    return selectionModel()->isRowSelected(current, QModelIndex()) ? current : -1;
}

void TRxCustomListBox::SetItemIndex(int index) {
    if (index == GetItemIndex())
        return;
    if (multiSelect_)
        selectionModel()->setCurrentIndex(model()->index(index, 0), QItemSelectionModel::NoUpdate);
    else
        setCurrentRow(index);
}

int TRxCustomListBox::GetSelCount() const {
    return int(selectionModel()->selectedRows().size());
}

bool TRxCustomListBox::GetSelected(int index) const {
    CheckIndex(index);
    return selectionModel()->isRowSelected(index, QModelIndex());
}

void TRxCustomListBox::SetSelected(int index, bool value) {
    if (multiSelect_) {
        CheckIndex(index);
        selectionModel()->select(model()->index(index, 0),
                                 value ? QItemSelectionModel::Select : QItemSelectionModel::Deselect);
    } else if (value) {
        setCurrentRow(index);
    } else if (GetItemIndex() == index) {
        selectionModel()->clear();
    }
}

int TRxCustomListBox::GetTopIndex() const {
    return std::max(0, indexAt(QPoint(0, 0)).row());
}

void TRxCustomListBox::SetTopIndex(int index) {
    if (index != GetTopIndex() && index >= 0 && index < count())
        scrollTo(model()->index(index, 0), QAbstractItemView::PositionAtTop);
}

QRect TRxCustomListBox::ItemRect(int index) const {
    const int rows = count();
    if (index >= 0 && index < rows)
        return visualRect(model()->index(index, 0));
    if (index == 0) // where the first row of an empty list goes
        return {0, 0, viewport()->width(), RowHeight(0)};
    if (index == rows)
        return ItemRect(rows - 1).translated(0, ItemRect(rows - 1).height());
    return {0, 0, 0, 0};
}

int TRxCustomListBox::ItemAtPos(const QPoint &pos, bool existing) const {
    if (!viewport()->rect().contains(pos))
        return -1;
    const QModelIndex under = indexAt(pos);
    if (under.isValid())
        return under.row();
    return existing ? -1 : count();
}

int TRxCustomListBox::GetItemHeight() const {
    return RowHeight(0);
}

int TRxCustomListBox::RowHeight(int index) const {
    if (style_ == lbStandard)
        return fontMetrics().height();
    int rowHeight = itemHeight_;
    if (style_ == lbOwnerDrawVariable && onMeasureItem_)
        onMeasureItem_(const_cast<TRxCustomListBox *>(this), index, rowHeight);
    return rowHeight;
}

void TRxCustomListBox::DrawItemRequest(QPainter *painter, int index, const QRect &rect, QStyle::State state) {
    const QPalette &colors = palette();
    QColor background = colors.color(QPalette::Base);
    QColor text = colors.color(QPalette::Text);
    if (index >= 0 && (state & QStyle::State_Selected)) {
        if (!graySelection_ || hasFocus()) {
            background = colors.color(QPalette::Highlight);
            text = colors.color(QPalette::HighlightedText);
        } else {
            background = colors.color(QPalette::Button);
            if (text.rgb() == background.rgb())
                text = colors.color(QPalette::ButtonText);
        }
    }
    painter->setFont(font());
    painter->setBrush(background);
    painter->setPen(text);
    if (index < 0)
        painter->fillRect(rect, background);
    else
        DrawItem(painter, index, rect, state);
    if (state & QStyle::State_HasFocus) {
        QStyleOptionFocusRect frame;
        frame.initFrom(this);
        frame.rect = rect;
        frame.backgroundColor = background;
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &frame, painter, this);
    }
}

void TRxCustomListBox::DrawItem(QPainter *painter, int index, const QRect &rect, QStyle::State) {
    if (style_ != lbStandard && onDrawItem_) {
        onDrawItem_(this, index, painter, rect);
        return;
    }
    painter->fillRect(rect, painter->brush());
    if (index >= count())
        return;
    const int textHeight = fontMetrics().size(Qt::TextSingleLine, QStringLiteral("Wy")).height();
    const int y = std::max(rect.top(), (2 * rect.top() + rect.height() - textHeight) / 2);
    const bool rightToLeft = layoutDirection() == Qt::RightToLeft;
    DefaultDrawText(painter, rightToLeft ? rect.right() - 2 : rect.left() + 2, y, item(index)->text());
}

// Right to left, x is where the text ends.
void TRxCustomListBox::DefaultDrawText(QPainter *painter, int x, int y, const QString &text) const {
    const QFontMetrics metrics = fontMetrics();
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    option.setTextDirection(layoutDirection());
    if (tabWidth_ > 0)
        option.setTabStopDistance(std::lround(metrics.horizontalAdvance(u'0') * tabWidth_ * 0.25));
    const int width = ListItemTextWidth(metrics, text, tabWidth_);
    const int left = layoutDirection() == Qt::RightToLeft ? x - width : x;
    option.setAlignment(layoutDirection() == Qt::RightToLeft ? Qt::AlignRight : Qt::AlignLeft);
    painter->drawText(QRectF(left, y, width, metrics.height()), text, option);
}

bool TRxCustomListBox::DoKeyDown(QKeyEvent *event) {
    if (!OnKeyDown)
        return false;
    int key = event->key();
    OnKeyDown(this, key, event->modifiers());
    if (key != 0)
        return false;
    event->accept();
    return true;
}

void TRxCustomListBox::keyPressEvent(QKeyEvent *event) {
    if (!DoKeyDown(event))
        QListWidget::keyPressEvent(event);
}

void TRxCustomListBox::HandlerPresenceChanged(bool before, bool after) {
    if (before == after)
        return;
    extent_.ScrollToLeft();
    if (AutoScroll())
        extent_.ResetHorizontalExtent();
}

void TRxCustomListBox::SetOnDrawItem(TDrawItemEvent handler) {
    const bool before = bool(onDrawItem_);
    onDrawItem_ = std::move(handler);
    HandlerPresenceChanged(before, bool(onDrawItem_));
}

void TRxCustomListBox::SetOnGetItemWidth(TGetItemWidthEvent handler) {
    const bool before = bool(onGetItemWidth_);
    onGetItemWidth_ = std::move(handler);
    HandlerPresenceChanged(before, bool(onGetItemWidth_));
}

int TRxCustomListBox::GetItemWidth(int index) {
    if (style_ != lbStandard && onGetItemWidth_ && onDrawItem_) {
        int width = 0;
        onGetItemWidth_(this, index, width);
        return width;
    }
    const QListWidgetItem *listItem = item(index);
    return ListItemTextWidth(fontMetrics(), listItem ? listItem->text() : QString(), tabWidth_);
}

void TRxCustomListBox::PaintItems(QPainter *painter) {
    int y = 0;
    for (int index = GetTopIndex(); y < height() && index < count(); ++index) {
        int rowHeight = itemHeight_;
        if (style_ == lbOwnerDrawVariable && onMeasureItem_)
            onMeasureItem_(this, index, rowHeight);
        painter->save();
        DrawItemRequest(painter, index, QRect(0, y, width(), rowHeight), QStyle::State_None);
        painter->restore();
        y += rowHeight;
    }
}

void TRxCustomListBox::DragCanceled() {
    const QPointF point = viewport()->mapFromGlobal(QCursor::pos());
    QMouseEvent press(QEvent::MouseButtonPress, point, QCursor::pos(), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QListWidget::mousePressEvent(&press);
    QMouseEvent release(QEvent::MouseButtonRelease, point, QCursor::pos(), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QListWidget::mouseReleaseEvent(&release);
}

void TRxCustomListBox::BeginAutoDrag() {
    startDrag(model()->supportedDragActions());
}

// In a multi-select list a press on an item that is already selected drags the whole selection as it
// stands; any other press selects first and then drags, except while Shift or Ctrl extends the choice.
void TRxCustomListBox::mousePressEvent(QMouseEvent *event) {
    if (dragMode_ != dmAutomatic || event->button() != Qt::LeftButton) {
        QListWidget::mousePressEvent(event);
        return;
    }
    const bool multiSelect = selectionMode() == QAbstractItemView::MultiSelection ||
                             selectionMode() == QAbstractItemView::ExtendedSelection;
    const Qt::KeyboardModifiers keys = event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier);
    const QModelIndex under = indexAt(event->position().toPoint());
    if (multiSelect && keys != Qt::ShiftModifier && under.isValid() && selectionModel()->isSelected(under)) {
        BeginAutoDrag();
        return;
    }
    QListWidget::mousePressEvent(event);
    if (!(multiSelect && keys != Qt::NoModifier))
        BeginAutoDrag();
}

void TRxCustomListBox::changeEvent(QEvent *event) {
    QListWidget::changeEvent(event);
    if (event->type() != QEvent::FontChange)
        return;
    if (AutoScroll())
        extent_.ResetHorizontalExtent();
    ItemHeightChanged();
}

TTextListBox::TTextListBox(QWidget *parent)
    : QListWidget(parent), extent_(this, [this](int index) { return GetItemWidth(index); }) {
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    extent_.SetEnabled(true);
}

int TTextListBox::GetItemWidth(int index) const {
    const QListWidgetItem *listItem = item(index);
    return ListItemTextWidth(fontMetrics(), listItem ? listItem->text() : QString(), tabWidth_);
}

void TTextListBox::changeEvent(QEvent *event) {
    QListWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        extent_.ResetHorizontalExtent();
}

void TTextListBox::updateGeometries() {
    QListWidget::updateGeometries();
    extent_.ApplyScrollRange();
}
