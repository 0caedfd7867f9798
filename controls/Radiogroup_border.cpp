#include "controls/Radiogroup_border.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QPaintEvent>
#include <QPainter>
#include <QRadioButton>

#include <algorithm>

TRadioGroup_Border::TRadioGroup_Border(QWidget *parent)
    : QGroupBox(parent), group_(new QButtonGroup(this)), layout_(new QGridLayout(this)) {
    // The group box itself keeps the caption's line free above the contents.
    layout_->setContentsMargins(4, 2, 4, 2);
    layout_->setSpacing(2);
    connect(group_, &QButtonGroup::idClicked, this, &TRadioGroup_Border::Click);
}

void TRadioGroup_Border::SetBorder(bool value) {
    border_ = value;
    update();
}

void TRadioGroup_Border::SetCtl3D(bool value) {
    ctl3D_ = value;
    update();
}

void TRadioGroup_Border::SetItems(const QStringList &items) {
    const int checked = ItemIndex();
    for (QRadioButton *button : buttons_)
        delete button;
    buttons_.clear();
    items_ = items;
    for (int i = 0; i < items_.size(); ++i) {
        auto *button = new QRadioButton(items_[i], this);
        group_->addButton(button, i);
        buttons_.push_back(button);
    }
    ArrangeButtons();
    SetItemIndex(checked);
}

void TRadioGroup_Border::SetColumns(int value) {
    columns_ = std::max(1, value);
    ArrangeButtons();
}

int TRadioGroup_Border::ItemIndex() const {
    return group_->checkedId();
}

void TRadioGroup_Border::SetItemIndex(int index) {
    if (index >= 0 && index < static_cast<int>(buttons_.size())) {
        buttons_[static_cast<std::size_t>(index)]->setChecked(true);
        return;
    }
    // An exclusive group cannot uncheck its last button by itself.
    group_->setExclusive(false);
    for (QRadioButton *button : buttons_)
        button->setChecked(false);
    group_->setExclusive(true);
}

QRadioButton *TRadioGroup_Border::Button(int index) const {
    return index >= 0 && index < static_cast<int>(buttons_.size()) ? buttons_[static_cast<std::size_t>(index)]
                                                                   : nullptr;
}

void TRadioGroup_Border::ArrangeButtons() {
    const int count = static_cast<int>(buttons_.size());
    const int perColumn = std::max(1, (count + columns_ - 1) / columns_);
    for (int i = 0; i < count; ++i) {
        layout_->removeWidget(buttons_[static_cast<std::size_t>(i)]);
        layout_->addWidget(buttons_[static_cast<std::size_t>(i)], i % perColumn, i / perColumn);
    }
}

void TRadioGroup_Border::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setFont(font());
    painter.setBrush(Qt::NoBrush);
    const int h = fontMetrics().height();
    QRect frame(0, h / 2 - 1, width(), height() - (h / 2 - 1));
    // A frame on the pixels inside the rectangle, right and bottom edges excluded.
    const auto frameRect = [&painter](const QRect &r, const QColor &colour) {
        painter.setPen(colour);
        painter.drawRect(r.adjusted(0, 0, -1, -1));
    };

    QColor colour = palette().color(QPalette::Shadow);
    if (ctl3D_ && border_) {
        frame.setLeft(frame.left() + 1);
        frame.setTop(frame.top() + 1);
        frameRect(frame, palette().color(QPalette::Light));
        frame.translate(-1, -1);
        colour = palette().color(QPalette::Dark);
    }
    if (border_)
        frameRect(frame, colour);

    const QString caption = title();
    if (caption.isEmpty())
        return;
    const int flags = Qt::TextSingleLine | Qt::TextShowMnemonic | Qt::AlignLeft | Qt::AlignTop;
    QRect captionRect = painter.fontMetrics().boundingRect(QRect(0, 0, width(), h), flags, caption);
    captionRect.setHeight(h);
    if (layoutDirection() == Qt::RightToLeft)
        captionRect.moveRight(width() - 1 - 8);
    else
        captionRect.moveLeft(8);
    captionRect.moveTop(0);
    painter.fillRect(captionRect, palette().color(QPalette::Window));
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(captionRect, flags, caption);
}
