#include "controls/RxctrlsLabel.h"

#include "controls/RxctrlsGlyph.h"

#include <QApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QKeySequence>
#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpression>
#include <QShortcut>
#include <QStyleOptionFocusRect>

#include <algorithm>

namespace {

QPoint ShadowOffset(TShadowPosition position, int size) {
    switch (position) {
    case spLeftTop:
        return {-size, -size};
    case spLeftBottom:
        return {-size, size};
    case spRightBottom:
        return {size, size};
    case spRightTop:
        return {size, -size};
    }
    return {};
}

// The advance of the widest line, as the text is drawn (tabs expanded, "&" hidden before a letter).
int SingleLineWidth(const QFontMetrics &metrics, const QString &text, int flags) {
    int width = 0;
    for (QString line : text.split(u'\n')) {
        if (flags & Qt::TextShowMnemonic)
            line.remove(QRegularExpression(QStringLiteral("&(?!&)")));
        width = std::max(width, (flags & Qt::TextExpandTabs) && line.contains(u'\t')
                                    ? metrics.size(Qt::TextExpandTabs, line).width()
                                    : metrics.horizontalAdvance(line));
    }
    return width;
}

} // namespace

int DrawShadowText(QPainter *painter, const QFontMetrics &metrics, const QString &text, QRect &rect, int flags,
                   bool calcRect, int shadowSize, QColor shadowColor, TShadowPosition position) {
    const QPoint offset = ShadowOffset(position, shadowSize);
    int height;
    if (calcRect) {
        const int textFlags = flags & ~(Qt::AlignHorizontal_Mask | Qt::AlignVertical_Mask);
        const QRect measured = (flags & Qt::TextWordWrap)
                                   ? metrics.boundingRect(QRect(0, 0, rect.width(), 0), textFlags, text)
                                   : QRect(0, 0, SingleLineWidth(metrics, text, textFlags),
                                           metrics.height() + (int(text.count(u'\n')) * metrics.lineSpacing()));
        rect = QRect(rect.topLeft(), measured.size());
        height = measured.height();
    } else {
        const QPen pen = painter->pen();
        painter->setPen(shadowColor);
        painter->drawText(rect.translated(offset), flags, text);
        painter->setPen(pen);
        painter->drawText(rect, flags, text);
        height = metrics.boundingRect(rect, flags, text).height();
    }
    rect = rect.united(rect.translated(offset));
    return height > 0 ? height + shadowSize : height;
}

TRxCustomLabel::TRxCustomLabel(QWidget *parent) : QWidget(parent), shadowColor_(ButtonColors::Highlight()) {
    resize(65, 17);
    setAttribute(Qt::WA_OpaquePaintEvent);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) { FocusChanged(now); });
}

void TRxCustomLabel::SetCaption(const QString &value) {
    if (caption_ == value)
        return;
    caption_ = value;
    update();
    AdjustBounds();
    UpdateAccelerator();
}

void TRxCustomLabel::SetFocusControl(QWidget *value) {
    focusControl_ = value;
    if (value)
        connect(value, &QObject::destroyed, this, [this] { update(); });
    if (showFocus_)
        update();
}

void TRxCustomLabel::SetAlignment(Qt::Alignment value) {
    if (alignment_ != value) {
        alignment_ = value;
        update();
    }
}

void TRxCustomLabel::SetAutoSize(bool value) {
    if (autoSize_ != value) {
        autoSize_ = value;
        AdjustBounds();
    }
}

void TRxCustomLabel::SetLayout(TTextLayout value) {
    if (layout_ != value) {
        layout_ = value;
        update();
    }
}

void TRxCustomLabel::SetShadowColor(QColor value) {
    if (shadowColor_ != value) {
        shadowColor_ = value;
        update();
    }
}

void TRxCustomLabel::SetShadowSize(int value) {
    value = std::clamp(value, 0, 255);
    if (shadowSize_ != value) {
        shadowSize_ = value;
        AdjustBounds();
        update();
    }
}

void TRxCustomLabel::SetShadowPos(TShadowPosition value) {
    if (shadowPos_ != value) {
        shadowPos_ = value;
        update();
    }
}

void TRxCustomLabel::SetWordWrap(bool value) {
    if (wordWrap_ != value) {
        wordWrap_ = value;
        AdjustBounds();
    }
}

void TRxCustomLabel::SetShowAccelChar(bool value) {
    if (showAccelChar_ != value) {
        showAccelChar_ = value;
        update();
        UpdateAccelerator();
    }
}

void TRxCustomLabel::SetShowFocus(bool value) {
    if (showFocus_ != value) {
        showFocus_ = value;
        update();
    }
}

void TRxCustomLabel::SetLeftMargin(int value) {
    leftMargin_ = std::max(value, 0);
    AdjustBounds();
    update();
}

void TRxCustomLabel::SetRightMargin(int value) {
    rightMargin_ = std::max(value, 0);
    AdjustBounds();
    update();
}

void TRxCustomLabel::SetTransparent(bool value) {
    transparent_ = value;
    setAttribute(Qt::WA_OpaquePaintEvent, !value);
    update();
}

QColor TRxCustomLabel::GetDefaultFontColor() const {
    return palette().color(QPalette::WindowText);
}

QRect TRxCustomLabel::TextRect() const {
    return QRect(QPoint(leftMargin_ + 1, 0), QPoint(width() - rightMargin_ - 2, height() - 1));
}

int TRxCustomLabel::AlignmentFlags() const {
    return int(alignment_ & Qt::AlignHorizontal_Mask);
}

// An empty caption, or a lone "&" while it marks accelerators, measures as one blank.
void TRxCustomLabel::DoDrawText(QPainter *painter, QRect &rect, int flags, bool calcRect) {
    QString text = GetLabelCaption();
    if (calcRect && (text.isEmpty() || (showAccelChar_ && text == QStringLiteral("&"))))
        text += u' ';
    flags |= showAccelChar_ ? int(Qt::TextShowMnemonic) : 0;

    TShadowPosition position = shadowPos_;
    int size = shadowSize_;
    QColor shadow = shadowColor_;
    QColor fontColor = GetDefaultFontColor();
    if (!isEnabled()) {
        if (size == 0) {
            position = spRightBottom;
            size = 1;
        }
        fontColor = palette().color(QPalette::Disabled, QPalette::WindowText);
        shadow = ButtonColors::Highlight();
    }
    if (painter)
        painter->setPen(fontColor);
    DrawShadowText(painter, fontMetrics(), text, rect, flags, calcRect, size, shadow, position);
}

void TRxCustomLabel::paintEvent(QPaintEvent *) {
    if (!isEnabled())
        pressed_ = false;
    QPainter painter(this);
    painter.setFont(font());
    if (!transparent_)
        painter.fillRect(rect(), palette().color(QPalette::Window));
    QRect textRect = TextRect();
    const int flags = Qt::TextExpandTabs | (wordWrap_ ? int(Qt::TextWordWrap) : int(Qt::TextSingleLine)) |
                      AlignmentFlags();
    if (layout_ != tlTop) {
        QRect measured = textRect;
        DoDrawText(nullptr, measured, flags, true);
        measured.setLeft(leftMargin_);
        measured.setRight(width() - rightMargin_ - 1);
        const int shift = layout_ == tlBottom ? height() - (measured.bottom() + 1) : (height() - (measured.bottom() + 1)) / 2;
        textRect = measured.translated(0, shift);
    }
    DoDrawText(&painter, textRect, flags | Qt::AlignTop, false);
    if (showFocus_ && focusControl_ && focusControl_->hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = textRect.adjusted(-1, 0, 1, 0);
        option.backgroundColor = palette().color(QPalette::Window);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

// The size counts from the client origin: a shadow that falls left of or above it adds nothing.
void TRxCustomLabel::AdjustBounds() {
    if (!autoSize_)
        return;
    QRect rect = TextRect();
    DoDrawText(nullptr, rect, Qt::TextExpandTabs | (wordWrap_ ? int(Qt::TextWordWrap) : 0), true);
    const int newWidth = rect.left() + rect.width() + rightMargin_ + 1;
    const int newHeight = rect.top() + rect.height();
    int left = x();
    const bool rightAligned = (QStyle::visualAlignment(layoutDirection(), alignment_) & Qt::AlignRight) != 0;
    if (rightAligned)
        left += width() - newWidth;
    setGeometry(left, y(), newWidth, newHeight);
}

void TRxCustomLabel::MouseEnter() {
    if (OnMouseEnter)
        OnMouseEnter(this);
}

void TRxCustomLabel::MouseLeave() {
    if (OnMouseLeave)
        OnMouseLeave(this);
}

void TRxCustomLabel::changeEvent(QEvent *event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        AdjustBounds();
}

void TRxCustomLabel::enterEvent(QEnterEvent *event) {
    QWidget::enterEvent(event);
    if (isEnabled() && !mouseInControl_) {
        mouseInControl_ = true;
        MouseEnter();
    }
}

void TRxCustomLabel::leaveEvent(QEvent *event) {
    QWidget::leaveEvent(event);
    if (isEnabled() && !pressed_ && mouseInControl_) {
        mouseInControl_ = false;
        MouseLeave();
    }
}

void TRxCustomLabel::mousePressEvent(QMouseEvent *event) {
    if (event->button() == Qt::LeftButton && isEnabled())
        pressed_ = true;
    QWidget::mousePressEvent(event);
}

void TRxCustomLabel::mouseReleaseEvent(QMouseEvent *event) {
    if (event->button() == Qt::LeftButton)
        pressed_ = false;
    QWidget::mouseReleaseEvent(event);
}

void TRxCustomLabel::FocusChanged(QWidget *now) {
    const bool focused = focusControl_ && focusControl_ == now;
    if (focused != focused_) {
        focused_ = focused;
        if (showFocus_)
            update();
    }
}

// The caption's accelerator moves the focus to the named control.
void TRxCustomLabel::UpdateAccelerator() {
    delete accelerator_;
    accelerator_ = nullptr;
    const QKeySequence key = QKeySequence::mnemonic(caption_);
    if (!showAccelChar_ || key.isEmpty() || !parentWidget())
        return;
    accelerator_ = new QShortcut(key, parentWidget());
    connect(accelerator_, &QShortcut::activated, this, [this] {
        if (focusControl_ && isEnabled() && focusControl_->focusPolicy() != Qt::NoFocus &&
            focusControl_->isEnabled())
            focusControl_->setFocus(Qt::ShortcutFocusReason);
    });
}
