#include "controls/Speedbar.h"

#include "controls/Vclutils.h"

#include <QApplication>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kBoundLineInset = 2;

TAlign AlignOf(const QWidget *widget) {
    const QVariant value = widget->property("Align");
    return value.isValid() ? TAlign(value.toInt()) : alNone;
}

// 24 gives 8, 20 gives 10, 25 gives 5, 23 (and every prime) gives 1.
int GridStep(int size) {
    int step = std::max(1, std::min(8, size / 3));
    while (size % step != 0)
        ++step;
    if (step == size && size > 1) {
        --step;
        while (step > 1 && size % step != 0)
            --step;
    }
    return step;
}

} // namespace

void AlignControls(QWidget *container, QRect area) {
    for (QObject *object : container->children()) {
        auto *child = qobject_cast<QWidget *>(object);
        if (!child || child->isWindow() || child->isHidden())
            continue;
        switch (AlignOf(child)) {
        case alTop:
            child->setGeometry(area.left(), area.top(), area.width(), child->height());
            area.setTop(area.top() + child->height());
            break;
        case alBottom:
            child->setGeometry(area.left(), area.bottom() + 1 - child->height(), area.width(), child->height());
            area.setBottom(area.bottom() - child->height());
            break;
        case alLeft:
            child->setGeometry(area.left(), area.top(), child->width(), area.height());
            area.setLeft(area.left() + child->width());
            break;
        case alRight:
            child->setGeometry(area.right() + 1 - child->width(), area.top(), child->width(), area.height());
            area.setRight(area.right() - child->width());
            break;
        case alClient:
            child->setGeometry(area);
            break;
        case alNone:
            break;
        }
    }
}

void TSpeedbarButton::SetBounds(int left, int top, int width, int height) {
    if (TSpeedBar *bar = item_->SpeedBar()) {
        if (bar->GetOrientation() == boHorizontal)
            top = std::max(top, bar->BtnOffsetVert());
        else
            left = std::max(left, bar->BtnOffsetHorz());
    }
    setGeometry(left, top, width, height);
}

void TSpeedBar::SetOrientation(TBarOrientation value) {
    if (value == orientation_)
        return;
    if (position_ == bpAuto)
        throw ESpeedbarError("Cannot set this property value while Position is bpAuto");
    ApplyOrientation(value);
}

// Rows become columns: sizes, steps and offsets swap and every button is mirrored across the diagonal.
void TSpeedBar::ApplyOrientation(TBarOrientation value) {
    if (value == orientation_)
        return;
    paintLock_ = true;
    try {
        orientation_ = value;
        std::swap(btnWidth_, btnHeight_);
        std::swap(gridX_, gridY_);
        std::swap(offsetX_, offsetY_);
        ForEachItem(
            [this](TSpeedItem *item, qintptr) {
                TSpeedbarButton *button = item->Button();
                button->SetBounds(button->y(), button->x(), btnWidth_, btnHeight_);
            },
            0);
    } catch (...) {
        paintLock_ = false;
        update();
        throw;
    }
    paintLock_ = false;
    update();
    SendChanged(sbcSizeChanged, this);
}

void TSpeedBar::SetAlign(TAlign value) {
    if (value == align_)
        return;
    if (position_ == bpAuto && (value == alNone || value == alClient))
        throw ESpeedbarError("Cannot set this property value while Position is bpAuto");
    // The bar keeps its thickness when it moves to a side that runs the other way.
    const bool acrossWasHeight = align_ != alLeft && align_ != alRight;
    const int thickness = acrossWasHeight ? height() : width();
    const bool horizontalAfter = value == alTop || value == alBottom;
    const bool verticalAfter = value == alLeft || value == alRight;
    if (horizontalAfter)
        resize(width(), thickness);
    else if (verticalAfter)
        resize(thickness, height());
    setProperty("Align", int(value));
    align_ = value;
    if (position_ == bpAuto && horizontalAfter)
        ApplyOrientation(boHorizontal);
    else if (position_ == bpAuto && verticalAfter)
        ApplyOrientation(boVertical);
    DockInParent();
}

void TSpeedBar::DockInParent() {
    if (parentWidget())
        AlignControls(parentWidget(), parentWidget()->rect());
}

int TSpeedBar::GetButtonSize(int index) const {
    return index == 0 ? btnWidth_ : index == 1 ? btnHeight_ : 0;
}

void TSpeedBar::SetButtonSize(int index, int value) {
    if (index == 0) {
        btnWidth_ = value;
        scaleFlags_ |= sfBtnSizeX;
    } else if (index == 1) {
        btnHeight_ = value;
        scaleFlags_ |= sfBtnSizeY;
    } else {
        return;
    }
    UpdateGridSize();
    if (orientation_ == boHorizontal)
        SetThickness(std::max(height(), 2 * offsetY_ + btnHeight_));
    else
        SetThickness(std::max(width(), 2 * offsetX_ + btnWidth_));
    ApplyButtonSize();
    SendChanged(sbcSizeChanged, this);
}

int TSpeedBar::GetButtonsOffset(int index) const {
    return index == 0 ? offsetX_ : index == 1 ? offsetY_ : 0;
}

void TSpeedBar::SetButtonsOffset(int index, int value) {
    value = std::max(value, MinButtonsOffset());
    if (index == 0) {
        const int delta = value - offsetX_;
        offsetX_ = value;
        scaleFlags_ |= sfOffsetX;
        MoveButtons(delta, 0);
    } else if (index == 1) {
        const int delta = value - offsetY_;
        offsetY_ = value;
        scaleFlags_ |= sfOffsetY;
        MoveButtons(0, delta);
    }
}

void TSpeedBar::MoveButtons(int dx, int dy) {
    if (dx == 0 && dy == 0)
        return;
    ForEachItem(
        [dx, dy](TSpeedItem *item, qintptr) {
            TSpeedbarButton *button = item->Button();
            button->SetBounds(button->x() + dx, button->y() + dy, button->width(), button->height());
        },
        0);
}

int TSpeedBar::MinButtonsOffset() const {
    return ((options_ & sbFlatBtns) ? 0 : 2) + borderWidth_ + (bevelOuter_ != bvNone ? bevelWidth_ : 0) +
           (bevelInner_ != bvNone ? bevelWidth_ : 0);
}

// Along the bar the step divides the button size; across it is one row or column.
void TSpeedBar::UpdateGridSize() {
    if (orientation_ == boHorizontal) {
        gridX_ = GridStep(btnWidth_);
        gridY_ = btnHeight_;
    } else {
        gridX_ = btnWidth_;
        gridY_ = GridStep(btnHeight_);
    }
}

void TSpeedBar::ApplyButtonSize() {
    ForEachItem(
        [this](TSpeedItem *item, qintptr) {
            TSpeedbarButton *button = item->Button();
            button->SetBounds(button->x(), button->y(), btnWidth_, btnHeight_);
        },
        0);
}

// A step of 0 (a button size of 0) counts as 1, so that snapping never divides by it.
QPoint TSpeedBar::SnapToGrid(QPoint point) const {
    const double gx = std::max(1, gridX_);
    const double gy = std::max(1, gridY_);
    const double qx = (point.x() - offsetX_) / gx;
    const double qy = (point.y() - offsetY_) / gy;
    if (orientation_ == boHorizontal)
        return {int(std::nearbyint(qx) * gx) + offsetX_, int(std::trunc(qy) * gy) + offsetY_};
    return {int(std::trunc(qx) * gx) + offsetX_, int(std::nearbyint(qy) * gy) + offsetY_};
}

void TSpeedBar::AlignItemToGrid(TSpeedItem *item) {
    if (!item->Visible())
        return;
    TSpeedbarButton *button = item->Button();
    const QPoint snapped = SnapToGrid(button->pos());
    button->SetBounds(snapped.x(), snapped.y(), button->width(), button->height());
}

void TSpeedBar::AlignItemsToGrid() {
    ForEachItem([this](TSpeedItem *item, qintptr) { AlignItemToGrid(item); }, 0);
}

void TSpeedBar::ChangeScale(int multiplier, int divisor) {
    const int flags = sfOffsetX | sfOffsetY | sfBtnSizeX | sfBtnSizeY;
    if (flags & sfBtnSizeX)
        btnWidth_ = MulDiv(btnWidth_, multiplier, divisor);
    if (flags & sfBtnSizeY)
        btnHeight_ = MulDiv(btnHeight_, multiplier, divisor);
    if (flags & sfOffsetX)
        offsetX_ = MulDiv(offsetX_, multiplier, divisor);
    if (flags & sfOffsetY)
        offsetY_ = MulDiv(offsetY_, multiplier, divisor);
    UpdateGridSize();
    setGeometry(MulDiv(x(), multiplier, divisor), MulDiv(y(), multiplier, divisor),
                MulDiv(width(), multiplier, divisor), MulDiv(height(), multiplier, divisor));
    ForEachItem(
        [this, multiplier, divisor](TSpeedItem *item, qintptr) {
            TSpeedbarButton *button = item->Button();
            button->SetBounds(MulDiv(button->x(), multiplier, divisor), MulDiv(button->y(), multiplier, divisor),
                              btnWidth_, btnHeight_);
        },
        0);
    AlignItemsToGrid();
    scaleFlags_ = 0;
}

void TSpeedBar::SetFontDefault() {
    setFont(QApplication::font("QMenu"));
}

void TSpeedBar::SetBevelOuter(TPanelBevel value) {
    bevelOuter_ = value;
    RealignChildren();
    update();
}

void TSpeedBar::SetBevelInner(TPanelBevel value) {
    bevelInner_ = value;
    RealignChildren();
    update();
}

void TSpeedBar::SetBevelWidth(int value) {
    bevelWidth_ = std::max(1, value);
    RealignChildren();
    update();
}

void TSpeedBar::SetBorderWidth(int value) {
    borderWidth_ = std::max(0, value);
    RealignChildren();
    update();
}

void TSpeedBar::SetBoundLines(TBoundLines value) {
    if (value == boundLines_)
        return;
    boundLines_ = value;
    RealignChildren();
    update();
}

void TSpeedBar::SetWallpaper(const QImage &value) {
    wallpaper_ = value;
    update();
}

QRect TSpeedBar::InnerRect() const {
    const int inset = borderWidth_ + (bevelOuter_ != bvNone ? bevelWidth_ : 0) + (bevelInner_ != bvNone ? bevelWidth_ : 0);
    return rect().adjusted(inset, inset, -inset, -inset);
}

// Aligned children keep off the bound lines; the offsets never fall below the smallest one, and the
// buttons move by what the offsets grew.
void TSpeedBar::RealignChildren() {
    QRect area = InnerRect();
    area.adjust((boundLines_ & blLeft) ? kBoundLineInset : 0, (boundLines_ & blTop) ? kBoundLineInset : 0,
                (boundLines_ & blRight) ? -kBoundLineInset : 0, (boundLines_ & blBottom) ? -kBoundLineInset : 0);
    AlignControls(this, area);
    const int dx = std::max(0, MinButtonsOffset() - offsetX_);
    const int dy = std::max(0, MinButtonsOffset() - offsetY_);
    offsetX_ += dx;
    offsetY_ += dy;
    MoveButtons(dx, dy);
}

int TSpeedBar::Thickness() const {
    return orientation_ == boHorizontal ? height() : width();
}

void TSpeedBar::SetThickness(int value) {
    if (orientation_ == boHorizontal)
        resize(width(), value);
    else
        resize(value, height());
    DockInParent();
}

bool TSpeedBar::eventFilter(QObject *watched, QEvent *event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        DockInParent();
    return QWidget::eventFilter(watched, event);
}

void TSpeedBar::paintEvent(QPaintEvent *) {
    if (paintLock_)
        return;
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Button));
    QRect frame = rect();
    DrawPanelBevel(painter, frame, bevelOuter_, bevelWidth_);
    frame.adjust(borderWidth_, borderWidth_, -borderWidth_, -borderWidth_);
    DrawPanelBevel(painter, frame, bevelInner_, bevelWidth_);

    const QRect inner = InnerRect();
    if (wallpaper_.width() > 0 && wallpaper_.height() > 0) {
        painter.save();
        painter.setClipRect(inner);
        if (options_ & sbStretchBitmap) {
            painter.drawImage(inner, wallpaper_);
        } else {
            const int inset = inner.left();
            const int across = (width() - 2 * inset) / wallpaper_.width() + 1;
            const int down = (height() - 2 * inset) / wallpaper_.height() + 1;
            for (int row = 0; row < down; ++row)
                for (int column = 0; column < across; ++column)
                    painter.drawImage(inner.left() + column * wallpaper_.width(),
                                      inner.top() + row * wallpaper_.height(), wallpaper_);
        }
        painter.restore();
    }

    // Each bound line is a shadow line with a highlight line beside it; a line's end point is left out.
    const int l = inner.left();
    const int t = inner.top();
    const int r = inner.left() + inner.width();
    const int b = inner.top() + inner.height();
    auto line = [&](QColor color, int x1, int y1, int x2, int y2) {
        painter.setPen(color);
        if (x1 == x2)
            painter.drawLine(x1, y1, x2, y2 - 1);
        else
            painter.drawLine(x1, y1, x2 - 1, y2);
    };
    const QColor shadow = ButtonColors::Shadow();
    const QColor highlight = ButtonColors::Highlight();
    if (boundLines_ & blTop) {
        line(shadow, l, t, r, t);
        line(highlight, l, t + 1, r, t + 1);
    }
    if (boundLines_ & blLeft) {
        line(shadow, l, t, l, b);
        line(highlight, l + 1, (boundLines_ & blTop) ? t + 1 : t, l + 1, b);
    }
    if (boundLines_ & blBottom) {
        line(shadow, l, b - 2, r, b - 2);
        line(highlight, l, b - 1, r, b - 1);
    }
    if (boundLines_ & blRight) {
        line(shadow, r - 2, t, r - 2, (boundLines_ & blBottom) ? b - 1 : b);
        line(highlight, r - 1, t, r - 1, b);
    }
}
