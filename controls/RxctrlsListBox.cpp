#include "controls/RxctrlsListBox.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

TListBoxExtent::TListBoxExtent(QListWidget *list, std::function<int(int)> itemWidth)
    : QObject(list), list_(list), itemWidth_(std::move(itemWidth)) {
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

TRxCustomListBox::TRxCustomListBox(QWidget *parent)
    : QListWidget(parent), extent_(this, [this](int index) { return GetItemWidth(index); }) {
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
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
    for (int index = std::max(0, indexAt(QPoint(0, 0)).row()); y < height() && index < count(); ++index) {
        const QModelIndex modelIndex = model()->index(index, 0);
        QStyleOptionViewItem option;
        initViewItemOption(&option);
        option.rect = QRect(0, y, width(), itemHeight_);
        QSize measured = itemDelegate()->sizeHint(option, modelIndex);
        measured.setWidth(width());
        if (style_ == lbStandard || !onDrawItem_)
            measured.setHeight(std::max(measured.height(), 1));
        else
            measured.setHeight(itemHeight_);
        const QRect rect(0, y, measured.width(), measured.height());
        if (style_ != lbStandard && onDrawItem_) {
            onDrawItem_(this, index, painter, rect);
        } else {
            option.rect = rect;
            itemDelegate()->paint(painter, option, modelIndex);
        }
        y += measured.height();
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
    if (event->type() == QEvent::FontChange && AutoScroll())
        extent_.ResetHorizontalExtent();
}

void TRxCustomListBox::updateGeometries() {
    QListWidget::updateGeometries();
    extent_.ApplyScrollRange();
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
