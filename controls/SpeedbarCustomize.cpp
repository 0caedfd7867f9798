#include "controls/Sbsetup.h"
#include "controls/Speedbar.h"

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QPainter>
#include <QRubberBand>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

// More than this many pixels away from the press, a press on the background becomes a drag of the bar.
constexpr int kDragThreshold = 4;
constexpr int kResizeZone = 4;
constexpr std::array<TAlign, 4> kSideAligns{alTop, alBottom, alLeft, alRight};

bool IsSideAlign(TAlign align) {
    return align == alTop || align == alBottom || align == alLeft || align == alRight;
}

// The widgets' dynamic "Align" property, as AlignControls reads it.
TAlign SiblingAlign(const QWidget *widget) {
    const QVariant value = widget->property("Align");
    return value.isValid() ? TAlign(value.toInt()) : alNone;
}

} // namespace

TBtnControl::TBtnControl(QWidget *owner)
    : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setEnabled(false);
    setCursor(Qt::DragMoveCursor);
}

void TBtnControl::AssignSpeedItem(TSpeedItem *item) {
    TSpeedbarButton *button = item->Button();
    TRxButtonGlyph &painter = image_.Painter();
    painter.SetAlignment(button->Alignment());
    painter.SetGlyph(button->Glyph());
    painter.SetNumGlyphs(button->NumGlyphs());
    painter.SetWordWrap(button->WordWrap());
    textAlignment_ = button->Alignment();
    spacing_ = button->Spacing();
    margin_ = button->Margin();
    layout_ = button->Layout();
    image_.Caption = button->Caption();
    imageIndex_ = item->ImageIndex();
    images_ = item->SpeedBar() ? item->SpeedBar()->Images() : nullptr;
    setFont(button->font());
    setLayoutDirection(button->layoutDirection());
    if (TSpeedBar *bar = item->SpeedBar())
        setGeometry(0, 0, bar->BtnWidth(), bar->BtnHeight());
}

void TBtnControl::Activate(const QRect &screenRect) {
    if (geometry().isEmpty())
        setGeometry(screenRect);
    move(screenRect.topLeft());
    show();
    raise();
    setCursor(Qt::DragMoveCursor);
}

void TBtnControl::ReleaseHandle() {
    hide();
}

void TBtnControl::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    const QFont current = font();
    const int alignment = int(QStyle::visualAlignment(layoutDirection(), textAlignment_) & Qt::AlignHorizontal_Mask);
    image_.DrawEx(painter, 0, 0, margin_, spacing_, layout_, &current, images_, imageIndex_, alignment);
}

void TBtnControl::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    image_.ButtonSize = size();
}

TSpeedbarButton::TSpeedbarButton(TSpeedItem *item, QWidget *parent) : TRxSpeedButton(parent), item_(item) {
    SetStyle(bsNew);
    hide();
}

TSpeedbarButton::~TSpeedbarButton() = default;

bool TSpeedbarButton::Editing() const {
    return item_->Editing() && item_->SpeedBar() && item_->SpeedBar()->GetEditing();
}

void TSpeedbarButton::PaintGlyph(QPainter &painter, const QRect &rect, TRxButtonState state, bool drawMark) {
    TSpeedBar *bar = item_->SpeedBar();
    if (!bar) {
        TRxSpeedButton::PaintGlyph(painter, rect, state, drawMark);
        return;
    }
    const int alignment = int(QStyle::visualAlignment(layoutDirection(), Alignment()) & Qt::AlignHorizontal_Mask);
    GlyphPainter().DrawEx(painter, rect, Caption(), Layout(), Margin(), Spacing(), drawMark, bar->Images(),
                          item_->ImageIndex(), state, alignment);
}

void TSpeedbarButton::paintEvent(QPaintEvent *event) {
    if (isVisible())
        TRxSpeedButton::paintEvent(event);
}

QPoint TSpeedbarButton::ImageCorner(QPoint screenPos) const {
    const QSize size = dragImage_ ? dragImage_->size() : this->size();
    return screenPos - QPoint(size.width(), size.height());
}

void TSpeedbarButton::DragPress() {
    if (!dragImage_) {
        QCursor::setPos(mapToGlobal(QPoint(width(), height())));
        dragImage_ = std::make_unique<TBtnControl>();
        dragImage_->AssignSpeedItem(item_);
    }
    raise();
}

void TSpeedbarButton::DragMove(QPoint screenPos) {
    TSpeedBar *bar = item_->SpeedBar();
    if (!dragImage_ || !bar)
        return;
    const QPoint corner = ImageCorner(screenPos);
    hide();
    if (bar->rect().contains(bar->mapFromGlobal(corner)))
        dragImage_->Activate(QRect(corner, dragImage_->size()));
    else
        dragImage_->ReleaseHandle();
}

// Dropped inside the bar the button snaps to the grid; dropped outside it leaves the bar.
void TSpeedbarButton::DragRelease(QPoint screenPos) {
    TSpeedBar *bar = item_->SpeedBar();
    if (!dragImage_ || !bar)
        return;
    const QPoint corner = bar->mapFromGlobal(ImageCorner(screenPos));
    dragImage_.reset();
    if (bar->rect().contains(corner)) {
        if (bar->AcceptDropItem(item_, corner.x(), corner.y())) {
            bar->SendChanged(sbcItemMoved, item_);
            update();
        } else {
            bar->SendChanged(sbcItemsChanged, bar);
        }
    } else {
        lower();
        item_->SetVisible(false);
        bar->SendChanged(sbcItemsChanged, bar);
    }
}

void TSpeedbarButton::mousePressEvent(QMouseEvent *event) {
    if (Editing() && event->button() == Qt::LeftButton && isVisible())
        DragPress();
    else if (!Editing())
        TRxSpeedButton::mousePressEvent(event);
}

void TSpeedbarButton::mouseMoveEvent(QMouseEvent *event) {
    if (dragImage_)
        DragMove(event->globalPosition().toPoint());
    else if (!Editing())
        TRxSpeedButton::mouseMoveEvent(event);
}

void TSpeedbarButton::mouseReleaseEvent(QMouseEvent *event) {
    if (dragImage_)
        DragRelease(event->globalPosition().toPoint());
    else if (!Editing())
        TRxSpeedButton::mouseReleaseEvent(event);
}

void TSpeedBar::SendChanged(int code, QObject *object) {
    if (!editWindow_)
        return;
    TSpeedbarChangedEvent event(code, object);
    QApplication::sendEvent(editWindow_, &event);
}

void TSpeedBar::SetEditing(QWidget *editWindow) {
    editWindow_ = editWindow;
    ForEachItem([editing = editWindow != nullptr](TSpeedItem *item, qintptr) { item->SetEditing(editing); }, 0);
    if (!editWindow)
        AfterCustomize();
}

void TSpeedBar::PosChanged() {
    if (OnPosChanged)
        OnPosChanged(this);
}

void TSpeedBar::AfterCustomize() {
    if (OnCustomize)
        OnCustomize(this);
}

void TSpeedBar::Customize(int helpContext) {
    ShowSpeedbarSetupWindow(this, helpContext);
}

bool TSpeedBar::AcceptDropItem(TSpeedItem *item, int x, int y) {
    if (!item || item->SpeedBar() != this)
        return false;
    const QPoint snapped = SnapToGrid(QPoint(x, y));
    TSpeedbarButton *button = item->Button();
    button->SetBounds(snapped.x(), snapped.y(), button->width(), button->height());
    const bool accepted = rect().contains(snapped);
    if (accepted)
        button->raise();
    else
        button->lower();
    item->SetVisible(accepted);
    return accepted;
}

// The parent's client area cut along its two diagonals: 0 top, 1 bottom, 2 left, 3 right.
int TSpeedBar::GetFramePos(int x, int y, bool &apply) {
    QWidget *parent = parentWidget();
    const QPoint point = parent ? mapToParent(QPoint(x, y)) : QPoint(x, y);
    const double w = parent ? parent->width() : width();
    const double h = parent ? parent->height() : height();
    const double px = point.x();
    const double py = point.y();
    const bool aboveFalling = py <= (h / w) * px;
    const bool aboveRising = py < h * (1 - px / w);
    const int side = aboveFalling ? (aboveRising ? 0 : 3) : (aboveRising ? 2 : 1);
    if (OnApplyAlign)
        OnApplyAlign(this, kSideAligns[side], apply);
    return side;
}

QRect TSpeedBar::GetFrameRect(int x, int y) {
    bool apply = true;
    const int side = GetFramePos(x, y, apply);
    if (!apply)
        return dragFrame_;
    const TAlign target = kSideAligns[side];
    QWidget *parent = parentWidget();
    QRect area = parent->rect();
    for (QObject *object : parent->children()) {
        auto *sibling = qobject_cast<QWidget *>(object);
        if (!sibling || sibling == this || sibling->isWindow() || sibling->isHidden())
            continue;
        const TAlign align = SiblingAlign(sibling);
        if (align == alNone || align == alClient)
            continue;
        bool before = align < target;
        if (align == target) {
            switch (align) {
            case alTop:
                before = sibling->y() < this->y();
                break;
            case alBottom:
                before = sibling->geometry().bottom() > geometry().bottom();
                break;
            case alLeft:
                before = sibling->x() < this->x();
                break;
            default:
                before = sibling->geometry().right() > geometry().right();
                break;
            }
        }
        if (!before)
            continue;
        switch (align) {
        case alTop:
            area.setTop(area.top() + sibling->height());
            break;
        case alBottom:
            area.setBottom(area.bottom() - sibling->height());
            break;
        case alLeft:
            area.setLeft(area.left() + sibling->width());
            break;
        default:
            area.setRight(area.right() - sibling->width());
            break;
        }
    }
    dragFrameAlign_ = target;
    QRect frame(parent->mapToGlobal(area.topLeft()), area.size());
    const int thickness = Thickness();
    switch (target) {
    case alTop:
        frame.setHeight(thickness);
        break;
    case alBottom:
        frame.setTop(frame.bottom() + 1 - thickness);
        break;
    case alLeft:
        frame.setWidth(thickness);
        break;
    default:
        frame.setLeft(frame.right() + 1 - thickness);
        break;
    }
    return frame;
}

void TSpeedBar::ShowFrame(const QRect &screenRect) {
    if (!frameBand_)
        frameBand_ = std::make_unique<QRubberBand>(QRubberBand::Rectangle);
    frameBand_->setGeometry(screenRect);
    frameBand_->show();
}

void TSpeedBar::StartDragFrame() {
    dragFrame_ = QRect(mapToGlobal(QPoint(0, 0)), size());
    dragFrameAlign_ = align_;
    ShowFrame(dragFrame_);
    setCursor(Qt::DragMoveCursor);
    dragging_ = true;
}

void TSpeedBar::DragFrame(int x, int y) {
    const QRect frame = GetFrameRect(x, y);
    if (frame == dragFrame_)
        return;
    setCursor(Qt::DragMoveCursor);
    dragFrame_ = frame;
    ShowFrame(dragFrame_);
}

// The bar docks at the side under the pointer, or at the last side accepted during the drag.
void TSpeedBar::StopDragFrame(int x, int y) {
    if (frameBand_)
        frameBand_->hide();
    unsetCursor();
    dragging_ = false;
    if (!IsSideAlign(align_))
        return;
    bool apply = true;
    const int side = GetFramePos(x, y, apply);
    SetAlign(apply ? kSideAligns[side] : dragFrameAlign_);
    PosChanged();
}

bool TSpeedBar::CheckResize(Qt::KeyboardModifiers, int x, int y) {
    if (!GetEditing() || !(options_ & sbAllowResize) || dragging_)
        return false;
    const int w = width();
    const int h = height();
    bool onEdge = false;
    switch (align_) {
    case alTop:
        onEdge = x >= 1 && x <= w && y > h - kResizeZone && y <= h + kResizeZone;
        break;
    case alBottom:
        onEdge = x >= 1 && x <= w && y >= -3 && y <= kResizeZone;
        break;
    case alLeft:
        onEdge = y >= 1 && y <= h && x > w - kResizeZone && x <= w + kResizeZone;
        break;
    case alRight:
        onEdge = y >= 1 && y <= h && x >= -3 && x <= kResizeZone;
        break;
    default:
        break;
    }
    if (onEdge)
        setCursor(align_ == alTop || align_ == alBottom ? Qt::SizeVerCursor : Qt::SizeHorCursor);
    return onEdge;
}

void TSpeedBar::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) {
    if (button != Qt::LeftButton || !parentWidget())
        return;
    if (CheckResize(shift, x, y)) {
        resizing_ = true;
        return;
    }
    if ((options_ & sbAllowDrag) && IsSideAlign(align_)) {
        pressed_ = true;
        pressPoint_ = QPoint(x, y);
    }
}

// While resizing, the thickness is a whole number of rows (at least one) plus the margins.
void TSpeedBar::MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, int x, int y) {
    if (!resizing_)
        CheckResize(shift, x, y);
    if (resizing_) {
        QWidget *parent = parentWidget();
        if (!parent || !parent->rect().contains(mapToParent(QPoint(x, y))))
            return;
        const int w = std::max(1, btnWidth_);
        const int h = std::max(1, btnHeight_);
        int rows = 0;
        switch (align_) {
        case alTop:
            rows = std::abs(y - 2 * offsetY_) / h;
            break;
        case alBottom:
            rows = std::abs(height() - 2 * offsetY_ - y) / h;
            break;
        case alLeft:
            rows = std::abs(x - 2 * offsetX_) / w;
            break;
        case alRight:
            rows = std::abs(width() - 2 * offsetX_ - x) / w;
            break;
        default:
            return;
        }
        rows = std::max(1, rows);
        if (align_ == alTop || align_ == alBottom) {
            setCursor(Qt::SizeVerCursor);
            resize(width(), std::min(btnHeight_ * rows + 2 * offsetY_, parent->height()));
        } else {
            setCursor(Qt::SizeHorCursor);
            resize(std::min(btnWidth_ * rows + 2 * offsetX_, parent->width()), height());
        }
        DockInParent();
        return;
    }
    if (!pressed_ || !(buttons & Qt::LeftButton) || !(options_ & sbAllowDrag))
        return;
    if (!dragging_) {
        if (std::abs(x - pressPoint_.x()) > kDragThreshold || std::abs(y - pressPoint_.y()) > kDragThreshold)
            StartDragFrame();
    } else {
        DragFrame(x, y);
    }
}

void TSpeedBar::MouseUp(Qt::MouseButton button, int x, int y) {
    if (button != Qt::LeftButton)
        return;
    if (dragging_)
        StopDragFrame(x, y);
    if (resizing_) {
        resizing_ = false;
        unsetCursor();
    }
    pressed_ = false;
}

void TSpeedBar::mousePressEvent(QMouseEvent *event) {
    const QPoint point = event->position().toPoint();
    MouseDown(event->button(), event->modifiers(), point.x(), point.y());
}

void TSpeedBar::mouseMoveEvent(QMouseEvent *event) {
    const QPoint point = event->position().toPoint();
    MouseMove(event->buttons(), event->modifiers(), point.x(), point.y());
}

void TSpeedBar::mouseReleaseEvent(QMouseEvent *event) {
    const QPoint point = event->position().toPoint();
    MouseUp(event->button(), point.x(), point.y());
}

TSpeedBar *FindSpeedBar(QPoint screenPoint) {
    for (QWidget *widget = QApplication::widgetAt(screenPoint); widget; widget = widget->parentWidget())
        if (auto *bar = qobject_cast<TSpeedBar *>(widget))
            return bar;
    return nullptr;
}
